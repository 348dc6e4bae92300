// Helpers shared by the file-browsing controls.
#include "FileCtrl/FileCtrlHelpers.h"

#include <windows.h>

#include "framework/Graphics.h"
#include "runtime/AnsiNames.h"
#include "runtime/Exceptions.h"
#include "runtime/ScopeExit.h"
#include "runtime/UniqueHandle.h"

std::string JoinWithSeparator(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!EndsWithChar(folder, '\\')) joined += '\\';
  joined += name;
  return joined;
}

int FolderDepth(std::string_view path) {
  int depth = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsLeadByte(path[i]))
      ++i;
    else if (path[i] == '\\')
      ++depth;
  }
  return depth;
}

int FontTextHeight(TFont& font) {
  WindowDC screen = AcquireDC(nullptr);
  TEXTMETRICA metrics{};
  {
    ScopedSelectObject selected = SelectInto(screen.get(), font.Handle());
    GetTextMetricsA(screen.get(), &metrics);
  }
  return metrics.tmHeight;
}

std::string LowerExtension(const std::string& name) {
  const size_t last = LastOf(name, ".\\:");
  if (last == std::string::npos || name[last] != '.') return {};
  return LowerAnsi(std::string_view(name).substr(last));
}

std::string DrivePart(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    // \\server\share: up to the backslash after the share name.
    const size_t server = FirstBackslash(path.substr(2));
    if (server == std::string_view::npos) return std::string(path);
    const size_t shareStart = 2 + server + 1;
    const size_t share = FirstBackslash(path.substr(shareStart));
    return std::string(share == std::string_view::npos ? path : path.substr(0, shareStart + share));
  }
  return {};
}

std::string CurrentDirectory() {
  // A folder of MAX_PATH characters can take twice as many bytes in a
  // double-byte code page. When the buffer is too small the call reports the
  // size it needs, terminating zero included; ask again with that much.
  std::string folder(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(folder.size()), folder.data());
    if (length < folder.size()) {
      folder.resize(length);  // 0 when the call failed
      return folder;
    }
    folder.resize(length + 1);
  }
}

bool IsFullPath(std::string_view path) {
  const bool driveRoot = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  return driveRoot || (path.size() >= 2 && path[0] == '\\' && path[1] == '\\');
}

void RaiseUnusableName(const std::string& path) {
  std::string advice = UnusableNameText(path);
  // The application puts a period after every message it shows.
  constexpr std::string_view kFullStop = "。";
  if (std::string_view(advice).ends_with(kFullStop)) advice.resize(advice.size() - kFullStop.size());
  throw EInOutError(advice, ERROR_INVALID_NAME);
}

void ChangeDirectory(const std::string& path) {
  if (!SetCurrentDirectoryA(path.c_str())) RaiseInOutError(GetLastError());
}

void ChangeToDrive(const std::string& drive) {
  // The remembered folder is the process's current directory when it is on
  // that drive, and another program may have removed or renamed it.
  if (!SetCurrentDirectoryA(drive.c_str())) ChangeDirectory(drive + "\\");
}

namespace {

// A search for the name finds an entry that is not a folder.
bool FileEntryExists(const std::string& name) {
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(FindFirstFileA(name.c_str(), &found));
  return search && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

EnteredPath SplitEnteredPath(const std::string& text) {
  // In the last part "?" and "*" make a pattern; in a folder they stand for
  // what the code page could not hold, and the system would answer with a
  // bare code.
  if (HasUnusableCharacter(FolderPart(text))) RaiseUnusableName(text);
  const std::string saved = CurrentDirectory();
  // Put back however the split ends. A current directory removed or renamed
  // since cannot be entered again; the split holds all the same, and every
  // caller moves on from here.
  const ScopeExit restore([&saved] { SetCurrentDirectoryA(saved.c_str()); });
  EnteredPath result;
  result.drive = saved.empty() ? 0 : saved[0];
  std::string folder = text;
  std::string drivePart;
  if (folder.size() >= 2 && folder[0] == '[' && EndsWithChar(folder, ']')) {
    folder = folder.substr(1, folder.size() - 2);
  } else {
    drivePart = DrivePart(folder);
    if (!drivePart.empty())
      folder.erase(0, drivePart.size());
    else
      drivePart = DrivePart(saved);
    result.drive = drivePart.size() >= 2 && drivePart[1] == ':' ? drivePart[0] : 0;
  }

  // The drive alone means the folder last current on it, which may have
  // gone from the disk; a folder part from the root does not need it.
  if (!drivePart.empty() && folder.empty())
    ChangeToDrive(drivePart);
  else if (!drivePart.empty() && folder[0] == '\\')
    ChangeDirectory(drivePart + "\\");
  else
    ChangeDirectory(drivePart);
  const size_t cut = LastOf(folder, "\\:");
  std::string file = cut == std::string::npos ? folder : folder.substr(cut + 1);
  if (folder.size() == file.size() + 1) {
    folder = "\\";
  } else if (folder.size() > file.size()) {
    folder.resize(folder.size() - file.size() - 1);
  } else {
    const std::string current = CurrentDirectory();
    folder = current.substr(DrivePart(current).size());
    if (folder.empty()) folder = "\\";
  }
  if (!folder.empty()) ChangeDirectory(folder);
  if (!file.empty() && file.find_first_of("*?") == std::string::npos && !FileEntryExists(file)) {
    ChangeDirectory(file);  // the last part names a folder
    folder = folder.size() == 1 ? "\\" + file : folder + "\\" + file;
    file.clear();
  }
  if (result.drive == 0) folder = drivePart + folder;
  result.folder = folder;
  result.file = file;
  return result;
}

std::string CutFirstFolder(std::string text) {
  if (text == "\\") return {};
  const bool leadingSlash = !text.empty() && text[0] == '\\';
  if (leadingSlash) text.erase(0, 1);
  if (!text.empty() && text[0] == '.') text.erase(0, text.size() < 4 ? text.size() : 4);
  const size_t slash = FirstBackslash(text);
  text = slash == std::string::npos ? std::string() : "...\\" + text.substr(slash + 1);
  if (leadingSlash) text.insert(0, "\\");
  return text;
}

std::string ShortenPathToWidth(const std::string& path, TCanvas& canvas, int limit) {
  std::string result = path;
  const size_t cut = LastOf(path, "\\:");
  std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  std::string drive;
  if (folder.size() >= 2 && folder[1] == ':') {
    drive = folder.substr(0, 2);
    folder.erase(0, 2);
  }
  while ((!folder.empty() || !drive.empty()) && canvas.TextWidth(result) > limit) {
    if (folder == "\\...\\") {
      drive.clear();
      folder = "...\\";
    } else if (folder.empty()) {
      drive.clear();
    } else {
      folder = CutFirstFolder(folder);
    }
    result = drive + folder + name;
  }
  return result;
}

void LoadResourceImage(TBitmap& bitmap, const char* name) {
  try {
    bitmap.LoadFromResourceName(GetModuleHandleA(nullptr), name);
  } catch (const EResNotFound&) {
    // A missing image leaves the bitmap as it was; the control still works.
  }
}

void DrawTransparentImage(TCanvas& canvas, int x, int y, TBitmap& image) {
  const int width = image.Width();
  const int height = image.Height();
  if (width <= 0 || height <= 0) return;
  const RECT destination{x, y, x + width, y + height};
  const RECT source{0, 0, width, height};
  canvas.BrushCopy(destination, image, source, image.TransparentColor());
}
