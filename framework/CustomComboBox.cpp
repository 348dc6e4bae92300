// TCustomComboBox: items, styles that re-create the window, and owner-drawn
// items.
#include "framework/CustomComboBox.h"

#include "framework/OwnerDrawItem.h"
#include "runtime/Exceptions.h"

namespace {

// The window of a drop-down combo box includes its dropped list.
constexpr int kDroppedListHeight = 200;

const char* const kComboBoxStyleNames[] = {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed"};

const PropertyInfo kComboBoxProperties[] = {
    IntegerProperty<&TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight>("ItemHeight", 16),
    EnumProperty<&TCustomComboBox::Style, &TCustomComboBox::SetStyle>("Style", kComboBoxStyleNames, csDropDown),
};

}  // namespace

const ClassInfo TCustomComboBox::kClassInfo{"TCustomComboBox", &TWinControl::kClassInfo, nullptr, kComboBoxProperties};

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner), canvas_(std::make_unique<TCanvas>()) {
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
    case csDropDown:
      params.style |= CBS_DROPDOWN;
      break;
    case csSimple:
      params.style |= CBS_SIMPLE;
      break;
    case csDropDownList:
      params.style |= CBS_DROPDOWNLIST;
      break;
    case csOwnerDrawFixed:
      params.style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED;
      break;
  }
  params.height = height_ + kDroppedListHeight;
}

void TCustomComboBox::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height);
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, left_, top_, width_, height_ + kDroppedListHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

int TCustomComboBox::ItemCount() {
  return Items().Count();
}

std::string TCustomComboBox::ItemText(int index) {
  return Items().Text(index);
}

void* TCustomComboBox::ItemData(int index) {
  return Items().Data(index);
}

int TCustomComboBox::AddItem(const std::string& text, void* data) {
  return Items().Add(text, data);
}

void TCustomComboBox::ClearItems() {
  Items().Clear();
}

int TCustomComboBox::ItemIndex() {
  return Items().Selection();
}

void TCustomComboBox::SetItemIndex(int index) {
  Items().Select(index);
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
    case CN_DRAWITEM:
      PaintOwnerDrawItem(*canvas_, Font(), color_, *reinterpret_cast<const DRAWITEMSTRUCT*>(message.lParam),
                         [this](int index, const RECT& rect, UINT state) { DrawItem(index, rect, state); });
      message.result = TRUE;
      return;
    case CN_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(message.lParam)->itemHeight = static_cast<UINT>(itemHeight_);
      message.result = TRUE;
      return;
    default:
      break;
  }
  TWinControl::WndProc(message);
}
