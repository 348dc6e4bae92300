// The main window and the about box, read from their layouts, in process:
// the controls of the tables, the option's rule, Convert with nothing
// selected, a drive change moving the folder and file lists, items dropped
// from the shell.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>  // DROPFILES

#include <cstring>
#include <string>
#include <vector>

#include "about/AboutForm.h"
#include "app/Application.h"
#include "main/MainForm.h"
#include "runtime/AnsiNames.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/RegistryValues.h"
#include "tests/support/TestFiles.h"

namespace {

class MainFormTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    // A first run: no saved settings.
    ForgetSavedSettings();
    InitializeApplication();
    Application->SetTitle("Quorvel for Word97");
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
  }
  void SetUp() override { Form1->Show(); }
  // The tests share Form1: what one changed is put back here, also when an
  // assertion ended it early, so that the next finds the window as it was.
  void TearDown() override {
    Form1->CheckBox1->SetChecked(false);
    Form1->Edit1->SetText("");
    Form1->DirectoryListBox1->SetCurrentFolder(ProgramFolder());
    Form1->DirectoryListBox2->SetCurrentFolder(ProgramFolder());
    ForgetSavedSettings();
  }
  // Removed after TearDown, once the lists have left them.
  ScratchFolder source_{"main-src"}, destination_{"main-dst"};

  static void ExpectComboBounds(TWinControl* combo, int left, int top, int width) {
    RECT window{};
    GetWindowRect(combo->Handle(), &window);
    ExpectBounds(combo, left, top, width, window.bottom - window.top);
    EXPECT_GE(combo->Height(), 21);
  }
  static void ExpectBounds(TControl* control, int left, int top, int width, int height) {
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->Left(), left) << control->Name();
    EXPECT_EQ(control->Top(), top) << control->Name();
    EXPECT_EQ(control->Width(), width) << control->Name();
    EXPECT_EQ(control->Height(), height) << control->Name();
  }
};

