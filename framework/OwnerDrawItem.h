// What the owner-drawn list and combo boxes share: their item operations (the
// same messages under two sets of numbers), the drawing of one item and the
// text of a refused item.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/Graphics.h"

// The list or combo box refused a new item.
inline constexpr char kCannotInsertLine[] = "行を挿入できません";

// The item messages of one kind of box. Both kinds answer LB_ERR / CB_ERR (-1)
// for an item that is not there.
struct ItemMessages {
  UINT count, textLength, text, itemData, setItemData, addString, resetContent, currentSelection, setCurrentSelection;
};
inline constexpr ItemMessages kListBoxItems{LB_GETCOUNT,      LB_GETTEXTLEN,  LB_GETTEXT,
                                            LB_GETITEMDATA,   LB_SETITEMDATA, LB_ADDSTRING,
                                            LB_RESETCONTENT,  LB_GETCURSEL,   LB_SETCURSEL};
inline constexpr ItemMessages kComboBoxItems{CB_GETCOUNT,     CB_GETLBTEXTLEN, CB_GETLBTEXT,
                                             CB_GETITEMDATA,  CB_SETITEMDATA,  CB_ADDSTRING,
                                             CB_RESETCONTENT, CB_GETCURSEL,    CB_SETCURSEL};
static_assert(LB_ERR == CB_ERR);

// The items of one box window, through its kind's messages.
class BoxItems {
public:
  BoxItems(HWND window, const ItemMessages& messages) : window_(window), messages_(messages) {}

  int Count() const;
  // Empty for an index past the items.
  std::string Text(int index) const;
  // Null for an index past the items.
  void* Data(int index) const;
  void SetData(int index, void* data) const;
  // Adds the item with its data and returns its place; EOutOfResources when the box refuses it.
  int Add(const std::string& text, void* data) const;
  void Clear() const;
  int Selection() const;
  void Select(int index) const;

private:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return SendMessageA(window_, message, wParam, lParam);
  }

  HWND window_;
  const ItemMessages& messages_;
};

// Paints one owner-drawn item (WM_DRAWITEM): attaches the canvas to the
// item's DC with the control's font and the item's colours, lets `draw` paint
// the item (the empty space is filled when the box has no item), frames the
// focused item and detaches the canvas again.
void PaintOwnerDrawItem(TCanvas& canvas, const TFont& font, TColor color, const DRAWITEMSTRUCT& item,
                        const std::function<void(int index, const RECT& rect, UINT state)>& draw);

// An item's default face: its text on the item's colours.
void DefaultItemFace(TCanvas& canvas, const RECT& rect, const std::string& text);
