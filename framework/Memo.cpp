// TMemo: its lines, read-only state and alignment.
#include "framework/Memo.h"

namespace {

const char* const kAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};

const PropertyInfo kMemoProperties[] = {
    ObjectProperty<&TMemo::Lines>("Lines", TStringList::kClassInfo),
    BooleanProperty<&TMemo::ReadOnly, &TMemo::SetReadOnly>("ReadOnly", false),
    EnumProperty<&TMemo::Alignment, &TMemo::SetAlignment>("Alignment", kAlignmentNames, taLeftJustify),
};

}  // namespace

const ClassInfo TMemo::kClassInfo{"TMemo", &TWinControl::kClassInfo, CreateComponent<TMemo>, kMemoProperties};

TMemo::TMemo(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 89);
  SetTabStop(true);
  color_ = clWindow;
  lines_.OnChange = [this](TStringList&) { LinesChanged(); };
}

void TMemo::CreateParams(WindowParams& params) {
  TWinControl::CreateParams(params);
  params.windowClass = "EDIT";
  params.systemClass = true;
  params.exStyle |= WS_EX_CLIENTEDGE;
  params.style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
  if (readOnly_) params.style |= ES_READONLY;
  if (alignment_ == taCenter) params.style |= ES_CENTER;
  if (alignment_ == taRightJustify) params.style |= ES_RIGHT;
  params.caption = lines_.Text();
}

void TMemo::CreateWnd() {
  TWinControl::CreateWnd();
  SetWindowTextA(Handle(), lines_.Text().c_str());
}

void TMemo::LinesChanged() {
  if (HandleAllocated()) SetWindowTextA(Handle(), lines_.Text().c_str());
}

void TMemo::SetReadOnly(bool value) {
  readOnly_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, value, 0);
}

void TMemo::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  RecreateWnd();
}
