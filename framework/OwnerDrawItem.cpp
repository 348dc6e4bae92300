// The item operations and the drawing of one owner-drawn item of a list or combo box.
#include "framework/OwnerDrawItem.h"

#include "runtime/Exceptions.h"

int BoxItems::Count() const {
  return static_cast<int>(Send(messages_.count));
}

std::string BoxItems::Text(int index) const {
  const LRESULT length = Send(messages_.textLength, index);
  if (length == LB_ERR) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const LRESULT copied = Send(messages_.text, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
  return text;
}

void* BoxItems::Data(int index) const {
  const LRESULT data = Send(messages_.itemData, index);
  return data == LB_ERR ? nullptr : reinterpret_cast<void*>(data);
}

void BoxItems::SetData(int index, void* data) const {
  Send(messages_.setItemData, index, reinterpret_cast<LPARAM>(data));
}

int BoxItems::Add(const std::string& text, void* data) const {
  const LRESULT index = Send(messages_.addString, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (index < 0) throw EOutOfResources(kCannotInsertLine);
  SetData(static_cast<int>(index), data);
  return static_cast<int>(index);
}

void BoxItems::Clear() const {
  Send(messages_.resetContent);
}

int BoxItems::Selection() const {
  return static_cast<int>(Send(messages_.currentSelection));
}

void BoxItems::Select(int index) const {
  Send(messages_.setCurrentSelection, index);
}

void PaintOwnerDrawItem(TCanvas& canvas, const TFont& font, TColor color, const DRAWITEMSTRUCT& item,
                        const std::function<void(int index, const RECT& rect, UINT state)>& draw) {
  canvas.SetHandle(item.hDC);
  canvas.Font().Assign(font);
  if (item.itemState & ODS_SELECTED) {
    canvas.Brush().SetColor(clHighlight);
    canvas.Font().SetColor(clHighlightText);
  } else {
    canvas.Brush().SetColor(color);
  }
  if (item.itemID != static_cast<UINT>(-1))
    draw(static_cast<int>(item.itemID), item.rcItem, item.itemState);
  else
    canvas.FillRect(item.rcItem);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
  canvas.SetHandle(nullptr);
}

void DefaultItemFace(TCanvas& canvas, const RECT& rect, const std::string& text) {
  canvas.FillRect(rect);
  canvas.TextOut(rect.left + 2, rect.top, text);
}
