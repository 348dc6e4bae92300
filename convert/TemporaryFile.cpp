// The temporary copy: a new file with a free name, over CreateFileA.
#include "convert/TemporaryFile.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "runtime/MbcsText.h"
#include "runtime/UniqueHandle.h"

namespace {

// The longest path the ANSI file functions take on a system that is not set
// up for long paths (MAX_PATH less its terminating zero).
constexpr size_t kAnsiPathLimit = MAX_PATH - 1;

}  // namespace

TemporaryFile::~TemporaryFile() {
  if (!path_.empty()) DeleteFileA(path_.c_str());
}

unsigned long TemporaryFile::CreateBeside(const std::string& destination) {
  const std::string_view folder = FolderPart(destination);
  const std::string prefix = folder.empty() ? std::string() : std::string(folder) + "\\";
  // Normally qvlXXXX.tmp. Where that would take the path past the limit
  // that the destination itself keeps to, the name is made no longer than
  // the destination's own: ~ and hexadecimal digits.
  size_t digits = 4;
  bool shortForm = false;
  if (prefix.size() + 11 > kAnsiPathLimit && destination.size() <= kAnsiPathLimit) {
    shortForm = true;
    const size_t room = destination.size() - prefix.size();
    digits = room > 1 ? std::min<size_t>(room - 1, 8) : 1;
  }
  const uint32_t names = digits >= 8 ? 0xFFFFFFFFu : (1u << (4 * digits)) - 1;
  uint32_t counter = (GetTickCount() ^ (GetCurrentProcessId() << 12)) & names;
  const uint32_t attempts = names < 0xFFFFu ? names + 1 : 0x10000u;
  unsigned long error = ERROR_FILE_EXISTS;
  for (uint32_t attempt = 0; attempt < attempts; ++attempt, counter = (counter + 1) & names) {
    char name[32];
    std::snprintf(name, sizeof name, shortForm ? "~%0*X" : "qvl%0*X.tmp", static_cast<int>(digits),
                  static_cast<unsigned>(counter));
    const std::string path = prefix + name;
    UniqueFile created(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (created) {
      path_ = path;
      return ERROR_SUCCESS;
    }
    error = GetLastError();
    // Taken, or a file still being deleted: try the next name.
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) break;
    if (error == ERROR_ACCESS_DENIED && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) break;
  }
  return error;
}
