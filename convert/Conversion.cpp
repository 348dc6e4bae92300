// The conversion command and the messages it shows.
#include "convert/Conversion.h"

#include <windows.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <optional>

#include "convert/FileIdentity.h"
#include "convert/PanoseFilter.h"
#include "convert/TemporaryFile.h"
#include "runtime/AnsiNames.h"
#include "runtime/MbcsText.h"
#include "runtime/SystemErrorText.h"
#include "runtime/UniqueHandle.h"
#include "textfile/TextFile.h"
#include "textfile/UniqueTextStream.h"

namespace {

constexpr int kLineBufferSize = 4096;
// Both streams of a conversion read and write in pieces of this size instead of
// the layer's 512 bytes, so that the copy costs few platform calls.
constexpr size_t kStreamBufferSize = 32 * 1024;
// Line pieces are filtered and written together once they come to this much.
constexpr size_t kGatheredSize = 16 * 1024;

// The conversion's own texts. A failure message is a headline, the file, and
// a reason: the system's, or one of these.
constexpr char kCannotOpenSource[] = "変換元ファイルを開けませんでした。";
constexpr char kSourceIsFolder[] = "これはフォルダです。変換できるのは文書ファイルだけです。";
constexpr char kSourceNotOnDisk[] = "変換元はディスク上のファイルではありません。";
constexpr char kSourceNotOnDiskReason[] = "デバイスやパイプからは変換できません。";
constexpr char kSourceReadFailed[] = "変換元ファイルの読み込み中にエラーが発生しました。";
constexpr char kSourceChanged[] = "変換元ファイルが読み込み中に変更されたため、変換を中止しました。";
constexpr char kSourceChangedReason[] = "変換先ファイルは変更していません。もう一度変換してください。";
constexpr char kSourceEndsEarly[] = "変換元ファイルを最後まで読み込めないため、変換を中止しました。";
constexpr char kDataAfterEndOfFileMark[] =
    "先頭から %" PRId64 " バイト目に終端記号 (0x1A) があり、その後にもデータが続いています。";
constexpr char kGroupNotClosed[] =
    "変換元ファイルが panose グループ ({\\*\\panose ...}) の途中で終わっているため、変換を中止しました。";
constexpr char kGroupNotClosedReason[] = "文書が壊れているか、途中までしか保存されていない可能性があります。";
constexpr char kSuffixNotForFileNames[] = "付加文字列はファイル名に使えません。";
constexpr char kFileNameRule[] =
    "ファイル名には \\ / : * ? \" < > | と制御文字は使えず、末尾を空白やピリオドにすることもできません。";
constexpr char kDestinationIsSource[] = "変換先のファイルが変換元のファイルと同じです。";
constexpr char kDestinationIsSourceReason[] =
    "変換元のファイルを上書きすることはできません。"
    "付加文字列を指定するか、別の変換先フォルダを選んでください。";
constexpr char kCannotWriteDestination[] = "変換先ファイルに書き込めません。";
constexpr char kCannotCreateDestination[] = "変換先ファイルを作成できませんでした。";
constexpr char kCannotReplaceDestination[] = "変換先ファイルを置き換えられませんでした。";
constexpr char kDestinationAppeared[] =
    "変換中に同名のファイルが作成されました。"
    "上書きの確認をしていないため、変換したファイルは破棄しました。";
constexpr char kDestinationWriteFailed[] = "変換先ファイルの書き込み中にエラーが発生しました。";
// Why an existing destination may not be replaced.
constexpr char kDestinationIsFolder[] = "同じ名前のフォルダがあります。";
constexpr char kDestinationReadOnly[] = "読み取り専用のファイルです。";
constexpr char kDestinationHidden[] = "隠しファイルです。";
constexpr char kDestinationSystem[] = "システム ファイルです。";
// The names of the standard streams in messages of the filter mode.
constexpr char kStandardInputName[] = "標準入力";
constexpr char kStandardOutputName[] = "標準出力";

std::string SameFileText(const std::string& path) {
  return FailureText(kDestinationIsSource, path, kDestinationIsSourceReason);
}

std::string EndOfFileMarkText(const std::string& path, int64_t markOffset) {
  char where[160];
  std::snprintf(where, sizeof where, kDataAfterEndOfFileMark, markOffset + 1);
  return FailureText(kSourceEndsEarly, path, where);
}

// Why the source could not be opened. A folder is refused by the system as
// "access denied", which would blame the user's rights.
std::string CannotOpenSourceMessage(const std::string& source) {
  const unsigned long error = textfile::LastSystemError();
  const DWORD attributes = GetFileAttributesA(source.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return FailureText(kCannotOpenSource, source, kSourceIsFolder);
  return FailureText(kCannotOpenSource, source, SystemErrorText(error ? error : ERROR_GEN_FAILURE));
}

// A group still open at the end of the data would take everything from its
// start to the end with it.
std::string GroupNotClosedText(const std::string& path) {
  return FailureText(kGroupNotClosed, path, kGroupNotClosedReason);
}

// Why an existing destination may not be replaced; empty when it may.
std::string ReasonDestinationIsFixed(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return {};
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return kDestinationIsFolder;
  if (attributes & FILE_ATTRIBUTE_READONLY) return kDestinationReadOnly;
  if (attributes & FILE_ATTRIBUTE_HIDDEN) return kDestinationHidden;
  if (attributes & FILE_ATTRIBUTE_SYSTEM) return kDestinationSystem;
  return {};
}

// Another program may hold the destination open without sharing write access,
// or without sharing its deletion, which the replacement needs too: under Wine
// ReplaceFileA would then fail only after it had made a backup name (rfNNN.tmp)
// beside the destination, and leave that behind.
unsigned long ProbeReplaceAccess(const std::string& path) {
  UniqueFile probe(CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return probe ? ERROR_SUCCESS : GetLastError();
}

// The conversion reads a CR without an LF after it as a line end: removed, it
// would join the lines of a document with CR line ends, and \b CR bold
// would read as the control word \bbold.
bool ReadCarriageReturnsAsLineEnds(textfile::TextStream* input) {
  return textfile::SetCarriageReturnReading(input, textfile::CarriageReturnReading::kLineEnd) == 0;
}

std::string LastFileError() {
  const unsigned long error = textfile::LastSystemError();
  return SystemErrorText(error ? error : ERROR_GEN_FAILURE);
}

// How a conversion ends before its copy is in place: failed, with the message
// the user is shown, or declined or stopped, with none.
struct EarlyEnd {
  ConversionOutcome outcome = ConversionOutcome::kFailed;
  std::string failureMessage;
};

// What a step of the conversion gives: nothing when the conversion goes on.
using StepEnd = std::optional<EarlyEnd>;

EarlyEnd Failure(std::string message) {
  return {ConversionOutcome::kFailed, std::move(message)};
}

// The one way a conversion ends early, whichever step ends it: the result
// names the destination, and a failure is shown to the user.
ConversionResult EndedEarly(const std::string& destinationPath, EarlyEnd end, ConversionDialogs& dialogs) {
  if (end.outcome == ConversionOutcome::kFailed) dialogs.ShowFailure(end.failureMessage);
  return {end.outcome, destinationPath, std::move(end.failureMessage)};
}

// What identifies the source's content for the length of one conversion.
struct SourceSnapshot {
  uint64_t size = 0;
  FILETIME lastWrite{};
  bool operator==(const SourceSnapshot& other) const {
    return size == other.size && lastWrite.dwLowDateTime == other.lastWrite.dwLowDateTime &&
           lastWrite.dwHighDateTime == other.lastWrite.dwHighDateTime;
  }
};

bool TakeSnapshot(HANDLE file, SourceSnapshot* snapshot) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return false;
  snapshot->size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  snapshot->lastWrite = info.ftLastWriteTime;
  return true;
}

// The source, open for reading, and what its content was when it was opened.
struct OpenedSource {
  UniqueTextStream stream;
  SourceSnapshot before;

  HANDLE File() const { return textfile::TextStreamHandle(stream.get()); }
};

// The temporary copy and the filter that wrote it. The stream is declared
// after the file so that it is closed before the file is deleted.
struct FilteredCopy {
  TemporaryFile temporary;
  UniqueTextStream output;
  PanoseFilter filter;
};

// Gives the temporary copy the destination's access rights before anything is
// written into it, so that the new content is never open to more users than
// the old was. ReplaceFileA keeps the destination's rights too, where the
// platform's replacement does; a volume without access rights has none to give.
void CopyAccessRights(const std::string& from, const std::string& to) {
  std::string descriptor(512, '\0');
  DWORD needed = 0;
  while (!GetFileSecurityA(from.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(),
                           static_cast<DWORD>(descriptor.size()), &needed)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= descriptor.size()) return;
    descriptor.resize(needed);
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (!GetSecurityDescriptorControl(descriptor.data(), &control, &revision)) return;
  const SECURITY_INFORMATION which =
      DACL_SECURITY_INFORMATION |
      ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
  SetFileSecurityA(to.c_str(), which, descriptor.data());
}

// Moves the finished copy onto the destination. A destination that did not
// exist is never replaced, so one that appeared meanwhile is kept. One that
// existed, and that the user allowed to be replaced, is replaced by
// ReplaceFileA, which keeps its attributes, security and creation time; a
// destination made read-only, hidden or system meanwhile is refused here as it
// would have been before the copy. Empty on success, else the message to show.
std::string MoveIntoPlace(const std::string& temporary, const std::string& destination, bool destinationExisted) {
  if (destinationExisted) {
    const std::string fixed = ReasonDestinationIsFixed(destination);
    if (!fixed.empty()) return FailureText(kCannotWriteDestination, destination, fixed);
    if (ReplaceFileA(destination.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr))
      return {};
    const DWORD error = GetLastError();
    // Removed meanwhile (there is nothing left to keep), or gone in the
    // replacement's last step: the copy takes the free name.
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT)
      return FailureText(kCannotReplaceDestination, destination, SystemErrorText(error));
  }
  if (MoveFileExA(temporary.c_str(), destination.c_str(), 0)) return {};
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
    return FailureText(kCannotCreateDestination, destination, kDestinationAppeared);
  return FailureText(kCannotCreateDestination, destination, SystemErrorText(error));
}

enum class CopyEnd { kEndOfData, kWriteFailed, kStopped };

// Reads the input's line pieces to the end of its data and passes them,
// filtered, to write(text, length), which returns false when it could not
// write them. Each piece is read into a line buffer of the usual 4096 bytes
// that begins where the last piece ended, and the pieces are filtered and
// written some 16 KiB at a time. The filter gives the same text for pieces
// together as for the pieces one by one (no marker holds a line feed, and the
// bytes of a marker cut off at the end are held back for the next round), in
// far fewer calls. A read error ends the data too: the caller asks the stream.
template <class Write>
CopyEnd CopyThroughFilter(textfile::TextStream* input, PanoseFilter& filter, ConversionDialogs& dialogs,
                          Write&& write) {
  filter.Reset();
  // Holds the input's lock throughout instead of taking it for every piece.
  const textfile::TextFileLock inputLock(input);
  char pieces[kGatheredSize + kLineBufferSize];
  size_t gathered = 0;  // read and not yet filtered, at pieces[0, gathered)
  for (bool endOfData = false; !endOfData;) {
    const long length = textfile::ReadTextLineUnlocked(pieces + gathered, kLineBufferSize - 1, input);
    if (length >= 0)
      gathered += static_cast<size_t>(length);
    else
      endOfData = true;
    if (gathered >= kGatheredSize || (endOfData && gathered > 0)) {
      const size_t kept = filter.FilterBuffer(pieces, gathered, sizeof pieces);
      // At the end of the data held bytes would be no marker after all.
      const size_t heldBack = endOfData ? 0 : filter.PartialMarkerAtEnd(pieces, kept);
      if (!write(pieces, kept - heldBack)) return CopyEnd::kWriteFailed;
      std::memmove(pieces, pieces + kept - heldBack, heldBack);
      gathered = heldBack;
    }
    if (!endOfData && dialogs.StopRequested()) return CopyEnd::kStopped;
  }
  return CopyEnd::kEndOfData;
}

// The data ended where the document does: no read error cut them short, and no
// data follow a Ctrl-Z that the text mode took for the end. `name` names the
// input in the message.
StepEnd CheckReadToItsEnd(textfile::TextStream* input, const std::string& name) {
  if (textfile::TextStreamFailed(input)) return Failure(FailureText(kSourceReadFailed, name, LastFileError()));
  textfile::EndOfFileMarkReport mark;
  if (textfile::InspectEndOfFileMark(input, &mark) != 0)
    return Failure(FailureText(kSourceReadFailed, name, LastFileError()));
  if (mark.otherDataFollows) return Failure(EndOfFileMarkText(name, mark.markOffset));
  return std::nullopt;
}

// Refused before anything is asked or opened: a suffix that names no file
// name; a name the code page cannot hold, which arrives with "?" in it and
// would reach the file functions as a pattern that could name another file.
StepEnd RefuseUnusableNames(const ConversionRequest& request, const std::string& destination) {
  if (request.appendSuffix && !SuffixFitsAFileName(request.suffix))
    return Failure(FailureText(kSuffixNotForFileNames, destination, kFileNameRule));
  if (HasUnusableCharacter(request.sourcePath)) return Failure(UnusableNameText(request.sourcePath));
  if (HasUnusableCharacter(destination)) return Failure(UnusableNameText(destination));
  return std::nullopt;
}

// The source is opened first, so that a source that cannot be read, or is
// no file on a disk, is reported before the user is asked anything.
StepEnd OpenCheckedSource(const std::string& path, OpenedSource* source) {
  source->stream.reset(textfile::OpenTextFile(path.c_str(), "rt"));
  if (!source->stream) return Failure(CannotOpenSourceMessage(path));
  // A serial port, a pipe or a console would be read until it ends, which may be never.
  if (GetFileType(source->File()) != FILE_TYPE_DISK)
    return Failure(FailureText(kSourceNotOnDisk, path, kSourceNotOnDiskReason));
  // Without the large buffer the standard one serves, only more slowly.
  textfile::SetTextFileBuffer(source->stream.get(), nullptr, textfile::kFullyBuffered, kStreamBufferSize);
  if (!ReadCarriageReturnsAsLineEnds(source->stream.get()))
    return Failure(FailureText(kCannotOpenSource, path, LastFileError()));
  if (!TakeSnapshot(source->File(), &source->before))
    return Failure(FailureText(kCannotOpenSource, path, SystemErrorText(GetLastError())));
  return std::nullopt;
}

// An existing destination is replaced only when it may be and the user allows
// it. *exists tells whether it existed.
StepEnd CheckDestination(const std::string& source, const std::string& destination, ConversionDialogs& dialogs,
                         bool* exists) {
  textfile::PathStatus status;
  *exists = textfile::QueryPathStatus(destination.c_str(), &status) == 0;
  if (!*exists) return std::nullopt;
  // Refused before the question: answering it could not make these work.
  if (SameFile(source, destination)) return Failure(SameFileText(destination));
  const std::string fixed = ReasonDestinationIsFixed(destination);
  if (!fixed.empty()) return Failure(FailureText(kCannotWriteDestination, destination, fixed));
  if (!dialogs.ConfirmOverwrite(destination)) return EarlyEnd{ConversionOutcome::kDeclined, {}};
  const unsigned long denied = ProbeReplaceAccess(destination);
  if (denied != ERROR_SUCCESS)
    return Failure(FailureText(kCannotWriteDestination, destination, SystemErrorText(denied)));
  return std::nullopt;
}

// Writes the filtered source into a new temporary file beside the destination,
// which gets the rights of the destination it is to replace.
StepEnd CopyIntoTemporary(const OpenedSource& source, const std::string& destination, bool destinationExists,
                          ConversionDialogs& dialogs, FilteredCopy* copy) {
  if (const unsigned long error = copy->temporary.CreateBeside(destination); error != ERROR_SUCCESS)
    return Failure(FailureText(kCannotCreateDestination, destination, SystemErrorText(error)));
  if (destinationExists) CopyAccessRights(destination, copy->temporary.path());
  // "at", not "wt": the file was made empty a moment ago, and emptying it
  // again makes ext4 (under Wine on Linux) write the whole copy out when it is
  // closed, which now and then holds the conversion up for tens of
  // milliseconds. Appending to the empty file writes the same bytes.
  copy->output.reset(textfile::OpenTextFile(copy->temporary.path().c_str(), "at"));
  textfile::TextStream* const output = copy->output.get();
  if (!output) return Failure(FailureText(kCannotCreateDestination, destination, LastFileError()));
  textfile::SetTextFileBuffer(output, nullptr, textfile::kFullyBuffered, kStreamBufferSize);

  // The copy holds the output's lock throughout instead of taking it for
  // every write.
  const textfile::TextFileLock outputLock(output);
  const CopyEnd end = CopyThroughFilter(
      source.stream.get(), copy->filter, dialogs,
      [&](const char* text, size_t length) { return textfile::WriteTextLineUnlocked(text, length, output) >= 0; });
  if (end == CopyEnd::kStopped) return EarlyEnd{ConversionOutcome::kStopped, {}};
  if (end == CopyEnd::kWriteFailed) return Failure(FailureText(kDestinationWriteFailed, destination, LastFileError()));
  return std::nullopt;
}

// A copy of a source that was not read to its end, or was written to while it
// was read, is a copy of no version of it; nor is one of a group never closed.
StepEnd CheckSourceReadWholeAndUnchanged(const std::string& path, const OpenedSource& source,
                                         const PanoseFilter& filter) {
  if (StepEnd end = CheckReadToItsEnd(source.stream.get(), path)) return end;
  SourceSnapshot after;
  if (!TakeSnapshot(source.File(), &after))
    return Failure(FailureText(kSourceReadFailed, path, SystemErrorText(GetLastError())));
  if (!(after == source.before)) return Failure(FailureText(kSourceChanged, path, kSourceChangedReason));
  if (filter.inside()) return Failure(GroupNotClosedText(path));
  return std::nullopt;
}

// Closes the copy, keeping the close's result (its last bytes are written
// then), and moves it onto the destination.
StepEnd PutInPlace(FilteredCopy& copy, const std::string& destination, bool destinationExisted) {
  if (textfile::CloseTextFile(copy.output.release()) != 0)
    return Failure(FailureText(kDestinationWriteFailed, destination, LastFileError()));
  if (std::string failure = MoveIntoPlace(copy.temporary.path(), destination, destinationExisted); !failure.empty())
    return Failure(std::move(failure));
  copy.temporary.Release();
  return std::nullopt;
}

}  // namespace

