// Reading a form and its controls from a window layout: the RCDATA resource
// named after the form's class, or a stream of layout bytes.
#pragma once

#include <cstdint>
#include <span>

class TForm;

// Reads the layout resource named after the form's class (EResNotFound
// "%s ﾘｿｰｽが見つかりません" when there is none).
void ReadFormLayout(TForm& form);

// Reads a layout stream into the form: creates the child components, sets
// every stored property, binds handlers, links components by name, then gives
// each its loaded notification. An error destroys what was created and raises.
void ReadFormLayout(TForm& form, std::span<const uint8_t> stream);

// A form goes: references of its components that wait for other forms are dropped.
void ForgetLayoutReferences(const TForm& form);
