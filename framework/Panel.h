// TPanel: a container drawn with an outer bevel.
#pragma once

#include "framework/WinControl.h"

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
