// TGroupBox: a frame with a caption, over the system's BUTTON class.
#pragma once

#include "framework/WinControl.h"

// A frame with a caption around other controls.
class TGroupBox : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  explicit TGroupBox(TComponent* owner);

protected:
  void CreateParams(WindowParams& params) override;
};
