// The handle table: the platform file handles beneath the streams, each entry
// with its flags and its own lock, and the low-level open, read, write and
// close, which do the text-mode translation.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "runtime/UniqueHandle.h"
#include "textfile/LockPool.h"

namespace textfile {

constexpr int kHandleSlots = 50;  // entries 0 to 2 hold the standard handles

// Handle-table entry flags; access, append, text and binary keep the values
// of the open flags.
enum : unsigned {
  kHandleEndOfFileMarkSeen = 0x0200,
  kHandleAppend = 0x0800,
  kHandleDevice = 0x2000,
  kHandleText = 0x4000,
  kHandleBinary = 0x8000,
};

struct HandleEntry {
  UniqueFile file;                         // owned: a file opened by path
  HANDLE standard = INVALID_HANDLE_VALUE;  // not owned: the process's standard handle (entries 0 to 2)
  unsigned flags = 0;                      // 0: free
  int64_t endOfFileMarkOffset = -1;
  bool dataAfterEndOfFileMark = false;  // seen in the piece that held the mark
  // What the platform's text-mode reads have returned: a pipe has no file
  // position, so the end-of-file mark's offset is counted from this instead.
  int64_t bytesRead = 0;
  // Text-mode reading takes CRs as line ends instead of removing them
  // (textmode::TranslateCarriageReturnLineEnds), and the last read ended
  // inside a run of CRs.
  bool carriageReturnsEndLines = false;
  bool inCarriageReturnRun = false;

  HANDLE Handle() const { return file ? file.get() : standard; }
};

class HandleTable {
public:
  // The process's table, made on first use with the standard handles in
  // entries 0 to 2. It is never destroyed: the exit write-out may still use
  // it, and handles left open at process end are left to the platform.
  static HandleTable& Instance();

  HandleTable(const HandleTable&) = delete;
  HandleTable& operator=(const HandleTable&) = delete;

  // Opens a file (CreateFileA) into the first free entry; the entry's number,
  // or -1 with the error number set.
  int Open(const char* path, unsigned openFlags, unsigned permission);
  // Closes the entry's file and frees the entry; 0, or -1 when CloseHandle
  // failed (the entry then stays).
  int Close(int number);
  // Reads up to count bytes; in text mode every CR is removed (or read as a
  // line end) and the data end at the first Ctrl-Z. The bytes delivered, 0 at the end, -1 on error.
  int Read(int number, char* destination, unsigned count);
  // Writes count bytes; in text mode, unless they are translated already,
  // each LF goes out as CR LF, through blocks of 128 bytes with one platform
  // write each. count, a smaller number when a block was not written whole,
  // or -1 on a platform error.
  long Write(int number, const char* source, size_t count, bool translated = false);

  HandleEntry& Entry(int number) { return entries_[number]; }
  RuntimeLock* LockOf(int number) { return entryLocks_.LockFor(static_cast<size_t>(number)); }

private:
  HandleTable();

  HandleEntry entries_[kHandleSlots];
  LazyLock tableLock_{"creating global handle lock"};
  LockTable entryLocks_{kHandleSlots, "allocating handle lock table", "creating handle lock"};
};

}  // namespace textfile
