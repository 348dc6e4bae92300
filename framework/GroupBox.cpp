// TGroupBox: the window it is made with.
#include "framework/GroupBox.h"

const ClassInfo TGroupBox::kClassInfo{"TGroupBox", &TWinControl::kClassInfo, CreateComponent<TGroupBox>};

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 105);
}

void TGroupBox::CreateParams(WindowParams& params) {
  TWinControl::CreateParams(params);
  params.windowClass = "BUTTON";
  params.systemClass = true;
  params.style |= BS_GROUPBOX;
}
