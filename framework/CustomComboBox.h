// TCustomComboBox: a combo box over the system's COMBOBOX class, owner-drawn
// when asked; the base of the drive list.
#pragma once

#include <memory>

#include "framework/BoxItems.h"
#include "framework/WinControl.h"

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
  BoxItems Items() { return BoxItems(Handle(), kComboBoxItems); }
  std::unique_ptr<TCanvas> canvas_;  // owned
  int itemHeight_ = 16;
  TComboBoxStyle style_ = csDropDown;
};
