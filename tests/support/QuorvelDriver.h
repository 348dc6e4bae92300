// Drives a running Quorvel.exe from another process, the way a user would:
// only through the messages that clicks and keys produce in its windows.
// Everything here waits with a time limit and reports a test failure instead
// of hanging when a window does not show up.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace quorvel_driver {

// The main window's caption, which tells it from the program's other windows.
constexpr char kMainCaption[] = "Quorvel for Word97 -> HelpWorkshop v4.01";

constexpr DWORD kPatience = 20000;  // ms to wait for anything the program should do
constexpr DWORD kPoll = 50;         // ms between looks

// Polls a condition until it holds or the time is up.
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeout = kPatience) {
  const ULONGLONG until = GetTickCount64() + timeout;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= until) return false;
    Sleep(kPoll);
  }
}

inline std::string ClassOf(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The caption or text of a window of another process (WM_GETTEXT is marshalled).
inline std::string TextOf(HWND window) {
  char text[1024] = "";
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

inline std::string FromWide(const std::wstring& text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string result(size, '\0');
  WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
  return result;
}

// The items of a list box of another process. Its ANSI items arrive as
// UTF-16 through the wide message; they are given back in code page 932.
inline std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    if (length < 0) break;
    std::wstring text(static_cast<size_t>(length) * 2 + 2, L'\0');
    const LRESULT got = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    items.push_back(FromWide(text));
  }
  return items;
}

inline int FindItem(HWND list, const std::string& text) {
  const std::vector<std::string> items = ListItems(list);
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == text) return static_cast<int>(i);
  return -1;
}

inline std::string Joined(const std::vector<std::string>& items) {
  std::string all;
  for (const std::string& item : items) all += (all.empty() ? "" : " | ") + item;
  return "[" + all + "]";
}

struct TopWindowSearch {
  DWORD processId;
  std::string className;  // empty: any
  std::string caption;    // empty: any
  HWND found = nullptr;
};

inline BOOL CALLBACK MatchTopWindow(HWND window, LPARAM data) {
  TopWindowSearch* search = reinterpret_cast<TopWindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  if (!search->className.empty() && ClassOf(window) != search->className) return TRUE;
  if (!search->caption.empty() && TextOf(window) != search->caption) return TRUE;
  search->found = window;
  return FALSE;
}

// A visible top-level window of the process, or null.
inline HWND FindTopWindow(DWORD processId, const std::string& className, const std::string& caption) {
  TopWindowSearch search{processId, className, caption};
  EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline HWND WaitForTopWindow(DWORD processId, const std::string& className, const std::string& caption,
                             DWORD timeout = kPatience) {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindTopWindow(processId, className, caption)) != nullptr; }, timeout);
  return found;
}

// Every descendant window, in the order EnumChildWindows gives them.
inline BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

inline std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

// A window's place in the client area of another window.
inline RECT PlaceIn(HWND window, HWND reference) {
  RECT place;
  GetWindowRect(window, &place);
  MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

inline bool SameClass(const std::string& actual, const char* wanted) {
  return lstrcmpiA(actual.c_str(), wanted) == 0;
}

// A descendant of the class whose top left corner is at (left, top) in the
// form's client area.
inline HWND ControlAt(HWND form, const char* className, int left, int top) {
  for (HWND child : Descendants(form)) {
    if (!SameClass(ClassOf(child), className)) continue;
    const RECT place = PlaceIn(child, form);
    if (place.left == left && place.top == top) return child;
  }
  return nullptr;
}

// A descendant of the class with the text.
inline HWND ControlWithText(HWND form, const char* className, const std::string& text) {
  for (HWND child : Descendants(form))
    if (SameClass(ClassOf(child), className) && TextOf(child) == text) return child;
  return nullptr;
}

// What a form holds, for failure messages.
inline std::string DescribeChildren(HWND form) {
  std::string description;
  for (HWND child : Descendants(form)) {
    const RECT place = PlaceIn(child, form);
    description += "\n  " + ClassOf(child) + " \"" + TextOf(child) + "\" at " + std::to_string(place.left) + "," +
                   std::to_string(place.top) + " " + std::to_string(place.right - place.left) + "x" +
                   std::to_string(place.bottom - place.top);
  }
  return description;
}

// The notification a control sends its parent, as the control itself sends it
// after a click or a key.
inline void Notify(HWND control, WORD code) {
  const WPARAM wParam = MAKEWPARAM(GetDlgCtrlID(control), code);
  SendMessageTimeoutA(GetParent(control), WM_COMMAND, wParam, reinterpret_cast<LPARAM>(control), SMTO_NORMAL, kPatience,
                      nullptr);
}

// A click on a button. Posted: the click may open a modal window, and the
// program only gets back to its message loop when that closes.
inline void Click(HWND button) {
  PostMessageA(button, BM_CLICK, 0, 0);
}

// Waits until the program has handled everything sent and posted so far.
inline bool Settle(HWND window) {
  DWORD_PTR ignored;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kPatience, &ignored) != 0;
}

// Keys typed into a control: one WM_CHAR per character (single-byte text).
inline void Type(HWND control, const std::string& text) {
  for (unsigned char c : text) PostMessageA(control, WM_CHAR, c, 1);
}

}  // namespace quorvel_driver
