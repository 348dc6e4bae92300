// Forms: top-level windows, their closing and modal showing.
#include "app/Forms.h"

#include <windows.h>

#include <vector>

#include "app/FormHost.h"
#include "app/LayoutReader.h"
#include "app/TaskWindowsDisabler.h"
#include "framework/Button.h"
#include "runtime/Exceptions.h"
#include "runtime/MbcsText.h"
#include "runtime/ResourceStrings.h"
#include "runtime/ScopeExit.h"
#include "runtime/UniqueHandle.h"
#include "stream/LayoutDecoder.h"

namespace {

const char* const kBorderStyleNames[] = {"bsNone",   "bsSingle",     "bsSizeable",
                                         "bsDialog", "bsToolWindow", "bsSizeToolWin"};
const char* const kBorderIconNames[] = {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"};
const char* const kPositionNames[] = {"poDesigned",     "poDefault",       "poDefaultPosOnly", "poDefaultSizeOnly",
                                      "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"};
const char* const kFormStyleNames[] = {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"};

const PropertyInfo kFormProperties[] = {
    EnumProperty<&TForm::BorderStyle, &TForm::SetBorderStyle>("BorderStyle", kBorderStyleNames, bsSizeable),
    SetProperty<&TForm::BorderIcons, &TForm::SetBorderIcons>("BorderIcons", kBorderIconNames, kAllBorderIcons),
    EnumProperty<&TForm::Position, &TForm::SetPosition>("Position", kPositionNames, poDesigned),
    EnumProperty<&TForm::FormStyle, &TForm::SetFormStyle>("FormStyle", kFormStyleNames, fsNormal),
    IntegerProperty<&TForm::ClientWidth, &TForm::SetClientWidth>("ClientWidth"),
    IntegerProperty<&TForm::ClientHeight, &TForm::SetClientHeight>("ClientHeight"),
    BooleanProperty<&TForm::Scaled, &TForm::SetScaled>("Scaled", true),
    IntegerProperty<&TForm::PixelsPerInch, &TForm::SetPixelsPerInch>("PixelsPerInch", 96),
    ComponentProperty<&TForm::ActiveControl, &TForm::SetActiveControl>("ActiveControl", TWinControl::kClassInfo),
    EventProperty<&TForm::OnShowName, &TForm::SetOnShow>("OnShow"),
    EventProperty<&TForm::OnCloseName, &TForm::SetOnClose>("OnClose"),
    EventProperty<&TForm::OnCloseQueryName, &TForm::SetOnCloseQuery>("OnCloseQuery"),
};

}  // namespace

const ClassInfo TForm::kClassInfo{"TForm", &TWinControl::kClassInfo, nullptr, kFormProperties};

TForm::TForm(TComponent* owner) : TWinControl(owner) {
  visible_ = false;  // a form shows only when asked to
}

TForm::~TForm() {
  ForgetLayoutReferences(*this);
  if (TFormHost* host = FormHost(); host && host->MainForm() == this) host->ClearMainForm();
}

void TForm::ReadLayout() {
  ReadFormLayout(*this);
}

bool TForm::ReadExtraProperty(std::string_view name, LayoutDecoder& decoder) {
  if (!SameText(name, "TextHeight")) return TWinControl::ReadExtraProperty(name, decoder);
  textHeight_ = decoder.ReadInteger();
  return true;
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  RecreateWnd();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
  if (icons == borderIcons_) return;
  borderIcons_ = icons;
  RecreateWnd();
}

void TForm::CreateParams(WindowParams& params) {
  TWinControl::CreateParams(params);
  params.style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  params.exStyle = 0;
  params.parent = FormHost() ? FormHost()->Handle() : nullptr;  // the owner, not a parent
  params.background = nullptr;
  params.classStyle = CS_DBLCLKS;
  switch (borderStyle_) {
    case bsNone:
      params.style |= WS_POPUP;
      break;
    case bsSingle:
    case bsToolWindow:
      params.style |= WS_CAPTION | WS_BORDER;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      params.style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      params.style |= WS_CAPTION | DS_MODALFRAME;
      params.exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
  }
  if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) params.exStyle |= WS_EX_TOOLWINDOW;
  if (borderStyle_ != bsNone && (borderIcons_ & (1u << biSystemMenu))) {
    params.style |= WS_SYSMENU;
    if (borderStyle_ != bsDialog && borderStyle_ != bsToolWindow && borderStyle_ != bsSizeToolWin) {
      if (borderIcons_ & (1u << biMinimize)) params.style |= WS_MINIMIZEBOX;
      if (borderIcons_ & (1u << biMaximize)) params.style |= WS_MAXIMIZEBOX;
    }
    if (borderStyle_ == bsDialog && (borderIcons_ & (1u << biHelp))) params.exStyle |= WS_EX_CONTEXTHELP;
  }
  if (formStyle_ == fsStayOnTop) params.exStyle |= WS_EX_TOPMOST;

  // The window's size comes from the designed client size.
  if (clientWidth_ > 0 || clientHeight_ > 0) {
    RECT frame{0, 0, clientWidth_ > 0 ? clientWidth_ : width_, clientHeight_ > 0 ? clientHeight_ : height_};
    AdjustWindowRectEx(&frame, params.style, FALSE, params.exStyle);
    width_ = params.width = frame.right - frame.left;
    height_ = params.height = frame.bottom - frame.top;
  }
  if (position_ == poDefault || position_ == poDefaultPosOnly) {
    // Only overlapped windows take the platform's default place.
    params.x = CW_USEDEFAULT;
    params.y = CW_USEDEFAULT;
  }
  params.style &= ~WS_VISIBLE;  // shown through SetVisible, which runs the show handler
}

void TForm::CreateWnd() {
  TWinControl::CreateWnd();
  RECT window{};
  GetWindowRect(Handle(), &window);
  left_ = window.left;
  top_ = window.top;
  width_ = window.right - window.left;
  height_ = window.bottom - window.top;
}

int TForm::ClientWidth() const {
  if (HandleAllocated() || clientWidth_ == 0) return TWinControl::ClientWidth();
  return clientWidth_;
}

int TForm::ClientHeight() const {
  if (HandleAllocated() || clientHeight_ == 0) return TWinControl::ClientHeight();
  return clientHeight_;
}

void TForm::SetClientWidth(int width) {
  clientWidth_ = width;
  if (HandleAllocated()) SetClientSize(width, ClientHeight());
}

void TForm::SetClientHeight(int height) {
  clientHeight_ = height;
  if (HandleAllocated()) SetClientSize(ClientWidth(), height);
}

void TForm::Loaded() {
  TWinControl::Loaded();
  // Designed at another resolution: scale sizes and fonts to the screen's.
  if (!scaled_) return;
  const int screenPixelsPerInch = GetDeviceCaps(AcquireDC(nullptr).get(), LOGPIXELSY);
  if (screenPixelsPerInch == pixelsPerInch_ || pixelsPerInch_ <= 0) return;
  auto scale = [&](int value) { return MulDiv(value, screenPixelsPerInch, pixelsPerInch_); };
  for (int i = 0; i < ComponentCount(); ++i) {
    if (auto* control = dynamic_cast<TControl*>(Component(i))) {
      control->SetBounds(scale(control->Left()), scale(control->Top()), scale(control->Width()),
                         scale(control->Height()));
      if (!control->ParentFont()) control->Font().SetHeight(scale(control->Font().Height()));
    }
  }
  Font().SetHeight(scale(Font().Height()));
  clientWidth_ = scale(clientWidth_);
  clientHeight_ = scale(clientHeight_);
  pixelsPerInch_ = screenPixelsPerInch;
}

void TForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == activeControl_) activeControl_ = nullptr;
}

