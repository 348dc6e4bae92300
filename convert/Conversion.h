// The conversion command: one source RTF file into one destination folder,
// every panose group replaced by a space.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct ConversionRequest {
  std::string sourcePath{};         // full path of the source file; empty: nothing selected
  std::string destinationFolder{};  // as FolderAsHeld writes it: a drive root keeps its backslash (D:\)
  bool appendSuffix = false;
  std::string suffix{};  // appended after the extension; must fit a file name
};

// How a conversion talks to its user.
class ConversionDialogs {
public:
  virtual ~ConversionDialogs() = default;
  // The destination exists: may it be replaced?
  virtual bool ConfirmOverwrite(const std::string& destinationPath) = 0;
  // The conversion failed; the message names the file and the reason.
  virtual void ShowFailure(const std::string& message) = 0;
  // Asked between two line pieces of the copy: true stops the conversion, the
  // partial copy is removed and the destination stays as it was.
  virtual bool StopRequested() { return false; }
};

enum class ConversionOutcome { kNothingSelected, kDeclined, kConverted, kFailed, kStopped };

struct ConversionResult {
  ConversionOutcome outcome = ConversionOutcome::kNothingSelected;
  std::string destinationPath;
  std::string failureMessage;  // also passed to ShowFailure
  uint64_t groupsRemoved = 0;
};

// A full folder path in the form both programs hold a folder in, which is the
// form the system gives its current folder in, where the window program's
// folder lists take theirs from: a drive root keeps its backslash (C:\, and
// \\?\C:\, which without it names the volume instead of its root folder), any
// other folder has none.
std::wstring FolderAsHeld(std::wstring fullPath);

// The destination folder, then "\" and the source's file name (the source path
// from its last backslash on), then the suffix when it is to be appended. A
// drive root gives a doubled backslash (D:\\A.RTF), except after "\\?\".
std::string DestinationPathFor(std::string_view sourcePath, std::string_view destinationFolder, bool appendSuffix,
                               std::string_view suffix);

// True when the suffix can end a file name: none of \ / : * ? " < > | (which
// would name a place: another folder, an alternate data stream, a pattern), no
// control character, and no space or dot at its end, which Windows would drop
// so that the copy took another file's name.
bool SuffixFitsAFileName(std::string_view suffix);

// Converts one file. The destination is written under a temporary name in its
// folder and put in place only when complete, so an existing destination keeps
// its content when anything fails, and the source is never opened for writing.
// A new destination never replaces a file that appeared meanwhile; a replaced
// one keeps its attributes, security and creation time. A document that ends
// inside a panose group is refused rather than cut short. The source is read
// with a run of CRs (and the LF after it) as one line end.
ConversionResult ConvertDocument(const ConversionRequest& request, ConversionDialogs& dialogs);
// The same into a destination path that the caller has worked out with
// DestinationPathFor from this request's source, folder and suffix, so that a
// caller who looks at the destination first (quorvel-convert's --update)
// converts into the very path it looked at.
ConversionResult ConvertDocument(const ConversionRequest& request, const std::string& destinationPath,
                                 ConversionDialogs& dialogs);

// The filter mode: converts the document on the standard input and writes it to
// the standard output, through the text-mode layer's standard streams and the
// same filter and line ends, with the same refusals (a read error, data after
// a Ctrl-Z, a group never closed): a refused document writes nothing. The
// destination path names the output.
ConversionResult ConvertStandardStreams(ConversionDialogs& dialogs);

// A failure message in the program's style: what went wrong, the file, and
// why, on three lines.
std::string FailureText(const char* what, const std::string& path, const std::string& reason);

// The message of a source that cannot be opened, with the system's reason.
std::string CannotOpenSourceText(const std::string& path, unsigned long error);
