// System error descriptions through FormatMessageA.
#include "runtime/SystemErrorText.h"

#include <windows.h>

#include <cstdio>

std::string SystemErrorText(unsigned long errorCode) {
  char text[512];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, errorCode, 0, text,
                                sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ')) --length;
  if (length == 0) {
    std::snprintf(text, sizeof text, "エラー コード %lu", errorCode);
    return text;
  }
  return std::string(text, length);
}
