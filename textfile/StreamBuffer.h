// A stream's buffer: setting it up, filling it from the file, putting bytes
// into it and writing it out. Callers hold the stream's lock.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textfile/TextStream.h"

namespace textfile {

// The level of a writing stream whose buffer is empty.
constexpr int32_t EmptyWriteLevel(const TextStream& stream) {
  return -static_cast<int32_t>(stream.size + 1);
}

// A stream that has been read or written keeps its buffer.
bool StreamUsed(const TextStream& stream);

// Gives a newly opened stream its standard buffer; false when memory is short.
bool SetUpBuffer(TextStream* stream);

// Takes the next byte through a buffer fill; -1 when there is none.
int FillBuffer(TextStream* stream);

// Puts count bytes into a writing stream; false on failure.
bool PutBytes(TextStream* stream, const char* bytes, size_t count);

// Write-out of a writing stream; one that is not writing has nothing to do.
// 0, or -1 on failure.
int WriteOut(TextStream* stream);

}  // namespace textfile
