// TCheckBox: a check box over the system's BUTTON class.
#pragma once

#include "framework/WinControl.h"

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
