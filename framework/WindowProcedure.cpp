// The window procedure shared by every window of the framework, the link from
// a window to its object, and the error guard.
#include "framework/WindowProcedure.h"

#include <cstdio>
#include <exception>
#include <unordered_map>

#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"

namespace {

// Window to object, for every window the framework made that still exists.
// A table of our own rather than a window property: under Wine each property
// lookup is a round trip to the window server, and a form gets messages by
// the thousand (one WM_DELETEITEM for each item its owner-drawn lists drop
// when they are refilled). Windows live on the user-interface thread only.
std::unordered_map<HWND, TWindowReceiver*>& Receivers() {
  static std::unordered_map<HWND, TWindowReceiver*> receivers;
  return receivers;
}

// Until an application object installs its handler (in a program of the
// framework alone, such as its tests) there is no window to own a message box
// nor a title for one, and nobody who would answer it: the error goes to
// standard error.
void DefaultExceptionHandler(TPersistent*) {
  try {
    throw;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
  } catch (...) {}
}

ExceptionHandler gExceptionHandler = DefaultExceptionHandler;

}  // namespace

// The procedures and the steps around every message; a friend of the receiver.
class WindowProcedure {
public:
  static void Attach(HWND window, TWindowReceiver& receiver) {
    Receivers()[window] = &receiver;
    receiver.WindowAttached(window);
  }

  // Windows of our own classes: the receiver comes with WM_NCCREATE.
  static LRESULT CALLBACK OwnClass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWindowReceiver* receiver = TWindowReceiver::Of(window);
    if (!receiver && msg == WM_NCCREATE) {
      receiver = static_cast<TWindowReceiver*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
      if (receiver) Attach(window, *receiver);
    }
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) find no receiver yet.
    if (!receiver) return DefWindowProcA(window, msg, wParam, lParam);
    return Dispatch(*receiver, window, msg, wParam, lParam);
  }

  // System controls, in front of their own procedure. A Unicode procedure, as
  // SetWindowSubclass would install, so that handlers see the messages as the
  // controls' own procedures expect them.
  static LRESULT CALLBACK SystemClass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWindowReceiver* receiver = TWindowReceiver::Of(window);
    // No receiver only after WM_NCDESTROY, when the window has no messages left.
    if (!receiver) return DefWindowProcW(window, msg, wParam, lParam);
    return Dispatch(*receiver, window, msg, wParam, lParam);
  }

private:
  // The one guard: no error ever leaves a window procedure.
  static LRESULT Dispatch(TWindowReceiver& receiver, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam};
    try {
      receiver.WndProc(message);
    } catch (...) {
      HandleWindowException(receiver.ErrorSender());
      message.result = 0;
    }
    if (msg == WM_NCDESTROY) {
      // The window is gone: its procedure stays, but finds no receiver any more.
      Receivers().erase(window);
      receiver.WindowDetached(window);
    } else if (msg == CM_RELEASE) {
      receiver.ReleaseRequested();  // nothing of the receiver may be touched after this
    }
    return message.result;
  }
};

TWindowReceiver* TWindowReceiver::Of(HWND window) {
  if (!window) return nullptr;
  const auto found = Receivers().find(window);
  return found == Receivers().end() ? nullptr : found->second;
}

void RegisterReceiverClass(WNDCLASSEXA windowClass) {
  windowClass.cbSize = sizeof windowClass;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpfnWndProc = WindowProcedure::OwnClass;
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(windowClass.hInstance, windowClass.lpszClassName, &existing)) return;
  if (!RegisterClassExA(&windowClass)) throw EOutOfResources(LoadResString(strings::kWindowClassFailed));
}

WNDPROC SubclassToReceiver(HWND window, TWindowReceiver& receiver) {
  // Subclassed by taking the window procedure's place ourselves rather than
  // with SetWindowSubclass, which looks its chain up in a window property on
  // every message: under Wine each lookup is a round trip to the window
  // server, three of them per message, many times the cost of a list box's
  // LB_ADDSTRING.
  const auto own = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProcedure::SystemClass)));
  // A system class always has a procedure of its own: none back means refused.
  if (!own) throw EOutOfResources(LoadResString(strings::kWindowCreateFailed));
  WindowProcedure::Attach(window, receiver);
  return own;
}

void SetWindowExceptionHandler(ExceptionHandler handler) {
  gExceptionHandler = handler ? handler : DefaultExceptionHandler;
}

void HandleWindowException(TPersistent* sender) {
  // The handler must not let anything escape either: this runs inside a
  // window procedure.
  try {
    gExceptionHandler(sender);
  } catch (...) {}
}
