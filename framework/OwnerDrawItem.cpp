// The drawing of one owner-drawn item of a list or combo box.
#include "framework/OwnerDrawItem.h"

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
