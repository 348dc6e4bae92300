// The byte translations of text-mode files, free of any platform call:
// reading drops carriage returns (or, where asked, reads CR line ends as LF)
// and stops at the end-of-file mark, writing turns each line feed into CR LF
// in blocks of a size the caller chooses.
#pragma once

#include <cstddef>

namespace textmode {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kEndOfFileMark = '\x1A';   // Ctrl-Z
constexpr size_t kOutputBlockSize = 128;  // the block of a stream with the standard buffer

// Removes every CR from data[0, length) in place, closing the gaps; returns the
// number of bytes left.
size_t RemoveCarriageReturns(char* data, size_t length);

// Reads CRs as line ends, in place: each run of CRs, together with the LF right
// after it if there is one, becomes one LF; every other byte stays. So CR LF
// and CR CR LF read as RemoveCarriageReturns reads them, while a line that ends
// in a CR alone keeps its end. Returns the number of bytes left. The data may
// come in pieces: *inRun is true when the last piece ended inside a run (its LF
// already delivered), so that CRs and an LF at the start of the next piece
// still belong to it; false before the first piece.
size_t TranslateCarriageReturnLineEnds(char* data, size_t length, bool* inRun);

// Offset of the first end-of-file mark in data[0, length), or length when none.
size_t FindEndOfFileMark(const char* data, size_t length);

// True when data[0, length) holds nothing but end-of-file marks (or nothing).
bool OnlyEndOfFileMarks(const char* data, size_t length);

struct ExpandedBlock {
  size_t consumed;     // source bytes taken
  size_t blockLength;  // bytes stored in the block
};

// Fills one output block of blockSize bytes from source[0, length): bytes are
// copied up to each LF, which becomes CR LF when two bytes of the block are
// free; otherwise the block ends there and the LF is left for the next block.
// A run of other bytes fills the block to exactly blockSize.
ExpandedBlock ExpandLineFeeds(const char* source, size_t length, char* block, size_t blockSize);

}  // namespace textmode
