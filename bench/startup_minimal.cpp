// startup_minimal: the baseline of bench/startup.sh. A plain Win32 program
// with the main window's outward shape and nothing of ours: one window of the
// same styles and the same 564 x 395 client area, the same fifteen child
// windows as standard controls at the same places (labels, three empty list
// boxes, two empty drop-down combo boxes, three push buttons, a sunken panel,
// a group box with a check box, a label and an edit), one font of the same
// face and height set on all of them, shown and painted by the platform's own
// control procedures. No framework, no layout, no images, no settings, no
// folder listing: what any window of this size costs to come up.
//
// With the argument "bare" the window comes up alone, without the controls.
#include <windows.h>

namespace {

constexpr char kClassName[] = "StartupMinimal";
constexpr int kClientWidth = 564, kClientHeight = 395;

LRESULT CALLBACK WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, msg, wParam, lParam);
  }
}

struct Child {
  const char* windowClass;
  const char* text;
  DWORD style;
  int left, top, width, height;
};

// Places in the window's client area, as the main window has them (the
// panel's and group box's children flattened into it).
const Child kChildren[] = {
    {"STATIC", "変換元ファイル : ", 0, 8, 8, 169, 17},
    {"STATIC", "変換先フォルダ : ", 0, 384, 8, 169, 17},
    {"LISTBOX", "", LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 8, 32, 169, 209},
    {"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 8, 248, 169, 200},
    {"LISTBOX", "", LBS_NOTIFY | LBS_SORT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 184, 32, 137, 233},
    {"LISTBOX", "", LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 384, 32, 169, 209},
    {"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 384, 248, 169, 200},
    {"BUTTON", "変換", BS_PUSHBUTTON | WS_TABSTOP, 328, 32, 49, 233},
    {"STATIC", "", SS_SUNKEN, 8, 272, 337, 113},
    {"BUTTON", "付加文字列", BS_GROUPBOX, 18, 282, 291, 95},
    {"STATIC", "付加文字列 : ", WS_DISABLED, 38, 324, 110, 19},
    {"BUTTON", "変換先ファイル名に文字を付加する", BS_AUTOCHECKBOX | WS_TABSTOP, 38, 302, 251, 21},
    {"EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_DISABLED | WS_TABSTOP, 58, 344, 231, 23},
    {"BUTTON", "Exit", BS_PUSHBUTTON | WS_TABSTOP, 472, 344, 73, 41},
    {"BUTTON", "About", BS_PUSHBUTTON | WS_TABSTOP, 472, 296, 73, 41},
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const bool bare = lstrcmpA(commandLine, "bare") == 0;
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExA(&windowClass)) return 1;

  const DWORD style = WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  HWND window = CreateWindowExA(exStyle, kClassName, "Quorvel for Word97 -> HelpWorkshop v4.01", style, CW_USEDEFAULT,
                                CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                instance, nullptr);
  if (!window) return 1;

  HFONT font = CreateFontA(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "ＭＳ Ｐゴシック");
  int id = 100;
  for (const Child& child : kChildren) {
    if (bare) break;
    HWND control = CreateWindowExA(0, child.windowClass, child.text, WS_CHILD | WS_VISIBLE | child.style, child.left,
                                   child.top, child.width, child.height, window,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id++)), instance, nullptr);
    if (!control) return 1;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  ShowWindow(window, SW_SHOWNORMAL);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  DeleteObject(font);
  return 0;
}