TEST_F(MainFormTest, TheMainWindowHoldsTheControlsOfItsLayout) {
  EXPECT_EQ(Form1->Caption(), "Quorvel for Word97 -> HelpWorkshop v4.01");
  EXPECT_EQ(Form1->ClientWidth(), 564);
  EXPECT_EQ(Form1->ClientHeight(), 395);
  EXPECT_EQ(Form1->BorderStyle(), bsDialog);
  EXPECT_EQ(Form1->Font().Name(), "ＭＳ Ｐゴシック");
  EXPECT_EQ(Form1->Font().Height(), -15);
  EXPECT_EQ(Form1->Font().Charset(), SHIFTJIS_CHARSET);
  EXPECT_FALSE(Form1->Scaled());
  const LONG style = GetWindowLongA(Form1->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

  ExpectBounds(Form1->Label1, 8, 8, 169, 17);
  ExpectBounds(Form1->Label2, 384, 8, 169, 17);
  ExpectBounds(Form1->DirectoryListBox1, 8, 32, 169, 209);
  // A drop-down list's height is the system's: its item height (from the font) and frame.
  ExpectComboBounds(Form1->DriveComboBox1, 8, 248, 169);
  ExpectBounds(Form1->FileListBox1, 184, 32, 137, 233);
  ExpectBounds(Form1->DirectoryListBox2, 384, 32, 169, 209);
  ExpectComboBounds(Form1->DriveComboBox2, 384, 248, 169);
  ExpectBounds(Form1->BitBtn1, 328, 32, 49, 233);
  ExpectBounds(Form1->Panel1, 8, 272, 337, 113);
  ExpectBounds(Form1->GroupBox1, 10, 10, 291, 95);
  ExpectBounds(Form1->Label3, 20, 42, 110, 19);
  ExpectBounds(Form1->CheckBox1, 20, 20, 251, 21);
  ExpectBounds(Form1->Edit1, 40, 62, 231, 23);
  ExpectBounds(Form1->BitBtn2, 472, 344, 73, 41);
  ExpectBounds(Form1->BitBtn3, 472, 296, 73, 41);

  EXPECT_EQ(Form1->Label1->Caption(), "変換元ファイル : ");
  EXPECT_EQ(Form1->Label2->Caption(), "変換先フォルダ : ");
  EXPECT_EQ(Form1->GroupBox1->Caption(), "付加文字列");
  EXPECT_EQ(Form1->CheckBox1->Caption(), "変換先ファイル名に文字を付加する");
  EXPECT_EQ(Form1->BitBtn1->Caption(), "変換");
  EXPECT_EQ(Form1->BitBtn2->Caption(), "Exit");
  EXPECT_EQ(Form1->BitBtn3->Caption(), "About");
  EXPECT_EQ(Form1->BitBtn1->Layout(), blGlyphTop);
  EXPECT_EQ(Form1->BitBtn1->NumGlyphs(), 2);
  EXPECT_EQ(Form1->BitBtn1->Glyph().Width(), 32);
  EXPECT_EQ(Form1->BitBtn1->Glyph().Height(), 16);
  EXPECT_EQ(Form1->Panel1->BevelOuter(), bvLowered);
  EXPECT_EQ(Form1->GroupBox1->Parent(), Form1->Panel1);
  EXPECT_EQ(Form1->CheckBox1->Parent(), Form1->GroupBox1);
  EXPECT_FALSE(Form1->Edit1->Enabled());
  EXPECT_FALSE(Form1->Label3->Enabled());
  EXPECT_FALSE(Form1->CheckBox1->Checked());

  // Links and tab order.
  EXPECT_EQ(Form1->DirectoryListBox1->FileList(), Form1->FileListBox1);
  EXPECT_EQ(Form1->DriveComboBox1->DirList(), Form1->DirectoryListBox1);
  EXPECT_EQ(Form1->DriveComboBox2->DirList(), Form1->DirectoryListBox2);
  EXPECT_EQ(Form1->DirectoryListBox2->FileList(), nullptr);
  EXPECT_EQ(Form1->FileListBox1->Mask(), "*.rtf");
  EXPECT_EQ(Form1->DirectoryListBox1->ItemHeight(), 16);
  EXPECT_EQ(Form1->FileListBox1->ItemHeight(), 15);
  TWinControl* order[] = {Form1->DirectoryListBox1,
                          Form1->DriveComboBox1,
                          Form1->FileListBox1,
                          Form1->DirectoryListBox2,
                          Form1->DriveComboBox2,
                          Form1->BitBtn1,
                          Form1->Panel1,
                          Form1->BitBtn2,
                          Form1->BitBtn3};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(order[i]->TabOrder(), i) << order[i]->Name();
  EXPECT_EQ(Form1->CheckBox1->TabOrder(), 0);
  EXPECT_EQ(Form1->Edit1->TabOrder(), 1);
  EXPECT_EQ(Form1->BitBtn1->OnClickName(), "BitBtn1Click");
}

TEST_F(MainFormTest, TheOptionEnablesTheSuffixFieldAndKeepsItsText) {
  Form1->CheckBox1->SetChecked(true);
  EXPECT_TRUE(Form1->Edit1->Enabled());
  EXPECT_TRUE(Form1->Label3->Enabled());
  Form1->Edit1->SetText("_hcw");
  // The user's click on the box goes through the same rule.
  SendMessageA(Form1->CheckBox1->Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(Form1->CheckBox1->Checked());
  EXPECT_FALSE(Form1->Edit1->Enabled());
  EXPECT_FALSE(Form1->Label3->Enabled());
  EXPECT_EQ(Form1->Edit1->Text(), "_hcw");
  EXPECT_FALSE(IsWindowEnabled(Form1->Edit1->Handle()));
}

TEST_F(MainFormTest, ConvertWithNothingSelectedDoesNothing) {
  Form1->DirectoryListBox2->SetCurrentFolder(destination_.path());
  Form1->FileListBox1->SetItemIndex(-1);
  MessageBoxWatcher watcher;
  SendMessageA(Form1->BitBtn1->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(watcher.seen().empty());
  EXPECT_TRUE(FolderEntries(destination_.path()).empty());
}

TEST_F(MainFormTest, ConvertWritesTheSelectedFileIntoTheDestinationFolder) {
  WriteFileBytes(source_ / "doc.rtf", "{\\f0{\\*\\panose 1}A;}\n");
  Form1->DirectoryListBox1->SetCurrentFolder(source_.path());
  Form1->DirectoryListBox2->SetCurrentFolder(destination_.path());
  Form1->FileListBox1->SetSelectedFileProperty(source_ / "doc.rtf");
  Form1->CheckBox1->SetChecked(true);
  Form1->Edit1->SetText(".hcw");
  SendMessageA(Form1->BitBtn1->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(ReadFileBytes(destination_ / "doc.rtf.hcw"), "{\\f0 A;}\r\n");

  // Again: the question is asked with every window of the program disabled,
  // the application window too, so that its taskbar entry cannot close the
  // program behind the question. Cancel keeps the file.
  WriteFileBytes(destination_ / "doc.rtf.hcw", "old\r\n");
  MessageBoxWatcher watcher(MessageBoxAnswer::kCancelButton);
  bool applicationEnabledDuring = true, formEnabledDuring = true;
  watcher.set_on_show([&](HWND) {
    applicationEnabledDuring = IsWindowEnabled(Application->Handle());
    formEnabledDuring = IsWindowEnabled(Form1->Handle());
  });
  SendMessageA(Form1->BitBtn1->Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(watcher.seen().size(), 1u);
  EXPECT_EQ(watcher.seen()[0].owner, Form1->Handle());
  EXPECT_FALSE(applicationEnabledDuring);
  EXPECT_FALSE(formEnabledDuring);
  EXPECT_TRUE(IsWindowEnabled(Application->Handle()));
  EXPECT_TRUE(IsWindowEnabled(Form1->Handle()));
  EXPECT_EQ(ReadFileBytes(destination_ / "doc.rtf.hcw"), "old\r\n");
}

TEST_F(MainFormTest, ConvertOnANameTheCodePageCannotHoldGivesTheAdvice) {
  // é.rtf is listed as ?.rtf, never as e.rtf, the file beside it.
  MakeApproximateNames(source_.path());
  Form1->DirectoryListBox1->SetCurrentFolder(source_.path());
  Form1->DirectoryListBox2->SetCurrentFolder(destination_.path());
  Form1->FileListBox1->SelectName("?.rtf");
  MessageBoxWatcher watcher;
  SendMessageA(Form1->BitBtn1->Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(watcher.seen().size(), 1u);
  EXPECT_EQ(FirstTwoLines(watcher.seen()[0].text),
            "このファイル名はコード ページ 932 では使えません。\n" + (source_ / "?.rtf"));
  EXPECT_TRUE(FolderEntries(destination_.path()).empty());

  // A suffix pasted with é reads "_?", never the best fit "_e", and names no file.
  Form1->FileListBox1->SelectName("e.rtf");
  Form1->CheckBox1->SetChecked(true);
  SetWindowTextW(Form1->Edit1->Handle(), L"_\u00E9");
  EXPECT_EQ(Form1->Edit1->Text(), "_?");
  SendMessageA(Form1->BitBtn1->Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(watcher.seen().size(), 2u);
  EXPECT_EQ(FirstTwoLines(watcher.seen()[1].text),
            "付加文字列はファイル名に使えません。\n" + (destination_ / "e.rtf_?"));
  EXPECT_TRUE(FolderEntries(destination_.path()).empty());
}

TEST_F(MainFormTest, ChoosingAnotherDriveMovesTheSourceLists) {
  // D: is the test prefix's CD-ROM drive, a folder with nothing but a label.
  Form1->DriveComboBox1->SetCurrentDrive('d');
  EXPECT_EQ(toupper(Form1->DirectoryListBox1->CurrentDrive()), 'D');
  EXPECT_EQ(toupper(Form1->FileListBox1->CurrentFolder()[0]), 'D');
  Form1->DirectoryListBox1->SetCurrentFolder(ProgramFolder());
  EXPECT_EQ(toupper(Form1->DriveComboBox1->CurrentDrive()), toupper(ProgramFolder()[0]));
}

bool gMainEnabled = true;
bool gMemoReadOnlyCentred = false;

// Runs from the about box's modal loop: looks at both windows, then presses OK.
void CALLBACK CheckAboutBoxAndPressOk(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  gMainEnabled = IsWindowEnabled(Form1->Handle());
  const LONG memoStyle = GetWindowLongA(Form2->Memo1->Handle(), GWL_STYLE);
  gMemoReadOnlyCentred = (memoStyle & ES_READONLY) && (memoStyle & ES_CENTER);
  SendMessageA(Form2->BitBtn1->Handle(), BM_CLICK, 0, 0);
}

TEST_F(MainFormTest, TheAboutBoxIsModalAndCanBeShownAgain) {
  EXPECT_EQ(Form2->Caption(), "バージョン情報");
  EXPECT_EQ(Form2->ClientWidth(), 345);
  EXPECT_EQ(Form2->ClientHeight(), 121);
  EXPECT_EQ(Form2->Memo1->Lines().Count(), 5);
  EXPECT_EQ(Form2->Memo1->Lines()[1], "Quorvel for Word97 → HelpWorkshop v4.01");
  EXPECT_EQ(Form2->Memo1->Lines()[2], "Ver1.1");
  EXPECT_TRUE(Form2->Memo1->ReadOnly());
  EXPECT_EQ(Form2->Memo1->Alignment(), taCenter);
  for (int round = 0; round < 2; ++round) {
    gMainEnabled = true;
    gMemoReadOnlyCentred = false;
    SetTimer(nullptr, 0, 20, CheckAboutBoxAndPressOk);
    SendMessageA(Form1->BitBtn3->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(gMainEnabled);
    EXPECT_TRUE(gMemoReadOnlyCentred);
    EXPECT_TRUE(IsWindowEnabled(Form1->Handle()));
    EXPECT_FALSE(IsWindowVisible(Form2->Handle()));
    EXPECT_EQ(Form2->Left(), 409);
    EXPECT_EQ(Form2->Top(), 232);
  }
}

}  // namespace

namespace {

TEST_F(MainFormTest, AFileCanBeConvertedWithTheKeyboard) {
  WriteFileBytes(source_ / "a.rtf", "{\\*\\panose 1}x\n");
  Form1->DirectoryListBox1->SetCurrentFolder(source_.path());
  Form1->DirectoryListBox2->SetCurrentFolder(destination_.path());
  auto press = [](WPARAM key) {
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 0x00010001);
    PostMessageA(GetFocus(), WM_KEYUP, key, 0xC0010001);
    Application->ProcessMessages();
  };
  // Tab from the first folder list: drive box, then the file list.
  Form1->DirectoryListBox1->SetFocus();
  press(VK_TAB);
  press(VK_TAB);
  ASSERT_TRUE(Form1->FileListBox1->Focused());
  press(VK_DOWN);  // the list's own keys select the first file
  // The drive letter's case is what the system reported after a drive change.
  EXPECT_TRUE(SameText(Form1->FileListBox1->SelectedFile(), source_ / "a.rtf")) << Form1->FileListBox1->SelectedFile();
  // On to the Convert button (past the destination list and drive box), then Enter.
  press(VK_TAB);
  press(VK_TAB);
  press(VK_TAB);
  ASSERT_TRUE(Form1->BitBtn1->Focused());
  press(VK_RETURN);
  EXPECT_EQ(ReadFileBytes(destination_ / "a.rtf"), " x\r\n");
}

}  // namespace

namespace {

TEST_F(MainFormTest, SettingsAreStoredOnCloseAndRestoredOnShow) {
  WriteFileBytes(source_ / "doc.rtf", "x\n");
  MakeWideEntry(source_.path(), L"\uD55C\uAD6D.rtf");
  Form1->FileListBox1->SetSelectedFileProperty(source_ / "doc.rtf");
  Form1->DirectoryListBox2->SetCurrentFolder(destination_.path());
  Form1->Edit1->SetText("_hcw");
  Form1->CheckBox1->SetChecked(false);
  TCloseAction action = caHide;
  Form1->FormClose(Form1, action);
  EXPECT_TRUE(SameText(StoredSetting("SourceFile"), source_ / "doc.rtf")) << StoredSetting("SourceFile");
  EXPECT_TRUE(SameText(StoredSetting("DestDir"), destination_.path()));
  EXPECT_EQ(StoredSetting("TextPlus"), "_hcw");
  EXPECT_EQ(StoredSetting("IsTextPlus"), "0");

  // Restored into controls that were moved away meanwhile.
  Form1->DirectoryListBox1->SetCurrentFolder(ProgramFolder());
  Form1->DirectoryListBox2->SetCurrentFolder(ProgramFolder());
  Form1->Edit1->SetText("");
  StoreSetting("IsTextPlus", "1");
  Form1->FormShow(Form1);
  EXPECT_TRUE(SameText(Form1->FileListBox1->SelectedFile(), source_ / "doc.rtf"));
  EXPECT_TRUE(SameText(Form1->DirectoryListBox2->CurrentFolder(), destination_.path()));
  EXPECT_EQ(Form1->Edit1->Text(), "_hcw");
  EXPECT_TRUE(Form1->CheckBox1->Checked());
  EXPECT_TRUE(Form1->Edit1->Enabled());  // the option's rule ran

  // 한국.rtf reads ??.rtf, which restored would become the list's mask: its
  // folder is stored instead.
  Form1->FileListBox1->SelectName("??.rtf");
  Form1->FormClose(Form1, action);
  EXPECT_TRUE(SameText(StoredSetting("SourceFile"), source_.path())) << StoredSetting("SourceFile");
  Form1->FormShow(Form1);
  EXPECT_EQ(Form1->FileListBox1->Mask(), "*.rtf");
  EXPECT_TRUE(SameText(Form1->FileListBox1->CurrentFolder(), source_.path()));
}

TEST_F(MainFormTest, AStaleSavedPathIsShownAndTheOtherSettingsAreStillRestored) {
  StoreSetting("SourceFile", source_ / "removed\\doc.rtf");
  StoreSetting("DestDir", source_ / "removed too");
  StoreSetting("TextPlus", "_kept");
  StoreSetting("IsTextPlus", "1");
  Form1->Edit1->SetText("");
  MessageBoxWatcher watcher;
  Form1->FormShow(Form1);
  ASSERT_EQ(watcher.seen().size(), 2u);
  EXPECT_EQ(watcher.seen()[0].text, "ﾌｧｲﾙが見つかりません.");
  EXPECT_EQ(watcher.seen()[0].caption, "Quorvel for Word97");
  EXPECT_EQ(watcher.seen()[1].text.substr(watcher.seen()[1].text.size() - 1), ".");
  EXPECT_EQ(Form1->Edit1->Text(), "_kept");
  EXPECT_TRUE(Form1->CheckBox1->Checked());
}

}  // namespace

namespace {

// Posts to the main window what the shell posts when items are dropped on it:
// WM_DROPFILES with a DROPFILES block (the point in client coordinates, then
// the wide paths, each ending in a zero, and one more zero). The window owns
// the block from then on. Returns it, for looking whether it was freed.
HGLOBAL PostDrop(const std::vector<std::wstring>& paths, POINT point) {
  std::wstring names;
  for (const std::wstring& path : paths) names += path + L'\0';
  names += L'\0';
  const size_t bytes = names.size() * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + bytes);
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  header->pt = point;
  header->fWide = TRUE;
  std::memcpy(header + 1, names.data(), bytes);
  GlobalUnlock(block);
  PostMessageA(Form1->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
  Application->ProcessMessages();
  return block;
}

HGLOBAL PostDrop(const std::vector<std::string>& paths, POINT point) {
  std::vector<std::wstring> widePaths;
  for (const std::string& path : paths) widePaths.push_back(ToWide(path));
  return PostDrop(widePaths, point);
}

// The left point is on the source file list, right of the window's middle: the
// halves meet at the Convert button.
constexpr POINT kOnTheLeft{300, 120}, kOnTheRight{460, 120};

TEST_F(MainFormTest, AFileDroppedOnTheLeftIsSelectedAndAFolderOnTheRightIsTheDestination) {
  WriteFileBytes(source_ / "a.rtf", "x\n");
  const std::string destinationBefore = Form1->DirectoryListBox2->CurrentFolder();
  // What the shell looks for before it drops anything on a window.
  EXPECT_TRUE(GetWindowLongA(Form1->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  MessageBoxWatcher watcher;
  // Of several items the first counts; the list follows into the file's folder.
  const HGLOBAL block = PostDrop({source_ / "a.rtf", destination_.path()}, kOnTheLeft);
  EXPECT_TRUE(SameText(Form1->FileListBox1->SelectedFile(), source_ / "a.rtf")) << Form1->FileListBox1->SelectedFile();
  EXPECT_TRUE(SameText(Form1->DirectoryListBox1->CurrentFolder(), source_.path()));
  EXPECT_EQ(Form1->DirectoryListBox2->CurrentFolder(), destinationBefore);
  EXPECT_EQ(GlobalSize(block), 0u);  // released with DragFinish

  PostDrop({destination_.path(), source_.path()}, kOnTheRight);
  EXPECT_TRUE(SameText(Form1->DirectoryListBox2->CurrentFolder(), destination_.path()));
  EXPECT_TRUE(SameText(Form1->FileListBox1->SelectedFile(), source_ / "a.rtf"));
  // A folder on the left opens in the source browser, with nothing selected.
  PostDrop({destination_.path()}, kOnTheLeft);
  EXPECT_TRUE(SameText(Form1->DirectoryListBox1->CurrentFolder(), destination_.path()));
  EXPECT_EQ(Form1->FileListBox1->SelectedFile(), "");
  EXPECT_TRUE(watcher.seen().empty());
}

TEST_F(MainFormTest, ADropThatCannotBeFollowedIsShownAndChangesNothing) {
  WriteFileBytes(source_ / "a.rtf", "x\n");
  WriteFileBytes(source_ / "notes.txt", "x\n");
  // Best fits of é.rtf and of the folder ¥ would be e.rtf and the folder itself.
  MakeApproximateNames(source_.path());
  // A document whose path passes what the ANSI file functions take.
  std::string deep = "\\\\?\\" + source_.path();
  for (int i = 0; i < 3; ++i) {
    MakeWideEntry(deep, std::wstring(100, L'x'), true);
    deep += "\\" + std::string(100, 'x');
  }
  MakeWideEntry(deep, L"deep.rtf");
  const std::string deepDocument = deep.substr(4) + "\\deep.rtf";
  Form1->FileListBox1->SetSelectedFileProperty(source_ / "a.rtf");
  const std::string destinationBefore = Form1->DirectoryListBox2->CurrentFolder();
  MessageBoxWatcher watcher;
  PostDrop({source_ / "vanished.rtf"}, kOnTheLeft);
  PostDrop({source_ / "a.rtf"}, kOnTheRight);
  PostDrop({source_ / "notes.txt"}, kOnTheLeft);
  PostDrop({ToWide(source_.path()) + L"\\\u00E9.rtf"}, kOnTheLeft);
  PostDrop({ToWide(source_.path()) + L"\\\u00A5"}, kOnTheRight);
  PostDrop({deepDocument}, kOnTheLeft);
  ASSERT_EQ(watcher.seen().size(), 6u);
  EXPECT_EQ(watcher.seen()[0].text, "ﾌｧｲﾙが見つかりません.");
  EXPECT_EQ(watcher.seen()[0].caption, "Quorvel for Word97");
  EXPECT_EQ(watcher.seen()[1].text, "フォルダではありません - " + (source_ / "a.rtf") + ".");
  // Another file would have become the list's mask, for every folder after.
  EXPECT_EQ(watcher.seen()[2].text, "RTF 文書ではありません - " + (source_ / "notes.txt") + ".");
  EXPECT_EQ(FirstTwoLines(watcher.seen()[3].text),
            "このファイル名はコード ページ 932 では使えません。\n" + (source_ / "?.rtf"));
  EXPECT_EQ(FirstTwoLines(watcher.seen()[4].text),
            "このファイル名はコード ページ 932 では使えません。\n" + (source_ / "?"));
  EXPECT_EQ(watcher.seen()[5].text, "パスが長すぎます。\n" + deepDocument +
                                        "\nWindows のファイル操作で扱える長さを超えています。"
                                        "フォルダ名やファイル名を短くしてから、もう一度ドロップしてください.");
  EXPECT_TRUE(SameText(Form1->FileListBox1->SelectedFile(), source_ / "a.rtf"));
  EXPECT_EQ(Form1->FileListBox1->Mask(), "*.rtf");
  EXPECT_EQ(Form1->DirectoryListBox2->CurrentFolder(), destinationBefore);
}

std::string gDroppedPath;
HGLOBAL gDropBlock = nullptr;

// Runs from the about box's modal loop: drops a document on the main window, then presses OK.
void CALLBACK DropAndPressOk(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  gDropBlock = PostDrop({gDroppedPath}, kOnTheLeft);
  SendMessageA(Form2->BitBtn1->Handle(), BM_CLICK, 0, 0);
}

TEST_F(MainFormTest, ADropWhileTheAboutBoxIsOpenIsIgnored) {
  WriteFileBytes(source_ / "a.rtf", "x\n");
  const std::string folderBefore = Form1->DirectoryListBox1->CurrentFolder();
  const std::string selectedBefore = Form1->FileListBox1->SelectedFile();
  gDroppedPath = source_ / "a.rtf";
  MessageBoxWatcher watcher;
  SetTimer(nullptr, 0, 20, DropAndPressOk);
  SendMessageA(Form1->BitBtn3->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  ASSERT_NE(gDropBlock, nullptr);
  EXPECT_EQ(GlobalSize(gDropBlock), 0u);  // released all the same
  EXPECT_EQ(Form1->DirectoryListBox1->CurrentFolder(), folderBefore);
  EXPECT_EQ(Form1->FileListBox1->SelectedFile(), selectedBefore);
  EXPECT_TRUE(watcher.seen().empty());
}

}  // namespace
