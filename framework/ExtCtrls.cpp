// Panel, group box, check box and memo.
#include "framework/ExtCtrls.h"


namespace {

template <class T>
TComponent* Create(TComponent* owner) {
  return new T(owner);
}

const char* const kBevelNames[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
const char* const kAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};

const PropertyInfo kPanelProperties[] = {
    EnumProperty<&TPanel::BevelOuter, &TPanel::SetBevelOuter>("BevelOuter", kBevelNames, bvRaised),
};
const PropertyInfo kCheckBoxProperties[] = {
    BooleanProperty<&TCheckBox::Checked, &TCheckBox::SetChecked>("Checked", false),
};
const PropertyInfo kMemoProperties[] = {
    ObjectProperty<&TMemo::Lines>("Lines", TStringList::kClassInfo),
    BooleanProperty<&TMemo::ReadOnly, &TMemo::SetReadOnly>("ReadOnly", false),
    EnumProperty<&TMemo::Alignment, &TMemo::SetAlignment>("Alignment", kAlignmentNames, taLeftJustify),
};

}  // namespace

const ClassInfo TPanel::kClassInfo{"TPanel", &TWinControl::kClassInfo, Create<TPanel>, kPanelProperties};
const ClassInfo TGroupBox::kClassInfo{"TGroupBox", &TWinControl::kClassInfo, Create<TGroupBox>};
const ClassInfo TCheckBox::kClassInfo{"TCheckBox", &TWinControl::kClassInfo, Create<TCheckBox>,
                                      kCheckBoxProperties};
const ClassInfo TMemo::kClassInfo{"TMemo", &TWinControl::kClassInfo, Create<TMemo>, kMemoProperties};

// ---- TPanel ----

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelOuter(TPanelBevel bevel) {
  bevelOuter_ = bevel;
  Invalidate();
}

void TPanel::WndProc(TMessage& message) {
  if (message.msg == WM_ERASEBKGND) {
    HDC dc = reinterpret_cast<HDC>(message.wParam);
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, ColorBrush());
    if (bevelOuter_ == bvLowered) DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
    if (bevelOuter_ == bvRaised) DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
    message.result = 1;
    return;
  }
  TWinControl::WndProc(message);
}

// ---- TGroupBox ----

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 105);
}

void TGroupBox::CreateParams(WindowParams& params) {
  TWinControl::CreateParams(params);
  params.windowClass = "BUTTON";
  params.systemClass = true;
  params.style |= BS_GROUPBOX;
}

// ---- TCheckBox ----

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

// ---- TMemo ----

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