void TForm::SetActiveControl(TWinControl* control) {
  if (activeControl_ == control) return;
  activeControl_ = control;
  if (control) control->FreeNotification(this);
  if (control && HandleAllocated() && GetActiveWindow() == Handle() && control->CanFocus()) control->SetFocus();
}

namespace {

// Every push button on a control and its children, in the order they joined.
void CollectButtons(TWinControl* container, std::vector<TButton*>& buttons) {
  for (int i = 0; i < container->ControlCount(); ++i) {
    TControl* control = container->Control(i);
    if (auto* button = dynamic_cast<TButton*>(control)) buttons.push_back(button);
    if (auto* inner = dynamic_cast<TWinControl*>(control)) CollectButtons(inner, buttons);
  }
}

}  // namespace

void TForm::ChildFocused(TWinControl* control) {
  // Every button learns which control has the focus: a focused button is the
  // one Enter presses, otherwise the default button is.
  std::vector<TButton*> buttons;
  CollectButtons(this, buttons);
  for (TButton* button : buttons) button->FocusedControlChanged(control);
  if (control == activeControl_) return;
  activeControl_ = control;
  control->FreeNotification(this);
}

void TForm::FocusActiveControl() {
  TWinControl* target = activeControl_;
  if (!target || !target->CanFocus()) target = FindNextControl(nullptr, true, true);
  if (!target) target = FindNextControl(nullptr, true, false);
  if (target && target->CanFocus()) ::SetFocus(target->Handle());
}

void TForm::ApplyPosition() {
  if (positioned_) return;
  positioned_ = true;
  if (position_ == poScreenCenter || position_ == poDesktopCenter ||
      ((position_ == poMainFormCenter || position_ == poOwnerFormCenter) && !FormHost())) {
    SetBounds((GetSystemMetrics(SM_CXSCREEN) - width_) / 2, (GetSystemMetrics(SM_CYSCREEN) - height_) / 2, width_,
              height_);
  } else if (position_ == poMainFormCenter || position_ == poOwnerFormCenter) {
    TForm* center = FormHost()->MainForm();
    if (center && center != this)
      SetBounds(center->Left() + (center->Width() - width_) / 2, center->Top() + (center->Height() - height_) / 2,
                width_, height_);
  }
}

void TForm::SetVisible(bool visible) {
  if (visible == visible_ && HandleAllocated() && IsWindowVisible(Handle()) == visible) return;
  visible_ = visible;
  if (visible) {
    HandleNeeded();
    ApplyPosition();
    DoShow();
    ShowWindow(Handle(), SW_SHOW);
    SetActiveWindow(Handle());
    FocusActiveControl();
  } else if (HandleAllocated()) {
    ShowWindow(Handle(), SW_HIDE);
  }
}

