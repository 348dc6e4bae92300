// Strings from the string-table resource of the running program.
#include "runtime/ResourceStrings.h"

#include <windows.h>

std::string LoadResString(unsigned id) {
  char text[1024];
  const int length = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
  return length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string();
}
