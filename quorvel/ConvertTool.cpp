// quorvel-convert: the Convert button's conversion for scripts and help builds.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "convert/Conversion.h"
#include "convert/SourceNames.h"
#include "runtime/MbcsText.h"

namespace {

constexpr char kUsage[] =
    "usage: quorvel-convert [--suffix TEXT] [--overwrite] [--update] SOURCE... DESTFOLDER\n"
    "       quorvel-convert -\n"
    "\n"
    "Writes a copy of each SOURCE (a Word 97 RTF document) into DESTFOLDER under\n"
    "the same file name, with every panose group {\\*\\panose ...} replaced by one\n"
    "space, so that the help compiler accepts the document.\n"
    "\n"
    "A SOURCE may hold the wildcards * and ? in its file name (not in its folders):\n"
    "it stands for every file that matches, hidden and system files left out, in\n"
    "the window program's file list order; a pattern that matches nothing is an\n"
    "error. @FILE reads SOURCEs from FILE, one a line (blank lines are ignored;\n"
    "relative names are taken from the current folder); name a file that begins\n"
    "with @ as .\\@NAME.\n"
    "\n"
    "  --suffix TEXT  append TEXT to each destination file name (after the extension)\n"
    "  --overwrite    replace destination files that exist (otherwise they are errors)\n"
    "  --update       skip a SOURCE whose destination was last written at or after\n"
    "                 the SOURCE's last write (a destination's time is the time the\n"
    "                 conversion wrote it, not the SOURCE's); with --overwrite only\n"
    "                 out-of-date destinations are replaced\n"
    "  --help         show this text\n"
    "\n"
    "  -              filter mode: read the document from standard input and write\n"
    "                 the converted text to standard output (no other argument);\n"
    "                 a document that is refused writes nothing\n"
    "\n"
    "Prints one line per converted or up-to-date file; errors go to standard\n"
    "error. The exit status is 0 when every file was converted or up to date, 1\n"
    "when any failed (or the report could not be written), 2 on bad usage, 130\n"
    "when interrupted (Ctrl-C).\n";

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

// The last write of a file, or false when it cannot be read (or names a folder).
bool LastWriteOf(const std::string& path, ULARGE_INTEGER* time) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  time->LowPart = data.ftLastWriteTime.dwLowDateTime;
  time->HighPart = data.ftLastWriteTime.dwHighDateTime;
  return true;
}

struct RunOptions {
  std::string folder;  // DESTFOLDER as the window program holds a folder
  bool appendSuffix = false;
  std::string suffix;
  bool update = false;
};

// The counts of one run over its sources.
class Run {
public:
  Run(const RunOptions& options, ToolDialogs& dialogs) : options_(options), dialogs_(dialogs) {}

  // One SOURCE argument: a list file, a wildcard pattern or one file.
  void Argument(const std::string& argument) {
    if (argument.size() > 1 && argument[0] == '@') {
      const std::string listFile = FullPath(argument.substr(1));
      std::vector<std::string> sources;
      unsigned long error = 0;
      if (!ReadListFile(listFile, &sources, &error)) return Failed(CannotOpenSourceText(listFile, error));
      for (const std::string& source : sources) {
        if (gStopRequested) return;
        Source(source);
      }
    } else {
      Source(argument);
    }
  }

  int failures() const { return failures_; }
  bool reportLost() const { return reportLost_; }
  const std::string& stoppedDestination() const { return stoppedDestination_; }

private:
  void Source(const std::string& source) {
    // The name rule takes the file name from the last backslash of a full path.
    const std::string path = FullPath(source);
    if (!HasWildcardInName(path)) return Convert(path);
    unsigned long error = 0;
    const std::vector<std::string> files = FilesMatching(path, &error);
    if (files.empty()) return Failed(CannotOpenSourceText(path, error));
    for (const std::string& file : files) {
      if (gStopRequested) return;
      Convert(file);
    }
  }

