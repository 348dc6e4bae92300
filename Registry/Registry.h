// TRegistry: the per-user registry's root key and one open key, whose text
// values it reads and writes; the base of TRegIniFile (RegIniFile.h).
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
  // Raises ERegistryException with the string-table text, name in place of %s.
  [[noreturn]] static void Raise(unsigned stringId, const std::string& name);

  UniqueRegKey openHandle_;  // owned: the open key, or the section's key while a section operation runs
  const HKEY rootHandle_ = HKEY_CURRENT_USER;  // not owned: a predefined key, never closed
  std::string openKeyPath_;

private:
  // The key a path is taken from (not owned), and the path without a leading "\".
  HKEY BaseFor(const std::string& path, std::string* relativePath, bool* absolute) const;
};

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
