// Raw registry access for tests, through RegOpenKeyExA, RegCreateKeyExA,
// RegQueryValueExA and RegSetValueExA.
#include "tests/support/RegistryValues.h"

#include <windows.h>

#include "main/SettingsKey.h"
#include "runtime/UniqueHandle.h"

std::string SavedSettingsSection() {
  return std::string(kSettingsKey) + "\\" + kSettingsSection;
}

void ForgetSavedSettings() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
}

bool RegistryKeyExists(const std::string& keyPath) {
  UniqueRegKey key;
  return RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void StoreRegistryValue(const std::string& keyPath, const std::string& name, unsigned long type, const void* data,
                        unsigned long size) {
  UniqueRegKey key;
  RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
  RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

void StoreRegistryText(const std::string& keyPath, const std::string& name, const std::string& text) {
  StoreRegistryValue(keyPath, name, REG_SZ, text.c_str(), static_cast<unsigned long>(text.size() + 1));
}

RegistryValue ReadRegistryValue(const std::string& keyPath, const std::string& name) {
  RegistryValue value;
  UniqueRegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return value;
  value.keyFound = true;
  char data[512];
  DWORD type = 0, size = sizeof data;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
    return value;
  value.found = true;
  value.type = type;
  value.data.assign(data, size);
  return value;
}

std::string StoredSetting(const std::string& name) {
  const RegistryValue value = ReadRegistryValue(SavedSettingsSection(), name);
  if (!value.keyFound) return "(no section)";
  if (!value.found) return "(missing)";
  return value.data.substr(0, value.data.find('\0'));
}

void StoreSetting(const std::string& name, const std::string& text) {
  StoreRegistryText(SavedSettingsSection(), name, text);
}
