// The temporary copy a conversion writes beside its destination.
#pragma once

#include <string>

// The temporary copy beside the destination, so that putting it in place is a
// rename within one folder; deleted unless it was put in place. Its name is
// made here: GetTempFileNameA writes into a MAX_PATH buffer and refuses
// folders longer than about 246 characters.
class TemporaryFile {
public:
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile();

  // Creates a new, empty file beside `destination`. ERROR_SUCCESS, or the
  // system's reason.
  unsigned long CreateBeside(const std::string& destination);
  const std::string& path() const { return path_; }
  // The copy was put in place: it is no longer deleted.
  void Release() { path_.clear(); }

private:
  std::string path_;  // empty when there is no file to delete
};
