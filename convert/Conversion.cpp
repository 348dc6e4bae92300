// The conversion command and the messages it shows.
#include "convert/Conversion.h"

#include <windows.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "convert/PanoseFilter.h"
#include "runtime/MbcsText.h"
#include "runtime/SystemErrorText.h"
#include "runtime/UniqueHandle.h"
#include "textfile/TextFile.h"

namespace {

constexpr int kLineBufferSize = 4096;
constexpr char kOverwriteQuestion[] = "変換先に同名ファイルが存在します。\n上書きしてもよろしいでしょうか。";
constexpr char kOverwriteCaption[] = "確認";

// A message in the program's style: what went wrong, the file, and why.
std::string FailureText(const char* what, const std::string& path, const std::string& reason) {
  return std::string(what) + "\n" + path + "\n" + reason;
}

std::string SameFileText(const std::string& path) {
  return FailureText("変換先のファイルが変換元のファイルと同じです。", path,
                     "変換元のファイルを上書きすることはできません。"
                     "付加文字列を指定するか、別の変換先フォルダを選んでください。");
}

std::string EndOfFileMarkText(const std::string& path, int64_t markOffset) {
  char where[160];
  std::snprintf(where, sizeof where,
                "先頭から %" PRId64 " バイト目に終端記号 (0x1A) があり、その後にもデータが続いています。",
                markOffset + 1);
  return FailureText("変換元ファイルを最後まで読み込めないため、変換を中止しました。", path, where);
}

// Opens a path for nothing but its identity; INVALID_HANDLE_VALUE when it cannot.
HANDLE OpenForIdentity(const std::string& path) {
  return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}


// Two paths name the same file when volume and file index agree, whatever the
// spelling (letter case, doubled backslashes, short names, links).
bool SameFile(const std::string& first, const std::string& second) {
  UniqueFile a(OpenForIdentity(first));
  UniqueFile b(OpenForIdentity(second));
  BY_HANDLE_FILE_INFORMATION infoA, infoB;
  if (!a || !b || !GetFileInformationByHandle(a.get(), &infoA) ||
      !GetFileInformationByHandle(b.get(), &infoB))
    return false;
  return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
         infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
}

// Why an existing destination may not be replaced; empty when it may.
std::string ReasonDestinationIsFixed(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return {};
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "同じ名前のフォルダがあります。";
  if (attributes & FILE_ATTRIBUTE_READONLY) return "読み取り専用のファイルです。";
  if (attributes & FILE_ATTRIBUTE_HIDDEN) return "隠しファイルです。";
  if (attributes & FILE_ATTRIBUTE_SYSTEM) return "システム ファイルです。";
  return {};
}

// Another program may hold the destination open without sharing write access.
unsigned long ProbeWriteAccess(const std::string& path) {
  UniqueFile probe(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return probe ? ERROR_SUCCESS : GetLastError();
}

std::string LastFileError() {
  const unsigned long error = textfile::LastSystemError();
  return SystemErrorText(error ? error : ERROR_GEN_FAILURE);
}

// Closes a stream unless it was closed already.
class StreamCloser {
public:
  explicit StreamCloser(textfile::TextStream* stream) : stream_(stream) {}
  ~StreamCloser() { Close(); }
  StreamCloser(const StreamCloser&) = delete;
  StreamCloser& operator=(const StreamCloser&) = delete;
  textfile::TextStream* get() const { return stream_; }
  int Close() {
    textfile::TextStream* stream = stream_;
    stream_ = nullptr;
    return stream ? textfile::CloseTextFile(stream) : 0;
  }

private:
  textfile::TextStream* stream_;  // owned until closed
};

// The temporary file beside the destination; deleted unless it was put in place.
class TemporaryFile {
public:
  ~TemporaryFile() {
    if (!path_.empty()) DeleteFileA(path_.c_str());
  }
  bool Create(const std::string& folder) {
    char path[MAX_PATH];
    if (!GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "qvl", 0, path)) return false;
    path_ = path;
    return true;
  }
  const std::string& path() const { return path_; }
  void Release() { path_.clear(); }

private:
  std::string path_;
};

class MessageBoxDialogs : public ConversionDialogs {
public:
  explicit MessageBoxDialogs(HWND owner) : owner_(owner) {}
  bool ConfirmOverwrite(const std::string&) override {
    // Only a real answer counts: a question that could not be shown does not
    // allow an existing file to be replaced.
    const int answer = MessageBoxA(owner_, kOverwriteQuestion, kOverwriteCaption, MB_OKCANCEL);
    return answer != IDCANCEL && answer != 0;
  }
  void ShowFailure(const std::string& message) override {
    MessageBoxA(owner_, message.c_str(), kApplicationTitle, MB_OK | MB_ICONSTOP);
  }

private:
  HWND owner_;  // not owned
};

}  // namespace

