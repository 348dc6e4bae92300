// Double-byte aware text helpers over the system's lead-byte test.
#include "runtime/MbcsText.h"

#include <windows.h>

bool IsLeadByte(char byte) {
  return IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
}

size_t LastBackslash(std::string_view text) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsLeadByte(text[i])) {
      ++i;  // the trail byte belongs to this character
    } else if (text[i] == '\\') {
      last = i;
    }
  }
  return last;
}

std::string_view FileNamePart(std::string_view path) {
  const size_t slash = LastBackslash(path);
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FolderPart(std::string_view path) {
  const size_t slash = LastBackslash(path);
  return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
}
