// The one window procedure of every window the framework makes, the one way
// from a window to the object behind it, and the one error guard its messages
// run in.
#pragma once

#include <windows.h>

#include "framework/Messages.h"

class TPersistent;

// The object behind a window: a windowed control, or the application's own
// window. It is linked to its window from WM_NCCREATE (or from subclassing,
// for a system control) until WM_NCDESTROY.
class TWindowReceiver {
public:
  // The receiver of a window the framework made, or nullptr for any other window.
  static TWindowReceiver* Of(HWND window);

protected:
  TWindowReceiver() = default;
  ~TWindowReceiver() = default;
  TWindowReceiver(const TWindowReceiver&) = delete;
  TWindowReceiver& operator=(const TWindowReceiver&) = delete;

  // Every message of the window, inside the error guard.
  virtual void WndProc(TMessage& message) = 0;
  // Named as the sender when an error escapes WndProc.
  virtual TPersistent* ErrorSender() = 0;
  // The window is linked to this object; its messages come from now on.
  virtual void WindowAttached(HWND window) = 0;
  // The window had its last message (WM_NCDESTROY) and is gone.
  virtual void WindowDetached(HWND window) = 0;
  // CM_RELEASE was handled; the receiver may destroy itself here, as
  // nothing of it is touched afterwards.
  virtual void ReleaseRequested() {}

private:
  friend class WindowProcedure;
};

// Registers a window class whose windows report to the receiver passed as
// CreateWindowExA's last parameter; the procedure and instance are filled in.
// Nothing happens when the class exists; EOutOfResources "ｳｨﾝﾄﾞｳ ｸﾗｽを登録できません"
// when the platform refuses it.
void RegisterReceiverClass(WNDCLASSEXA windowClass);

// Puts the framework's procedure in front of a system control's own (LISTBOX,
// BUTTON ...), links the window to the receiver and returns the control's own
// procedure, which handles what the receiver passes on. EOutOfResources
// "ｳｨﾝﾄﾞｳを作成できません" when the platform refuses; the window is then
// not linked.
WNDPROC SubclassToReceiver(HWND window, TWindowReceiver& receiver);

// Called with every error that escapes a window message; the application
// object installs its handler.
using ExceptionHandler = void (*)(TPersistent* sender);
void SetWindowExceptionHandler(ExceptionHandler handler);
// Runs the installed handler for the error being handled now (inside a catch).
void HandleWindowException(TPersistent* sender);
