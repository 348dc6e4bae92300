// The existence test of the text-file layer and its status record.
#pragma once

#include <cstdint>

namespace textfile {

// The status record of the existence test.
struct PathStatus {
  enum Kind : uint8_t { kNone, kRegular, kFolder, kCharacterDevice, kPipe };
  Kind kind = kNone;
  bool readable = false, writable = false, executable = false;
  uint32_t linkCount = 0;
  uint64_t size = 0;
  int64_t lastAccessTime = 0, lastWriteTime = 0, creationTime = 0;  // seconds since 1970
};

// 0 when the path names an existing file, folder, drive root or device (the
// last component may hold "*" and "?": a match counts), -1 when not.
int QueryPathStatus(const char* path, PathStatus* status);

}  // namespace textfile
