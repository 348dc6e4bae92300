// The error number and the mapping of platform error codes into it.
#include "textfile/ErrorNumber.h"

#include <windows.h>

#include <cerrno>

namespace textfile {
namespace {

int gErrorNumber = 0;
unsigned long gSystemError = 0;

int ErrorNumberForSystemError(unsigned long systemError) {
  switch (systemError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NO_MORE_FILES:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return ENOENT;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_ACCESS_DENIED:
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CANNOT_MAKE:
    case ERROR_FAIL_I24:
      return EACCES;
    case ERROR_INVALID_HANDLE:
    case ERROR_INVALID_TARGET_HANDLE:
    case ERROR_DIRECT_ACCESS_HANDLE:
      return EBADF;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_BROKEN_PIPE:
      return EPIPE;
    default:
      return EINVAL;
  }
}

}  // namespace

void SetErrorNumber(int errorNumber, unsigned long systemError) {
  gErrorNumber = errorNumber;
  gSystemError = systemError;
}

void SetErrorFromSystem(unsigned long systemError) {
  SetErrorNumber(ErrorNumberForSystemError(systemError), systemError);
}

int LastErrorNumber() {
  return gErrorNumber;
}

unsigned long LastSystemError() {
  return gSystemError;
}

}  // namespace textfile
