// The main window and its handlers.
#include "main/MainForm.h"

#include <shellapi.h>

#include "FileCtrl/FileCtrlHelpers.h"
#include "Registry/RegIniFile.h"
#include "about/AboutForm.h"
#include "app/Application.h"
#include "app/MessageBox.h"
#include "main/ConvertCommand.h"
#include "main/ProgramTitle.h"
#include "main/SettingsKey.h"
#include "runtime/AnsiNames.h"
#include "runtime/Exceptions.h"
#include "runtime/UniqueHandle.h"

TForm1* Form1 = nullptr;

namespace {

constexpr char kSettingsLost[] = "設定を保存できませんでした。今回の設定は失われます。";
constexpr char kNotAFolderPrefix[] = "フォルダではありません - ";
constexpr char kNotADocumentPrefix[] = "RTF 文書ではありません - ";
constexpr char kPathTooLong[] = "パスが長すぎます。";
constexpr char kPathTooLongReason[] =
    "Windows のファイル操作で扱える長さを超えています。"
    "フォルダ名やファイル名を短くしてから、もう一度ドロップしてください";

// The shell's drop handle, released with DragFinish.
struct DropTraits {
  using Type = HDROP;
  static Type Invalid() { return nullptr; }
  static void Close(Type drop) { DragFinish(drop); }
};
using UniqueDrop = UniqueHandle<DropTraits>;

// The first path of a drop (empty when it holds none); the others are left.
// Taken wide: the ANSI form would be a best fit, which may name another file.
std::wstring FirstDroppedPath(HDROP drop) {
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  if (length == 0) return {};
  std::wstring path(length + 1, L'\0');
  path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
  return path;
}

// The message for a path longer than the system's file functions take; the
// application adds the period.
std::string PathTooLongText(const std::string& path) {
  return kPathTooLong + ("\n" + path) + "\n" + kPathTooLongReason;
}

// The selected file as the settings keep it. A name the code page cannot hold
// reads "?", which restored would become the list's mask: its folder is kept
// instead, and the next start opens it.
std::string SourceFileToStore(TFileListBox& list) {
  const std::string selected = list.SelectedFile();
  return HasUnusableCharacter(selected) ? list.CurrentFolder() : selected;
}

// Runs one restoring step; a failure is shown and the next steps still run,
// so that one stale saved path does not cost the rest of the settings.
template <class Step>
void Restore(Step step) {
  try {
    step();
  } catch (...) {
    Application->HandleException(Form1);
  }
}

// Tells the user that the settings were not stored, in a box like the
// program's other error boxes: the error's message with its period, then
// what it means.
void ShowSettingsLost(const Exception& error, HWND owner) {
  ShowMessageBox(error.Message() + ".\n" + kSettingsLost, kProgramTitle, MB_OK | MB_ICONSTOP, owner);
}

const PublishedMethod kForm1Methods[] = {
    NotifyMethod<&TForm1::FormShow>("FormShow"),         CloseMethod<&TForm1::FormClose>("FormClose"),
    NotifyMethod<&TForm1::BitBtn1Click>("BitBtn1Click"), NotifyMethod<&TForm1::CheckBox1Click>("CheckBox1Click"),
    NotifyMethod<&TForm1::BitBtn2Click>("BitBtn2Click"), NotifyMethod<&TForm1::BitBtn3Click>("BitBtn3Click"),
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

void TForm1::FormShow(TPersistent*) {
  TRegIniFile settings(kSettingsKey);
  Restore([&] { FileListBox1->SetSelectedFileProperty(settings.ReadText(kSettingsSection, "SourceFile", "")); });
  Restore([&] { DirectoryListBox2->SetCurrentFolder(settings.ReadText(kSettingsSection, "DestDir", "")); });
  Restore([&] { Edit1->SetText(settings.ReadText(kSettingsSection, "TextPlus", "")); });
  Restore([&] { CheckBox1->SetChecked(settings.ReadFlag(kSettingsSection, "IsTextPlus", false)); });
}

void TForm1::FormClose(TPersistent*, TCloseAction&) {
  // A failed write ends the save there, but not the close: an error escaping
  // this handler would keep the window open, and the program could not be
  // ended at all while the settings cannot be stored.
  try {
    TRegIniFile settings(kSettingsKey);
    settings.WriteText(kSettingsSection, "SourceFile", SourceFileToStore(*FileListBox1));
    settings.WriteText(kSettingsSection, "DestDir", DirectoryListBox2->CurrentFolder());
    settings.WriteText(kSettingsSection, "TextPlus", Edit1->Text());
    settings.WriteFlag(kSettingsSection, "IsTextPlus", CheckBox1->Checked());
  } catch (const EAbort&) {
  } catch (const Exception& error) {
    ShowSettingsLost(error, Handle());
  }
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

void TForm1::CreateWnd() {
  TForm::CreateWnd();
  // Again for every new window: a recreated window starts without it.
  DragAcceptFiles(Handle(), TRUE);
}

void TForm1::WndProc(TMessage& message) {
  if (message.msg != WM_DROPFILES) {
    TForm::WndProc(message);
    return;
  }
  // Released however the drop ends; an error goes on to the window's guard,
  // which shows it.
  const UniqueDrop drop(reinterpret_cast<HDROP>(message.wParam));
  message.result = 0;
  // Disabled while a modal window or a message box is up: the source or the
  // destination would change behind it.
  if (!IsWindowEnabled(Handle())) return;
  POINT point{};
  // A drop on the frame or the caption comes in screen coordinates.
  if (!DragQueryPoint(drop.get(), &point)) ScreenToClient(Handle(), &point);
  const std::wstring path = FirstDroppedPath(drop.get());
  if (!path.empty()) FollowDrop(path, point);
}

void TForm1::FollowDrop(const std::wstring& widePath, POINT point) {
  std::string path;
  if (!ToExactAnsi(widePath, &path)) RaiseUnusableName(path);
  try {
    FollowUsableDrop(path, point);
  } catch (const EInOutError& error) {
    // Alone, the system's code would read "I/O ｴﾗｰ (206)".
    if (error.ErrorCode() != ERROR_FILENAME_EXCED_RANGE) throw;
    throw EInOutError(PathTooLongText(path), ERROR_FILENAME_EXCED_RANGE);
  }
}

void TForm1::FollowUsableDrop(const std::string& path, POINT point) {
  // Checked first, so that a drop that cannot be followed changes nothing.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) RaiseInOutError(GetLastError());
  const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
  // The two halves meet in the middle of the Convert button, between the
  // source browser and the destination browser.
  if (point.x < BitBtn1->Left() + BitBtn1->Width() / 2) {
    // Any other file would become the list's mask, and every folder would
    // show only files of its name from then on.
    if (!folder && LowerExtension(path) != ".rtf") throw EInOutError(kNotADocumentPrefix + path, ERROR_BAD_FORMAT);
    // As the user's choice would: the folder list and the drive box follow.
    // A folder opens in the source browser, as the property takes it.
    FileListBox1->SetSelectedFileProperty(path);
  } else if (folder) {
    DirectoryListBox2->SetCurrentFolder(path);
  } else {
    throw EInOutError(kNotAFolderPrefix + path, ERROR_DIRECTORY);
  }
}
