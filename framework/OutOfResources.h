// The failure of GDI to make a font, brush, pen, DC or bitmap.
#pragma once

#include <windows.h>

#include "runtime/Exceptions.h"
#include "runtime/SystemErrorText.h"

// EOutOfResources with the system's text for "not enough memory".
[[noreturn]] inline void ThrowOutOfResources() { throw EOutOfResources(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY)); }
