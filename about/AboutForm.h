// The about box: the program's name and version.
#pragma once

#include "Buttons/BitBtn.h"
#include "app/Forms.h"
#include "framework/ExtCtrls.h"

class TForm2 : public TForm {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  // Built from the layout resource TFORM2.
  explicit TForm2(TComponent* owner);

  TMemo* Memo1 = nullptr;
  TBitBtn* BitBtn1 = nullptr;

  // OK: closes the about box, which ends its modal showing.
  void BitBtn1Click(TPersistent* sender);
};

extern TForm2* Form2;
