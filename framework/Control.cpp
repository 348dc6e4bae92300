// Controls and windowed controls: bounds, fonts, the window procedure with its
// error guard, reflection of child notifications, focus and tab order.
#include "framework/Control.h"

#include <windows.h>

#include <algorithm>

#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"

namespace {

constexpr char kControlProperty[] = "QuorvelControl";

// The control whose window CreateWindowExA is making now: owner-draw list
// boxes ask their parent for item sizes before the call returns, when the
// window is not yet linked to its control.
TWinControl* gCreatingControl = nullptr;
UINT gNextControlId = 100;

void DefaultExceptionHandler(TPersistent*) {
  try {
    throw;
  } catch (const Exception& error) {
    MessageBoxA(nullptr, (error.Message() + ".").c_str(), nullptr, MB_OK | MB_ICONSTOP);
  } catch (...) {
  }
}

ExceptionHandler gExceptionHandler = DefaultExceptionHandler;
HelpHandler gHelpHandler = nullptr;

const PropertyInfo kControlProperties[] = {
    IntegerProperty<&TControl::Left, &TControl::SetLeft>("Left"),
    IntegerProperty<&TControl::Top, &TControl::SetTop>("Top"),
    IntegerProperty<&TControl::Width, &TControl::SetWidth>("Width"),
    IntegerProperty<&TControl::Height, &TControl::SetHeight>("Height"),
    BooleanProperty<&TControl::Visible, &TControl::SetVisible>("Visible", true),
    BooleanProperty<&TControl::Enabled, &TControl::SetEnabled>("Enabled", true),
    TextProperty<&TControl::Caption, &TControl::SetCaption>("Caption"),
    ObjectProperty<static_cast<TFont& (TControl::*)()>(&TControl::Font)>("Font", TFont::kClassInfo),
    BooleanProperty<&TControl::ParentFont, &TControl::SetParentFont>("ParentFont", true),
    ColorProperty<&TControl::Color, &TControl::SetColor>("Color", clBtnFace),
    EventProperty<&TControl::OnClickName, &TControl::SetOnClick>("OnClick"),
    IntegerProperty<&TControl::HelpContext, &TControl::SetHelpContext>("HelpContext", 0),
};

const PropertyInfo kWinControlProperties[] = {
    IntegerProperty<&TWinControl::TabOrder, &TWinControl::SetTabOrder>("TabOrder", -1),
    BooleanProperty<&TWinControl::TabStop, &TWinControl::SetTabStop>("TabStop", false),
};

}  // namespace

const ClassInfo TControl::kClassInfo{"TControl", &TComponent::kClassInfo, nullptr, kControlProperties};
const ClassInfo TWinControl::kClassInfo{"TWinControl", &TControl::kClassInfo, nullptr, kWinControlProperties};

void SetWindowExceptionHandler(ExceptionHandler handler) {
  gExceptionHandler = handler ? handler : DefaultExceptionHandler;
}

void SetHelpHandler(HelpHandler handler) {
  gHelpHandler = handler;
}

void ShowHelpTopic(int context) {
  if (gHelpHandler) gHelpHandler(context);
}

void HandleWindowException(TPersistent* sender) {
  // The handler must not let anything escape either: this runs inside a
  // window procedure.
  try {
    gExceptionHandler(sender);
  } catch (...) {
  }
}

// ---- TControl ----

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_.OnChange = [this](TFont&) { OnFontChange(); };
}

TControl::~TControl() {
  font_.OnChange = nullptr;
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this)
    throw EInvalidOperation(Exception::Formatted(strings::kParentRequired, Name().c_str()));
  if (parent_) parent_->RemoveControl(this);
  if (parent) {
    parent->InsertControl(this);
    if (parentFont_) ParentFontChanged();
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  VisibleChanged();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  EnabledChanged();
}

void TControl::SetText(const std::string& text) {
  if (text == Text()) return;
  text_ = text;
  TextChanged();
}

void TControl::SetColor(TColor color) {
  color_ = color;
  Invalidate();
}

void TControl::SetParentFont(bool value) {
  parentFont_ = value;
  if (value && parent_) ParentFontChanged();
}

void TControl::Click() {
  if (onClick_.handler) onClick_.handler(this);
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  changingFontFromParent_ = true;
  font_.Assign(parent_->Font());
  changingFontFromParent_ = false;
}

void TControl::OnFontChange() {
  // A font set on the control itself no longer follows the parent's.
  if (!changingFontFromParent_ && !Loading()) parentFont_ = false;
  FontChanged();
  if (auto* container = dynamic_cast<TWinControl*>(this))
    for (TControl* child : container->controls_) child->ParentFontChanged();
}

