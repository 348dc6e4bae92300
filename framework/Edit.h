// TEdit: a single-line edit over the system's EDIT class.
#pragma once

#include "framework/WinControl.h"

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
