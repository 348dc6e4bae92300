// The one way the program shows a message box.
#include "app/MessageBox.h"

#include "app/Application.h"
#include "app/TaskWindowsDisabler.h"

int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags, HWND owner) {
  if (flags & MB_TASKMODAL)
    owner = nullptr;
  else if (!owner && Application)
    owner = Application->Handle();
  HWND active = GetActiveWindow();
  TaskWindowsDisabler disabled;
  const int answer = ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
  disabled.EnableAgain();
  if (active && IsWindow(active)) SetActiveWindow(active);
  return answer;
}
