// Buffered text-mode files: open, line read, line write, write-out, close and
// the existence test, over the platform's file calls. Reading removes every CR
// and ends the data at the first Ctrl-Z; writing turns LF into CR LF. Results,
// not exceptions, report failures; the process error number says why.
#pragma once

#include <cstddef>
#include <cstdint>

namespace textfile {

constexpr int kStreamSlots = 50;   // slots 0 to 2 are the standard streams
constexpr int kHandleSlots = 50;   // entries 0 to 2 hold the standard handles
constexpr uint32_t kStreamBufferSize = 512;   // what OpenTextFile gives every stream
constexpr size_t kLargestStreamBufferSize = size_t{1} << 30;   // for SetTextFileBuffer

// Buffering modes of SetTextFileBuffer, as setvbuf's _IOFBF, _IOLBF and _IONBF.
enum TextBufferMode : int {
  kFullyBuffered = 0,
  kLineBuffered = 1,   // written out after every LF or CR
  kUnbuffered = 2,
};

// Stream flags.
enum : uint16_t {
  kStreamRead = 0x0001,
  kStreamWrite = 0x0002,
  kStreamBufferOwned = 0x0004,
  kStreamLineBuffered = 0x0008,
  kStreamError = 0x0010,
  kStreamEndOfFile = 0x0020,
  kStreamBinary = 0x0040,
  kStreamReading = 0x0080,
  kStreamWriting = 0x0100,
  kStreamTerminal = 0x0200,
};

// One slot of the stream table; what OpenTextFile returns.
struct TextStream {
  char* position;           // next byte to take from or put into the buffer
  char* buffer;
  int32_t level;            // >0 unread bytes; <0 writing, (level + size + 1) bytes buffered
  uint32_t size;            // buffer size; 0 for an unbuffered stream
  uint16_t temporaryNumber; // 0: files opened by path are never temporary
  uint16_t flags;
  uint16_t hold;            // one-byte buffer of an unbuffered stream
  int8_t handleNumber;      // index into the handle table; -1 marks a free slot
  uint8_t check;            // fixed per slot; a stream that fails it is refused
};

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

// Reads one line (LF kept) into buffer, at most n - 1 bytes and a terminating
// zero; a longer line comes in pieces. Returns the number of bytes stored, or
// -1 for none: end of data, or a read error (also when part of the line had
// been stored). The buffer is untouched when nothing was stored. n >= 2.
long ReadTextLine(char* buffer, int n, TextStream* stream);

// Writes text[0, length); zero bytes are written like any other. Returns the
// last byte written (0 to 255), 0 for an empty text, -1 on failure.
int WriteTextLine(const char* text, size_t length, TextStream* stream);

// A stream's lock is taken for each operation on it. A caller that reads or
// writes many lines in a row may hold it instead and use the Unlocked forms,
// as with flockfile and getc_unlocked: one lock for the run instead of one per
// line. The lock is recursive; unlock before closing. LockTextFile is false
// (error number EBADF) for a stream that is not open.
bool LockTextFile(TextStream* stream);
void UnlockTextFile(TextStream* stream);
long ReadTextLineUnlocked(char* buffer, int n, TextStream* stream);
int WriteTextLineUnlocked(const char* text, size_t length, TextStream* stream);

// Holds a stream's lock for the guard's lifetime.
class TextFileLock {
public:
  explicit TextFileLock(TextStream* stream) : stream_(LockTextFile(stream) ? stream : nullptr) {}
  ~TextFileLock() {
    if (stream_) UnlockTextFile(stream_);
  }
  TextFileLock(const TextFileLock&) = delete;
  TextFileLock& operator=(const TextFileLock&) = delete;

private:
  TextStream* stream_;  // not owned; nullptr when it could not be locked
};

// Writes out the buffered output of a writing stream. 0, or -1 on failure.
int FlushTextFile(TextStream* stream);

// Writes out, releases the buffer and closes the file. 0, or -1 when the final
// write-out or the platform close failed; the slot is freed either way.
int CloseTextFile(TextStream* stream);

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

// The status record of the existence test.
struct PathStatus {
  enum Kind : uint8_t { kNone, kRegular, kFolder, kCharacterDevice, kPipe };
  Kind kind = kNone;
  bool readable = false, writable = false, executable = false;
  uint32_t linkCount = 0;
  uint64_t size = 0;
  int64_t lastAccessTime = 0, lastWriteTime = 0, creationTime = 0;  // seconds since 1970
};

// 0 when the path names an existing file, folder, drive root or device (the
// last component may hold "*" and "?": a match counts), -1 when not.
int QueryPathStatus(const char* path, PathStatus* status);

// Why the last failing operation failed: an errno value (ENOENT, EACCES,
// ENOSPC, ...) and the platform error code behind it, if any.
int LastErrorNumber();
unsigned long LastSystemError();

}  // namespace textfile
