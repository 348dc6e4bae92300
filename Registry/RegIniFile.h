// TRegIniFile: an ini-style settings file in the per-user registry below one
// key, a section being a subkey and a setting a text value in it.
#pragma once

#include <string>

#include "Registry/Registry.h"

class TRegIniFile : public TRegistry {
public:
  explicit TRegIniFile(const std::string& keyPath);

  std::string ReadText(const std::string& section, const std::string& name, const std::string& defaultValue);
  void WriteText(const std::string& section, const std::string& name, const std::string& value);
  int ReadNumber(const std::string& section, const std::string& name, int defaultValue);
  bool ReadFlag(const std::string& section, const std::string& name, bool defaultValue);
  void WriteFlag(const std::string& section, const std::string& name, bool value);

private:
  // Writes go only below the settings key: when it could not be opened, a
  // write raises instead of creating the section below the root key.
  void RequireSettingsKey();
  std::string keyPath_;
};
