// The one way the program shows a message box.
#pragma once

#include <windows.h>

#include <string>

// MessageBoxA with the text, caption and flags (buttons, icon) given; returns
// its answer, 0 when no box could be shown. The box belongs to `owner`, else
// to the application window; a task-modal box belongs to no window. While it
// is up every other window of the thread is disabled, the application window
// too, so that nothing starts behind it: no click or drop on a form, and no
// second close from the taskbar entry. Afterwards exactly those windows are
// enabled again, and the window that was active is active again.
int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags, HWND owner = nullptr);
