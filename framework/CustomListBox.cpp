// TCustomListBox: items, styles that re-create the window, redrawing, and
// owner-drawn items.
#include "framework/CustomListBox.h"

#include "framework/OwnerDrawItem.h"
#include "runtime/Exceptions.h"

namespace {

const char* const kListBoxStyleNames[] = {"lbStandard", "lbOwnerDrawFixed"};

const PropertyInfo kListBoxProperties[] = {
    IntegerProperty<&TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight>("ItemHeight", 16),
    BooleanProperty<&TCustomListBox::Sorted, &TCustomListBox::SetSorted>("Sorted", false),
    EnumProperty<&TCustomListBox::Style, &TCustomListBox::SetStyle>("Style", kListBoxStyleNames, lbStandard),
    BooleanProperty<&TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight>("IntegralHeight", false),
    BooleanProperty<&TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect>("MultiSelect", false),
    EventProperty<&TCustomListBox::OnDblClickName, &TCustomListBox::SetOnDblClick>("OnDblClick"),
    EventProperty<&TCustomListBox::OnKeyPressName, &TCustomListBox::SetOnKeyPress>("OnKeyPress"),
};

}  // namespace

const ClassInfo TCustomListBox::kClassInfo{"TCustomListBox", &TWinControl::kClassInfo, nullptr, kListBoxProperties};

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
  return Items().Count();
}

std::string TCustomListBox::ItemText(int index) {
  return Items().Text(index);
}

void* TCustomListBox::ItemData(int index) {
  return Items().Data(index);
}

void TCustomListBox::SetItemData(int index, void* data) {
  Items().SetData(index, data);
}

int TCustomListBox::AddItem(const std::string& text, void* data) {
  return Items().Add(text, data);
}

void TCustomListBox::ClearItems() {
  Items().Clear();
}

int TCustomListBox::ItemIndex() {
  return Items().Selection();
}

void TCustomListBox::SetItemIndex(int index) {
  Items().Select(index);
}

bool TCustomListBox::Selected(int index) {
  return SendMessageA(Handle(), LB_GETSEL, index, 0) > 0;
}

int TCustomListBox::FindExact(const std::string& text, int start) {
  const LRESULT index =
      SendMessageA(Handle(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text.c_str()));
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
      PaintOwnerDrawItem(*canvas_, Font(), color_, *reinterpret_cast<const DRAWITEMSTRUCT*>(message.lParam),
                         [this](int index, const RECT& rect, UINT state) { DrawItem(index, rect, state); });
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
