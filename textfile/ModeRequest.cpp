// Mode strings into stream flags, open flags and the platform's open values.
#include "textfile/ModeRequest.h"

#include "textfile/TextStream.h"

namespace textfile {

bool ParseMode(const char* mode, ModeRequest* request) {
  if (!mode) return false;
  switch (mode[0]) {
    case 'r':
      request->streamFlags = kStreamRead;
      request->openFlags = kOpenReadOnly;
      break;
    case 'w':
      request->streamFlags = kStreamWrite;
      request->openFlags = kOpenWriteOnly | kOpenCreate | kOpenTruncate;
      request->permission = kPermitWrite;
      break;
    case 'a':
      request->streamFlags = kStreamWrite;
      request->openFlags = kOpenWriteOnly | kOpenCreate | kOpenAppend;
      request->permission = kPermitWrite;
      break;
    default:
      return false;
  }
  auto makeReadWrite = [request] {
    request->streamFlags = kStreamRead | kStreamWrite;
    request->openFlags = (request->openFlags & ~kOpenAccessMask) | kOpenReadWrite;
    request->permission = kPermitRead | kPermitWrite;
  };
  switch (mode[1]) {
    case '\0':
      return true;
    case 't':
      request->openFlags |= kOpenText;
      break;
    case 'b':
      request->openFlags |= kOpenBinary;
      request->streamFlags |= kStreamBinary;
      break;
    case '+':
      makeReadWrite();
      return true;
    default:
      return false;
  }
  if (mode[2] == '+') makeReadWrite();
  return true;
}

DWORD CreationDisposition(unsigned openFlags) {
  const unsigned create = openFlags & kOpenCreate;
  const unsigned truncate = openFlags & kOpenTruncate;
  const unsigned exclusive = openFlags & kOpenExclusive;
  if (create && exclusive) return CREATE_NEW;
  if (create && truncate) return CREATE_ALWAYS;
  if (create) return OPEN_ALWAYS;
  if (truncate) return TRUNCATE_EXISTING;
  return OPEN_EXISTING;  // nothing, or exclusive alone
}

DWORD SharingMode(unsigned openFlags) {
  switch (openFlags & kOpenSharingMask) {
    case 0x10:
      return 0;
    case 0x20:
      return FILE_SHARE_READ;
    case 0x30:
      return FILE_SHARE_WRITE;
    default:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;
  }
}

}  // namespace textfile
