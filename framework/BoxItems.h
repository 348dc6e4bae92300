// The items of a list or combo box window: the same operations through two
// sets of messages, and the text of a refused item.
#pragma once

#include <windows.h>

#include <string>

// The list or combo box refused a new item.
inline constexpr char kCannotInsertLine[] = "行を挿入できません";

// The item messages of one kind of box. Both kinds answer LB_ERR / CB_ERR (-1)
// for an item that is not there.
struct ItemMessages {
  UINT count, textLength, text, itemData, setItemData, addString, resetContent, currentSelection, setCurrentSelection;
};
inline constexpr ItemMessages kListBoxItems{LB_GETCOUNT,  LB_GETTEXTLEN,   LB_GETTEXT,   LB_GETITEMDATA, LB_SETITEMDATA,
                                            LB_ADDSTRING, LB_RESETCONTENT, LB_GETCURSEL, LB_SETCURSEL};
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
