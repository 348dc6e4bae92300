// TEdit: read-only state and selection.
#include "framework/Edit.h"

namespace {

const PropertyInfo kEditProperties[] = {
    TextProperty<&TEdit::Text, &TEdit::SetText>("Text"),
    BooleanProperty<&TEdit::ReadOnly, &TEdit::SetReadOnly>("ReadOnly", false),
};

}  // namespace

const ClassInfo TEdit::kClassInfo{"TEdit", &TWinControl::kClassInfo, CreateComponent<TEdit>, kEditProperties};

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 24);
  SetTabStop(true);
  color_ = clWindow;
}

void TEdit::CreateParams(WindowParams& params) {
  TWinControl::CreateParams(params);
  params.windowClass = "EDIT";
  params.systemClass = true;
  params.exStyle |= WS_EX_CLIENTEDGE;
  params.style |= ES_AUTOHSCROLL;
  if (readOnly_) params.style |= ES_READONLY;
}

void TEdit::SetReadOnly(bool value) {
  readOnly_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, value, 0);
}

void TEdit::SelectAll() {
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, 0, -1);
}