std::string DestinationPathFor(std::string_view sourcePath, std::string_view destinationFolder,
                               bool appendSuffix, std::string_view suffix) {
  std::string destination(destinationFolder);
  const size_t slash = LastBackslash(sourcePath);
  if (slash != std::string_view::npos) destination += sourcePath.substr(slash);
  if (appendSuffix) destination += suffix;
  return destination;
}

ConversionResult ConvertDocument(const ConversionRequest& request, ConversionDialogs& dialogs) {
  ConversionResult result;
  if (request.sourcePath.empty()) return result;
  result.destinationPath =
      DestinationPathFor(request.sourcePath, request.destinationFolder, request.appendSuffix, request.suffix);
  const std::string& source = request.sourcePath;
  const std::string& destination = result.destinationPath;

  auto fail = [&](std::string message) {
    result.outcome = ConversionOutcome::kFailed;
    result.failureMessage = std::move(message);
    dialogs.ShowFailure(result.failureMessage);
    return result;
  };

  textfile::PathStatus status;
  const bool destinationExists = textfile::QueryPathStatus(destination.c_str(), &status) == 0;
  if (destinationExists) {
    // Refused before the question: answering it could not make these work.
    if (SameFile(source, destination)) return fail(SameFileText(destination));
    const std::string fixed = ReasonDestinationIsFixed(destination);
    if (!fixed.empty()) return fail(FailureText("変換先ファイルに書き込めません。", destination, fixed));
    if (!dialogs.ConfirmOverwrite(destination)) {
      result.outcome = ConversionOutcome::kDeclined;
      return result;
    }
  }

  StreamCloser input(textfile::OpenTextFile(source.c_str(), "rt"));
  if (!input.get()) return fail(FailureText("変換元ファイルを開けませんでした。", source, LastFileError()));

  if (destinationExists) {
    const unsigned long denied = ProbeWriteAccess(destination);
    if (denied != ERROR_SUCCESS)
      return fail(FailureText("変換先ファイルに書き込めません。", destination, SystemErrorText(denied)));
  }

  TemporaryFile temporary;
  if (!temporary.Create(std::string(FolderPart(destination))))
    return fail(FailureText("変換先ファイルを作成できませんでした。", destination, SystemErrorText(GetLastError())));
  StreamCloser output(textfile::OpenTextFile(temporary.path().c_str(), "wt"));
  if (!output.get())
    return fail(FailureText("変換先ファイルを作成できませんでした。", destination, LastFileError()));

  PanoseFilter filter;
  filter.Reset();
  char line[kLineBufferSize];
  size_t heldBack = 0;  // a possible marker start from the end of the last piece, at line[0]
  long length;
  while ((length = textfile::ReadTextLine(line + heldBack, static_cast<int>(kLineBufferSize - 1 - heldBack),
                                          input.get())) >= 0) {
    const size_t kept = filter.FilterBuffer(line, heldBack + static_cast<size_t>(length), sizeof line);
    heldBack = filter.PartialMarkerAtEnd(line, kept);
    if (textfile::WriteTextLine(line, kept - heldBack, output.get()) < 0)
      return fail(FailureText("変換先ファイルの書き込み中にエラーが発生しました。", destination, LastFileError()));
    std::memmove(line, line + kept - heldBack, heldBack);
  }
  // At the end of the file the held bytes were no marker after all.
  if (heldBack && textfile::WriteTextLine(line, heldBack, output.get()) < 0)
    return fail(FailureText("変換先ファイルの書き込み中にエラーが発生しました。", destination, LastFileError()));
  if (textfile::TextStreamFailed(input.get()))
    return fail(FailureText("変換元ファイルの読み込み中にエラーが発生しました。", source, LastFileError()));

  textfile::EndOfFileMarkReport mark;
  if (textfile::InspectEndOfFileMark(input.get(), &mark) != 0)
    return fail(FailureText("変換元ファイルの読み込み中にエラーが発生しました。", source, LastFileError()));
  if (mark.otherDataFollows) return fail(EndOfFileMarkText(source, mark.markOffset));

  input.Close();
  if (output.Close() != 0)
    return fail(FailureText("変換先ファイルの書き込み中にエラーが発生しました。", destination, LastFileError()));

  if (!MoveFileExA(temporary.path().c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING))
    return fail(FailureText("変換先ファイルを置き換えられませんでした。", destination, SystemErrorText(GetLastError())));
  temporary.Release();

  result.outcome = ConversionOutcome::kConverted;
  result.groupsRemoved = filter.groupsRemoved();
  return result;
}

void Convert(const std::string& sourcePath, const std::string& destinationFolder, bool appendSuffix,
             const std::string& suffix, HWND owner) {
  MessageBoxDialogs dialogs(owner);
  ConvertDocument(ConversionRequest{sourcePath, destinationFolder, appendSuffix, suffix}, dialogs);
}
