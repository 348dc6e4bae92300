// Double-byte aware text helpers over the system's lead-byte test.
#include "runtime/MbcsText.h"

#include <windows.h>

#include <utility>

namespace {

bool IsDoubleByteCodePage() {
  CPINFO info{};
  return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1;
}

// The system's ANSI case mapping of the whole text.
std::string MapAnsiCase(std::string text, LetterCase letterCase) {
  if (text.empty()) return text;
  const DWORD length = static_cast<DWORD>(text.size());
  if (letterCase == LetterCase::kLower)
    CharLowerBuffA(text.data(), length);
  else
    CharUpperBuffA(text.data(), length);
  return text;
}

}  // namespace

bool IsLeadByte(char byte) {
  return IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
}

size_t FirstBackslash(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsLeadByte(text[i]))
      ++i;
    else if (text[i] == '\\')
      return i;
  }
  return std::string_view::npos;
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

size_t LastOf(std::string_view text, std::string_view chars) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsLeadByte(text[i]))
      ++i;
    else if (chars.find(text[i]) != std::string_view::npos)
      found = i;
  }
  return found;
}

bool EndsWithChar(std::string_view text, char c) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    last = i;
    if (IsLeadByte(text[i])) ++i;
  }
  return last != std::string_view::npos && last == text.size() - 1 && text[last] == c;
}

std::string_view FileNamePart(std::string_view path) {
  const size_t slash = LastBackslash(path);
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FolderPart(std::string_view path) {
  const size_t slash = LastBackslash(path);
  return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
}

char UpperAsciiLetter(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char LowerAsciiLetter(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string FoldLetterCase(std::string text, LetterCase letterCase) {
  if (!IsDoubleByteCodePage()) return MapAnsiCase(std::move(text), letterCase);
  const bool lower = letterCase == LetterCase::kLower;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsLeadByte(text[i]))
      ++i;  // the trail byte stays as it is
    else
      text[i] = lower ? LowerAsciiLetter(text[i]) : UpperAsciiLetter(text[i]);
  }
  return text;
}

std::string LowerFileName(std::string_view name) {
  return FoldLetterCase(std::string(name), LetterCase::kLower);
}

std::string LowerAnsi(std::string_view text) {
  return MapAnsiCase(std::string(text), LetterCase::kLower);
}

int CompareWithLocale(std::string_view a, std::string_view b, unsigned long flags) {
  return CompareStringA(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) -
         CSTR_EQUAL;
}
