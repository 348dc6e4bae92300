// The failure of GDI to make a font, brush, pen, DC or bitmap.
#pragma once

#include <windows.h>

#include "runtime/Exceptions.h"
#include "runtime/SystemErrorText.h"

// EOutOfResources with the system's text for "not enough memory"
// (ERROR_NOT_ENOUGH_MEMORY). The bitmap buttons' image building says "not
// enough system resources" instead: ThrowNotEnoughSystemResources.
[[noreturn]] inline void ThrowNotEnoughMemory() {
  throw EOutOfResources(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
}