TWinControl* TControl::ParentForm() const {
  const TControl* control = this;
  while (control->parent_) control = control->parent_;
  return const_cast<TWinControl*>(dynamic_cast<const TWinControl*>(control));
}

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // Children leave first, so that none of them outlives its parent's window.
  while (!controls_.empty()) controls_.back()->SetParent(nullptr);
  DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND window) {
  return window ? static_cast<TWinControl*>(GetPropA(window, kControlProperty)) : nullptr;
}

std::string TWinControl::Text() const {
  if (!handle_) return text_;
  const int length = GetWindowTextLengthA(handle_);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(handle_, text.data(), length + 1)));
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

void TWinControl::RegisterWindowClass(const WindowParams& params) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, params.windowClass.c_str(), &existing)) return;
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = params.classStyle;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = params.background;
  windowClass.hIcon = params.icon;
  windowClass.lpszClassName = params.windowClass.c_str();
  if (!RegisterClassExA(&windowClass)) throw EOutOfResources(LoadResString(strings::kWindowClassFailed));
}

void TWinControl::CreateWnd() {
  WindowParams params;
  CreateParams(params);
  if ((params.style & WS_CHILD) && !params.parent)
    throw EInvalidOperation(Exception::Formatted(strings::kParentRequired, Name().c_str()));
  const HMENU id = (params.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(gNextControlId++))
                                             : nullptr;
  TWinControl* outerCreating = gCreatingControl;
  gCreatingControl = this;
  HWND window;
  if (params.systemClass) {
    window = CreateWindowExA(params.exStyle, params.windowClass.c_str(), params.caption.c_str(), params.style,
                             params.x, params.y, params.width, params.height, params.parent, id,
                             GetModuleHandleA(nullptr), nullptr);
    if (window) {
      handle_ = window;
      SetPropA(window, kControlProperty, this);
      // Subclassed by taking the window procedure's place ourselves rather
      // than with SetWindowSubclass, which looks its chain up in a window
      // property on every message: under Wine each lookup is a round trip to
      // the window server, three of them per message, many times the cost of
      // a list box's LB_ADDSTRING. A Unicode procedure, as SetWindowSubclass
      // installs, so that handlers see the messages as they did.
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      systemProcedure_ = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProcedure)));
    }
  } else {
    RegisterWindowClass(params);
    window = CreateWindowExA(params.exStyle, params.windowClass.c_str(), params.caption.c_str(), params.style,
                             params.x, params.y, params.width, params.height, params.parent, id,
                             GetModuleHandleA(nullptr), this);
  }
  gCreatingControl = outerCreating;
  if (!window) throw EOutOfResources(LoadResString(strings::kWindowCreateFailed));
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
  recreating_ = true;
  DestroyHandle();
  recreating_ = false;
  HandleNeeded();
}

LRESULT CALLBACK TWinControl::WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  // Every message of our own windows starts here: the control is read from
  // GWLP_USERDATA, which needs no round trip to the window server as a window
  // property does (a form gets one WM_DELETEITEM for each item its owner-drawn
  // lists drop when they are refilled).
  auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!control && msg == WM_NCCREATE) {
    control = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (control) {
      control->handle_ = window;
      SetPropA(window, kControlProperty, control);  // for FromHandle, as on system controls
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    }
  }
  if (!control) return DefWindowProcA(window, msg, wParam, lParam);
  return Dispatch(control, window, msg, wParam, lParam);
}

LRESULT CALLBACK TWinControl::SubclassProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // No control only after WM_NCDESTROY, when the window has no messages left.
  if (!control) return DefWindowProcW(window, msg, wParam, lParam);
  return Dispatch(control, window, msg, wParam, lParam);
}

// The one guard: no error ever leaves a window procedure.
LRESULT TWinControl::Dispatch(TWinControl* control, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam};
  try {
    control->WndProc(message);
  } catch (...) {
    HandleWindowException(control);
    message.result = 0;
  }
  if (msg == WM_NCDESTROY) {
    RemovePropA(window, kControlProperty);
    // The window is gone: its procedure stays, but finds no control any more.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    control->systemProcedure_ = nullptr;
    if (control->handle_ == window) control->handle_ = nullptr;
  } else if (msg == CM_RELEASE) {
    delete control;  // nothing of the control may be touched after this
  }
  return message.result;
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
    case WM_KEYDOWN: reflected = CN_KEYDOWN; break;
    case WM_SYSKEYDOWN: reflected = CN_SYSKEYDOWN; break;
    case WM_CHAR: reflected = CN_CHAR; break;
    default: return false;
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

void TWinControl::SetColor(TColor color) {
  TControl::SetColor(color);
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
    HWND after = place == 0 ? HWND_TOP : nullptr;
    for (size_t i = place; i-- > 0 && !after;)
      if (auto* previous = dynamic_cast<TWinControl*>(controls_[i]); previous && previous->handle_)
        after = previous->handle_;
    SetWindowPos(windowed->handle_, after ? after : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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
  if (handle_)
    SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
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
