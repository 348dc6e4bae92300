// TWinControl: creating and destroying its window, the messages every
// windowed control handles, reflection of child notifications, focus and tab
// order.
#include "framework/WinControl.h"

#include <windows.h>

#include <algorithm>

#include "runtime/AnsiNames.h"
#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"
#include "runtime/ScopeExit.h"

namespace {

// The control whose window CreateWindowExA is making now: owner-draw list
// boxes ask their parent for item sizes before the call returns, when the
// window is not yet linked to its control.
TWinControl* gCreatingControl = nullptr;
UINT gNextControlId = 100;

const PropertyInfo kWinControlProperties[] = {
    IntegerProperty<&TWinControl::TabOrder, &TWinControl::SetTabOrder>("TabOrder", -1),
    BooleanProperty<&TWinControl::TabStop, &TWinControl::SetTabStop>("TabStop", false),
};

}  // namespace

const ClassInfo TWinControl::kClassInfo{"TWinControl", &TControl::kClassInfo, nullptr, kWinControlProperties};

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // Children leave first, so that none of them outlives its parent's window.
  while (!controls_.empty()) controls_.back()->SetParent(nullptr);
  DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND window) {
  return dynamic_cast<TWinControl*>(TWindowReceiver::Of(window));
}

std::string TWinControl::Text() const {
  if (!handle_) return text_;
  // Read wide and turned into ANSI without a best fit: a pasted "é" is "?",
  // never "e", so a text that becomes part of a file name names no other file.
  const int length = GetWindowTextLengthW(handle_);
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  wide.resize(static_cast<size_t>(GetWindowTextW(handle_, wide.data(), length + 1)));
  std::string text;
  ToExactAnsi(wide, &text);
  return text;
}

HWND TWinControl::Handle() {
  if (!handle_) CreateWnd();
  return handle_;
}

void TWinControl::CreateParams(WindowParams& params) {
  params.windowClass = classInfo().name;
  params.style = WS_CHILD | WS_CLIPSIBLINGS;
  if (visible_) params.style |= WS_VISIBLE;
  if (!enabled_) params.style |= WS_DISABLED;
  if (tabStop_) params.style |= WS_TABSTOP;
  params.x = left_;
  params.y = top_;
  params.width = width_;
  params.height = height_;
  params.caption = text_;
  TWinControl* parent = Parent();
  params.parent = parent ? parent->Handle() : nullptr;
}

void TWinControl::CreateWnd() {
  WindowParams params;
  CreateParams(params);
  if ((params.style & WS_CHILD) && !params.parent)
    throw EInvalidOperation(FormatResString(strings::kParentRequired, Name().c_str()));
  if (!params.systemClass) {
    WNDCLASSEXA windowClass = {};
    windowClass.style = params.classStyle;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = params.background;
    windowClass.hIcon = params.icon;
    windowClass.lpszClassName = params.windowClass.c_str();
    RegisterReceiverClass(windowClass);
  }
  const HMENU id =
      (params.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(gNextControlId++)) : nullptr;
  HWND window;
  {
    const ScopedAssign creating(gCreatingControl, this);
    // Our own classes link the window at WM_NCCREATE; system controls only
    // once they exist.
    window = CreateWindowExA(params.exStyle, params.windowClass.c_str(), params.caption.c_str(), params.style, params.x,
                             params.y, params.width, params.height, params.parent, id, GetModuleHandleA(nullptr),
                             params.systemClass ? nullptr : static_cast<TWindowReceiver*>(this));
  }
  if (!window) throw EOutOfResources(LoadResString(strings::kWindowCreateFailed));
  if (params.systemClass) {
    try {
      systemProcedure_ = SubclassToReceiver(window, *this);
    } catch (...) {
      DestroyWindow(window);
      throw;
    }
  }
  CreateChildren();
}

void TWinControl::CreateChildren() {
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  for (TControl* control : controls_)
    if (auto* child = dynamic_cast<TWinControl*>(control)) child->HandleNeeded();
}

