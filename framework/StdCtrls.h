// Plain controls over the system's window classes. The push button here is
// the base of the bitmap button.
#pragma once

#include "framework/Control.h"

class TButton : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TButton(TComponent* owner);

protected:
  void CreateParams(WindowParams& params) override;
  void WndProc(TMessage& message) override;
};
