// Text-mode byte translations.
#include "textfile/TextTranslation.h"

#include <cstring>

namespace textmode {

size_t RemoveCarriageReturns(char* data, size_t length) {
  if (length == 0) return 0;
  char* const end = data + length;
  char* cr = static_cast<char*>(std::memchr(data, kCarriageReturn, length));
  if (!cr) return length;
  // Move each run between CRs down in one piece.
  char* write = cr;
  const char* read = cr + 1;
  while (read < end) {
    const char* next = static_cast<const char*>(std::memchr(read, kCarriageReturn, static_cast<size_t>(end - read)));
    const char* runEnd = next ? next : end;
    const size_t run = static_cast<size_t>(runEnd - read);
    std::memmove(write, read, run);
    write += run;
    read = next ? next + 1 : end;
  }
  return static_cast<size_t>(write - data);
}

size_t FindEndOfFileMark(const char* data, size_t length) {
  if (length == 0) return 0;
  const void* mark = std::memchr(data, kEndOfFileMark, length);
  return mark ? static_cast<size_t>(static_cast<const char*>(mark) - data) : length;
}

bool OnlyEndOfFileMarks(const char* data, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (data[i] != kEndOfFileMark) return false;
  return true;
}

ExpandedBlock ExpandLineFeeds(const char* source, size_t length, char (&block)[kOutputBlockSize]) {
  size_t taken = 0;
  size_t stored = 0;
  while (taken < length && stored < kOutputBlockSize) {
    const size_t room = kOutputBlockSize - stored;
    const size_t available = length - taken;
    const size_t span = available < room ? available : room;
    const void* lf = std::memchr(source + taken, kLineFeed, span);
    const size_t run = lf ? static_cast<size_t>(static_cast<const char*>(lf) - (source + taken)) : span;
    std::memcpy(block + stored, source + taken, run);
    stored += run;
    taken += run;
    if (!lf) continue;  // the block is full or the source is used up
    if (kOutputBlockSize - stored < 2) break;  // the LF starts the next block
    block[stored++] = kCarriageReturn;
    block[stored++] = kLineFeed;
    ++taken;
  }
  return {taken, stored};
}

}  // namespace textmode