void TWinControl::DestroyWnd() {
  if (handle_) DestroyWindow(handle_);
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TControl* control : controls_)
    if (auto* child = dynamic_cast<TWinControl*>(control)) child->DestroyHandle();
  DestroyWnd();
  handle_ = nullptr;
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  // The window's own state (text, bounds) is kept in the control's fields.
  text_ = Text();
  DestroyHandle();
  HandleNeeded();
}

void TWinControl::WindowAttached(HWND window) {
  handle_ = window;
}

void TWinControl::WindowDetached(HWND window) {
  systemProcedure_ = nullptr;
  if (handle_ == window) handle_ = nullptr;
}

void TWinControl::DefaultHandler(TMessage& message) {
  message.result = systemProcedure_
                       ? CallWindowProcW(systemProcedure_, handle_, message.msg, message.wParam, message.lParam)
                       : DefWindowProcA(handle_, message.msg, message.wParam, message.lParam);
}

bool TWinControl::ReflectToChild(TMessage& message) {
  TWinControl* child = nullptr;
  switch (message.msg) {
    case WM_COMMAND:
      child = FromHandle(reinterpret_cast<HWND>(message.lParam));
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.lParam);
      if (item->CtlType != ODT_MENU) child = FromHandle(item->hwndItem);
      break;
    }
    case WM_MEASUREITEM: {
      const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(message.lParam);
      if (item->CtlType == ODT_MENU) break;
      HWND itemWindow = GetDlgItem(handle_, static_cast<int>(item->CtlID));
      child = FromHandle(itemWindow);
      if (!child && gCreatingControl && gCreatingControl->Parent() == this) child = gCreatingControl;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      child = FromHandle(reinterpret_cast<HWND>(message.lParam));
      break;
    default:
      break;
  }
  if (!child || child == this) return false;
  TMessage reflected{message.msg + kReflectedBase, message.wParam, message.lParam};
  child->WndProc(reflected);
  message.result = reflected.result;
  return true;
}

void TWinControl::WndProc(TMessage& message) {
  switch (message.msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      if (ReflectToChild(message)) return;
      break;
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(message.wParam);
      SetTextColor(dc, ColorToRGB(enabled_ ? Font().Color() : clGrayText));
      SetBkColor(dc, ColorToRGB(color_));
      message.result = reinterpret_cast<LRESULT>(ColorBrush());
      return;
    }
    case CN_COMMAND:
    case CN_DRAWITEM:
    case CN_MEASUREITEM:
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
    case CN_CHAR:
      return;
    case WM_SETFOCUS:
      if (TWinControl* top = ParentForm(); top && top != this) top->ChildFocused(this);
      break;
    case WM_WINDOWPOSCHANGED: {
      const auto* position = reinterpret_cast<const WINDOWPOS*>(message.lParam);
      if (!(position->flags & SWP_NOMOVE)) {
        left_ = position->x;
        top_ = position->y;
      }
      if (!(position->flags & SWP_NOSIZE)) {
        width_ = position->cx;
        height_ = position->cy;
      }
      break;
    }
    default:
      break;
  }
  DefaultHandler(message);
}

bool TWinControl::PreProcessKey(const MSG& message) {
  UINT reflected = 0;
  switch (message.message) {
    case WM_KEYDOWN:
      reflected = CN_KEYDOWN;
      break;
    case WM_SYSKEYDOWN:
      reflected = CN_SYSKEYDOWN;
      break;
    case WM_CHAR:
      reflected = CN_CHAR;
      break;
    default:
      return false;
  }
  TMessage notice{reflected, message.wParam, message.lParam};
  WndProc(notice);
  return notice.result != 0;
}

HBRUSH TWinControl::ColorBrush() {
  if (!brush_) brush_ = std::make_unique<TBrush>();
  brush_->SetColor(color_);
  return brush_->Handle();
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  control->parent_ = this;
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
    tabList_.push_back(windowed);
    if (handle_) windowed->HandleNeeded();
  }
}

void TWinControl::RemoveControl(TControl* control) {
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
    windowed->DestroyHandle();
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), windowed), tabList_.end());
  }
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  control->parent_ = nullptr;
}

