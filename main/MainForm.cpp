// The main window and its handlers.
#include "main/MainForm.h"

#include "about/AboutForm.h"
#include "convert/Conversion.h"

TForm1* Form1 = nullptr;

namespace {

const PublishedMethod kForm1Methods[] = {
    NotifyMethod<&TForm1::BitBtn1Click>("BitBtn1Click"),
    NotifyMethod<&TForm1::CheckBox1Click>("CheckBox1Click"),
    NotifyMethod<&TForm1::BitBtn2Click>("BitBtn2Click"),
    NotifyMethod<&TForm1::BitBtn3Click>("BitBtn3Click"),
};

const PublishedField kForm1Fields[] = {
    ComponentField<&TForm1::Label1>("Label1", TLabel::kClassInfo),
    ComponentField<&TForm1::Label2>("Label2", TLabel::kClassInfo),
    ComponentField<&TForm1::DirectoryListBox1>("DirectoryListBox1", TDirectoryListBox::kClassInfo),
    ComponentField<&TForm1::DriveComboBox1>("DriveComboBox1", TDriveComboBox::kClassInfo),
    ComponentField<&TForm1::FileListBox1>("FileListBox1", TFileListBox::kClassInfo),
    ComponentField<&TForm1::DirectoryListBox2>("DirectoryListBox2", TDirectoryListBox::kClassInfo),
    ComponentField<&TForm1::DriveComboBox2>("DriveComboBox2", TDriveComboBox::kClassInfo),
    ComponentField<&TForm1::BitBtn1>("BitBtn1", TBitBtn::kClassInfo),
    ComponentField<&TForm1::Panel1>("Panel1", TPanel::kClassInfo),
    ComponentField<&TForm1::GroupBox1>("GroupBox1", TGroupBox::kClassInfo),
    ComponentField<&TForm1::Label3>("Label3", TLabel::kClassInfo),
    ComponentField<&TForm1::CheckBox1>("CheckBox1", TCheckBox::kClassInfo),
    ComponentField<&TForm1::Edit1>("Edit1", TEdit::kClassInfo),
    ComponentField<&TForm1::BitBtn2>("BitBtn2", TBitBtn::kClassInfo),
    ComponentField<&TForm1::BitBtn3>("BitBtn3", TBitBtn::kClassInfo),
};

}  // namespace

const ClassInfo TForm1::kClassInfo{"TForm1", &TForm::kClassInfo, nullptr, {}, kForm1Methods, kForm1Fields};

TForm1::TForm1(TComponent* owner) : TForm(owner) {
  ReadLayout();
}

void TForm1::BitBtn1Click(TPersistent*) {
  Convert(FileListBox1->SelectedFile(), DirectoryListBox2->CurrentFolder(), CheckBox1->Checked(), Edit1->Text(),
          Handle());
}

void TForm1::CheckBox1Click(TPersistent*) {
  Edit1->SetEnabled(CheckBox1->Checked());
  Label3->SetEnabled(Edit1->Enabled());
}

void TForm1::BitBtn2Click(TPersistent*) {
  Close();
}

void TForm1::BitBtn3Click(TPersistent*) {
  Form2->ShowModal();
}
