// Window messages as the framework passes them to its objects, and the
// framework's own message numbers.
#pragma once

#include <windows.h>

struct TMessage {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result = 0;
};

// Notifications that a parent window reflects to the child control they
// concern: the platform's number plus kReflectedBase.
constexpr UINT kReflectedBase = 0xBC00;
constexpr UINT CN_COMMAND = kReflectedBase + WM_COMMAND;
constexpr UINT CN_DRAWITEM = kReflectedBase + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = kReflectedBase + WM_MEASUREITEM;
constexpr UINT CN_CTLCOLORSTATIC = kReflectedBase + WM_CTLCOLORSTATIC;
constexpr UINT CN_CTLCOLOREDIT = kReflectedBase + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = kReflectedBase + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORBTN = kReflectedBase + WM_CTLCOLORBTN;
// A key offered to the focused control before it is translated and dispatched;
// a non-zero result consumes it.
constexpr UINT CN_KEYDOWN = kReflectedBase + WM_KEYDOWN;
constexpr UINT CN_SYSKEYDOWN = kReflectedBase + WM_SYSKEYDOWN;
constexpr UINT CN_CHAR = kReflectedBase + WM_CHAR;

// The framework's own messages.
constexpr UINT CM_RELEASE = WM_APP + 0x100;     // a form destroys itself
constexpr UINT CM_MOUSEENTER = WM_APP + 0x101;  // the mouse moved onto a control
constexpr UINT CM_MOUSELEAVE = WM_APP + 0x102;  // the mouse left it
