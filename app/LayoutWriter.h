// Writing a form and its controls as a layout stream, the counterpart of the
// layout reader: each published property that differs from its default and
// is to be stored, sub-objects by path, then the child controls.
#pragma once

#include <cstdint>
#include <vector>

class TComponent;

std::vector<uint8_t> WriteComponentLayout(TComponent& root);
