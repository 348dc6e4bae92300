// Buffered text-mode files over CreateFileA, ReadFile, WriteFile and CloseHandle.
#include "textfile/TextFile.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "runtime/ByteSearch.h"
#include "runtime/UniqueHandle.h"
#include "textfile/LockPool.h"
#include "textfile/TextTranslation.h"

namespace textfile {
namespace {

// Open flags: what a mode string asks of the low-level open.
enum : unsigned {
  kOpenReadOnly = 0x0000,
  kOpenWriteOnly = 0x0001,
  kOpenReadWrite = 0x0002,
  kOpenAccessMask = 0x0003,
  kOpenSharingMask = 0x0070,
  kOpenNoInherit = 0x0080,
  kOpenCreate = 0x0100,
  kOpenTruncate = 0x0200,
  kOpenExclusive = 0x0400,
  kOpenAppend = 0x0800,
  kOpenText = 0x4000,
  kOpenBinary = 0x8000,
};

// Handle-table entry flags; access, append, text and binary keep the values
// of the open flags.
enum : unsigned {
  kHandleEndOfFileMarkSeen = 0x0200,
  kHandleAppend = 0x0800,
  kHandleDevice = 0x2000,
  kHandleText = 0x4000,
  kHandleBinary = 0x8000,
};

// Permission bits of a new file.
enum : unsigned { kPermitRead = 0x0100, kPermitWrite = 0x0080 };

constexpr unsigned kDefaultTranslation = kOpenText;

struct HandleEntry {
  HANDLE handle = INVALID_HANDLE_VALUE;
  unsigned flags = 0;  // 0: free
  int64_t endOfFileMarkOffset = -1;
  bool dataAfterEndOfFileMark = false;  // seen in the piece that held the mark
};

int gErrorNumber = 0;
unsigned long gSystemError = 0;

TextStream gStreams[kStreamSlots];
HandleEntry gHandles[kHandleSlots];

LazyLock gStreamTableLock("creating global stream lock");
LazyLock gHandleTableLock("creating global handle lock");
LockTable gStreamLocks(kStreamSlots, "allocating stream lock table", "creating stream lock");
LockTable gHandleLocks(kHandleSlots, "allocating handle lock table", "creating handle lock");

bool gExitWriteOutRegistered = false;

uint8_t CheckValueFor(int slot) {
  return static_cast<uint8_t>(0xA5 ^ (slot * 7));
}

// Marks the free stream slots and the standard streams before first use.
void InitialiseTables() {
  static const bool initialised = [] {
    for (int slot = 0; slot < kStreamSlots; ++slot) {
      gStreams[slot] = TextStream{};
      gStreams[slot].handleNumber = -1;
      gStreams[slot].check = CheckValueFor(slot);
    }
    const DWORD standardHandles[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (int n = 0; n < 3; ++n) {
      gHandles[n].handle = GetStdHandle(standardHandles[n]);
      gHandles[n].flags = static_cast<unsigned>(n == 0 ? kOpenReadOnly : kOpenWriteOnly) | kHandleText;
      if (gHandles[n].handle && gHandles[n].handle != INVALID_HANDLE_VALUE &&
          GetFileType(gHandles[n].handle) == FILE_TYPE_CHAR)
        gHandles[n].flags |= kHandleDevice;
      // The standard streams are never free; they stay unbuffered here.
      gStreams[n].handleNumber = static_cast<int8_t>(n);
      gStreams[n].flags = n == 0 ? kStreamRead : kStreamWrite;
    }
    return true;
  }();
  (void)initialised;
}

void SetErrorNumber(int errorNumber, unsigned long systemError = 0) {
  gErrorNumber = errorNumber;
  gSystemError = systemError;
}

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

void SetErrorFromSystem(unsigned long systemError) {
  SetErrorNumber(ErrorNumberForSystemError(systemError), systemError);
}

int SlotOf(const TextStream* stream) {
  if (stream < gStreams || stream >= gStreams + kStreamSlots) return -1;
  return static_cast<int>(stream - gStreams);
}

// A stream handed back to us must be one of our slots, open, with its check.
bool IsValidStream(const TextStream* stream) {
  const int slot = SlotOf(stream);
  return slot >= 0 && stream->check == CheckValueFor(slot) && stream->handleNumber >= 0;
}

HandleEntry* EntryOf(const TextStream* stream) {
  return &gHandles[stream->handleNumber];
}

RuntimeLock* LockOf(const TextStream* stream) {
  return gStreamLocks.LockFor(static_cast<size_t>(SlotOf(stream)));
}

// ---- Low level: one handle-table entry, platform calls ----

struct ModeRequest {
  uint16_t streamFlags = 0;
  unsigned openFlags = 0;
  unsigned permission = 0;
};

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
    case 0x10: return 0;
    case 0x20: return FILE_SHARE_READ;
    case 0x30: return FILE_SHARE_WRITE;
    default: return FILE_SHARE_READ | FILE_SHARE_WRITE;
  }
}

// Returns the handle number, or -1.
int LowLevelOpen(const char* path, unsigned openFlags, unsigned permission) {
  ScopedRuntimeLock tableLock(gHandleTableLock.Get());
  if (!(openFlags & (kOpenText | kOpenBinary))) openFlags |= kDefaultTranslation;

  DWORD access = 0;
  switch (openFlags & kOpenAccessMask) {
    case kOpenReadOnly: access = GENERIC_READ; break;
    case kOpenWriteOnly: access = GENERIC_WRITE; break;
    case kOpenReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default:
      SetErrorNumber(EINVAL);
      return -1;
  }

  DWORD attributes = 0;
  if (openFlags & kOpenCreate) {
    attributes = (permission & kPermitWrite) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
  } else {
    const DWORD current = GetFileAttributesA(path);
    attributes = current == INVALID_FILE_ATTRIBUTES ? 0 : current;
  }

  SECURITY_ATTRIBUTES security{sizeof security, nullptr, (openFlags & kOpenNoInherit) ? FALSE : TRUE};
  HANDLE handle = CreateFileA(path, access, SharingMode(openFlags), &security,
                              CreationDisposition(openFlags), attributes, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    SetErrorFromSystem(GetLastError());
    return -1;
  }

  unsigned entryFlags = openFlags & ~(kOpenCreate | kOpenTruncate | kOpenExclusive);
  if (GetFileType(handle) == FILE_TYPE_CHAR) entryFlags |= kHandleDevice;
  for (int number = 0; number < kHandleSlots; ++number) {
    if (gHandles[number].flags == 0) {
      gHandles[number] = HandleEntry{handle, entryFlags, -1, false};
      return number;
    }
  }
  CloseHandle(handle);
  SetErrorNumber(EMFILE);
  return -1;
}

int LowLevelClose(int number) {
  ScopedRuntimeLock lock(gHandleLocks.LockFor(static_cast<size_t>(number)));
  HandleEntry& entry = gHandles[number];
  if (!CloseHandle(entry.handle)) {
    SetErrorFromSystem(GetLastError());
    return -1;
  }
  entry = HandleEntry{};
  return 0;
}

int64_t CurrentFileOffset(HANDLE handle) {
  LARGE_INTEGER position{};
  const LARGE_INTEGER zero{};
  return SetFilePointerEx(handle, zero, &position, FILE_CURRENT) ? position.QuadPart : -1;
}

// Notes where the end-of-file mark stood: `bytesAfterRead` of what the last
// platform read returned lie after the mark in the file.
void NoteEndOfFileMark(HandleEntry& entry, const char* afterMark, size_t bytesAfterMark) {
  entry.flags |= kHandleEndOfFileMarkSeen;
  const int64_t offset = CurrentFileOffset(entry.handle);
  entry.endOfFileMarkOffset = offset < 0 ? -1 : offset - static_cast<int64_t>(bytesAfterMark) - 1;
  entry.dataAfterEndOfFileMark = !textmode::OnlyEndOfFileMarks(afterMark, bytesAfterMark);
}

// Reads up to count bytes; in text mode every CR is removed and the data end
// at the first Ctrl-Z. Returns the bytes delivered, 0 at the end, -1 on error.
int LowLevelRead(int number, char* destination, unsigned count) {
  if (count == 0) return 0;
  ScopedRuntimeLock lock(gHandleLocks.LockFor(static_cast<size_t>(number)));
  HandleEntry& entry = gHandles[number];
  DWORD got = 0;

  if (entry.flags & kHandleBinary) {
    if (!ReadFile(entry.handle, destination, count, &got, nullptr)) {
      const DWORD error = GetLastError();
      if (error == ERROR_BROKEN_PIPE) return 0;
      SetErrorFromSystem(error);
      return -1;
    }
    return static_cast<int>(got);
  }
  if (entry.flags & kHandleEndOfFileMarkSeen) return 0;

  unsigned total = 0;
  while (total < count) {
    char* piece = destination + total;
    const unsigned asked = count - total;
    if (!ReadFile(entry.handle, piece, asked, &got, nullptr)) {
      const DWORD error = GetLastError();
      if (error == ERROR_BROKEN_PIPE) break;
      SetErrorFromSystem(error);
      return -1;
    }
    if (got == 0) break;

    size_t kept = textmode::FindEndOfFileMark(piece, got);
    if (kept < got) {
      NoteEndOfFileMark(entry, piece + kept + 1, got - kept - 1);
      if (kept == 0) break;
    } else if (piece[kept - 1] == textmode::kCarriageReturn) {
      // A piece ending in CR: put the byte after it in the CR's place, so that
      // a CR LF split between two pieces still loses only its CR.
      DWORD one = 0;
      if (!ReadFile(entry.handle, piece + kept - 1, 1, &one, nullptr)) {
        SetErrorFromSystem(GetLastError());
        return -1;
      }
      if (one == 1 && piece[kept - 1] == textmode::kEndOfFileMark) {
        NoteEndOfFileMark(entry, nullptr, 0);
        --kept;
      }
    }

    const size_t delivered = textmode::RemoveCarriageReturns(piece, kept);
    total += static_cast<unsigned>(delivered);
    if ((entry.flags & kHandleEndOfFileMarkSeen) || delivered > 0 ||
        ((entry.flags & kHandleDevice) && got < asked))
      break;
    // The piece was nothing but CRs: read again into the same place.
  }
  return static_cast<int>(total);
}

// Writes count bytes; in text mode, unless they are translated already, each
// LF goes out as CR LF, through blocks of 128 bytes with one platform write
// each. Returns count, a smaller number when a block was not written whole, or
// -1 on a platform error.
long LowLevelWrite(int number, const char* source, size_t count, bool translated = false) {
  if (count == 0) return 0;
  ScopedRuntimeLock lock(gHandleLocks.LockFor(static_cast<size_t>(number)));
  HandleEntry& entry = gHandles[number];
  DWORD written = 0;

  if (entry.flags & kHandleAppend) {
    const LARGE_INTEGER zero{};
    SetFilePointerEx(entry.handle, zero, nullptr, FILE_END);
  }
  if ((entry.flags & kHandleBinary) || translated) {
    if (!WriteFile(entry.handle, source, static_cast<DWORD>(count), &written, nullptr)) {
      SetErrorFromSystem(GetLastError());
      return -1;
    }
    if (written < count) SetErrorFromSystem(ERROR_DISK_FULL);
    return static_cast<long>(written);
  }

  size_t consumed = 0;
  while (consumed < count) {
    char block[textmode::kOutputBlockSize];
    const textmode::ExpandedBlock expanded =
        textmode::ExpandLineFeeds(source + consumed, count - consumed, block, sizeof block);
    if (!WriteFile(entry.handle, block, static_cast<DWORD>(expanded.blockLength), &written, nullptr)) {
      SetErrorFromSystem(GetLastError());
      return -1;
    }
    if (written != expanded.blockLength) {
      SetErrorFromSystem(ERROR_DISK_FULL);
      return static_cast<long>(consumed);
    }
    consumed += expanded.consumed;
  }
  return static_cast<long>(count);
}

// ---- Stream level: buffers ----

constexpr int32_t EmptyWriteLevel(const TextStream& stream) {
  return -static_cast<int32_t>(stream.size + 1);
}

int32_t BufferedOutput(const TextStream& stream) {
  return stream.level + static_cast<int32_t>(stream.size) + 1;
}

// A text stream given a buffer larger than the standard one keeps its output
// translated there: each LF is put in as CR LF, and a write-out is one
// platform write of the whole buffer instead of one per 128-byte block. A
// line-buffered stream keeps the standard way.
bool TranslatesInBuffer(const TextStream& stream) {
  return stream.size > kStreamBufferSize && !(stream.flags & (kStreamBinary | kStreamLineBuffered));
}

// A stream that has been read or written keeps its buffer.
bool StreamUsed(const TextStream& stream) {
  return stream.level != 0 || (stream.flags & (kStreamReading | kStreamWriting | kStreamEndOfFile | kStreamError));
}

void WriteOutAllStreams();

// Gives a newly opened stream its buffer; false when memory is short.
bool SetUpBuffer(TextStream* stream) {
  char* buffer = new (std::nothrow) char[kStreamBufferSize];
  if (!buffer) return false;
  stream->buffer = stream->position = buffer;
  stream->size = kStreamBufferSize;
  stream->level = 0;
  stream->flags |= kStreamBufferOwned;
  if (stream->flags & kStreamTerminal) stream->flags |= kStreamLineBuffered;
  if (!gExitWriteOutRegistered) {
    gExitWriteOutRegistered = true;
    std::atexit(WriteOutAllStreams);
  }
  return true;
}

// Write-out of a writing stream; one that is not writing has nothing to do.
int WriteOut(TextStream* stream) {
  if (stream->level >= 0 || !stream->buffer) return 0;
  const int32_t count = BufferedOutput(*stream);
  stream->level = EmptyWriteLevel(*stream);
  stream->position = stream->buffer;
  const long written =
      LowLevelWrite(stream->handleNumber, stream->buffer, static_cast<size_t>(count), TranslatesInBuffer(*stream));
  if (written != count && !(stream->flags & kStreamTerminal)) {
    stream->flags |= kStreamError;
    return -1;
  }
  return 0;
}

void WriteOutAllStreams() {
  ScopedRuntimeLock tableLock(gStreamTableLock.Get());
  for (TextStream& stream : gStreams) {
    if (stream.handleNumber < 0 || stream.level >= 0) continue;
    ScopedRuntimeLock lock(LockOf(&stream));
    WriteOut(&stream);
  }
}

// Takes the next byte through a buffer fill; -1 when there is none.
int FillBuffer(TextStream* stream) {
  if (stream->level < 0 || (stream->flags & (kStreamError | kStreamWriting)) || !(stream->flags & kStreamRead)) {
    stream->flags |= kStreamError;
    return -1;
  }
  stream->flags |= kStreamReading;
  stream->position = stream->buffer;
  // An unbuffered stream reads one byte at a time into its hold field.
  const int got = LowLevelRead(stream->handleNumber, stream->buffer, stream->size ? stream->size : 1);
  if (got > 0) {
    stream->flags &= ~kStreamEndOfFile;
    stream->level = got - 1;
    return static_cast<unsigned char>(*stream->position++);
  }
  if (got == 0) {
    stream->level = 0;
    stream->flags |= kStreamEndOfFile;
    stream->flags &= ~(kStreamReading | kStreamWriting);
    return -1;
  }
  stream->level = 0;
  stream->flags |= kStreamError;
  return -1;
}

bool PutBytes(TextStream* stream, const char* bytes, size_t count) {
  if (!(stream->flags & kStreamWrite) || stream->level > 0) {
    stream->flags |= kStreamError;
    return false;
  }
  if (stream->level == 0) {
    stream->level = EmptyWriteLevel(*stream);
    stream->position = stream->buffer;
    stream->flags |= kStreamWriting;
  }

  if (stream->flags & kStreamLineBuffered) {
    for (size_t i = 0; i < count; ++i) {
      if (BufferedOutput(*stream) == static_cast<int32_t>(stream->size) && WriteOut(stream) != 0) return false;
      *stream->position++ = bytes[i];
      ++stream->level;
      if ((bytes[i] == '\n' || bytes[i] == '\r') && WriteOut(stream) != 0) return false;
    }
    return true;
  }

  if (TranslatesInBuffer(*stream)) {
    // Translated into the room left; a full buffer, or one with no room for a
    // CR LF, is written out and filled again.
    for (;;) {
      const size_t room = stream->size - static_cast<size_t>(BufferedOutput(*stream));
      const textmode::ExpandedBlock put = textmode::ExpandLineFeeds(bytes, count, stream->position, room);
      stream->position += put.blockLength;
      stream->level += static_cast<int32_t>(put.blockLength);
      bytes += put.consumed;
      count -= put.consumed;
      if (count == 0) return true;
      if (WriteOut(stream) != 0) return false;
    }
  }

  if (count <= stream->size) {
    if (static_cast<size_t>(BufferedOutput(*stream)) + count > stream->size && WriteOut(stream) != 0) return false;
    CopyBytes(stream->position, bytes, count);
    stream->position += count;
    stream->level += static_cast<int32_t>(count);
    return true;
  }

  // Longer than the buffer: write out what waits, then pass the bytes straight on.
  if (BufferedOutput(*stream) > 0 && WriteOut(stream) != 0) return false;
  if (LowLevelWrite(stream->handleNumber, bytes, count) != static_cast<long>(count)) {
    stream->flags |= kStreamError;
    return false;
  }
  return true;
}

}  // namespace

