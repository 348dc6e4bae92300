// Plain controls over the system's window classes: push button, list box,
// combo box, label and edit. The push button is the base of the bitmap button;
// the list and combo boxes are the bases of the file-browsing controls.
#pragma once

#include <memory>

#include "framework/Control.h"
#include "runtime/ScopeExit.h"

class TButton : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TButton(TComponent* owner);

  // Enter presses the default button of a window, unless another button has the focus.
  bool Default() const { return default_; }
  void SetDefault(bool value);
  // Esc presses a cancel button.
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  // Given to the button's form when the button is clicked.
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int value) { modalResult_ = value; }
  bool RespondsToEnter() const { return respondsToEnter_; }

  // Sets the form's modal result, then fires OnClick.
  void Click() override;
  // The window's focused control changed to `focused`.
  void FocusedControlChanged(TWinControl* focused);
  // Shows the button as the one Enter presses.
  virtual void ShowAsActive(bool active);
  // The character after the first "&" of the caption, or 0.
  char Mnemonic() const;

protected:
  void CreateParams(WindowParams& params) override;
  void CreateWnd() override;
  void WndProc(TMessage& message) override;

  bool respondsToEnter_ = false;

private:
  bool default_ = false;
  bool cancel_ = false;
  int modalResult_ = 0;
};

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

  void SetOnDblClick(TNotifyEvent handler, std::string name = {}) { onDblClick_ = {std::move(name), std::move(handler)}; }
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
  void DrawItemRequest(const DRAWITEMSTRUCT& item);

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

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed };

class TCustomComboBox : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;

  int ItemCount();
  std::string ItemText(int index);
  void* ItemData(int index);
  int AddItem(const std::string& text, void* data = nullptr);
  void ClearItems();
  int ItemIndex();
  void SetItemIndex(int index);

  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int height);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style);
  TCanvas& Canvas() { return *canvas_; }
  // The height is the closed combo's; the window is made taller for the list.
  void SetBounds(int left, int top, int width, int height) override;

protected:
  void CreateParams(WindowParams& params) override;
  void WndProc(TMessage& message) override;
  virtual void DrawItem(int index, const RECT& rect, UINT state);
  // The selection changed (CBN_SELCHANGE).
  virtual void SelectionChanged() { Click(); }

private:
  std::unique_ptr<TCanvas> canvas_;  // owned
  int itemHeight_ = 16;
  TComboBoxStyle style_ = csDropDown;
};

// A caption; drawn greyed while disabled.
class TLabel : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TLabel(TComponent* owner);
  ~TLabel() override;

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value) { autoSize_ = value; }
  // A canvas with the label's font, for measuring its text.
  TCanvas& Canvas();

protected:
  void CreateParams(WindowParams& params) override;

private:
  std::unique_ptr<TCanvas> canvas_;  // owned: on a screen-compatible memory DC
  UniqueMemoryDC measureDC_;
  bool autoSize_ = true;
};

// A single-line edit; takes no input while disabled.
class TEdit : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TEdit(TComponent* owner);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  // EM_SETSEL over all of the text.
  void SelectAll();

protected:
  void CreateParams(WindowParams& params) override;

private:
  bool readOnly_ = false;
};
