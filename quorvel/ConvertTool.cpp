// quorvel-convert: the Convert button's conversion for scripts and help builds.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "convert/Conversion.h"
#include "convert/FileIdentity.h"
#include "convert/SourceNames.h"
#include "runtime/AnsiNames.h"
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
    "it stands for every file whose long name matches, hidden and system files left\n"
    "out, in the window program's file list order (*.* is every name); a pattern\n"
    "that matches nothing is an error. @FILE reads SOURCEs from FILE, one a line\n"
    "(blank lines are ignored; relative names are taken from the current folder),\n"
    "in UTF-16 or UTF-8 when FILE has a byte-order mark or is valid UTF-8, else in\n"
    "the ANSI code page; name a file that begins with @ as .\\@NAME. A name that\n"
    "the ANSI code page cannot hold exactly is refused. A file named twice is\n"
    "converted once; a later SOURCE whose destination this run has already written\n"
    "(or found up to date) is an error.\n"
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

// The tool's own failure texts: a headline, the file, and why.
constexpr char kNoWildcardHere[] = "ここではワイルドカードを使えません。";
constexpr char kWildcardsOnlyInFileNames[] =
    "* と ? は変換元のファイル名にだけ使えます。フォルダ名や変換先フォルダには使えません。";
constexpr char kDestinationNotFolder[] = "変換先がフォルダではありません。";
constexpr char kDestinationIsFile[] = "同じ名前のファイルがあります。変換先にはフォルダを指定してください。";
constexpr char kNotConverted[] = "変換元ファイルを変換しませんでした。";

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

