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
void RemoveTree(const std::string& path);

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
  std::string folder;                 // the child's current folder; empty: ours
  bool outputUnwritable = false;      // standard output is a pipe whose reader has gone
  unsigned long creationFlags = 0;    // for CreateProcessW
  // When set, standard input is a pipe that gives these bytes and then ends.
  const std::string* input = nullptr;
  // Called once the child runs, with its process id, before waiting for its end.
  std::function<void(unsigned long processId)> whileRunning;
};
ProcessResult RunProgram(const std::string& commandLine, const ProgramOptions& options = {});
// The same with a command line in UTF-16, as a shell passes names that the
// ANSI code page cannot hold.
ProcessResult RunProgram(const std::wstring& commandLine, const ProgramOptions& options = {});

// Quotes an argument for a command line.
std::string Quoted(const std::string& argument);
