// What a mode string ("rt", "wt", "a+b", ...) asks of a stream and of the
// platform open beneath it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace textfile {

// Open flags: what a mode string asks of the low-level open.
enum : unsigned {
  kOpenReadOnly = 0x0000,
  kOpenWriteOnly = 0x0001,
  kOpenReadWrite = 0x0002,
  kOpenAccessMask = 0x0003,
  kOpenSharingMask = 0x0070,
  kOpenNoInherit = 0x0080,
  kOpenCreate = 0x0100,
  kOpenTruncate = 0x0200,
  kOpenExclusive = 0x0400,
  kOpenAppend = 0x0800,
  kOpenText = 0x4000,
  kOpenBinary = 0x8000,
};

// Permission bits of a new file.
enum : unsigned { kPermitRead = 0x0100, kPermitWrite = 0x0080 };

// The translation of a mode string that names neither "t" nor "b".
constexpr unsigned kDefaultTranslation = kOpenText;

struct ModeRequest {
  uint16_t streamFlags = 0;
  unsigned openFlags = 0;
  unsigned permission = 0;
};

// "r", "w" or "a", then "t" or "b", and "+" as second or third letter. False
// for any other mode.
bool ParseMode(const char* mode, ModeRequest* request);

// CreateFileA's creation disposition and sharing mode for the open flags.
DWORD CreationDisposition(unsigned openFlags);
DWORD SharingMode(unsigned openFlags);

}  // namespace textfile
