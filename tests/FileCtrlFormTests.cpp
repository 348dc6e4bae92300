// The three file-browsing controls linked on a form read from a text layout:
// drive combo -> directory list -> file list, as the main window holds them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "FileCtrl/FileCtrl.h"
#include "FileCtrl/FileCtrlHelpers.h"
#include "app/Application.h"
#include "tests/support/TestFiles.h"

namespace {

class TFileCtrlForm : public TForm {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  explicit TFileCtrlForm(TComponent* owner) : TForm(owner) { ReadLayout(); }

  TDirectoryListBox* DirectoryListBox1 = nullptr;
  TDriveComboBox* DriveComboBox1 = nullptr;
  TFileListBox* FileListBox1 = nullptr;
  std::vector<std::string> events;

  void DirectoryChange(TPersistent*) { events.push_back("directory"); }
  void DriveChange(TPersistent*) { events.push_back("drive"); }
  void FileChange(TPersistent*) { events.push_back("file"); }
};

const PublishedMethod kFileCtrlFormMethods[] = {
    NotifyMethod<&TFileCtrlForm::DirectoryChange>("DirectoryChange"),
    NotifyMethod<&TFileCtrlForm::DriveChange>("DriveChange"),
    NotifyMethod<&TFileCtrlForm::FileChange>("FileChange"),
};
const PublishedField kFileCtrlFormFields[] = {
    ComponentField<&TFileCtrlForm::DirectoryListBox1>("DirectoryListBox1", TDirectoryListBox::kClassInfo),
    ComponentField<&TFileCtrlForm::DriveComboBox1>("DriveComboBox1", TDriveComboBox::kClassInfo),
    ComponentField<&TFileCtrlForm::FileListBox1>("FileListBox1", TFileListBox::kClassInfo),
};
const ClassInfo TFileCtrlForm::kClassInfo{"TFileCtrlForm",      &TForm::kClassInfo, nullptr, {},
                                          kFileCtrlFormMethods, kFileCtrlFormFields};

class FileCtrlFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitializeApplication();
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof current, current);
    saved_ = current;
    form_ = new TFileCtrlForm(Application);
    form_->Show();
  }
  void TearDown() override {
    delete form_;
    SetCurrentDirectoryA(saved_.c_str());
  }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (int i = 0; i < form_->FileListBox1->ItemCount(); ++i) names.push_back(form_->FileListBox1->ItemText(i));
    return names;
  }
  ScratchFolder root_{"filectrl-form"};
  TFileCtrlForm* form_ = nullptr;
  std::string saved_;
};

TEST_F(FileCtrlFormTest, TheLayoutLinksTheThreeControls) {
  EXPECT_EQ(form_->DriveComboBox1->DirList(), form_->DirectoryListBox1);
  EXPECT_EQ(form_->DirectoryListBox1->LinkedDriveCombo(), form_->DriveComboBox1);
  EXPECT_EQ(form_->DirectoryListBox1->FileList(), form_->FileListBox1);
  EXPECT_EQ(form_->FileListBox1->LinkedDirList(), form_->DirectoryListBox1);
  EXPECT_EQ(form_->FileListBox1->Mask(), "*.rtf");
  EXPECT_EQ(form_->DirectoryListBox1->ItemHeight(), 16);
  EXPECT_TRUE(IsWindowVisible(form_->DriveComboBox1->Handle()));
}

TEST_F(FileCtrlFormTest, MovingTheFolderListRefillsTheFileListFirst) {
  WriteFileBytes(root_ / "b.rtf", "x");
  WriteFileBytes(root_ / "A.rtf", "x");
  WriteFileBytes(root_ / "notes.txt", "x");
  CreateDirectoryA((root_ / "sub").c_str(), nullptr);
  // Onto the scratch folder's drive first: a drive change raises the combo's event too.
  form_->DirectoryListBox1->SetCurrentFolder(root_ / "sub");
  form_->events.clear();
  form_->DirectoryListBox1->SetCurrentFolder(root_.path());
  // The system reports the folder's letter case, which may differ in the drive letter.
  EXPECT_TRUE(SameText(form_->FileListBox1->CurrentFolder(), root_.path())) << form_->FileListBox1->CurrentFolder();
  EXPECT_EQ(Files(), (std::vector<std::string>{"A.rtf", "b.rtf"}));
  EXPECT_EQ(form_->events, (std::vector<std::string>{"file", "directory"}));
  EXPECT_TRUE(SameText(CurrentDirectory(), root_.path()));

  // Choosing a file by its path moves the folder list there and selects it.
  form_->DirectoryListBox1->SetCurrentFolder(root_ / "sub");
  form_->FileListBox1->SetSelectedFileProperty(root_ / "b.rtf");
  EXPECT_TRUE(SameText(form_->DirectoryListBox1->CurrentFolder(), root_.path()));
  EXPECT_TRUE(SameText(form_->FileListBox1->SelectedFile(), root_ / "b.rtf"));
}

TEST_F(FileCtrlFormTest, ADriveChangeRaisesFileThenDirectoryThenDrive) {
  form_->DirectoryListBox1->SetCurrentFolder(root_.path());
  const char other = root_.path()[0] == 'C' || root_.path()[0] == 'c' ? 'Z' : 'C';
  form_->events.clear();
  form_->DriveComboBox1->SetCurrentDrive(other);
  EXPECT_EQ(toupper(form_->DirectoryListBox1->CurrentDrive()), other);
  EXPECT_EQ(form_->events, (std::vector<std::string>{"file", "directory", "drive"}));

  // A folder on another drive, assigned to the folder list, moves the combo
  // too: the combo's event comes before the folder list's.
  form_->events.clear();
  form_->DirectoryListBox1->SetCurrentFolder(root_.path());
  EXPECT_EQ(toupper(form_->DriveComboBox1->CurrentDrive()), toupper(root_.path()[0]));
  ASSERT_FALSE(form_->events.empty());
  EXPECT_EQ(form_->events.back(), "directory");
  EXPECT_NE(std::find(form_->events.begin(), form_->events.end(), "drive"), form_->events.end());
}

}  // namespace
