// Starts the window program, waits for its main window and ends it with its
// Exit button, as a user trying out a fresh copy would:
//   program-start-check PROGRAM.exe
// Exit status 0 when the main window came up and the program then ended by
// itself with status 0; otherwise 1, with the reason on standard error.
#include <windows.h>

#include <cstdio>
#include <string>

#include "main/SettingsKey.h"
#include "runtime/ScopeExit.h"
#include "runtime/UniqueHandle.h"
#include "tests/support/QuorvelDriver.h"

using namespace quorvel_driver;

namespace {

int Fail(const std::string& reason) {
  std::fprintf(stderr, "program-start-check: %s\n", reason.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return Fail("usage: program-start-check PROGRAM.exe");
  const std::string program = argv[1];

  // A first start: no saved settings whose restoring could show a message
  // first, and nothing saved by this run is left behind.
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  const ScopeExit forgetSettings([] { RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); });

  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started))
    return Fail("cannot start " + program + " (error " + std::to_string(GetLastError()) + ")");
  const UniqueKernelObject process(started.hProcess);
  const UniqueKernelObject thread(started.hThread);
  // Whatever went wrong, the program does not outlive the check.
  const ScopeExit endProgram([&process] {
    if (WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process.get(), 99);
      WaitForSingleObject(process.get(), kPatience);
    }
  });

  HWND mainWindow = nullptr;
  const auto ended = [&] { return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0; };
  WaitFor([&] { return (mainWindow = FindTopWindow(started.dwProcessId, "TForm1", kMainCaption)) || ended(); });
  if (!mainWindow)
    return Fail(ended() ? "the program ended before its main window appeared" : "the main window did not appear");
  if (!WaitFor([&] { return IsWindowEnabled(mainWindow) && Settle(mainWindow); }))
    return Fail("the main window does not answer");
  const HWND exitButton = ControlWithText(mainWindow, "Button", "Exit");
  if (!exitButton) return Fail("the main window has no Exit button:" + DescribeChildren(mainWindow));
  Click(exitButton);

  if (WaitForSingleObject(process.get(), kPatience) != WAIT_OBJECT_0) return Fail("the program did not end");
  DWORD status = 0;
  GetExitCodeProcess(process.get(), &status);
  if (status != 0) return Fail("the program ended with status " + std::to_string(status));
  std::printf("program-start-check: the main window came up and the program ended\n");
  return 0;
}
