// The text-file layer's operations on streams: open, buffer setting, line
// read and write, write-out, close, and the end-of-file mark report.
#include "textfile/TextFile.h"

#include <windows.h>

#include <cerrno>
#include <memory>
#include <new>
#include <utility>

#include "runtime/ByteSearch.h"
#include "textfile/HandleTable.h"
#include "textfile/ModeRequest.h"
#include "textfile/StreamBuffer.h"
#include "textfile/StreamTable.h"
#include "textfile/TextTranslation.h"

namespace textfile {
namespace {

StreamTable& Streams() {
  return StreamTable::Instance();
}

HandleTable& Handles() {
  return HandleTable::Instance();
}

}  // namespace

TextStream* OpenTextFile(const char* path, const char* mode) {
  StreamTable& streams = Streams();
  ScopedRuntimeLock tableLock(streams.TableLock());

  TextStream* stream = streams.FindFreeSlot();
  if (!stream) {
    SetErrorNumber(EMFILE);
    return nullptr;
  }

  ModeRequest request;
  if (!path || !ParseMode(mode, &request)) {
    SetErrorNumber(EINVAL);
    return nullptr;
  }
  const int number = Handles().Open(path, request.openFlags, request.permission);
  if (number < 0) return nullptr;

  stream->handleNumber = static_cast<int8_t>(number);
  stream->flags = request.streamFlags;
  if (Handles().Entry(number).flags & kHandleDevice) stream->flags |= kStreamTerminal;
  stream->temporaryNumber = 0;
  {
    ScopedRuntimeLock lock(streams.LockOf(stream));
    if (!SetUpBuffer(stream)) {
      Handles().Close(number);
      streams.Free(stream);
      SetErrorNumber(ENOMEM, ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
  }
  return stream;
}

int SetTextFileBuffer(TextStream* stream, char* buffer, int mode, size_t size) {
  if (!Streams().IsValid(stream)) {
    SetErrorNumber(EBADF);
    return -1;
  }
  const bool unbuffered = mode == kUnbuffered;
  if ((mode != kFullyBuffered && mode != kLineBuffered && !unbuffered) ||
      (!unbuffered && (size == 0 || size > kLargestStreamBufferSize))) {
    SetErrorNumber(EINVAL);
    return -1;
  }
  ScopedRuntimeLock lock(Streams().LockOf(stream));
  if (StreamUsed(*stream)) {
    SetErrorNumber(EINVAL);
    return -1;
  }
  // Everything that may fail comes first, so that a refusal leaves the
  // stream as it was. A caller's buffer (and the hold field) is not owned:
  // only what is obtained here goes to the stream table, released at close.
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
  stream->buffer = stream->position = buffer;
  stream->size = static_cast<uint32_t>(size);
  Streams().HoldBuffer(stream, std::move(obtained));  // releases the buffer held before
  stream->flags &= ~kStreamLineBuffered;
  if (mode == kLineBuffered) stream->flags |= kStreamLineBuffered;
  return 0;
}

int SetCarriageReturnReading(TextStream* stream, CarriageReturnReading reading) {
  if (!Streams().IsValid(stream)) {
    SetErrorNumber(EBADF);
    return -1;
  }
  ScopedRuntimeLock lock(Streams().LockOf(stream));
  if (StreamUsed(*stream) || (stream->flags & kStreamBinary) || !(stream->flags & kStreamRead)) {
    SetErrorNumber(EINVAL);
    return -1;
  }
  ScopedRuntimeLock handleLock(Handles().LockOf(stream->handleNumber));
  HandleEntry& entry = Handles().Entry(stream->handleNumber);
  entry.carriageReturnsEndLines = reading == CarriageReturnReading::kLineEnd;
  entry.inCarriageReturnRun = false;
  return 0;
}

bool LockTextFile(TextStream* stream) {
  if (!Streams().IsValid(stream)) {
    SetErrorNumber(EBADF);
    return false;
  }
  EnterCriticalSection(Streams().LockOf(stream));
  return true;
}

void UnlockTextFile(TextStream* stream) {
  LeaveCriticalSection(Streams().LockOf(stream));
}

long ReadTextLineUnlocked(char* buffer, int n, TextStream* stream) {
  if (!buffer || n < 2 || !Streams().IsValid(stream)) {
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
  if (!Streams().IsValid(stream)) return ReadTextLineUnlocked(buffer, n, stream);
  ScopedRuntimeLock lock(Streams().LockOf(stream));
  return ReadTextLineUnlocked(buffer, n, stream);
}

int WriteTextLineUnlocked(const char* text, size_t length, TextStream* stream) {
  if (!Streams().IsValid(stream)) {
    SetErrorNumber(EBADF);
    return -1;
  }
  if (!text || length == 0) return 0;
  if (!PutBytes(stream, text, length)) return -1;
  return static_cast<unsigned char>(text[length - 1]);
}

int WriteTextLine(const char* text, size_t length, TextStream* stream) {
  if (!Streams().IsValid(stream)) return WriteTextLineUnlocked(text, length, stream);
  ScopedRuntimeLock lock(Streams().LockOf(stream));
  return WriteTextLineUnlocked(text, length, stream);
}

int FlushTextFile(TextStream* stream) {
  if (!Streams().IsValid(stream)) {
    SetErrorNumber(EBADF);
    return -1;
  }
  ScopedRuntimeLock lock(Streams().LockOf(stream));
  return WriteOut(stream);
}

int CloseTextFile(TextStream* stream) {
  if (!Streams().IsValid(stream)) {
    SetErrorNumber(EBADF);
    return -1;
  }
  ScopedRuntimeLock lock(Streams().LockOf(stream));
  int result = 0;
  if (stream->buffer && stream->level < 0 && WriteOut(stream) != 0) result = -1;
  // The handle and the slot are released even after a failed write-out: the
  // caller cannot do anything more with the stream, and keeping them would only
  // use up the tables.
  if (Handles().Close(stream->handleNumber) != 0) result = -1;
  Streams().Free(stream);  // with the buffer obtained for it
  return result;
}

bool TextStreamFailed(const TextStream* stream) {
  return !Streams().IsValid(stream) || (stream->flags & kStreamError) != 0;
}

TextStream* StandardTextStream(StandardStream which) {
  return &Streams().Slot(static_cast<int>(which));
}

void* TextStreamHandle(const TextStream* stream) {
  return Streams().IsValid(stream) ? Handles().Entry(stream->handleNumber).Handle() : nullptr;
}

int InspectEndOfFileMark(TextStream* stream, EndOfFileMarkReport* report) {
  if (!Streams().IsValid(stream) || !report) {
    SetErrorNumber(EINVAL);
    return -1;
  }
  ScopedRuntimeLock lock(Streams().LockOf(stream));
  ScopedRuntimeLock handleLock(Handles().LockOf(stream->handleNumber));
  HandleEntry& entry = Handles().Entry(stream->handleNumber);
  *report = EndOfFileMarkReport{};
  if (!(entry.flags & kHandleEndOfFileMarkSeen)) return 0;
  report->markSeen = true;
  report->markOffset = entry.endOfFileMarkOffset;
  report->otherDataFollows = entry.dataAfterEndOfFileMark;
  char rest[4096];
  while (!report->otherDataFollows) {
    DWORD got = 0;
    if (!ReadFile(entry.Handle(), rest, sizeof rest, &got, nullptr)) {
      if (GetLastError() == ERROR_BROKEN_PIPE) break;  // the writer has gone: the end
      SetErrorFromSystem(GetLastError());
      return -1;
    }
    if (got == 0) break;
    report->otherDataFollows = !textmode::OnlyEndOfFileMarks(rest, got);
  }
  entry.dataAfterEndOfFileMark = report->otherDataFollows;
  return 0;
}

}  // namespace textfile
