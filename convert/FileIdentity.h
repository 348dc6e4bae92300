// What tells files apart whatever their names are spelled like: the volume and
// the file's index on it. Letter case, short names, doubled backslashes and
// links all lead to the same identity.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct FileIdentity {
  uint32_t volumeSerial = 0;
  uint64_t fileIndex = 0;

  bool operator==(const FileIdentity& other) const = default;
  auto operator<=>(const FileIdentity& other) const = default;
};

// The identity of an existing file or folder; none when it cannot be opened
// (missing, a name the system refuses, no access to its folder).
std::optional<FileIdentity> IdentityOf(const std::string& path);

// True when two paths name the same existing file or folder, however each is
// spelled.
bool SameFile(const std::string& first, const std::string& second);