TextStream* OpenTextFile(const char* path, const char* mode) {
  InitialiseTables();
  ScopedRuntimeLock tableLock(gStreamTableLock.Get());

  TextStream* stream = nullptr;
  for (int slot = 3; slot < kStreamSlots && !stream; ++slot)
    if (gStreams[slot].handleNumber < 0) stream = &gStreams[slot];
  if (!stream) {
    SetErrorNumber(EMFILE);
    return nullptr;
  }

  ModeRequest request;
  if (!path || !ParseMode(mode, &request)) {
    SetErrorNumber(EINVAL);
    return nullptr;
  }
  const int number = LowLevelOpen(path, request.openFlags, request.permission);
  if (number < 0) return nullptr;

  stream->handleNumber = static_cast<int8_t>(number);
  stream->flags = request.streamFlags;
  if (gHandles[number].flags & kHandleDevice) stream->flags |= kStreamTerminal;
  stream->temporaryNumber = 0;
  {
    ScopedRuntimeLock lock(LockOf(stream));
    if (!SetUpBuffer(stream)) {
      LowLevelClose(number);
      *stream = TextStream{nullptr, nullptr, 0, 0, 0, 0, 0, -1, stream->check};
      SetErrorNumber(ENOMEM, ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
  }
  return stream;
}

int SetTextFileBuffer(TextStream* stream, char* buffer, int mode, size_t size) {
  if (!IsValidStream(stream)) {
    SetErrorNumber(EBADF);
    return -1;
  }
  const bool unbuffered = mode == kUnbuffered;
  if ((mode != kFullyBuffered && mode != kLineBuffered && !unbuffered) ||
      (!unbuffered && (size == 0 || size > kLargestStreamBufferSize))) {
    SetErrorNumber(EINVAL);
    return -1;
  }
  ScopedRuntimeLock lock(LockOf(stream));
  if (StreamUsed(*stream)) {
    SetErrorNumber(EINVAL);
    return -1;
  }
  // Everything that may fail comes first, so that a refusal leaves the
  // stream as it was.
  std::unique_ptr<char[]> obtained;
  if (unbuffered) {
    buffer = reinterpret_cast<char*>(&stream->hold);
    size = 0;
  } else if (!buffer) {
    obtained.reset(new (std::nothrow) char[size]);
    buffer = obtained.get();
  }
  if (!buffer) {
    SetErrorNumber(ENOMEM, ERROR_NOT_ENOUGH_MEMORY);
    return -1;
  }
  if (stream->flags & kStreamBufferOwned) delete[] stream->buffer;
  stream->buffer = stream->position = buffer;
  stream->size = static_cast<uint32_t>(size);
  stream->flags &= ~(kStreamBufferOwned | kStreamLineBuffered);
  if (obtained) stream->flags |= kStreamBufferOwned;
  if (mode == kLineBuffered) stream->flags |= kStreamLineBuffered;
  obtained.release();
  return 0;
}

bool LockTextFile(TextStream* stream) {
  if (!IsValidStream(stream)) {
    SetErrorNumber(EBADF);
    return false;
  }
  EnterCriticalSection(LockOf(stream));
  return true;
}

void UnlockTextFile(TextStream* stream) {
  LeaveCriticalSection(LockOf(stream));
}

long ReadTextLineUnlocked(char* buffer, int n, TextStream* stream) {
  if (!buffer || n < 2 || !IsValidStream(stream)) {
    SetErrorNumber(EINVAL);
    return -1;
  }
  size_t room = static_cast<size_t>(n) - 1;
  size_t stored = 0;
  while (room > 0) {
    if (stream->level > 0) {
      const size_t available = static_cast<size_t>(stream->level) < room ? static_cast<size_t>(stream->level) : room;
      const size_t take = CopyThroughByte(buffer + stored, stream->position, available, '\n');
      stream->position += take;
      stream->level -= static_cast<int32_t>(take);
      stored += take;
      room -= take;
      if (buffer[stored - 1] == '\n') break;
    } else {
      const int byte = FillBuffer(stream);
      if (byte < 0) {
        stream->flags |= kStreamEndOfFile;
        break;
      }
      buffer[stored++] = static_cast<char>(byte);
      --room;
      if (byte == '\n') break;
    }
  }
  if (stored == 0) return -1;
  buffer[stored] = '\0';
  if (stream->flags & kStreamError) return -1;
  return static_cast<long>(stored);
}

long ReadTextLine(char* buffer, int n, TextStream* stream) {
  if (!IsValidStream(stream)) return ReadTextLineUnlocked(buffer, n, stream);
  ScopedRuntimeLock lock(LockOf(stream));
  return ReadTextLineUnlocked(buffer, n, stream);
}

int WriteTextLineUnlocked(const char* text, size_t length, TextStream* stream) {
  if (!IsValidStream(stream)) {
    SetErrorNumber(EBADF);
    return -1;
  }
  if (!text || length == 0) return 0;
  if (!PutBytes(stream, text, length)) return -1;
  return static_cast<unsigned char>(text[length - 1]);
}

int WriteTextLine(const char* text, size_t length, TextStream* stream) {
  if (!IsValidStream(stream)) return WriteTextLineUnlocked(text, length, stream);
  ScopedRuntimeLock lock(LockOf(stream));
  return WriteTextLineUnlocked(text, length, stream);
}

int FlushTextFile(TextStream* stream) {
  if (!IsValidStream(stream)) {
    SetErrorNumber(EBADF);
    return -1;
  }
  ScopedRuntimeLock lock(LockOf(stream));
  return WriteOut(stream);
}

int CloseTextFile(TextStream* stream) {
  if (!IsValidStream(stream)) {
    SetErrorNumber(EBADF);
    return -1;
  }
  ScopedRuntimeLock lock(LockOf(stream));
  int result = 0;
  if (stream->buffer) {
    if (stream->level < 0 && WriteOut(stream) != 0) result = -1;
    if (stream->flags & kStreamBufferOwned) delete[] stream->buffer;
  }
  // The handle and the slot are released even after a failed write-out: the
  // caller cannot do anything more with the stream, and keeping them would only
  // use up the tables.
  if (LowLevelClose(stream->handleNumber) != 0) result = -1;
  *stream = TextStream{nullptr, nullptr, 0, 0, 0, 0, 0, -1, stream->check};
  return result;
}

bool TextStreamFailed(const TextStream* stream) {
  return !IsValidStream(stream) || (stream->flags & kStreamError) != 0;
}

void* TextStreamHandle(const TextStream* stream) {
  return IsValidStream(stream) ? EntryOf(stream)->handle : nullptr;
}

int InspectEndOfFileMark(TextStream* stream, EndOfFileMarkReport* report) {
  if (!IsValidStream(stream) || !report) {
    SetErrorNumber(EINVAL);
    return -1;
  }
  ScopedRuntimeLock lock(LockOf(stream));
  ScopedRuntimeLock handleLock(gHandleLocks.LockFor(static_cast<size_t>(stream->handleNumber)));
  HandleEntry& entry = *EntryOf(stream);
  *report = EndOfFileMarkReport{};
  if (!(entry.flags & kHandleEndOfFileMarkSeen)) return 0;
  report->markSeen = true;
  report->markOffset = entry.endOfFileMarkOffset;
  report->otherDataFollows = entry.dataAfterEndOfFileMark;
  char rest[4096];
  while (!report->otherDataFollows) {
    DWORD got = 0;
    if (!ReadFile(entry.handle, rest, sizeof rest, &got, nullptr)) {
      SetErrorFromSystem(GetLastError());
      return -1;
    }
    if (got == 0) break;
    report->otherDataFollows = !textmode::OnlyEndOfFileMarks(rest, got);
  }
  entry.dataAfterEndOfFileMark = report->otherDataFollows;
  return 0;
}

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

int LastErrorNumber() {
  return gErrorNumber;
}

unsigned long LastSystemError() {
  return gSystemError;
}

}  // namespace textfile