void TForm::DoShow() {
  if (onShow_.handler) onShow_.handler(this);
}

void TForm::DoClose(TCloseAction& action) {
  if (onClose_.handler) onClose_.handler(this, action);
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (onCloseQuery_.handler) onCloseQuery_.handler(this, canClose);
  return canClose;
}

void TForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = formStyle_ == fsMDIChild ? ((borderIcons_ & (1u << biMinimize)) ? caMinimize : caNone) : caHide;
  DoClose(action);
  if (action == caNone) return;
  if (TFormHost* host = FormHost(); host && host->MainForm() == this) {
    // The main form stays on screen until the program's exit hides it.
    host->Terminate();
    return;
  }
  switch (action) {
    case caHide:
      Hide();
      break;
    case caMinimize:
      if (HandleAllocated()) ShowWindow(Handle(), SW_MINIMIZE);
      break;
    case caFree:
      Release();
      break;
    case caNone:
      break;
  }
}

void TForm::Release() {
  PostMessageA(Handle(), CM_RELEASE, 0, 0);
}

void TForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    switch (action) {
      case caNone:
        modalResult_ = mrNone;
        break;
      case caFree:
        Release();
        break;
      case caHide:
      case caMinimize:
        break;
    }
  } catch (...) {
    modalResult_ = mrNone;
    FormHost()->HandleException(this);
  }
}

TModalResult TForm::ShowModal() {
  if (visible_ || !enabled_ || modal_ || formStyle_ == fsMDIChild)
    throw EInvalidOperation(LoadResString(strings::kCannotShowModal));
  if (HWND captured = GetCapture()) {
    SendMessageA(captured, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
  }
  modal_ = true;
  HWND activeBefore = GetActiveWindow();
  HCURSOR cursorBefore = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
  TaskWindowsDisabler disabled;

  // Whatever ends the loop, the other windows come back.
  const auto restore = ScopeExit([&] {
    SetCursor(cursorBefore);
    disabled.EnableAgain();
    const bool stillActive = !HandleAllocated() || GetActiveWindow() == Handle() || GetActiveWindow() == nullptr;
    if (stillActive && activeBefore && IsWindow(activeBefore)) SetActiveWindow(activeBefore);
    modal_ = false;
  });

  Show();
  SetActiveWindow(Handle());
  modalResult_ = mrNone;
  do {
    FormHost()->HandleMessage();
    if (FormHost()->Terminated())
      modalResult_ = mrCancel;
    else if (modalResult_ != mrNone)
      CloseModal();
  } while (modalResult_ == mrNone);

  const TModalResult result = modalResult_;
  // Deactivate before hiding, so that the platform does not pick another window.
  SendMessageA(Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  Hide();
  return result;
}

bool TForm::DialogKey(const MSG& message) {
  const bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
  if (message.message == WM_KEYDOWN && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE)) {
    if (shift || control || alt) return false;
    std::vector<TButton*> buttons;
    CollectButtons(this, buttons);
    for (TButton* button : buttons) {
      const bool wanted = message.wParam == VK_RETURN ? button->RespondsToEnter() : button->Cancel();
      if (wanted && button->CanFocus()) {
        button->Click();
        return true;
      }
    }
    return false;
  }
  // A mnemonic: with Alt anywhere, without it while a button has the focus.
  if (message.message == WM_SYSCHAR ||
      (message.message == WM_CHAR && dynamic_cast<TButton*>(TWinControl::FromHandle(GetFocus())))) {
    const char key = static_cast<char>(message.wParam);
    std::vector<TButton*> buttons;
    CollectButtons(this, buttons);
    for (TButton* button : buttons) {
      const char mnemonic = button->Mnemonic();
      if (mnemonic && UpperAsciiLetter(mnemonic) == UpperAsciiLetter(key) && button->CanFocus()) {
        button->Click();
        return true;
      }
    }
    return false;
  }
  if (message.message != WM_KEYDOWN || message.wParam != VK_TAB) return false;
  if (control || alt) return false;
  const bool backward = shift;
  TWinControl* current = TWinControl::FromHandle(GetFocus());
  SelectNext(current, !backward, true);
  return true;
}

void TForm::WndProc(TMessage& message) {
  switch (message.msg) {
    case WM_CLOSE:
      Close();
      return;
    case WM_ACTIVATE:
      DefaultHandler(message);
      if (LOWORD(message.wParam) != WA_INACTIVE && !HIWORD(message.wParam)) FocusActiveControl();
      return;
    case WM_SETFOCUS:
      // The form itself never keeps the focus while a control can take it.
      FocusActiveControl();
      return;
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(Handle(), &client);
      FillRect(reinterpret_cast<HDC>(message.wParam), &client, ColorBrush());
      message.result = 1;
      return;
    }
    case CM_RELEASE:
      return;  // the dispatcher destroys the form after this returns
    default:
      break;
  }
  TWinControl::WndProc(message);
}
