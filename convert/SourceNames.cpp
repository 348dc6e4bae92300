// Wildcard patterns over FindFirstFileA and list files over the text-mode layer.
#include "convert/SourceNames.h"

#include <windows.h>

#include <algorithm>

#include "runtime/MbcsText.h"
#include "runtime/UniqueHandle.h"
#include "textfile/TextFile.h"

namespace {

// The attributes that keep an entry out of the file list.
constexpr DWORD kLeftOutAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The file list is a sorted list box, which orders its names by the user's
// locale without regard to letter case.
bool ListedBefore(const std::string& a, const std::string& b) {
  return CompareWithLocale(a, b, NORM_IGNORECASE) < 0;
}

bool IsBlank(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

bool HasWildcardInName(const std::string& path) {
  // "*" and "?" are never trail bytes, so a plain search of the name finds them.
  return FileNamePart(path).find_first_of("*?") != std::string_view::npos;
}

std::vector<std::string> FilesMatching(const std::string& pattern, unsigned long* error) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(FindFirstFileA(pattern.c_str(), &found));
  if (!search) {
    *error = GetLastError();
    return {};
  }
  do {
    if (!(found.dwFileAttributes & kLeftOutAttributes)) names.emplace_back(found.cFileName);
  } while (FindNextFileA(search.get(), &found));
  if (names.empty()) {
    *error = ERROR_FILE_NOT_FOUND;
    return {};
  }
  std::stable_sort(names.begin(), names.end(), ListedBefore);

  const size_t separator = LastBackslash(pattern);
  const std::string folder = separator == std::string::npos ? std::string() : pattern.substr(0, separator + 1);
  for (std::string& name : names) name = folder + name;
  return names;
}

bool ReadListFile(const std::string& path, std::vector<std::string>* lines, unsigned long* error) {
  textfile::TextStream* stream = textfile::OpenTextFile(path.c_str(), "rt");
  if (!stream) {
    *error = textfile::LastSystemError();
    return false;
  }
  // Text mode drops the CRs; a line longer than the buffer comes in pieces.
  char buffer[4096];
  std::string line;
  long length;
  while ((length = textfile::ReadTextLine(buffer, sizeof buffer, stream)) >= 0) {
    line.append(buffer, static_cast<size_t>(length));
    if (line.back() != '\n') continue;
    line.pop_back();
    if (!IsBlank(line)) lines->push_back(line);
    line.clear();
  }
  if (!IsBlank(line)) lines->push_back(line);
  const bool failed = textfile::TextStreamFailed(stream);
  *error = failed ? textfile::LastSystemError() : 0;
  textfile::CloseTextFile(stream);
  if (failed && *error == 0) *error = ERROR_READ_FAULT;
  return !failed;
}
