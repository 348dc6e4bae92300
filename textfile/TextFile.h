// Buffered text-mode files: open, line read, line write, write-out, close and
// the existence test, over the platform's file calls. Reading removes every CR
// and ends the data at the first Ctrl-Z; writing turns LF into CR LF. Results,
// not exceptions, report failures; the process error number says why. This is
// the layer's entry: it brings the stream, lock, status and error headers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textfile/ErrorNumber.h"
#include "textfile/PathStatus.h"
#include "textfile/TextFileLock.h"
#include "textfile/TextStream.h"

namespace textfile {

// Opens a file; mode is "r", "w" or "a", then "t" (text) or "b" (binary), and
// "+" for reading and writing. nullptr on failure.
TextStream* OpenTextFile(const char* path, const char* mode);

// Gives an open stream another buffer, as setvbuf does: allowed only before the
// stream's first read or write. A buffered mode takes size bytes (1 to
// kLargestStreamBufferSize) at buffer, which stays the caller's and must last
// until the stream is closed; with a null buffer they are obtained here and
// released at close. kUnbuffered ignores buffer and size. The buffer given at
// open is released. A fully buffered text stream with more than the standard
// 512 bytes keeps its output translated in the buffer (LF put in as CR LF), so
// that a write-out is one platform write of the whole buffer instead of one per
// 128-byte block. 0, or -1 (error number EBADF for a stream that is not open,
// EINVAL for a bad mode or size or a stream already read or written, ENOMEM);
// a refusal leaves the stream as it was.
int SetTextFileBuffer(TextStream* stream, char* buffer, int mode, size_t size);

// How a text stream's reading treats a CR. kRemoved, what every stream does
// unless told otherwise: each CR is dropped, so a line that ends in a CR alone
// runs into the next. kLineEnd: a run of CRs, with the LF right after it if
// there is one, is one line end and reads as one LF; CR LF and CR CR LF read
// as with kRemoved.
enum class CarriageReturnReading { kRemoved, kLineEnd };

// Sets how a text stream opened for reading treats CRs; allowed only before
// its first read. 0, or -1 (error number EBADF for a stream that is not open,
// EINVAL for a binary or writing stream or one already read).
int SetCarriageReturnReading(TextStream* stream, CarriageReturnReading reading);

// Reads one line (LF kept) into buffer, at most n - 1 bytes and a terminating
// zero; a longer line comes in pieces. Returns the number of bytes stored, or
// -1 for none: end of data, or a read error (also when part of the line had
// been stored). The buffer is untouched when nothing was stored. n >= 2.
long ReadTextLine(char* buffer, int n, TextStream* stream);

// Writes text[0, length); zero bytes are written like any other. Returns the
// last byte written (0 to 255), 0 for an empty text, -1 on failure.
int WriteTextLine(const char* text, size_t length, TextStream* stream);

// The forms of ReadTextLine and WriteTextLine for a caller that holds the
// stream's lock (TextFileLock).
long ReadTextLineUnlocked(char* buffer, int n, TextStream* stream);
int WriteTextLineUnlocked(const char* text, size_t length, TextStream* stream);

// Writes out the buffered output of a writing stream. 0, or -1 on failure.
int FlushTextFile(TextStream* stream);

// Writes out, releases the buffer and closes the file. 0, or -1 when the final
// write-out or the platform close failed; the slot is freed either way.
int CloseTextFile(TextStream* stream);

// The standard streams, always open, over the process's standard handles as
// they were when the layer was first used; text mode, and without a buffer
// until SetTextFileBuffer gives them one (which reading needs). Never closed.
enum class StandardStream { kInput = 0, kOutput = 1, kError = 2 };
TextStream* StandardTextStream(StandardStream which);

// True once a read or write on the stream has failed.
bool TextStreamFailed(const TextStream* stream);

// The platform file handle behind an open stream (a HANDLE), for queries such
// as its file type or size; nullptr for a stream that is not open. The stream
// keeps owning it.
void* TextStreamHandle(const TextStream* stream);

// What lies past the end-of-file mark that ended a stream's data.
struct EndOfFileMarkReport {
  bool markSeen = false;
  int64_t markOffset = -1;        // file offset of the first Ctrl-Z
  bool otherDataFollows = false;  // a byte other than Ctrl-Z comes after it
};

// Once reading has met the end-of-file mark, looks at the rest of the file
// (reading it without translation) to tell whether anything but further marks
// follows. 0, or -1 when the rest cannot be read.
int InspectEndOfFileMark(TextStream* stream, EndOfFileMarkReport* report);

}  // namespace textfile
