// More plain controls: panel, group box, check box and memo.
#pragma once

#include "framework/StdCtrls.h"
#include "framework/StringList.h"

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

// A container drawn with an outer bevel.
class TPanel : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  explicit TPanel(TComponent* owner);

  TPanelBevel BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel bevel);

protected:
  void WndProc(TMessage& message) override;

private:
  TPanelBevel bevelOuter_ = bvRaised;
};

// A frame with a caption around other controls.
class TGroupBox : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  explicit TGroupBox(TComponent* owner);

protected:
  void CreateParams(WindowParams& params) override;
};

// A check box whose click handler runs whenever its checked state changes,
// by the user or by the program.
class TCheckBox : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  explicit TCheckBox(TComponent* owner);

  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

protected:
  void CreateParams(WindowParams& params) override;
  void CreateWnd() override;
  void WndProc(TMessage& message) override;

private:
  bool checked_ = false;
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// A multi-line edit with its lines; read-only and centred when asked.
class TMemo : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  explicit TMemo(TComponent* owner);

  TStringList& Lines() { return lines_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);

protected:
  void CreateParams(WindowParams& params) override;
  void CreateWnd() override;

private:
  void LinesChanged();
  TStringList lines_;
  bool readOnly_ = false;
  TAlignment alignment_ = taLeftJustify;
};
