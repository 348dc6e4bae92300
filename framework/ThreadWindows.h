// Running code for each top-level window of the thread.
#pragma once

#include <windows.h>

#include <functional>

// Calls `action` for every top-level window of the calling thread
// (EnumThreadWindows). An error thrown by `action` stops the enumeration and
// is thrown again once the platform's call has returned: it never crosses the
// platform's callback.
void ForEachThreadWindow(const std::function<void(HWND window)>& action);
