// Holding a stream's lock for a run of unlocked reads or writes.
#pragma once

#include "textfile/TextStream.h"

namespace textfile {

// A stream's lock is taken for each operation on it. A caller that reads or
// writes many lines in a row may hold it instead and use the Unlocked forms,
// as with flockfile and getc_unlocked: one lock for the run instead of one per
// line. The lock is recursive; unlock before closing. LockTextFile is false
// (error number EBADF) for a stream that is not open.
bool LockTextFile(TextStream* stream);
void UnlockTextFile(TextStream* stream);

// Holds a stream's lock for the guard's lifetime.
class TextFileLock {
public:
  explicit TextFileLock(TextStream* stream) : stream_(LockTextFile(stream) ? stream : nullptr) {}
  ~TextFileLock() {
    if (stream_) UnlockTextFile(stream_);
  }
  TextFileLock(const TextFileLock&) = delete;
  TextFileLock& operator=(const TextFileLock&) = delete;

private:
  TextStream* stream_;  // not owned; nullptr when it could not be locked
};

}  // namespace textfile