std::string FailureText(const char* what, const std::string& path, const std::string& reason) {
  return std::string(what) + "\n" + path + "\n" + reason;
}

std::string CannotOpenSourceText(const std::string& path, unsigned long error) {
  return FailureText(kCannotOpenSource, path, SystemErrorText(error));
}

bool SuffixFitsAFileName(std::string_view suffix) {
  // Characters that no file name holds.
  constexpr char kCharactersNoFileNameHolds[] = "\\/:*?\"<>|";
  // Double-byte aware: the second byte of a Shift-JIS character may be 0x5C or 0x7C.
  bool endsInSpaceOrDot = false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    const char c = suffix[i];
    endsInSpaceOrDot = c == ' ' || c == '.';
    if (IsLeadByte(c) && i + 1 < suffix.size()) {
      ++i;
    } else if (static_cast<unsigned char>(c) < 0x20 || std::strchr(kCharactersNoFileNameHolds, c)) {
      return false;
    }
  }
  return !endsInSpaceOrDot;
}

std::wstring FolderAsHeld(std::wstring fullPath) {
  const size_t prefix = fullPath.starts_with(L"\\\\?\\") || fullPath.starts_with(L"\\\\.\\") ? 4 : 0;
  while (fullPath.size() > prefix + 3 && fullPath.back() == L'\\') fullPath.pop_back();
  return fullPath;
}

