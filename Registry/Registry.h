// Settings in the per-user registry: TRegistry holds the root key and one open
// key and reads and writes its text values; TRegIniFile keeps an ini-style
// settings file below one key, a section being a subkey.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "runtime/ScopeExit.h"
#include "runtime/UniqueHandle.h"

class TRegistry {
public:
  TRegistry();
  virtual ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  const std::string& OpenKeyPath() const { return openKeyPath_; }

  // Opens the key path (creating it when allowed) and makes it the open key.
  bool OpenPath(const std::string& path, bool mayCreate);
  // Makes sure the key path exists; raises ERegistryException when it cannot.
  bool EnsureKey(const std::string& path);
  // Opens the key path for the caller; empty when it cannot.
  UniqueRegKey OpenSectionKey(const std::string& path);
  void CloseOpenKey();
  bool ValuePresent(const std::string& name);
  long ValueSize(const std::string& name);
  std::string ReadValueText(const std::string& name);
  void WriteValueText(const std::string& name, const std::string& value);

protected:
  // Runs `operation` with the section's key as the open key and puts the open
  // key back afterwards, also when the operation raises. False when the
  // section cannot be opened (the operation did not run).
  template <class Operation>
  bool InSection(const std::string& section, Operation operation);

  UniqueRegKey openHandle_;  // owned: the open key, or the section's key while a section operation runs
  const HKEY rootHandle_ = HKEY_CURRENT_USER;  // not owned: a predefined key, never closed
  std::string openKeyPath_;

private:
  // The key a path is taken from (not owned), and the path without a leading "\".
  HKEY BaseFor(const std::string& path, std::string* relativePath, bool* absolute) const;
};

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

// The integer a settings text holds: leading blanks, then a decimal number
// with an optional sign, or "$", "x", "X", "0x", "0X" and hexadecimal digits.
bool ParseSettingsInteger(const std::string& text, int* value);

template <class Operation>
bool TRegistry::InSection(const std::string& section, Operation operation) {
  UniqueRegKey sectionKey = OpenSectionKey(section);
  if (!sectionKey) return false;
  // The remembered key comes back afterwards, not closed; the section's key
  // is closed as it is moved out.
  const ScopedAssign useSection(openHandle_, std::move(sectionKey));
  operation();
  return true;
}
