// Scratch folders and raw file access for tests that work with real files.
#pragma once

#include <functional>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class ScratchFolder {
public:
  explicit ScratchFolder(const std::string& name = "quorvel-test");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + "\" + name
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
  std::string path_;
};

// A folder made inside another location (such as the full test drive).
std::string MakeUniqueFolder(const std::string& parent, const std::string& stem);
// Removes a folder and everything in it, names the code page cannot hold and
// paths of any length included.
void RemoveTree(const std::string& path);

// An empty file, or a folder, named by its wide name in a folder: for names
// that the ANSI code page holds only approximately, or not at all.
void MakeWideEntry(const std::string& folder, const std::wstring& name, bool isFolder = false);
// Names whose best-fit ANSI forms are other entries of the folder: é.rtf beside
// e.rtf, a¥b.rtf (the yen sign) beside the folder a holding b.rtf, 한국.rtf, and
// the folders é and ¥. Each holds a character code page 932 lacks.
void MakeApproximateNames(const std::string& folder);

// Whole-file access without any translation; a UTF-16 path may name what
// the ANSI code page cannot.
void WriteFileBytes(const std::string& path, const std::string& bytes);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool PathExists(const std::string& path);
// File names in a folder, "." and ".." left out, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

// The folder of the running test program (build/bin).
std::string ProgramFolder();

// Runs a program to its end; its output is collected through pipes.
struct ProcessResult {
  unsigned long exitCode = 0;
  std::string output, errors;
};
struct ProgramOptions {
  std::string folder;               // the child's current folder; empty: ours
  bool outputUnwritable = false;    // standard output is a pipe whose reader has gone
  unsigned long creationFlags = 0;  // for CreateProcessW
  // When set, the child's standard output and error both go to this handle
  // (a console screen buffer, say) instead of the pipes.
  void* sharedOutput = nullptr;
  // When set, standard input is a pipe that gives these bytes and then ends.
  const std::string* input = nullptr;
  // Called once the child runs, with its process id, before waiting for its end.
  std::function<void(unsigned long processId)> whileRunning;
};
ProcessResult RunProgram(const std::string& commandLine, const ProgramOptions& options = {});
// The same with a command line in UTF-16, as a shell passes names that the
// ANSI code page cannot hold.
ProcessResult RunProgram(const std::wstring& commandLine, const ProgramOptions& options = {});

// The first two lines of a message: what went wrong, and the file.
std::string FirstTwoLines(const std::string& text);

// Quotes an argument for a command line.
std::string Quoted(const std::string& argument);
