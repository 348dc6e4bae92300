// Raw access to values below HKEY_CURRENT_USER, for tests that store settings
// themselves or check what the program stored.
#pragma once

#include <string>

// The program's saved-settings section, below HKEY_CURRENT_USER.
std::string SavedSettingsSection();
// Removes the program's key with everything below it, as before a first run.
void ForgetSavedSettings();

bool RegistryKeyExists(const std::string& keyPath);

// Stores raw data as a value, creating the key when it is missing.
void StoreRegistryValue(const std::string& keyPath, const std::string& name, unsigned long type, const void* data,
                        unsigned long size);
// Stores a REG_SZ text with its terminating zero byte.
void StoreRegistryText(const std::string& keyPath, const std::string& name, const std::string& text);

struct RegistryValue {
  bool keyFound = false;
  bool found = false;
  unsigned long type = 0;
  std::string data;  // the stored bytes, as many as were stored (at most 512)
};
RegistryValue ReadRegistryValue(const std::string& keyPath, const std::string& name);

// A saved setting as text (up to its first zero byte); "(no section)" when the
// section is missing, "(missing)" when the value is.
std::string StoredSetting(const std::string& name);
// Stores a saved setting as the program does: REG_SZ with one zero byte.
void StoreSetting(const std::string& name, const std::string& text);
