// Scratch folders, raw file access and child processes for tests.
#include "tests/support/TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "runtime/AnsiNames.h"

namespace {

std::string ErrorSuffix() {
  return " (error " + std::to_string(GetLastError()) + ")";
}

}  // namespace

std::string MakeUniqueFolder(const std::string& parent, const std::string& stem) {
  static unsigned counter = 0;
  for (;;) {
    std::string path = parent;
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += stem + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    if (CreateDirectoryA(path.c_str(), nullptr)) return path;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot create " << path << ErrorSuffix();
      return path;
    }
  }
}

namespace {

// Wide functions by wide names; with the "\\?\" prefix paths of any length.
void RemoveWideTree(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveWideTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace

void RemoveTree(const std::string& path) {
  const bool network = path.starts_with("\\\\");
  RemoveWideTree(network ? L"\\\\?\\UNC\\" + ToWide(path.substr(2)) : L"\\\\?\\" + ToWide(path));
}

void MakeWideEntry(const std::string& folder, const std::wstring& name, bool isFolder) {
  const std::wstring path = ToWide(folder) + L"\\" + name;
  if (isFolder) {
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << folder << ErrorSuffix();
    return;
  }
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << folder << ErrorSuffix();
  CloseHandle(file);
}

void MakeApproximateNames(const std::string& folder) {
  WriteFileBytes(folder + "\\e.rtf", "x\n");
  MakeWideEntry(folder, L"\u00E9.rtf");
  MakeWideEntry(folder, L"a\u00A5b.rtf");
  MakeWideEntry(folder, L"a", true);
  WriteFileBytes(folder + "\\a\\b.rtf", "x\n");
  MakeWideEntry(folder, L"\uD55C\uAD6D.rtf");
  MakeWideEntry(folder, L"\u00E9", true);
  MakeWideEntry(folder, L"\u00A5", true);
}

ScratchFolder::ScratchFolder(const std::string& name) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  path_ = MakeUniqueFolder(temp, name);
}

ScratchFolder::~ScratchFolder() {
  RemoveTree(path_);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  WriteFileBytes(ToWide(path), bytes);
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create " << path << ErrorSuffix();
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(ok && written == bytes.size()) << "cannot write " << path << ErrorSuffix();
}

std::string ReadFileBytes(const std::string& path) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "cannot open " << path << ErrorSuffix();
    return {};
  }
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length);
  return folder.substr(0, folder.rfind('\\'));  // the build folder's name is ASCII
}

std::string FirstTwoLines(const std::string& text) {
  return text.substr(0, text.find('\n', text.find('\n') + 1));
}

std::string Quoted(const std::string& argument) {
  return "\"" + argument + "\"";
}

namespace {

// Reads a pipe to its end on a thread of its own, so neither pipe can fill up
// and stall the child.
std::thread DrainPipe(HANDLE pipe, std::string* into) {
  return std::thread([pipe, into] {
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got > 0) into->append(chunk, got);
    CloseHandle(pipe);
  });
}

// Writes the bytes into a pipe on a thread of its own and closes it, which
// ends the reader's data.
std::thread FeedPipe(HANDLE pipe, const std::string& bytes) {
  return std::thread([pipe, &bytes] {
    DWORD written = 0;
    for (size_t done = 0; done < bytes.size(); done += written)
      if (!WriteFile(pipe, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr)) break;
    CloseHandle(pipe);
  });
}

}  // namespace

ProcessResult RunProgram(const std::string& commandLine, const ProgramOptions& options) {
  return RunProgram(ToWide(commandLine), options);
}

ProcessResult RunProgram(const std::wstring& commandLine, const ProgramOptions& options) {
  ProcessResult result;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite;
  if (!CreatePipe(&outRead, &outWrite, &inheritable, 0) || !CreatePipe(&errRead, &errWrite, &inheritable, 0)) {
    ADD_FAILURE() << "CreatePipe" << ErrorSuffix();
    return result;
  }
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  if (options.outputUnwritable) {
    CloseHandle(outRead);  // every write of the child then fails: the pipe is broken
    outRead = nullptr;
  }

  HANDLE inRead = nullptr, inWrite = nullptr;
  if (options.input) {
    if (!CreatePipe(&inRead, &inWrite, &inheritable, 0)) ADD_FAILURE() << "CreatePipe" << ErrorSuffix();
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
  }

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = options.input ? inRead : GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = options.sharedOutput ? options.sharedOutput : outWrite;
  startup.hStdError = options.sharedOutput ? options.sharedOutput : errWrite;
  PROCESS_INFORMATION process{};
  std::wstring mutableLine = commandLine;
  const std::wstring folder = ToWide(options.folder);
  const BOOL started = CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, options.creationFlags,
                                      nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process);
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  if (inRead) CloseHandle(inRead);
  std::thread inWriter = inWrite ? FeedPipe(inWrite, *options.input) : std::thread();
  std::thread outReader = outRead ? DrainPipe(outRead, &result.output) : std::thread();
  std::thread errReader = DrainPipe(errRead, &result.errors);
  if (started) {
    if (options.whileRunning) options.whileRunning(process.dwProcessId);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_TIMEOUT) {
      ADD_FAILURE() << "still running after a minute: " << commandLine;
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, INFINITE);
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  } else {
    ADD_FAILURE() << "cannot start " << commandLine << ErrorSuffix();
  }
  if (inWriter.joinable()) inWriter.join();
  if (outReader.joinable()) outReader.join();
  errReader.join();
  return result;
}
