// TLabel: a caption over the system's STATIC class.
#pragma once

#include <memory>

#include "framework/WinControl.h"

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
