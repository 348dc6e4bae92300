// bench_startup: how long the window program takes from process creation to
// a main window that is visible, painted and answering messages, next to a
// minimal window program started the same way, and the working set of each
// at that moment.
//
//   bench_startup FOLDER RUNS QUORVEL MINIMAL
//     FOLDER   the folder the programs start in (their current directory)
//     RUNS     timed starts of each program; the median counts (5 or more)
//     QUORVEL  the window program; its main window has the class TForm1
//     MINIMAL  the baseline, started twice a round: as it is ("minimal": the
//              main window's shape in plain controls) and with the argument
//              "bare" (the window alone); its window has the class StartupMinimal
//
// One start: the clock starts just before CreateProcessA. This program then
// looks every millisecond for a visible top-level window of the new process
// with the expected class; once there is one, it waits until neither that
// window nor any visible window inside it has anything left to paint (an
// empty update region), then sends WM_NULL and waits for the answer, which
// comes only when the program is in its message loop; a window still painted
// after the answer stops the clock. The working set (GetProcessMemoryInfo) is
// read right then, and the program is closed with WM_CLOSE.
//
// The programs take turns (one start of each per round, the order turning by
// one every round), after one start of each that is not timed, so that all
// find the same warm caches and the same load on the machine.
//
// The window program's settings: before each of its starts they are set to
// what a returning user has (a source document in FOLDER\docs, the destination
// FOLDER\out, a suffix, the option on), so that every start restores the same
// state. What the key held before is put back at the end, to the last value.
//
// Prints "name value" lines: every start (quorvel_ms, minimal_ms, bare_ms,
// with the working set in KiB as a third field), then per program the median
// time (NAME_median_ms) and the median working set (NAME_working_set_kb).
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "main/SettingsKey.h"
#include "runtime/UniqueHandle.h"

namespace {

constexpr DWORD kPatienceMs = 30000;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A registry key with its values and subkeys, to be put back as it was.
struct KeySnapshot {
  struct Value {
    std::string name;
    DWORD type;
    std::vector<BYTE> data;
  };
  std::vector<Value> values;
  std::vector<std::pair<std::string, KeySnapshot>> subkeys;
};

KeySnapshot TakeSnapshot(HKEY key) {
  KeySnapshot snapshot;
  for (DWORD index = 0;; ++index) {
    char name[16384];
    DWORD nameLength = sizeof name;
    DWORD type = 0, size = 0;
    if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    KeySnapshot::Value value{std::string(name, nameLength), type, std::vector<BYTE>(size)};
    nameLength = sizeof name;
    if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, value.data.data(), &size) == ERROR_SUCCESS) {
      value.data.resize(size);
      snapshot.values.push_back(std::move(value));
    }
  }
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD nameLength = sizeof name;
    if (RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    UniqueRegKey subkey;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, subkey.put()) == ERROR_SUCCESS)
      snapshot.subkeys.emplace_back(name, TakeSnapshot(subkey.get()));
  }
  return snapshot;
}

void WriteSnapshot(HKEY key, const KeySnapshot& snapshot) {
  for (const KeySnapshot::Value& value : snapshot.values)
    RegSetValueExA(key, value.name.c_str(), 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
  for (const auto& [name, content] : snapshot.subkeys) {
    UniqueRegKey subkey;
    if (RegCreateKeyExA(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, subkey.put(), nullptr) ==
        ERROR_SUCCESS)
      WriteSnapshot(subkey.get(), content);
  }
}

// Holds what the settings key held when the benchmark began and puts it back,
// or removes the key when there was none.
class SettingsKeeper {
public:
  SettingsKeeper() {
    UniqueRegKey key;
    existed_ = RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
    if (existed_) snapshot_ = TakeSnapshot(key.get());
  }
  ~SettingsKeeper() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    if (!existed_) return;
    UniqueRegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) ==
        ERROR_SUCCESS)
      WriteSnapshot(key.get(), snapshot_);
  }
  SettingsKeeper(const SettingsKeeper&) = delete;
  SettingsKeeper& operator=(const SettingsKeeper&) = delete;

private:
  bool existed_ = false;
  KeySnapshot snapshot_;
};

// The settings of a returning user, as the program stores them (text values).
bool WriteReturningUserSettings(const std::string& folder) {
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  UniqueRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\" + kSettingsSection).c_str(), 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return false;
  const std::pair<const char*, std::string> values[] = {
      {"SourceFile", folder + "\\docs\\manual.rtf"},
      {"DestDir", folder + "\\out"},
      {"TextPlus", "_hcw"},
      {"IsTextPlus", "1"},
  };
  for (const auto& [name, text] : values)
    if (RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS)
      return false;
  return true;
}

