// The handle table over CreateFileA, ReadFile, WriteFile and CloseHandle.
#include "textfile/HandleTable.h"

#include <cerrno>
#include <utility>

#include "textfile/ErrorNumber.h"
#include "textfile/ModeRequest.h"
#include "textfile/TextTranslation.h"

namespace textfile {
namespace {

int64_t CurrentFileOffset(HANDLE handle) {
  LARGE_INTEGER position{};
  const LARGE_INTEGER zero{};
  return SetFilePointerEx(handle, zero, &position, FILE_CURRENT) ? position.QuadPart : -1;
}

// Notes where the end-of-file mark stood: `bytesAfterMark` of what the last
// platform read returned lie after the mark in the file.
void NoteEndOfFileMark(HandleEntry& entry, const char* afterMark, size_t bytesAfterMark) {
  entry.flags |= kHandleEndOfFileMarkSeen;
  const int64_t position = CurrentFileOffset(entry.Handle());
  const int64_t offset = position < 0 ? entry.bytesRead : position;
  entry.endOfFileMarkOffset = offset - static_cast<int64_t>(bytesAfterMark) - 1;
  entry.dataAfterEndOfFileMark = !textmode::OnlyEndOfFileMarks(afterMark, bytesAfterMark);
}

// The bytes as they are; a pipe whose writer has gone is at its end.
int ReadBinary(HANDLE handle, char* destination, unsigned count) {
  DWORD got = 0;
  if (!ReadFile(handle, destination, count, &got, nullptr)) {
    const DWORD error = GetLastError();
    if (error == ERROR_BROKEN_PIPE) return 0;
    SetErrorFromSystem(error);
    return -1;
  }
  return static_cast<int>(got);
}

// A piece ending in CR: puts the byte after it in the CR's place, so that a
// CR LF split between two pieces still loses only its CR. (CRs read as line
// ends carry a run on to the next piece instead.) A pipe whose writer has gone
// has no further byte: the CR stays. A Ctrl-Z there ends the data, and *kept
// then leaves it out. False on a read error, with the error number set.
bool ReplaceCarriageReturnAtEnd(HandleEntry& entry, char* piece, size_t* kept) {
  DWORD one = 0;
  if (!ReadFile(entry.Handle(), piece + *kept - 1, 1, &one, nullptr)) {
    const DWORD error = GetLastError();
    if (error != ERROR_BROKEN_PIPE) {
      SetErrorFromSystem(error);
      return false;
    }
  }
  entry.bytesRead += one;
  if (one == 1 && piece[*kept - 1] == textmode::kEndOfFileMark) {
    NoteEndOfFileMark(entry, nullptr, 0);
    --*kept;
  }
  return true;
}

// Reads in text mode: every CR removed (or read as a line end), the data
// ending at the first Ctrl-Z. The bytes delivered, 0 at the end, -1 on error.
int ReadText(HandleEntry& entry, char* destination, unsigned count) {
  unsigned total = 0;
  while (total < count) {
    char* piece = destination + total;
    const unsigned asked = count - total;
    DWORD got = 0;
    if (!ReadFile(entry.Handle(), piece, asked, &got, nullptr)) {
      const DWORD error = GetLastError();
      if (error == ERROR_BROKEN_PIPE) break;
      SetErrorFromSystem(error);
      return -1;
    }
    if (got == 0) break;
    entry.bytesRead += got;

    size_t kept = textmode::FindEndOfFileMark(piece, got);
    if (kept < got) {
      NoteEndOfFileMark(entry, piece + kept + 1, got - kept - 1);
      if (kept == 0) break;
    } else if (piece[kept - 1] == textmode::kCarriageReturn && !entry.carriageReturnsEndLines) {
      if (!ReplaceCarriageReturnAtEnd(entry, piece, &kept)) return -1;
    }

    const size_t delivered = entry.carriageReturnsEndLines
                                 ? textmode::TranslateCarriageReturnLineEnds(piece, kept, &entry.inCarriageReturnRun)
                                 : textmode::RemoveCarriageReturns(piece, kept);
    total += static_cast<unsigned>(delivered);
    if ((entry.flags & kHandleEndOfFileMarkSeen) || delivered > 0 || ((entry.flags & kHandleDevice) && got < asked))
      break;
    // The piece was nothing but CRs (or the rest of a line end): read again
    // into the same place.
  }
  return static_cast<int>(total);
}

}  // namespace

HandleTable& HandleTable::Instance() {
  static HandleTable* const table = new HandleTable();
  return *table;
}

HandleTable::HandleTable() {
  const DWORD standardHandles[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  for (int n = 0; n < 3; ++n) {
    HandleEntry& entry = entries_[n];
    entry.standard = GetStdHandle(standardHandles[n]);
    entry.flags = static_cast<unsigned>(n == 0 ? kOpenReadOnly : kOpenWriteOnly) | kHandleText;
    if (entry.standard && entry.standard != INVALID_HANDLE_VALUE && GetFileType(entry.standard) == FILE_TYPE_CHAR)
      entry.flags |= kHandleDevice;
  }
}

int HandleTable::Open(const char* path, unsigned openFlags, unsigned permission) {
  ScopedRuntimeLock tableLock(tableLock_.Get());
  if (!(openFlags & (kOpenText | kOpenBinary))) openFlags |= kDefaultTranslation;

  DWORD access = 0;
  switch (openFlags & kOpenAccessMask) {
    case kOpenReadOnly:
      access = GENERIC_READ;
      break;
    case kOpenWriteOnly:
      access = GENERIC_WRITE;
      break;
    case kOpenReadWrite:
      access = GENERIC_READ | GENERIC_WRITE;
      break;
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
  UniqueFile file(CreateFileA(path, access, SharingMode(openFlags), &security, CreationDisposition(openFlags),
                              attributes, nullptr));
  if (!file) {
    SetErrorFromSystem(GetLastError());
    return -1;
  }

  unsigned entryFlags = openFlags & ~(kOpenCreate | kOpenTruncate | kOpenExclusive);
  if (GetFileType(file.get()) == FILE_TYPE_CHAR) entryFlags |= kHandleDevice;
  for (int number = 0; number < kHandleSlots; ++number) {
    if (entries_[number].flags == 0) {
      HandleEntry& entry = entries_[number];
      entry = HandleEntry{};
      entry.file = std::move(file);
      entry.flags = entryFlags;
      return number;
    }
  }
  SetErrorNumber(EMFILE);
  return -1;  // the file is closed again on the way out
}

int HandleTable::Close(int number) {
  ScopedRuntimeLock lock(LockOf(number));
  HandleEntry& entry = entries_[number];
  // Closed here rather than by the owner, whose close has no result.
  if (!CloseHandle(entry.file.get())) {
    SetErrorFromSystem(GetLastError());
    return -1;
  }
  (void)entry.file.release();  // closed just now
  entry = HandleEntry{};
  return 0;
}

int HandleTable::Read(int number, char* destination, unsigned count) {
  if (count == 0) return 0;
  ScopedRuntimeLock lock(LockOf(number));
  HandleEntry& entry = entries_[number];
  if (entry.flags & kHandleBinary) return ReadBinary(entry.Handle(), destination, count);
  if (entry.flags & kHandleEndOfFileMarkSeen) return 0;
  return ReadText(entry, destination, count);
}

long HandleTable::Write(int number, const char* source, size_t count, bool translated) {
  if (count == 0) return 0;
  ScopedRuntimeLock lock(LockOf(number));
  HandleEntry& entry = entries_[number];
  const HANDLE handle = entry.Handle();
  DWORD written = 0;

  if (entry.flags & kHandleAppend) {
    const LARGE_INTEGER zero{};
    SetFilePointerEx(handle, zero, nullptr, FILE_END);
  }
  if ((entry.flags & kHandleBinary) || translated) {
    if (!WriteFile(handle, source, static_cast<DWORD>(count), &written, nullptr)) {
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
    if (!WriteFile(handle, block, static_cast<DWORD>(expanded.blockLength), &written, nullptr)) {
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

}  // namespace textfile
