// TMemo: a multi-line edit over the system's EDIT class, with its lines.
#pragma once

#include "framework/StringList.h"
#include "framework/WinControl.h"

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
