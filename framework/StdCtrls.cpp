// Plain controls over the system's window classes.
#include "framework/StdCtrls.h"

namespace {

TComponent* CreateButton(TComponent* owner) {
  return new TButton(owner);
}

}  // namespace

const ClassInfo TButton::kClassInfo{"TButton", &TWinControl::kClassInfo, CreateButton};

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::CreateParams(WindowParams& params) {
  TWinControl::CreateParams(params);
  params.windowClass = "BUTTON";
  params.systemClass = true;
  params.style |= BS_PUSHBUTTON;
}

void TButton::WndProc(TMessage& message) {
  if (message.msg == CN_COMMAND && HIWORD(message.wParam) == BN_CLICKED) {
    Click();
    return;
  }
  TWinControl::WndProc(message);
}