  void Convert(const std::string& path) {
    const ConversionRequest request{path, options_.folder, options_.appendSuffix, options_.suffix};
    if (options_.update) {
      const std::string destination =
          DestinationPathFor(path, options_.folder, options_.appendSuffix, options_.suffix);
      ULARGE_INTEGER sourceTime, destinationTime;
      if (LastWriteOf(path, &sourceTime) && LastWriteOf(destination, &destinationTime) &&
          destinationTime.QuadPart >= sourceTime.QuadPart) {
        Report(std::printf("%s -> %s (up to date)\n", path.c_str(), destination.c_str()));
        return;
      }
    }
    const ConversionResult result = ConvertDocument(request, dialogs_);
    switch (result.outcome) {
      case ConversionOutcome::kConverted:
        Report(std::printf("%s -> %s (%llu panose group%s removed)\n", path.c_str(), result.destinationPath.c_str(),
                           static_cast<unsigned long long>(result.groupsRemoved),
                           result.groupsRemoved == 1 ? "" : "s"));
        break;
      case ConversionOutcome::kDeclined:
        Failed("変換先に同名ファイルが存在します (上書きするには --overwrite): " + result.destinationPath);
        break;
      case ConversionOutcome::kStopped:
        stoppedDestination_ = result.destinationPath;
        ++failures_;
        break;
      case ConversionOutcome::kFailed:
      case ConversionOutcome::kNothingSelected:
        ++failures_;
        break;
    }
  }

  void Failed(const std::string& message) {
    dialogs_.ShowFailure(message);
    ++failures_;
  }

  void Report(int printed) {
    if (printed < 0 || std::fflush(stdout) != 0 || std::ferror(stdout)) reportLost_ = true;
  }

  const RunOptions& options_;
  ToolDialogs& dialogs_;
  int failures_ = 0;
  bool reportLost_ = false;  // a line of the report could not be written
  std::string stoppedDestination_;  // the conversion that an interrupt cut short
};

// Ends a run that Ctrl-C stopped, with what it left undone.
int Interrupted(const std::string& stoppedDestination) {
  std::string message = "quorvel-convert: 中断しました。";
  if (!stoppedDestination.empty())
    message += "変換中だった " + stoppedDestination + " は作成も変更もしていません。";
  std::fprintf(stderr, "%s\n", message.c_str());
  SetEvent(gStoppedEvent);
  return kInterruptedStatus;
}

}  // namespace

int main(int argc, char** argv) {
  RunOptions options;
  bool overwrite = false;
  bool anyOption = false;
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
      overwrite = anyOption = true;
    } else if (!optionsEnded && std::strcmp(arg, "--update") == 0) {
      options.update = anyOption = true;
    } else if (!optionsEnded && std::strcmp(arg, "--suffix") == 0) {
      if (++i == argc) return Usage("--suffix needs a text");
      options.suffix = argv[i];
      options.appendSuffix = anyOption = true;
    } else if (!optionsEnded && std::strncmp(arg, "--", 2) == 0) {
      return Usage((std::string("unknown option ") + arg).c_str());
    } else {
      paths.emplace_back(arg);
    }
  }
  const bool filterMode = std::find(paths.begin(), paths.end(), "-") != paths.end();
  if (filterMode && (paths.size() != 1 || anyOption))
    return Usage("- (the filter mode) takes no other argument");
  if (!filterMode && paths.size() < 2) return Usage("give at least one SOURCE and the DESTFOLDER");

  gStoppedEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  ToolDialogs dialogs(overwrite);
  if (filterMode) {
    const ConversionResult result = ConvertStandardStreams(dialogs);
    if (result.outcome == ConversionOutcome::kStopped) return Interrupted({});
    return result.outcome == ConversionOutcome::kConverted ? 0 : 1;
  }

  options.folder = FolderPath(paths.back());
  paths.pop_back();
  Run run(options, dialogs);
  for (const std::string& path : paths) {
    if (gStopRequested) break;
    run.Argument(path);
  }
  if (gStopRequested) return Interrupted(run.stoppedDestination());
  if (run.reportLost()) {
    std::fputs("quorvel-convert: 標準出力に書き込めませんでした。\n", stderr);
    return 1;
  }
  return run.failures() ? 1 : 0;
}
