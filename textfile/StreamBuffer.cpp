// Stream buffers: fill, put and write-out over the handle table.
#include "textfile/StreamBuffer.h"

#include <cstdlib>
#include <memory>
#include <new>
#include <utility>

#include "runtime/ByteSearch.h"
#include "textfile/HandleTable.h"
#include "textfile/StreamTable.h"
#include "textfile/TextTranslation.h"

namespace textfile {
namespace {

bool gExitWriteOutRegistered = false;

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

// Registered with atexit: output still buffered at process end is written.
void WriteOutAllStreams() {
  StreamTable& streams = StreamTable::Instance();
  ScopedRuntimeLock tableLock(streams.TableLock());
  for (int slot = 0; slot < kStreamSlots; ++slot) {
    TextStream& stream = streams.Slot(slot);
    if (stream.handleNumber < 0 || stream.level >= 0) continue;
    ScopedRuntimeLock lock(streams.LockOf(&stream));
    WriteOut(&stream);
  }
}

}  // namespace

bool StreamUsed(const TextStream& stream) {
  return stream.level != 0 || (stream.flags & (kStreamReading | kStreamWriting | kStreamEndOfFile | kStreamError));
}

bool SetUpBuffer(TextStream* stream) {
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kStreamBufferSize]);
  if (!buffer) return false;
  stream->buffer = stream->position = buffer.get();
  stream->size = kStreamBufferSize;
  stream->level = 0;
  StreamTable::Instance().HoldBuffer(stream, std::move(buffer));
  if (stream->flags & kStreamTerminal) stream->flags |= kStreamLineBuffered;
  if (!gExitWriteOutRegistered) {
    gExitWriteOutRegistered = true;
    std::atexit(WriteOutAllStreams);
  }
  return true;
}

int WriteOut(TextStream* stream) {
  if (stream->level >= 0 || !stream->buffer) return 0;
  const int32_t count = BufferedOutput(*stream);
  stream->level = EmptyWriteLevel(*stream);
  stream->position = stream->buffer;
  const long written = HandleTable::Instance().Write(stream->handleNumber, stream->buffer, static_cast<size_t>(count),
                                                     TranslatesInBuffer(*stream));
  if (written != count && !(stream->flags & kStreamTerminal)) {
    stream->flags |= kStreamError;
    return -1;
  }
  return 0;
}

int FillBuffer(TextStream* stream) {
  if (stream->level < 0 || (stream->flags & (kStreamError | kStreamWriting)) || !(stream->flags & kStreamRead)) {
    stream->flags |= kStreamError;
    return -1;
  }
  stream->flags |= kStreamReading;
  stream->position = stream->buffer;
  // An unbuffered stream reads one byte at a time into its hold field.
  const int got = HandleTable::Instance().Read(stream->handleNumber, stream->buffer, stream->size ? stream->size : 1);
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
  if (HandleTable::Instance().Write(stream->handleNumber, bytes, count) != static_cast<long>(count)) {
    stream->flags |= kStreamError;
    return false;
  }
  return true;
}

}  // namespace textfile
