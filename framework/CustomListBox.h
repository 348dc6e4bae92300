// TCustomListBox: a list box over the system's LISTBOX class, owner-drawn
// when asked; the base of the file-browsing lists.
#pragma once

#include <memory>

#include "framework/BoxItems.h"
#include "framework/WinControl.h"
#include "runtime/ScopeExit.h"

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed };

// The items of list and combo boxes live in their windows; item operations
// create the window when it does not exist yet.
class TCustomListBox : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;

  int ItemCount();
  std::string ItemText(int index);
  void* ItemData(int index);
  void SetItemData(int index, void* data);
  // LB_ADDSTRING: the item's place (sorted lists put it in order);
  // EOutOfResources "行を挿入できません" when the list refuses it.
  int AddItem(const std::string& text, void* data = nullptr);
  void ClearItems();
  int ItemIndex();
  void SetItemIndex(int index);
  bool Selected(int index);
  // LB_FINDSTRINGEXACT from `start`; -1 when no item has that text.
  int FindExact(const std::string& text, int start = -1);

  int ItemHeight() const { return itemHeight_; }
  // Values of 0 or less are ignored; a change re-creates the window.
  void SetItemHeight(int height);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle style);
  bool IntegralHeight() const { return integralHeight_; }
  void SetIntegralHeight(bool value);
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool value);

  // Item redrawing off and on again (WM_SETREDRAW).
  void BeginUpdate();
  void EndUpdate();
  // Redrawing off until the returned guard goes; nested guards are counted.
  [[nodiscard]] auto SuspendRedraw() {
    BeginUpdate();
    return ScopeExit([this] { EndUpdate(); });
  }

  TCanvas& Canvas() { return *canvas_; }

  void SetOnDblClick(TNotifyEvent handler, std::string name = {}) {
    onDblClick_ = {std::move(name), std::move(handler)};
  }
  std::string OnDblClickName() const { return onDblClick_.name; }
  void SetOnKeyPress(TKeyPressEvent handler, std::string name = {}) {
    onKeyPress_ = {std::move(name), std::move(handler)};
  }
  std::string OnKeyPressName() const { return onKeyPress_.name; }

protected:
  void CreateParams(WindowParams& params) override;
  void WndProc(TMessage& message) override;
  // One owner-drawn item; the canvas is set up with the item's colours and the
  // control's font. The default draws the text.
  virtual void DrawItem(int index, const RECT& rect, UINT state);
  // The user changed the selection (LBN_SELCHANGE).
  virtual void SelectionChanged() { Click(); }
  virtual void DblClick();
  // A character key; the handler may change or clear it.
  virtual void KeyPress(char& key);

private:
  BoxItems Items() { return BoxItems(Handle(), kListBoxItems); }
  std::unique_ptr<TCanvas> canvas_;  // owned; attached to a DC during drawing
  int itemHeight_ = 16;
  bool sorted_ = false;
  TListBoxStyle style_ = lbStandard;
  bool integralHeight_ = false;
  bool multiSelect_ = false;
  int updateCount_ = 0;
  TEvent<TNotifyEvent> onDblClick_;
  TEvent<TKeyPressEvent> onKeyPress_;
};
