// TRegistry over RegCreateKeyExA, RegOpenKeyExA, RegQueryValueExA and RegSetValueExA.
#include "Registry/Registry.h"

#include <utility>
#include <vector>

#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"

TRegistry::TRegistry() = default;

void TRegistry::Raise(unsigned stringId, const std::string& name) {
  throw ERegistryException(FormatResString(stringId, name.c_str()));
}

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
    result = RegCreateKeyExA(base, p.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                             nullptr);
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
