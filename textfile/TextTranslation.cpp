// Text-mode byte translations.
#include "textfile/TextTranslation.h"

#include "runtime/ByteSearch.h"

namespace textmode {

size_t RemoveCarriageReturns(char* data, size_t length) {
  const char* cr = FindByte(data, length, kCarriageReturn);
  if (!cr) return length;
  char* write = data + (cr - data);
  const char* read = cr + 1;
  const char* const end = data + length;
  // 32 bytes a step: a step without CR moves down whole; one with a CR moves
  // the bytes before it and goes on after it. The 32 bytes stored may reach
  // past those that count, but never past the bytes the step loaded, and only
  // where the gap left by the CRs removed is that wide or the step holds no CR.
  while (end - read >= 32) {
    const uint32_t crs = ByteMask32(read, kCarriageReturn);
    if (!crs) {
      Copy32(write, read);
      write += 32;
      read += 32;
      continue;
    }
    const unsigned run = LowestBit(crs);
    if (read - write >= 32)
      Copy32(write, read);
    else
      CopyBytes(write, read, run);
    write += run;
    read += run + 1;
  }
  while (read < end) {
    const char* next = FindByte(read, static_cast<size_t>(end - read), kCarriageReturn);
    const char* runEnd = next ? next : end;
    CopyBytes(write, read, static_cast<size_t>(runEnd - read));
    write += runEnd - read;
    read = next ? next + 1 : end;
  }
  return static_cast<size_t>(write - data);
}

size_t TranslateCarriageReturnLineEnds(char* data, size_t length, bool* inRun) {
  const char* read = data;
  const char* const end = data + length;
  char* write = data;
  // Past the rest of the run that read stands in, and the LF that ends it.
  auto skipRestOfRun = [&] {
    while (read < end && *read == kCarriageReturn) ++read;
    if (read == end) return;  // the run may go on in the next piece
    if (*read == kLineFeed) ++read;
    *inRun = false;
  };
  if (*inRun) skipRestOfRun();
  while (read < end) {
    const char* cr = FindByte(read, static_cast<size_t>(end - read), kCarriageReturn);
    const size_t kept = static_cast<size_t>((cr ? cr : end) - read);
    if (write != read) CopyBytes(write, read, kept);
    write += kept;
    if (!cr) break;
    *write++ = kLineFeed;
    read = cr + 1;
    *inRun = true;
    skipRestOfRun();
  }
  return static_cast<size_t>(write - data);
}

size_t FindEndOfFileMark(const char* data, size_t length) {
  const char* mark = FindByte(data, length, kEndOfFileMark);
  return mark ? static_cast<size_t>(mark - data) : length;
}

bool OnlyEndOfFileMarks(const char* data, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (data[i] != kEndOfFileMark) return false;
  return true;
}

ExpandedBlock ExpandLineFeeds(const char* source, size_t length, char* block, size_t blockSize) {
  size_t taken = 0;
  size_t stored = 0;
  while (taken < length && stored < blockSize) {
    const size_t room = blockSize - stored;
    const size_t available = length - taken;
    const size_t span = available < room ? available : room;
    const char* lf = FindByte(source + taken, span, kLineFeed);
    const size_t run = lf ? static_cast<size_t>(lf - (source + taken)) : span;
    CopyBytes(block + stored, source + taken, run);
    stored += run;
    taken += run;
    if (!lf) continue;                  // the block is full or the source is used up
    if (blockSize - stored < 2) break;  // the LF starts the next block
    block[stored++] = kCarriageReturn;
    block[stored++] = kLineFeed;
    ++taken;
  }
  return {taken, stored};
}

}  // namespace textmode