struct WindowSearch {
  DWORD processId;
  const char* className;
  HWND found = nullptr;
  HWND messageBox = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, search->className) == 0) search->found = window;
  if (lstrcmpA(name, "#32770") == 0) search->messageBox = window;
  return TRUE;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

// Nothing left to paint in the window or any visible window inside it.
bool Painted(HWND window) {
  std::vector<HWND> windows{window};
  EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&windows));
  for (HWND each : windows)
    if (IsWindowVisible(each) && GetUpdateRect(each, nullptr, FALSE)) return false;
  return true;
}

struct StartFigures {
  double milliseconds = 0;
  SIZE_T workingSet = 0;
};

// One start of `program` in `folder`, measured, then closed. False (with the
// reason on standard error) when it did not come up or did not end.
bool MeasureStart(const std::string& program, const std::string& arguments, const char* className,
                  const std::string& folder, StartFigures* figures) {
  std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  // The process and thread handles, closed however the start ends.
  struct OwnedProcess : PROCESS_INFORMATION {
    ~OwnedProcess() {
      if (hThread) CloseHandle(hThread);
      if (hProcess) CloseHandle(hProcess);
    }
  } process{};
  LARGE_INTEGER start, ready;
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &process)) {
    std::fprintf(stderr, "bench_startup: cannot start %s (error %lu)\n", program.c_str(), GetLastError());
    return false;
  }

  HWND window = nullptr;
  bool ok = false;
  const ULONGLONG until = GetTickCount64() + kPatienceMs;
  while (GetTickCount64() < until) {
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
      std::fprintf(stderr, "bench_startup: %s ended during start-up\n", program.c_str());
      break;
    }
    WindowSearch search{process.dwProcessId, className};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.messageBox) {
      char text[512] = "";
      GetDlgItemTextA(search.messageBox, 0xFFFF, text, sizeof text);
      std::fprintf(stderr, "bench_startup: %s shows a message box: %s\n", program.c_str(), text);
      break;
    }
    window = search.found;
    DWORD_PTR ignored = 0;
    if (window && Painted(window) && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kPatienceMs, &ignored) &&
        Painted(window)) {
      QueryPerformanceCounter(&ready);
      ok = true;
      break;
    }
    Sleep(1);
  }
  if (!ok) {
    if (!window) std::fprintf(stderr, "bench_startup: no window of class %s from %s\n", className, program.c_str());
    // Not up, or showing a message box: ended without being asked.
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, kPatienceMs);
    return false;
  }
  figures->milliseconds = Milliseconds(start, ready);
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters)) figures->workingSet = counters.WorkingSetSize;

  PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, kPatienceMs) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "bench_startup: %s did not end after WM_CLOSE\n", program.c_str());
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, kPatienceMs);
    return false;
  }
  return true;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// One of the programs compared, with what its starts gave.
struct Subject {
  const char* name;
  std::string program;
  std::string arguments;
  const char* className;
  bool restoresSettings;
  std::vector<double> milliseconds, workingSetsKb;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: bench_startup FOLDER RUNS QUORVEL MINIMAL\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int runs = std::atoi(argv[2]);
  if (runs < 1) {
    std::fprintf(stderr, "bench_startup: RUNS must be 1 or more\n");
    return 2;
  }
  Subject subjects[] = {
      {"quorvel", argv[3], "", "TForm1", true, {}, {}},
      {"minimal", argv[4], "", "StartupMinimal", false, {}, {}},
      {"bare", argv[4], "bare", "StartupMinimal", false, {}, {}},
  };
  constexpr int kSubjects = sizeof subjects / sizeof subjects[0];

  const SettingsKeeper keeper;
  auto start = [&](Subject& subject, bool timed) {
    if (subject.restoresSettings && !WriteReturningUserSettings(folder)) {
      std::fprintf(stderr, "bench_startup: cannot write the settings\n");
      return false;
    }
    StartFigures figures;
    if (!MeasureStart(subject.program, subject.arguments, subject.className, folder, &figures)) return false;
    if (!timed) return true;
    subject.milliseconds.push_back(figures.milliseconds);
    subject.workingSetsKb.push_back(static_cast<double>(figures.workingSet / 1024));
    std::printf("%s_ms %.1f %zu\n", subject.name, figures.milliseconds, figures.workingSet / 1024);
    return true;
  };

  for (Subject& subject : subjects)
    if (!start(subject, false)) return 1;
  for (int round = 0; round < runs; ++round) {
    for (int turn = 0; turn < kSubjects; ++turn)
      if (!start(subjects[(round + turn) % kSubjects], true)) return 1;
    std::fflush(stdout);
  }
  std::printf("runs %d\n", runs);
  for (const Subject& subject : subjects) {
    std::printf("%s_median_ms %.1f\n", subject.name, Median(subject.milliseconds));
    std::printf("%s_working_set_kb %.0f\n", subject.name, Median(subject.workingSetsKb));
  }
  return 0;
}
