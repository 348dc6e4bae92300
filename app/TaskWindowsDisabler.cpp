// Disabling the thread's other windows, and enabling them again.
#include "app/TaskWindowsDisabler.h"

#include "framework/ThreadWindows.h"
#include "runtime/ScopeExit.h"

TaskWindowsDisabler::TaskWindowsDisabler() {
  // Should the list fail to grow, the windows disabled so far come back.
  auto enableOnError = ScopeExit([this] { EnableAgain(); });
  ForEachThreadWindow([&](HWND window) {
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
      disabled_.push_back(window);
      EnableWindow(window, FALSE);
    }
  });
  enableOnError.Dismiss();
}

void TaskWindowsDisabler::EnableAgain() {
  for (HWND window : disabled_)
    if (IsWindow(window)) EnableWindow(window, TRUE);
  disabled_.clear();
}
