// The text stream: one slot of the stream table, what OpenTextFile returns,
// with its flags and buffer sizes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace textfile {

constexpr int kStreamSlots = 50;                              // slots 0 to 2 are the standard streams
constexpr uint32_t kStreamBufferSize = 512;                   // what OpenTextFile gives every stream
constexpr size_t kLargestStreamBufferSize = size_t{1} << 30;  // for SetTextFileBuffer

// Buffering modes of SetTextFileBuffer, as setvbuf's _IOFBF, _IOLBF and _IONBF.
enum TextBufferMode : int {
  kFullyBuffered = 0,
  kLineBuffered = 1,  // written out after every LF or CR
  kUnbuffered = 2,
};

// Stream flags.
enum : uint16_t {
  kStreamRead = 0x0001,
  kStreamWrite = 0x0002,
  kStreamBufferOwned = 0x0004,  // the stream table holds the buffer and releases it at close
  kStreamLineBuffered = 0x0008,
  kStreamError = 0x0010,
  kStreamEndOfFile = 0x0020,
  kStreamBinary = 0x0040,
  kStreamReading = 0x0080,
  kStreamWriting = 0x0100,
  kStreamTerminal = 0x0200,
};

// One slot of the stream table; what OpenTextFile returns. The buffer is
// owned by the stream table (kStreamBufferOwned) or by the caller who gave it.
struct TextStream {
  char* position;            // next byte to take from or put into the buffer
  char* buffer;              // not owned: see above
  int32_t level;             // >0 unread bytes; <0 writing, (level + size + 1) bytes buffered
  uint32_t size;             // buffer size; 0 for an unbuffered stream
  uint16_t temporaryNumber;  // 0: files opened by path are never temporary
  uint16_t flags;
  uint16_t hold;        // one-byte buffer of an unbuffered stream
  int8_t handleNumber;  // index into the handle table; -1 marks a free slot
  uint8_t check;        // fixed per slot; a stream that fails it is refused
};

}  // namespace textfile
