// Plain controls over the system's window classes.
#include "framework/StdCtrls.h"

#include "runtime/Exceptions.h"
#include "runtime/MbcsText.h"

namespace {

constexpr char kCannotInsertLine[] = "行を挿入できません";
// The window of a drop-down combo box includes its dropped list.
constexpr int kDroppedListHeight = 200;

template <class T>
TComponent* Create(TComponent* owner) {
  return new T(owner);
}

const char* const kListBoxStyleNames[] = {"lbStandard", "lbOwnerDrawFixed"};
const char* const kComboBoxStyleNames[] = {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed"};

const PropertyInfo kButtonProperties[] = {
    BooleanProperty<&TButton::Default, &TButton::SetDefault>("Default", false),
    BooleanProperty<&TButton::Cancel, &TButton::SetCancel>("Cancel", false),
    IntegerProperty<&TButton::ModalResult, &TButton::SetModalResult>("ModalResult", 0),
};

const PropertyInfo kListBoxProperties[] = {
    IntegerProperty<&TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight>("ItemHeight", 16),
    BooleanProperty<&TCustomListBox::Sorted, &TCustomListBox::SetSorted>("Sorted", false),
    EnumProperty<&TCustomListBox::Style, &TCustomListBox::SetStyle>("Style", kListBoxStyleNames, lbStandard),
    BooleanProperty<&TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight>("IntegralHeight", false),
    BooleanProperty<&TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect>("MultiSelect", false),
    EventProperty<&TCustomListBox::OnDblClickName, &TCustomListBox::SetOnDblClick>("OnDblClick"),
    EventProperty<&TCustomListBox::OnKeyPressName, &TCustomListBox::SetOnKeyPress>("OnKeyPress"),
};

const PropertyInfo kComboBoxProperties[] = {
    IntegerProperty<&TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight>("ItemHeight", 16),
    EnumProperty<&TCustomComboBox::Style, &TCustomComboBox::SetStyle>("Style", kComboBoxStyleNames, csDropDown),
};

const PropertyInfo kLabelProperties[] = {
    BooleanProperty<&TLabel::AutoSize, &TLabel::SetAutoSize>("AutoSize", true),
};

const PropertyInfo kEditProperties[] = {
    TextProperty<&TEdit::Text, &TEdit::SetText>("Text"),
    BooleanProperty<&TEdit::ReadOnly, &TEdit::SetReadOnly>("ReadOnly", false),
};

// Draws an owner-drawn item's default face: its text on the item's colours.
void DefaultItemFace(TCanvas& canvas, const RECT& rect, const std::string& text) {
  canvas.FillRect(rect);
  canvas.TextOut(rect.left + 2, rect.top, text);
}

void PrepareItemCanvas(TCanvas& canvas, const TFont& font, TColor color, HDC dc, UINT state) {
  canvas.SetHandle(dc);
  canvas.Font().Assign(font);
  if (state & ODS_SELECTED) {
    canvas.Brush().SetColor(clHighlight);
    canvas.Font().SetColor(clHighlightText);
  } else {
    canvas.Brush().SetColor(color);
  }
}

}  // namespace

const ClassInfo TButton::kClassInfo{"TButton", &TWinControl::kClassInfo, Create<TButton>, kButtonProperties};
const ClassInfo TCustomListBox::kClassInfo{"TCustomListBox", &TWinControl::kClassInfo, nullptr, kListBoxProperties};
const ClassInfo TCustomComboBox::kClassInfo{"TCustomComboBox", &TWinControl::kClassInfo, nullptr,
                                            kComboBoxProperties};
const ClassInfo TLabel::kClassInfo{"TLabel", &TWinControl::kClassInfo, Create<TLabel>, kLabelProperties};
const ClassInfo TEdit::kClassInfo{"TEdit", &TWinControl::kClassInfo, Create<TEdit>, kEditProperties};

// ---- TButton ----

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
  if (HandleAllocated())
    SendMessageA(Handle(), BM_SETSTYLE, active ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
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

// ---- TCustomListBox ----

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner), canvas_(std::make_unique<TCanvas>()) {
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  color_ = clWindow;
}

TCustomListBox::~TCustomListBox() {
  DestroyHandle();
}

void TCustomListBox::CreateParams(WindowParams& params) {
  TWinControl::CreateParams(params);
  params.windowClass = "LISTBOX";
  params.systemClass = true;
  params.exStyle |= WS_EX_CLIENTEDGE;
  params.style |= WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS;
  if (sorted_) params.style |= LBS_SORT;
  if (style_ == lbOwnerDrawFixed) params.style |= LBS_OWNERDRAWFIXED;
  if (!integralHeight_) params.style |= LBS_NOINTEGRALHEIGHT;
  if (multiSelect_) params.style |= LBS_EXTENDEDSEL;
}

int TCustomListBox::ItemCount() {
  return static_cast<int>(SendMessageA(Handle(), LB_GETCOUNT, 0, 0));
}

std::string TCustomListBox::ItemText(int index) {
  const LRESULT length = SendMessageA(Handle(), LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const LRESULT copied = SendMessageA(Handle(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
  return text;
}

void* TCustomListBox::ItemData(int index) {
  const LRESULT data = SendMessageA(Handle(), LB_GETITEMDATA, index, 0);
  return data == LB_ERR ? nullptr : reinterpret_cast<void*>(data);
}

void TCustomListBox::SetItemData(int index, void* data) {
  SendMessageA(Handle(), LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(data));
}

int TCustomListBox::AddItem(const std::string& text, void* data) {
  const LRESULT index = SendMessageA(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (index < 0) throw EOutOfResources(kCannotInsertLine);
  SendMessageA(Handle(), LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(data));
  return static_cast<int>(index);
}

void TCustomListBox::ClearItems() {
  SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
}

int TCustomListBox::ItemIndex() {
  return static_cast<int>(SendMessageA(Handle(), LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int index) {
  SendMessageA(Handle(), LB_SETCURSEL, index, 0);
}

bool TCustomListBox::Selected(int index) {
  return SendMessageA(Handle(), LB_GETSEL, index, 0) > 0;
}

int TCustomListBox::FindExact(const std::string& text, int start) {
  const LRESULT index = SendMessageA(Handle(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(start),
                                     reinterpret_cast<LPARAM>(text.c_str()));
  return index == LB_ERR ? -1 : static_cast<int>(index);
}

void TCustomListBox::SetItemHeight(int height) {
  if (height <= 0 || height == itemHeight_) return;
  itemHeight_ = height;
  RecreateWnd();
}

void TCustomListBox::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  RecreateWnd();
}

void TCustomListBox::SetStyle(TListBoxStyle style) {
  if (style == style_) return;
  style_ = style;
  RecreateWnd();
}

void TCustomListBox::SetIntegralHeight(bool value) {
  if (value == integralHeight_) return;
  integralHeight_ = value;
  RecreateWnd();
}

void TCustomListBox::SetMultiSelect(bool value) {
  if (value == multiSelect_) return;
  multiSelect_ = value;
  RecreateWnd();
}

void TCustomListBox::BeginUpdate() {
  if (updateCount_++ == 0 && HandleAllocated()) SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TCustomListBox::EndUpdate() {
  if (--updateCount_ == 0 && HandleAllocated()) {
    SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
    Invalidate();
  }
}

void TCustomListBox::DblClick() {
  if (onDblClick_.handler) onDblClick_.handler(this);
}

void TCustomListBox::KeyPress(char& key) {
  if (onKeyPress_.handler) onKeyPress_.handler(this, key);
}

void TCustomListBox::DrawItem(int index, const RECT& rect, UINT) {
  DefaultItemFace(*canvas_, rect, ItemText(index));
}

void TCustomListBox::DrawItemRequest(const DRAWITEMSTRUCT& item) {
  PrepareItemCanvas(*canvas_, Font(), color_, item.hDC, item.itemState);
  if (item.itemID != static_cast<UINT>(-1)) {
    DrawItem(static_cast<int>(item.itemID), item.rcItem, item.itemState);
  } else {
    canvas_->FillRect(item.rcItem);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
  canvas_->SetHandle(nullptr);
}

void TCustomListBox::WndProc(TMessage& message) {
  switch (message.msg) {
    case CN_COMMAND:
      switch (HIWORD(message.wParam)) {
        case LBN_SELCHANGE:
          SelectionChanged();
          break;
        case LBN_DBLCLK:
          DblClick();
          break;
        default:
          break;
      }
      return;
    case CN_DRAWITEM:
      DrawItemRequest(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.lParam));
      message.result = TRUE;
      return;
    case CN_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(message.lParam)->itemHeight = static_cast<UINT>(itemHeight_);
      message.result = TRUE;
      return;
    case WM_CHAR: {
      char key = static_cast<char>(message.wParam);
      KeyPress(key);
      if (key == 0) return;
      message.wParam = static_cast<unsigned char>(key);
      break;
    }
    default:
      break;
  }
  TWinControl::WndProc(message);
}

// ---- TCustomComboBox ----

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TCanvas>()) {
  SetBounds(0, 0, 145, 24);
  SetTabStop(true);
  color_ = clWindow;
}

TCustomComboBox::~TCustomComboBox() {
  DestroyHandle();
}

void TCustomComboBox::CreateParams(WindowParams& params) {
  TWinControl::CreateParams(params);
  params.windowClass = "COMBOBOX";
  params.systemClass = true;
  params.style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL;
  switch (style_) {
    case csDropDown: params.style |= CBS_DROPDOWN; break;
    case csSimple: params.style |= CBS_SIMPLE; break;
    case csDropDownList: params.style |= CBS_DROPDOWNLIST; break;
    case csOwnerDrawFixed: params.style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED; break;
  }
  params.height = height_ + kDroppedListHeight;
}

void TCustomComboBox::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height);
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, left_, top_, width_, height_ + kDroppedListHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

int TCustomComboBox::ItemCount() {
  return static_cast<int>(SendMessageA(Handle(), CB_GETCOUNT, 0, 0));
}

std::string TCustomComboBox::ItemText(int index) {
  const LRESULT length = SendMessageA(Handle(), CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const LRESULT copied = SendMessageA(Handle(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
  return text;
}

void* TCustomComboBox::ItemData(int index) {
  const LRESULT data = SendMessageA(Handle(), CB_GETITEMDATA, index, 0);
  return data == CB_ERR ? nullptr : reinterpret_cast<void*>(data);
}

int TCustomComboBox::AddItem(const std::string& text, void* data) {
  const LRESULT index = SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (index < 0) throw EOutOfResources(kCannotInsertLine);
  SendMessageA(Handle(), CB_SETITEMDATA, index, reinterpret_cast<LPARAM>(data));
  return static_cast<int>(index);
}

void TCustomComboBox::ClearItems() {
  SendMessageA(Handle(), CB_RESETCONTENT, 0, 0);
}

int TCustomComboBox::ItemIndex() {
  return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int index) {
  SendMessageA(Handle(), CB_SETCURSEL, index, 0);
}

void TCustomComboBox::SetItemHeight(int height) {
  if (height <= 0 || height == itemHeight_) return;
  itemHeight_ = height;
  RecreateWnd();
}

void TCustomComboBox::SetStyle(TComboBoxStyle style) {
  if (style == style_) return;
  style_ = style;
  RecreateWnd();
}

void TCustomComboBox::DrawItem(int index, const RECT& rect, UINT) {
  DefaultItemFace(*canvas_, rect, ItemText(index));
}

void TCustomComboBox::WndProc(TMessage& message) {
  switch (message.msg) {
    case CN_COMMAND:
      if (HIWORD(message.wParam) == CBN_SELCHANGE) SelectionChanged();
      return;
    case CN_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(message.lParam);
      PrepareItemCanvas(*canvas_, Font(), color_, item.hDC, item.itemState);
      if (item.itemID != static_cast<UINT>(-1))
        DrawItem(static_cast<int>(item.itemID), item.rcItem, item.itemState);
      else
        canvas_->FillRect(item.rcItem);
      if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
      canvas_->SetHandle(nullptr);
      message.result = TRUE;
      return;
    }
    case CN_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(message.lParam)->itemHeight = static_cast<UINT>(itemHeight_);
      message.result = TRUE;
      return;
    default:
      break;
  }
  TWinControl::WndProc(message);
}

// ---- TLabel ----

TLabel::TLabel(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 65, 17);
}

TLabel::~TLabel() {
  canvas_.reset();
}

void TLabel::CreateParams(WindowParams& params) {
  TWinControl::CreateParams(params);
  params.windowClass = "STATIC";
  params.systemClass = true;
  params.style |= SS_LEFT | SS_NOPREFIX;
}

TCanvas& TLabel::Canvas() {
  if (!canvas_) {
    measureDC_.reset(CreateCompatibleDC(nullptr));
    canvas_ = std::make_unique<TCanvas>();
    canvas_->SetHandle(measureDC_.get());
  }
  canvas_->Font().Assign(Font());
  return *canvas_;
}

// ---- TEdit ----

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
