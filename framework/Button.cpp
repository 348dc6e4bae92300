// TButton: default and cancel buttons, modal results and mnemonics.
#include "framework/Button.h"

#include "runtime/MbcsText.h"

namespace {

const PropertyInfo kButtonProperties[] = {
    BooleanProperty<&TButton::Default, &TButton::SetDefault>("Default", false),
    BooleanProperty<&TButton::Cancel, &TButton::SetCancel>("Cancel", false),
    IntegerProperty<&TButton::ModalResult, &TButton::SetModalResult>("ModalResult", 0),
};

}  // namespace

const ClassInfo TButton::kClassInfo{"TButton", &TWinControl::kClassInfo, CreateComponent<TButton>, kButtonProperties};

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::CreateParams(WindowParams& params) {
  TWinControl::CreateParams(params);
  params.windowClass = "BUTTON";
  params.systemClass = true;
  params.style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateWnd() {
  TWinControl::CreateWnd();
  respondsToEnter_ = default_;
}

void TButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  // Which button Enter presses is decided again.
  if (HandleAllocated()) FocusedControlChanged(TWinControl::FromHandle(GetFocus()));
}

void TButton::Click() {
  if (TWinControl* top = ParentForm()) top->ButtonModalResult(modalResult_);
  TWinControl::Click();
}

void TButton::FocusedControlChanged(TWinControl* focused) {
  respondsToEnter_ = dynamic_cast<TButton*>(focused) ? focused == this : default_;
  ShowAsActive(respondsToEnter_);
}

void TButton::ShowAsActive(bool active) {
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETSTYLE, active ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

char TButton::Mnemonic() const {
  const std::string& caption = text_;
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (IsLeadByte(caption[i])) {
      ++i;
    } else if (caption[i] == '&') {
      if (caption[i + 1] != '&') return caption[i + 1];
      ++i;  // "&&" is a plain ampersand
    }
  }
  return 0;
}

void TButton::WndProc(TMessage& message) {
  if (message.msg == CN_COMMAND && HIWORD(message.wParam) == BN_CLICKED) {
    Click();
    return;
  }
  TWinControl::WndProc(message);
}
