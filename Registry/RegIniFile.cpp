// TRegIniFile: sections and settings over TRegistry.
#include "Registry/RegIniFile.h"

#include <cstdint>

#include "runtime/ResourceStrings.h"

namespace {

// The integer a settings text holds: leading blanks, then a decimal number
// with an optional sign, or "$", "x", "X", "0x", "0X" and hexadecimal digits.
bool ParseSettingsInteger(const std::string& text, int* value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i == text.size()) return false;
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  const auto hexValue = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  // A hexadecimal mark: "$", "x", "X", "0x", "0X".
  size_t digits = std::string::npos;
  if (text[i] == '$' || text[i] == 'x' || text[i] == 'X')
    digits = i + 1;
  else if (text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X'))
    digits = i + 2;
  if (digits != std::string::npos) {
    if (digits == text.size()) return false;
    uint64_t number = 0;
    for (size_t j = digits; j < text.size(); ++j) {
      const int d = hexValue(text[j]);
      if (d < 0) return false;
      number = number * 16 + static_cast<uint64_t>(d);
      if (number > 0xFFFFFFFFu) return false;
    }
    *value = static_cast<int>(static_cast<uint32_t>(number));  // the highest bit makes it negative
    return true;
  }
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  if (i == text.size()) return false;
  int64_t number = 0;
  for (; i < text.size(); ++i) {
    if (!isDigit(text[i])) return false;
    number = number * 10 + (text[i] - '0');
    if (number > 2147483648LL) return false;
  }
  if (negative) number = -number;
  if (number > 2147483647LL) return false;
  *value = static_cast<int>(number);
  return true;
}

}  // namespace

TRegIniFile::TRegIniFile(const std::string& keyPath) : keyPath_(keyPath) {
  OpenPath(keyPath, true);  // when it fails, reads give their defaults
}

void TRegIniFile::RequireSettingsKey() {
  if (!openHandle_) Raise(strings::kRegCreateFailed, keyPath_);
}

std::string TRegIniFile::ReadText(const std::string& section, const std::string& name,
                                  const std::string& defaultValue) {
  std::string result = defaultValue;
  InSection(section, [&] {
    if (ValuePresent(name)) result = ReadValueText(name);
  });
  return result;
}

void TRegIniFile::WriteText(const std::string& section, const std::string& name, const std::string& value) {
  RequireSettingsKey();
  EnsureKey(section);
  InSection(section, [&] { WriteValueText(name, value); });
}

int TRegIniFile::ReadNumber(const std::string& section, const std::string& name, int defaultValue) {
  int result = defaultValue;
  InSection(section, [&] {
    if (!ValuePresent(name)) return;
    std::string text = ReadValueText(name);
    // The settings format's reading turns a leading "0x" or "0X" into "$" first;
    // kept as the format defines it, though ParseSettingsInteger reads "0x" alike.
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
    int parsed = 0;
    if (ParseSettingsInteger(text, &parsed)) result = parsed;
  });
  return result;
}

bool TRegIniFile::ReadFlag(const std::string& section, const std::string& name, bool defaultValue) {
  return ReadNumber(section, name, defaultValue ? 1 : 0) != 0;
}

void TRegIniFile::WriteFlag(const std::string& section, const std::string& name, bool value) {
  RequireSettingsKey();
  EnsureKey(section);
  InSection(section, [&] { WriteValueText(name, value ? "1" : "0"); });
}
