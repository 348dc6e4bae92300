// Wildcard patterns over FindFirstFileW and list files in the encodings that
// list-writing tools use.
#include "convert/SourceNames.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

#include "convert/WildcardMatch.h"
#include "runtime/AnsiNames.h"
#include "runtime/MbcsText.h"
#include "runtime/UniqueHandle.h"

namespace {

// The attributes that keep an entry out of the file list.
constexpr DWORD kLeftOutAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr wchar_t kEndOfFileMark = L'\x1A';  // Ctrl-Z

// Letter case folded as the file system ignores it.
std::wstring UpperCase(std::wstring_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  std::wstring upper(text.size(), L'\0');
  LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.data(), length, upper.data(), length);
  return upper;
}

std::wstring_view WideFileNamePart(std::wstring_view path) {
  const size_t separator = path.rfind(L'\\');
  return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

bool IsBlank(std::wstring_view line) {
  return line.find_first_not_of(L" \t") == std::wstring_view::npos;
}

bool ReadWholeFile(const std::string& path, std::string* bytes, unsigned long* error) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    *error = GetLastError();
    return false;
  }
  constexpr size_t kChunk = 64 * 1024;
  for (;;) {
    const size_t done = bytes->size();
    bytes->resize(done + kChunk);
    DWORD got = 0;
    const BOOL read = ReadFile(file.get(), bytes->data() + done, kChunk, &got, nullptr);
    bytes->resize(done + (read ? got : 0));
    if (!read) {
      *error = GetLastError();
      return false;
    }
    if (got == 0) return true;
  }
}

// Bytes in a code page as UTF-16; with MB_ERR_INVALID_CHARS empty when they
// are not valid in it, else anything invalid becomes a replacement character.
std::wstring Decode(UINT codePage, std::string_view bytes, DWORD flags) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  if (length > 0) MultiByteToWideChar(codePage, flags, bytes.data(), size, text.data(), length);
  return text;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::wstring text(bytes.size() / 2, L'\0');  // a last odd byte is no character
  for (size_t i = 0; i < text.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    text[i] = static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  return text;
}

// A list without a mark is taken for UTF-8 only when it is valid UTF-8 and
// needs it: text of bytes below 0x80 reads the same in both, and Shift-JIS
// text is hardly ever valid UTF-8.
bool IsUtf8BeyondAscii(std::string_view bytes) {
  const bool beyondAscii =
      std::any_of(bytes.begin(), bytes.end(), [](char byte) { return static_cast<unsigned char>(byte) >= 0x80; });
  return beyondAscii && !Decode(CP_UTF8, bytes, MB_ERR_INVALID_CHARS).empty();
}

std::wstring DecodeListText(std::string_view bytes) {
  if (bytes.starts_with(kUtf16LittleEndianMark)) return DecodeUtf16(bytes.substr(2), false);
  if (bytes.starts_with(kUtf16BigEndianMark)) return DecodeUtf16(bytes.substr(2), true);
  if (bytes.starts_with(kUtf8Mark)) return Decode(CP_UTF8, bytes.substr(kUtf8Mark.size()), 0);
  // What follows a Ctrl-Z is no part of the text, so it cannot decide the encoding.
  if (IsUtf8BeyondAscii(bytes.substr(0, bytes.find('\x1A')))) return Decode(CP_UTF8, bytes, 0);
  return ToWide(bytes);
}

}  // namespace

bool HasWildcardInName(const std::string& path) {
  // "*" and "?" are never trail bytes, so a plain search of the name finds them.
  return FileNamePart(path).find_first_of("*?") != std::string_view::npos;
}

bool HasWildcardInFolder(const std::string& path) {
  std::string_view folder = FolderPart(path);
  if (folder.starts_with(kVerbatimPrefix)) folder.remove_prefix(kVerbatimPrefix.size());
  return folder.find_first_of("*?") != std::string_view::npos;
}

std::vector<FoundFile> FilesMatching(const std::string& pattern, unsigned long* error) {
  const std::wstring widePattern = ToWide(pattern);
  const std::wstring wanted = UpperCase(WideFileNamePart(widePattern));
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  UniqueFindHandle search(FindFirstFileW(widePattern.c_str(), &found));
  if (!search) {
    *error = GetLastError();
    return {};
  }
  do {
    if (!(found.dwFileAttributes & kLeftOutAttributes) && MatchesWildcard(wanted, UpperCase(found.cFileName)))
      names.emplace_back(found.cFileName);
  } while (FindNextFileW(search.get(), &found));
  if (names.empty()) {
    *error = ERROR_FILE_NOT_FOUND;
    return {};
  }
  std::stable_sort(names.begin(), names.end(),
                   [](const std::wstring& a, const std::wstring& b) { return ListedBefore(a, b); });

  const size_t separator = LastBackslash(pattern);
  const std::string folder = separator == std::string::npos ? std::string() : pattern.substr(0, separator + 1);
  std::vector<FoundFile> files(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    std::string name;
    files[i].exactName = ToExactAnsi(names[i], &name);
    files[i].path = folder + name;
  }
  return files;
}

bool ReadListFile(const std::string& path, std::vector<std::wstring>* lines, unsigned long* error) {
  std::string bytes;
  if (!ReadWholeFile(path, &bytes, error)) return false;
  std::wstring text = DecodeListText(bytes);
  text.resize(std::min(text.size(), text.find(kEndOfFileMark)));
  std::erase(text, L'\r');
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.size(), text.find(L'\n', start));
    const std::wstring_view line = std::wstring_view(text).substr(start, end - start);
    if (!IsBlank(line)) lines->emplace_back(line);
    start = end + 1;
  }
  *error = 0;
  return true;
}