void TWinControl::MoveChild(TControl* control, int position) {
  auto found = std::find(controls_.begin(), controls_.end(), control);
  if (found == controls_.end()) return;
  controls_.erase(found);
  const size_t place = position < 0 ? 0 : std::min(static_cast<size_t>(position), controls_.size());
  controls_.insert(controls_.begin() + static_cast<ptrdiff_t>(place), control);
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (windowed && windowed->handle_) {
    // Behind the nearest earlier sibling that has a window; first of all without one.
    HWND after = HWND_TOP;
    for (size_t i = place; i-- > 0;)
      if (auto* previous = dynamic_cast<TWinControl*>(controls_[i]); previous && previous->handle_) {
        after = previous->handle_;
        break;
      }
    SetWindowPos(windowed->handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

int TWinControl::TabOrder() const {
  TWinControl* parent = Parent();
  if (!parent) return -1;
  auto& list = parent->tabList_;
  auto found = std::find(list.begin(), list.end(), this);
  return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  TWinControl* parent = Parent();
  if (!parent) return;
  auto& list = parent->tabList_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  const size_t place = order < 0 ? list.size() : std::min(static_cast<size_t>(order), list.size());
  list.insert(list.begin() + static_cast<ptrdiff_t>(place), this);
}

void TWinControl::SetTabStop(bool value) {
  tabStop_ = value;
  if (handle_) {
    LONG style = GetWindowLongA(handle_, GWL_STYLE);
    style = value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    SetWindowLongA(handle_, GWL_STYLE, style);
  }
}

std::vector<TWinControl*> TWinControl::TabList() const {
  return tabList_;
}

bool TWinControl::CanFocus() const {
  for (const TControl* control = this; control; control = control->Parent())
    if (!control->Visible() || !control->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() const {
  return handle_ && GetFocus() == handle_;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation(LoadResString(strings::kCannotFocus));
  ::SetFocus(Handle());
}

namespace {

void AppendTabOrder(const TWinControl* container, std::vector<TWinControl*>& out) {
  for (TWinControl* child : container->TabList()) {
    out.push_back(child);
    AppendTabOrder(child, out);
  }
}

}  // namespace

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward, bool checkTabStop) const {
  std::vector<TWinControl*> order;
  AppendTabOrder(this, order);
  if (order.empty()) return nullptr;
  const auto found = std::find(order.begin(), order.end(), current);
  const size_t count = order.size();
  size_t start = found == order.end() ? (forward ? count - 1 : 0) : static_cast<size_t>(found - order.begin());
  for (size_t step = 1; step <= count; ++step) {
    const size_t index = forward ? (start + step) % count : (start + count - step % count) % count;
    TWinControl* candidate = order[index];
    if (candidate == current) break;
    if (candidate->CanFocus() && (!checkTabStop || candidate->TabStop())) return candidate;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(current, forward, checkTabStop)) next->SetFocus();
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height);
  if (handle_) SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
}

int TWinControl::ClientWidth() const {
  RECT client{};
  if (handle_ && GetClientRect(handle_, &client)) return client.right;
  return width_;
}

int TWinControl::ClientHeight() const {
  RECT client{};
  if (handle_ && GetClientRect(handle_, &client)) return client.bottom;
  return height_;
}

void TWinControl::SetClientSize(int width, int height) {
  const int extraWidth = width_ - ClientWidth();
  const int extraHeight = height_ - ClientHeight();
  SetBounds(left_, top_, width + extraWidth, height + extraHeight);
}

void TWinControl::FontChanged() {
  if (!handle_) return;
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
}

void TWinControl::TextChanged() {
  if (handle_) SetWindowTextA(handle_, text_.c_str());
}

void TWinControl::EnabledChanged() {
  if (handle_) EnableWindow(handle_, enabled_);
}

void TWinControl::VisibleChanged() {
  if (handle_) ShowWindow(handle_, visible_ ? SW_SHOWNA : SW_HIDE);
}
