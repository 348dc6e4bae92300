// Enumerating the thread's windows with errors carried past the callback.
#include "framework/ThreadWindows.h"

#include <exception>

namespace {

struct Enumeration {
  const std::function<void(HWND)>& action;
  std::exception_ptr error;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM parameter) {
  auto& enumeration = *reinterpret_cast<Enumeration*>(parameter);
  try {
    enumeration.action(window);
    return TRUE;
  } catch (...) {
    enumeration.error = std::current_exception();
    return FALSE;
  }
}

}  // namespace

void ForEachThreadWindow(const std::function<void(HWND window)>& action) {
  Enumeration enumeration{action, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), VisitWindow, reinterpret_cast<LPARAM>(&enumeration));
  if (enumeration.error) std::rethrow_exception(enumeration.error);
}