std::string DestinationPathFor(std::string_view sourcePath, std::string_view destinationFolder, bool appendSuffix,
                               std::string_view suffix) {
  std::string destination(destinationFolder);
  const size_t slash = LastBackslash(sourcePath);
  if (slash != std::string_view::npos) {
    std::string_view fileName = sourcePath.substr(slash);
    // A drive root keeps its backslash, and the doubled one that follows is
    // harmless, except after "\\?\": such a path reaches the file system as
    // it stands, and Windows refuses the empty name between the two.
    if (destination.starts_with(kVerbatimPrefix) && LastBackslash(destination) == destination.size() - 1)
      fileName.remove_prefix(1);
    destination += fileName;
  }
  if (appendSuffix) destination += suffix;
  return destination;
}

ConversionResult ConvertDocument(const ConversionRequest& request, ConversionDialogs& dialogs) {
  if (request.sourcePath.empty()) return {};
  return ConvertDocument(
      request, DestinationPathFor(request.sourcePath, request.destinationFolder, request.appendSuffix, request.suffix),
      dialogs);
}

ConversionResult ConvertDocument(const ConversionRequest& request, const std::string& destination,
                                 ConversionDialogs& dialogs) {
  const auto ended = [&](StepEnd& end) { return EndedEarly(destination, std::move(*end), dialogs); };
  const std::string& sourcePath = request.sourcePath;
  if (StepEnd end = RefuseUnusableNames(request, destination)) return ended(end);
  OpenedSource source;
  if (StepEnd end = OpenCheckedSource(sourcePath, &source)) return ended(end);
  bool existed = false;
  if (StepEnd end = CheckDestination(sourcePath, destination, dialogs, &existed)) return ended(end);
  FilteredCopy copy;
  if (StepEnd end = CopyIntoTemporary(source, destination, existed, dialogs, &copy)) return ended(end);
  if (StepEnd end = CheckSourceReadWholeAndUnchanged(sourcePath, source, copy.filter)) return ended(end);
  source.stream.reset();  // read: closed before the copy is put in place
  if (StepEnd end = PutInPlace(copy, destination, existed)) return ended(end);
  return {ConversionOutcome::kConverted, destination, {}, copy.filter.groupsRemoved()};
}

