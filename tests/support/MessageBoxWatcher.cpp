// A WH_CBT hook that reads and answers message boxes on the test's thread.
#include "tests/support/MessageBoxWatcher.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

MessageBoxWatcher* gActiveWatcher = nullptr;  // not owned: the one watching now

std::string WindowText(HWND window) {
  char text[2048] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool IsDialog(HWND window) {
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  return std::strcmp(className, "#32770") == 0;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(MessageBoxAnswer answer) : answer_(answer) {
  gActiveWatcher = this;
  hook_ = SetWindowsHookExA(WH_CBT, reinterpret_cast<HOOKPROC>(&MessageBoxWatcher::HookProcedure), nullptr,
                            GetCurrentThreadId());
  // Should an answer not be taken, the test fails instead of hanging.
  watchdog_ = SetTimer(nullptr, 0, 5000, reinterpret_cast<TIMERPROC>(&MessageBoxWatcher::OnWatchdog));
}

MessageBoxWatcher::~MessageBoxWatcher() {
  if (hook_) UnhookWindowsHookEx(static_cast<HHOOK>(hook_));
  if (watchdog_) KillTimer(nullptr, watchdog_);
  gActiveWatcher = nullptr;
}

long long __stdcall MessageBoxWatcher::HookProcedure(int code, unsigned long long wParam, long long lParam) {
  if (code == HCBT_ACTIVATE && gActiveWatcher && IsDialog(reinterpret_cast<HWND>(wParam)))
    gActiveWatcher->OnActivate(reinterpret_cast<HWND>(wParam));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

static BOOL CALLBACK EndUnansweredBox(HWND window, LPARAM) {
  if (IsDialog(window) && GetPropA(window, "QuorvelTestRead")) {
    ADD_FAILURE() << "a message box was not closed by its answer: " << WindowText(window);
    EndDialog(window, IDCANCEL);
  }
  return TRUE;
}

void __stdcall MessageBoxWatcher::OnWatchdog(HWND, unsigned, unsigned long long, unsigned long) {
  EnumThreadWindows(GetCurrentThreadId(), EndUnansweredBox, 0);
}

void MessageBoxWatcher::OnActivate(HWND dialog) {
  // A box is activated more than once when focus comes back to it; take it once.
  if (GetPropA(dialog, "QuorvelTestSeen")) return;
  SetPropA(dialog, "QuorvelTestSeen", reinterpret_cast<HANDLE>(1));
  // Some boxes are activated before their text is set: read and answer them
  // from the box's own message loop instead.
  SetTimer(nullptr, 0, 1, reinterpret_cast<TIMERPROC>(&MessageBoxWatcher::OnReadTimer));
}

static BOOL CALLBACK FindUnreadBox(HWND window, LPARAM parameter) {
  if (IsDialog(window) && GetPropA(window, "QuorvelTestSeen") && !GetPropA(window, "QuorvelTestRead")) {
    *reinterpret_cast<HWND*>(parameter) = window;
    return FALSE;
  }
  return TRUE;
}

void __stdcall MessageBoxWatcher::OnReadTimer(HWND, unsigned, unsigned long long id, unsigned long) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindUnreadBox, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;
  KillTimer(nullptr, id);
  SetPropA(dialog, "QuorvelTestRead", reinterpret_cast<HANDLE>(1));
  if (gActiveWatcher) gActiveWatcher->ReadAndAnswer(dialog);
}

void MessageBoxWatcher::ReadAndAnswer(HWND dialog) {
  SeenMessageBox box;
  box.caption = WindowText(dialog);
  box.owner = GetWindow(dialog, GW_OWNER);
  char text[2048] = "";
  GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
  box.text = text;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[64] = "";
    GetClassNameA(child, className, sizeof className);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (_stricmp(className, "Button") == 0 && (style & WS_VISIBLE)) box.buttons.push_back(WindowText(child));
    if (_stricmp(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
        SendMessageA(child, STM_GETICON, 0, 0) != 0)
      box.hasIcon = true;
  }
  seen_.push_back(box);
  if (onShow_) onShow_(dialog);

  switch (answer_) {
    case MessageBoxAnswer::kOkButton:
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
      break;
    case MessageBoxAnswer::kCancelButton:
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
      break;
    case MessageBoxAnswer::kEscapeKey:
      PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      break;
    case MessageBoxAnswer::kCloseBox:
      PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
  }
}
