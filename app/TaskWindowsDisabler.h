// Disabling the program's other windows while a modal window or a message box
// is up.
#pragma once

#include <windows.h>

#include <vector>

// Disables every visible, enabled top-level window of the thread and enables
// exactly those again.
class TaskWindowsDisabler {
public:
  TaskWindowsDisabler();
  ~TaskWindowsDisabler() { EnableAgain(); }
  TaskWindowsDisabler(const TaskWindowsDisabler&) = delete;
  TaskWindowsDisabler& operator=(const TaskWindowsDisabler&) = delete;
  void EnableAgain();

private:
  std::vector<HWND> disabled_;  // not owned
};
