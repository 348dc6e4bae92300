// The about box.
#include "about/AboutForm.h"

TForm2* Form2 = nullptr;

namespace {

const PublishedMethod kForm2Methods[] = {
    NotifyMethod<&TForm2::BitBtn1Click>("BitBtn1Click"),
};

const PublishedField kForm2Fields[] = {
    ComponentField<&TForm2::Memo1>("Memo1", TMemo::kClassInfo),
    ComponentField<&TForm2::BitBtn1>("BitBtn1", TBitBtn::kClassInfo),
};

}  // namespace

const ClassInfo TForm2::kClassInfo{"TForm2", &TForm::kClassInfo, nullptr, {}, kForm2Methods, kForm2Fields};

TForm2::TForm2(TComponent* owner) : TForm(owner) {
  ReadLayout();
}

void TForm2::BitBtn1Click(TPersistent*) {
  Close();
}