ConversionResult ConvertStandardStreams(ConversionDialogs& dialogs) {
  const auto ended = [&](EarlyEnd end) { return EndedEarly(kStandardOutputName, std::move(end), dialogs); };
  textfile::TextStream* const input = textfile::StandardTextStream(textfile::StandardStream::kInput);
  textfile::TextStream* const output = textfile::StandardTextStream(textfile::StandardStream::kOutput);
  if (textfile::SetTextFileBuffer(input, nullptr, textfile::kFullyBuffered, kStreamBufferSize) != 0 ||
      !ReadCarriageReturnsAsLineEnds(input))
    return ended(Failure(FailureText(kCannotOpenSource, kStandardInputName, LastFileError())));

  // The converted text is held until the input has been read to its end, so
  // that a document refused at its end (a read error, data after a Ctrl-Z)
  // writes nothing at all, as a refused conversion leaves no file.
  std::string converted;
  PanoseFilter filter;
  const CopyEnd end = CopyThroughFilter(input, filter, dialogs, [&](const char* text, size_t length) {
    converted.append(text, length);
    return true;
  });
  if (end == CopyEnd::kStopped) return ended({ConversionOutcome::kStopped, {}});
  if (StepEnd refused = CheckReadToItsEnd(input, kStandardInputName)) return ended(std::move(*refused));
  if (filter.inside()) return ended(Failure(GroupNotClosedText(kStandardInputName)));

  // One platform write per buffer of translated text instead of one per line
  // feed's 128-byte block.
  textfile::SetTextFileBuffer(output, nullptr, textfile::kFullyBuffered, kStreamBufferSize);
  if (textfile::WriteTextLine(converted.data(), converted.size(), output) < 0 || textfile::FlushTextFile(output) != 0)
    return ended(Failure(FailureText(kDestinationWriteFailed, kStandardOutputName, LastFileError())));
  return {ConversionOutcome::kConverted, kStandardOutputName, {}, filter.groupsRemoved()};
}
