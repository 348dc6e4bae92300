// File identities over GetFileInformationByHandle.
#include "convert/FileIdentity.h"

#include <windows.h>

#include "runtime/UniqueHandle.h"

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  // No access asked for: the handle is opened for its information only, and
  // backup semantics let it open a folder too.
  UniqueFile file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool SameFile(const std::string& first, const std::string& second) {
  const std::optional<FileIdentity> identity = IdentityOf(first);
  return identity && identity == IdentityOf(second);
}
