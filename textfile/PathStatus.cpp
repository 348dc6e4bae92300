// The existence test over FindFirstFileA, GetDriveTypeA and CreateFileA.
#include "textfile/PathStatus.h"

#include <windows.h>

#include <cerrno>
#include <cstring>

#include "runtime/UniqueHandle.h"
#include "textfile/ErrorNumber.h"

namespace textfile {
namespace {

int64_t SecondsSince1970(const FILETIME& time) {
  const int64_t ticks = (static_cast<int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return ticks == 0 ? 0 : (ticks - 116444736000000000LL) / 10000000;
}

bool HasWildcard(const char* path) {
  return std::strpbrk(path, "*?") != nullptr;
}

}  // namespace

int QueryPathStatus(const char* path, PathStatus* status) {
  if (!path || !status) {
    SetErrorNumber(EINVAL);
    return -1;
  }
  *status = PathStatus{};
  status->linkCount = 1;

  WIN32_FIND_DATAA found;
  if (UniqueFindHandle(FindFirstFileA(path, &found))) {
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status->kind = folder ? PathStatus::kFolder : PathStatus::kRegular;
    status->readable = true;
    status->executable = !folder;
    status->writable = !(found.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    status->size = folder ? 0 : (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    status->lastAccessTime = SecondsSince1970(found.ftLastAccessTime);
    status->lastWriteTime = SecondsSince1970(found.ftLastWriteTime);
    status->creationTime = SecondsSince1970(found.ftCreationTime);
    return 0;
  }

  // A drive root is not found by a search; ask for its drive type instead.
  if (!HasWildcard(path) && std::strpbrk(path, "\\/.")) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
    if (length == 3) {
      const UINT type = GetDriveTypeA(full);
      if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) {
        SetErrorNumber(ENOENT, ERROR_PATH_NOT_FOUND);
        return -1;
      }
      status->kind = PathStatus::kFolder;
      status->readable = status->writable = true;
      return 0;
    }
  }

  // Devices such as NUL are not found by a search either: try to open them.
  UniqueFile device(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!device) {
    SetErrorFromSystem(GetLastError());
    return -1;
  }
  const DWORD type = GetFileType(device.get());
  status->kind = type == FILE_TYPE_CHAR ? PathStatus::kCharacterDevice : PathStatus::kPipe;
  status->readable = status->writable = true;
  return 0;
}

}  // namespace textfile