// Writes a text of the ANSI code page to standard output or standard error.
// A console gets it in UTF-16, so that it reads right whatever code page the
// console has been switched to (chcp 65001, say); a file or a pipe gets the
// ANSI bytes, which is what scripts read. False when it could not be written.
bool WriteStandard(std::FILE* stream, const std::string& text) {
  const HANDLE handle = GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode;
  if (!GetConsoleMode(handle, &mode))
    return std::fputs(text.c_str(), stream) >= 0 && std::fflush(stream) == 0 && !std::ferror(stream);
  // Whatever the C library still holds for this stream goes out first.
  if (std::fflush(stream) != 0) return false;
  const std::wstring wide = ToWide(text);
  for (size_t done = 0; done < wide.size();) {
    // Pieces, as older consoles refuse one write of more than about 64 KiB.
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(wide.size() - done, 8192));
    DWORD written = 0;
    if (!WriteConsoleW(handle, wide.data() + done, piece, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
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
    WriteStandard(stderr, "quorvel-convert: " + oneLine + "\n");
  }

private:
  bool overwrite_;
};

std::string DestinationTakenText(const std::string& destination, const std::string& earlierSource) {
  return "変換先 " + destination + " は、この実行で先に " + earlierSource + " の変換先になっています。";
}

// The full path of a name, taken from the current folder; a "\\?\" path stays
// one. Worked out in UTF-16, so that a current folder the ANSI code page
// cannot hold shows up as such in the result instead of as wildcards.
std::wstring FullPath(const std::wstring& path) {
  // Sized by the system's answer: a path may be longer than MAX_PATH.
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
}

int Usage(const std::string& problem) {
  WriteStandard(stderr, "quorvel-convert: " + problem + "\n\n" + kUsage);
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

// True when the destination was last written at or after the source.
bool IsUpToDate(const std::string& source, const std::string& destination) {
  ULARGE_INTEGER sourceTime, destinationTime;
  return LastWriteOf(source, &sourceTime) && LastWriteOf(destination, &destinationTime) &&
         destinationTime.QuadPart >= sourceTime.QuadPart;
}

struct RunOptions {
  std::string folder;  // DESTFOLDER as the window program holds a folder
  bool appendSuffix = false;
  std::string suffix;
  bool update = false;
};

// The counts of one run over its sources, and what it has done so far.
class Run {
public:
  Run(const RunOptions& options, ToolDialogs& dialogs) : options_(options), dialogs_(dialogs) {}

  // One SOURCE argument: a list file, a wildcard pattern or one file.
  void Argument(const std::wstring& argument) {
    if (argument.size() > 1 && argument[0] == L'@') {
      std::string listFile;
      if (!ToExactAnsi(FullPath(argument.substr(1)), &listFile)) return Failed(UnusableNameText(listFile));
      std::vector<std::wstring> sources;
      unsigned long error = 0;
      if (!ReadListFile(listFile, &sources, &error)) return Failed(CannotOpenSourceText(listFile, error));
      for (const std::wstring& source : sources) {
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
  // A name is used only in an ANSI form that stands for exactly that name: a
  // best fit would name another file ("e.rtf" for "é.rtf", a path into the
  // folder "a" for "a¥b.rtf"), and the "?" of a character the code page lacks
  // would be taken for a wildcard.
  void Source(const std::wstring& source) {
    // The name rule takes the file name from the last backslash of a full path.
    std::string path;
    if (!ToExactAnsi(FullPath(source), &path)) return Failed(UnusableNameText(path));
    if (HasWildcardInFolder(path)) return Failed(FailureText(kNoWildcardHere, path, kWildcardsOnlyInFileNames));
    if (!HasWildcardInName(path)) return Convert(path);
    unsigned long error = 0;
    const std::vector<FoundFile> files = FilesMatching(path, &error);
    if (files.empty()) return Failed(CannotOpenSourceText(path, error));
    for (const FoundFile& file : files) {
      if (gStopRequested) return;
      if (file.exactName)
        Convert(file.path);
      else
        Failed(UnusableNameText(file.path));
    }
  }

  void Convert(const std::string& path) {
    const std::string destination = DestinationPathFor(path, options_.folder, options_.appendSuffix, options_.suffix);
    // A device ("\\.\COM1", a pipe) goes straight to the conversion, which
    // refuses it: opening it, or a destination named after it, to compare
    // identities could take a pipe's waiting instance or change a port's lines.
    std::optional<FileIdentity> source, target;
    if (!path.starts_with("\\\\.\\")) {
      // The same file named again, in any spelling, is converted once.
      source = IdentityOf(path);
      if (source && !sourcesSeen_.insert(*source).second) return;
      // A destination this run has written stays what it wrote: another
      // source of the same name, from another folder, would replace it.
      target = IdentityOf(destination);
      const auto earlier = target ? destinationsTaken_.find(*target) : destinationsTaken_.end();
      if (earlier != destinationsTaken_.end())
        return Failed(FailureText(kNotConverted, path, DestinationTakenText(destination, earlier->second)));
    }
    // A destination that is the source itself was never converted, however
    // new it is: the conversion refuses it.
    const bool destinationIsSource = source && target && *source == *target;
    // A suffix that fits no file name is the conversion's to refuse, never up to date.
    if (options_.update && !destinationIsSource && SuffixFitsAFileName(options_.suffix) &&
        IsUpToDate(path, destination)) {
      Report(path + " -> " + destination + " (up to date)\n");
      return Claim(destination, path);
    }
    const ConversionRequest request{path, options_.folder, options_.appendSuffix, options_.suffix};
    const ConversionResult result = ConvertDocument(request, destination, dialogs_);
    if (result.outcome == ConversionOutcome::kConverted) Claim(result.destinationPath, path);
    Count(path, result);
  }

  void Count(const std::string& path, const ConversionResult& result) {
    switch (result.outcome) {
      case ConversionOutcome::kConverted:
        Report(path + " -> " + result.destinationPath + " (" + std::to_string(result.groupsRemoved) + " panose group" +
               (result.groupsRemoved == 1 ? "" : "s") + " removed)\n");
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

  void Claim(const std::string& destination, const std::string& source) {
    if (const std::optional<FileIdentity> identity = IdentityOf(destination))
      destinationsTaken_.emplace(*identity, source);
  }

  void Failed(const std::string& message) {
    dialogs_.ShowFailure(message);
    ++failures_;
  }

  void Report(const std::string& line) {
    if (!WriteStandard(stdout, line)) reportLost_ = true;
  }

  const RunOptions& options_;
  ToolDialogs& dialogs_;
  int failures_ = 0;
  bool reportLost_ = false;         // a line of the report could not be written
  std::string stoppedDestination_;  // the conversion that an interrupt cut short
  std::set<FileIdentity> sourcesSeen_;
  // Destinations written or found up to date in this run, with their sources.
  std::map<FileIdentity, std::string> destinationsTaken_;
};

// Ends a run that Ctrl-C stopped, with what it left undone.
int Interrupted(const std::string& stoppedDestination) {
  std::string message = "quorvel-convert: 中断しました。";
  if (!stoppedDestination.empty()) message += "変換中だった " + stoppedDestination + " は作成も変更もしていません。";
  WriteStandard(stderr, message + "\n");
  SetEvent(gStoppedEvent);
  return kInterruptedStatus;
}

struct CommandLine {
  RunOptions options;
  bool overwrite = false;
  bool filterMode = false;
  std::vector<std::wstring> paths;  // the SOURCEs and DESTFOLDER as given
};

// Reads the arguments, in UTF-16 as the system holds them. Returns the exit
// status when the tool ends here (help or bad usage).
std::optional<int> ParseCommandLine(int argc, wchar_t** argv, CommandLine* line) {
  bool anyOption = false;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (!optionsEnded && arg == L"--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == L"--help" || arg == L"-h" || arg == L"/?")) {
      WriteStandard(stdout, kUsage);
      return 0;
    } else if (!optionsEnded && arg == L"--overwrite") {
      line->overwrite = anyOption = true;
    } else if (!optionsEnded && arg == L"--update") {
      line->options.update = anyOption = true;
    } else if (!optionsEnded && arg == L"--suffix") {
      if (++i == argc) return Usage("--suffix needs a text");
      // A text the code page cannot hold keeps its "?", and the conversion
      // refuses every destination name that holds it.
      ToExactAnsi(argv[i], &line->options.suffix);
      line->options.appendSuffix = anyOption = true;
    } else if (!optionsEnded && arg.starts_with(L"--")) {
      std::string shown;
      ToExactAnsi(arg, &shown);
      return Usage("unknown option " + shown);
    } else if (arg.empty()) {
      return Usage("an empty argument names no file");
    } else {
      line->paths.push_back(arg);
    }
  }
  line->filterMode = std::find(line->paths.begin(), line->paths.end(), L"-") != line->paths.end();
  if (line->filterMode && (line->paths.size() != 1 || anyOption))
    return Usage("- (the filter mode) takes no other argument");
  if (!line->filterMode && line->paths.size() < 2) return Usage("give at least one SOURCE and the DESTFOLDER");
  return std::nullopt;
}

// DESTFOLDER as the window program holds a folder. False, after saying why,
// when no conversion could write into it.
bool TakeDestinationFolder(const std::wstring& argument, ToolDialogs& dialogs, std::string* folder) {
  if (!ToExactAnsi(FolderAsHeld(FullPath(argument)), folder)) {
    dialogs.ShowFailure(UnusableNameText(*folder));
    return false;
  }
  if (HasWildcardInName(*folder) || HasWildcardInFolder(*folder)) {
    dialogs.ShowFailure(FailureText(kNoWildcardHere, *folder, kWildcardsOnlyInFileNames));
    return false;
  }
  const DWORD attributes = GetFileAttributesA(folder->c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    dialogs.ShowFailure(FailureText(kDestinationNotFolder, *folder, kDestinationIsFile));
    return false;
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  CommandLine line;
  if (const std::optional<int> status = ParseCommandLine(argc, argv, &line)) return *status;

  gStoppedEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  ToolDialogs dialogs(line.overwrite);
  if (line.filterMode) {
    const ConversionResult result = ConvertStandardStreams(dialogs);
    if (result.outcome == ConversionOutcome::kStopped) return Interrupted({});
    return result.outcome == ConversionOutcome::kConverted ? 0 : 1;
  }

  if (!TakeDestinationFolder(line.paths.back(), dialogs, &line.options.folder)) return 1;
  line.paths.pop_back();
  Run run(line.options, dialogs);
  for (const std::wstring& path : line.paths) {
    if (gStopRequested) break;
    run.Argument(path);
  }
  if (gStopRequested) return Interrupted(run.stoppedDestination());
  if (run.reportLost()) {
    WriteStandard(stderr, "quorvel-convert: 標準出力に書き込めませんでした。\n");
    return 1;
  }
  return run.failures() ? 1 : 0;
}
