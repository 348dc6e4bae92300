// quorvel-convert: the Convert button's conversion for scripts and help builds.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "convert/Conversion.h"
#include "runtime/MbcsText.h"

namespace {

constexpr char kUsage[] =
    "usage: quorvel-convert [--suffix TEXT] [--overwrite] SOURCE... DESTFOLDER\n"
    "\n"
    "Writes a copy of each SOURCE (a Word 97 RTF document) into DESTFOLDER under\n"
    "the same file name, with every panose group {\\*\\panose ...} replaced by one\n"
    "space, so that the help compiler accepts the document.\n"
    "\n"
    "  --suffix TEXT  append TEXT to each destination file name (after the extension)\n"
    "  --overwrite    replace destination files that exist (otherwise they are errors)\n"
    "  --help         show this text\n"
    "\n"
    "Prints one line per converted file; errors go to standard error. The exit\n"
    "status is 0 when every file was converted, 1 when any failed (or the report\n"
    "could not be written), 2 on bad usage, 130 when interrupted (Ctrl-C).\n";

// The exit status of a run stopped by Ctrl-C, Ctrl-Break or the console closing.
constexpr int kInterruptedStatus = 130;

// Set by the console's control handler, read between two line pieces.
std::atomic<bool> gStopRequested{false};
// Signalled once the conversion has stopped and cleaned up.
HANDLE gStoppedEvent = nullptr;

// Runs on a thread of its own that the system starts. The conversion stops at
// its next line piece and removes its partial copy; for a closing console the
// system ends the process when this returns, so it waits for that clean-up.
BOOL WINAPI OnConsoleControl(DWORD event) {
  gStopRequested = true;
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    WaitForSingleObject(gStoppedEvent, 4000);  // the system allows about five seconds
  return TRUE;
}

// The window program asks; this tool never does: --overwrite answers for it.
class ToolDialogs : public ConversionDialogs {
public:
  explicit ToolDialogs(bool overwrite) : overwrite_(overwrite) {}
  bool ConfirmOverwrite(const std::string&) override { return overwrite_; }
  bool StopRequested() override { return gStopRequested; }
  void ShowFailure(const std::string& message) override {
    std::string oneLine = message;
    for (char& c : oneLine)
      if (c == '\n') c = ' ';
    std::fprintf(stderr, "quorvel-convert: %s\n", oneLine.c_str());
  }

private:
  bool overwrite_;
};

std::string FullPath(const std::string& path) {
  // Sized by the system's answer: a path may be longer than MAX_PATH.
  std::string full(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
}

// A folder as the window program holds it: a drive root keeps its backslash,
// any other folder has none.
std::string FolderPath(const std::string& path) {
  std::string folder = FullPath(path);
  while (folder.size() > 3 && LastBackslash(folder) == folder.size() - 1) folder.pop_back();
  return folder;
}

int Usage(const char* problem) {
  std::fprintf(stderr, "quorvel-convert: %s\n\n%s", problem, kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string suffix;
  bool appendSuffix = false;
  bool overwrite = false;
  std::vector<std::string> paths;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!optionsEnded && std::strcmp(arg, "--") == 0) {
      optionsEnded = true;
    } else if (!optionsEnded && (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 ||
                                 std::strcmp(arg, "/?") == 0)) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (!optionsEnded && std::strcmp(arg, "--overwrite") == 0) {
      overwrite = true;
    } else if (!optionsEnded && std::strcmp(arg, "--suffix") == 0) {
      if (++i == argc) return Usage("--suffix needs a text");
      suffix = argv[i];
      appendSuffix = true;
    } else if (!optionsEnded && std::strncmp(arg, "--", 2) == 0) {
      return Usage((std::string("unknown option ") + arg).c_str());
    } else {
      paths.emplace_back(arg);
    }
  }
  if (paths.size() < 2) return Usage("give at least one SOURCE and the DESTFOLDER");

  const std::string folder = FolderPath(paths.back());
  paths.pop_back();
  gStoppedEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  ToolDialogs dialogs(overwrite);
  int failures = 0;
  bool reportLost = false;  // a line of the report could not be written
  std::string stoppedDestination;  // the conversion that an interrupt cut short
  for (const std::string& path : paths) {
    if (gStopRequested) break;
    // The name rule takes the file name from the last backslash of a full path.
    const ConversionRequest request{FullPath(path), folder, appendSuffix, suffix};
    const ConversionResult result = ConvertDocument(request, dialogs);
    switch (result.outcome) {
      case ConversionOutcome::kConverted:
        if (std::printf("%s -> %s (%llu panose group%s removed)\n", request.sourcePath.c_str(),
                        result.destinationPath.c_str(), static_cast<unsigned long long>(result.groupsRemoved),
                        result.groupsRemoved == 1 ? "" : "s") < 0)
          reportLost = true;
        break;
      case ConversionOutcome::kDeclined:
        dialogs.ShowFailure("変換先に同名ファイルが存在します (上書きするには --overwrite): " +
                            result.destinationPath);
        ++failures;
        break;
      case ConversionOutcome::kStopped:
        stoppedDestination = result.destinationPath;
        ++failures;
        break;
      case ConversionOutcome::kFailed:
      case ConversionOutcome::kNothingSelected:
        ++failures;
        break;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) reportLost = true;
  }
  if (gStopRequested) {
    std::string message = "quorvel-convert: 中断しました。";
    if (!stoppedDestination.empty())
      message += "変換中だった " + stoppedDestination + " は作成も変更もしていません。";
    std::fprintf(stderr, "%s\n", message.c_str());
    SetEvent(gStoppedEvent);
    return kInterruptedStatus;
  }
  if (reportLost) {
    std::fputs("quorvel-convert: 標準出力に書き込めませんでした。\n", stderr);
    return 1;
  }
  return failures ? 1 : 0;
}
