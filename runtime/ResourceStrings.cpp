// Strings from the string-table resource of the running program.
#include "runtime/ResourceStrings.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

std::string LoadResString(unsigned id) {
  char text[1024];
  const int length = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
  return length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string();
}

std::string FormatResString(unsigned id, ...) {
  const std::string format = LoadResString(id);
  va_list arguments;
  va_start(arguments, id);
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(nullptr, 0, format.c_str(), copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format.c_str(), arguments);
  va_end(arguments);
  return text;
}
