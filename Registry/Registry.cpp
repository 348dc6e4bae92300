// The registry-backed settings file.
#include "Registry/Registry.h"

#include <utility>
#include <vector>

#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"

namespace {

[[noreturn]] void Raise(unsigned stringId, const std::string& name) {
  throw ERegistryException(Exception::Formatted(stringId, name.c_str()));
}

}  // namespace

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

// ---- TRegistry ----

TRegistry::TRegistry() = default;

TRegistry::~TRegistry() {
  CloseOpenKey();
}

HKEY TRegistry::BaseFor(const std::string& path, std::string* relativePath, bool* absolute) const {
  *absolute = !path.empty() && path[0] == '\\';
  *relativePath = *absolute ? path.substr(1) : path;
  return *absolute || !openHandle_ ? rootHandle_ : openHandle_.get();
}

bool TRegistry::OpenPath(const std::string& path, bool mayCreate) {
  std::string p;
  bool absolute;
  const HKEY base = BaseFor(path, &p, &absolute);
  UniqueRegKey key;
  LONG result;
  if (mayCreate && !p.empty())
    result = RegCreateKeyExA(base, p.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                             key.put(), nullptr);
  else
    result = RegOpenKeyExA(base, p.c_str(), 0, KEY_ALL_ACCESS, key.put());
  if (result != ERROR_SUCCESS) return false;
  if (openHandle_ && !absolute) p = openKeyPath_ + "\\" + p;
  CloseOpenKey();
  openHandle_ = std::move(key);
  openKeyPath_ = p;
  return true;
}

bool TRegistry::EnsureKey(const std::string& path) {
  std::string p;
  bool absolute;
  const HKEY base = BaseFor(path, &p, &absolute);
  UniqueRegKey key;  // closed again at once, whether created now or there before
  if (RegCreateKeyExA(base, p.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                      nullptr) != ERROR_SUCCESS)
    Raise(strings::kRegCreateFailed, path);
  return true;
}

UniqueRegKey TRegistry::OpenSectionKey(const std::string& path) {
  std::string p;
  bool absolute;
  const HKEY base = BaseFor(path, &p, &absolute);
  UniqueRegKey key;
  if (RegOpenKeyExA(base, p.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) return {};
  return key;
}

void TRegistry::CloseOpenKey() {
  openHandle_.reset();
  openKeyPath_.clear();
}

bool TRegistry::ValuePresent(const std::string& name) {
  return ValueSize(name) >= 0;
}

long TRegistry::ValueSize(const std::string& name) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(openHandle_.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return -1;
  return static_cast<long>(size);
}

std::string TRegistry::ReadValueText(const std::string& name) {
  const long size = ValueSize(name);
  if (size <= 0) return {};
  std::vector<char> data(static_cast<size_t>(size));
  DWORD type = 0, read = static_cast<DWORD>(size);
  if (RegQueryValueExA(openHandle_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &read) !=
      ERROR_SUCCESS)
    Raise(strings::kRegGetFailed, name);
  if (type != REG_SZ && type != REG_EXPAND_SZ) Raise(strings::kRegInvalidType, name);
  std::string text(data.data(), read);
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

void TRegistry::WriteValueText(const std::string& name, const std::string& value) {
  if (RegSetValueExA(openHandle_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
    Raise(strings::kRegSetFailed, name);
}

// ---- TRegIniFile ----

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
    // A leading "0x" or "0X" is read as "$" (ParseSettingsInteger takes either).
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
