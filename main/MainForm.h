// The main window: source and destination browsers, the Convert button, the
// suffix option, Exit and About.
#pragma once

#include <string>

#include "Buttons/BitBtn.h"
#include "FileCtrl/FileCtrl.h"
#include "app/Forms.h"
#include "framework/ExtCtrls.h"

class TForm1 : public TForm {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  // Built from the layout resource TFORM1.
  explicit TForm1(TComponent* owner);

  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TDirectoryListBox* DirectoryListBox1 = nullptr;
  TDriveComboBox* DriveComboBox1 = nullptr;
  TFileListBox* FileListBox1 = nullptr;
  TDirectoryListBox* DirectoryListBox2 = nullptr;
  TDriveComboBox* DriveComboBox2 = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TPanel* Panel1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TLabel* Label3 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TEdit* Edit1 = nullptr;
  TBitBtn* BitBtn2 = nullptr;
  TBitBtn* BitBtn3 = nullptr;

  // The saved settings go into the controls when the window is first shown.
  void FormShow(TPersistent* sender);
  // The controls' state is saved when the window closes; when it cannot be,
  // the user is told that it is lost, and the window closes all the same.
  void FormClose(TPersistent* sender, TCloseAction& action);
  // Convert: the selected file into the destination folder.
  void BitBtn1Click(TPersistent* sender);
  // The suffix field is enabled exactly while the option is ticked.
  void CheckBox1Click(TPersistent* sender);
  // Exit.
  void BitBtn2Click(TPersistent* sender);
  // About: the about box, modally.
  void BitBtn3Click(TPersistent* sender);

protected:
  // The window takes files dropped from the shell.
  void CreateWnd() override;
  void WndProc(TMessage& message) override;

private:
  // The first item of a drop: an RTF document on the left half becomes the
  // selected source file, a folder on the right half the destination folder.
  // A name the code page cannot hold or a path too long is refused in words.
  void FollowDrop(const std::wstring& widePath, POINT point);
  void FollowUsableDrop(const std::string& path, POINT point);
};

extern TForm1* Form1;
