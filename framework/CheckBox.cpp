// TCheckBox: its checked state, and the click on every change of it.
#include "framework/CheckBox.h"

namespace {

const PropertyInfo kCheckBoxProperties[] = {
    BooleanProperty<&TCheckBox::Checked, &TCheckBox::SetChecked>("Checked", false),
};

}  // namespace

const ClassInfo TCheckBox::kClassInfo{"TCheckBox", &TWinControl::kClassInfo, CreateComponent<TCheckBox>,
                                      kCheckBoxProperties};

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
}

void TCheckBox::CreateParams(WindowParams& params) {
  TWinControl::CreateParams(params);
  params.windowClass = "BUTTON";
  params.systemClass = true;
  params.style |= BS_CHECKBOX;
}

void TCheckBox::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  // Every change of the state is a click, whoever made it.
  Click();
}

void TCheckBox::WndProc(TMessage& message) {
  if (message.msg == CN_COMMAND && HIWORD(message.wParam) == BN_CLICKED) {
    SetChecked(!checked_);
    return;
  }
  TWinControl::WndProc(message);
}
