// The window program from the outside: Quorvel.exe is started as a user would
// start it, and driven only through its windows — list selections, double
// clicks, button clicks, typed keys and answers to its message boxes — while
// the test looks at the files it writes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "main/SettingsKey.h"
#include "tests/support/QuorvelDriver.h"
#include "tests/support/RegistryValues.h"
#include "tests/support/TestFiles.h"

using namespace quorvel_driver;

namespace {

constexpr char kAboutCaption[] = "バージョン情報";
constexpr char kOverwriteText[] = "変換先に同名ファイルが存在します。\n上書きしてもよろしいでしょうか。";
constexpr char kOverwriteCaption[] = "確認";
// The key above the program's own.
const std::string kVendorKey = std::string(kSettingsKey).substr(0, std::string(kSettingsKey).rfind('\\'));

// A Word 97 document in small: a font table with panose groups, LF and CR LF
// line ends, Shift-JIS text (表 ends in a backslash byte).
const std::string kDocument =
    "{\\rtf1\\ansi\\ansicpg932\n"
    "{\\fonttbl{\\f0\\fnil\\fcharset128{\\*\\panose 02020609040205080304}\x82\x6c\x82\x72 \x96\xbe\x92\xa9;}\r\n"
    "{\\f1\\fswiss{\\*\\panose 020b0604020202020204}Arial;}}\n"
    "\\f0 \x95\x5c\\par\r\n"
    "}\n";
const std::string kConverted =
    "{\\rtf1\\ansi\\ansicpg932\r\n"
    "{\\fonttbl{\\f0\\fnil\\fcharset128 \x82\x6c\x82\x72 \x96\xbe\x92\xa9;}\r\n"
    "{\\f1\\fswiss Arial;}}\r\n"
    "\\f0 \x95\x5c\\par\r\n"
    "}\r\n";

// A second version of the source, to see whether an overwrite happened.
const std::string kRevised = "{\\rtf1{\\*\\panose 1}revised\n}\n";
const std::string kRevisedConverted = "{\\rtf1 revised\r\n}\r\n";

class EndToEnd : public ::testing::Test {
protected:
  void SetUp() override {
    CreateDirectoryA((folder_ / "out").c_str(), nullptr);
    CreateDirectoryA((folder_ / "other").c_str(), nullptr);
    WriteFileBytes(folder_ / "manual.rtf", kDocument);
    WriteFileBytes(folder_ / "notes.rtf", "{\\rtf1 notes}\r\n");
    WriteFileBytes(folder_ / "readme.txt", "not a document\r\n");
  }

  void TearDown() override {
    // What the program saved is not left for the next run (of the tests or of the program).
    struct ForgetSettings {
      ~ForgetSettings() { ForgetSavedSettings(); }
    } forget;
    if (process_.hProcess) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 10000);
      }
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
  }

  // Starts the program in the scratch folder and waits for its main window.
  // `firstRun`: no saved settings; otherwise the settings stored by the test are
  // kept, and the caller deals with what their restoring shows.
  void Start(bool firstRun = true) {
    if (firstRun) ForgetSavedSettings();
    const std::string program = ProgramFolder() + "\\Quorvel.exe";
    std::string commandLine = Quoted(program);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder_.path().c_str(), &startup, &process_))
        << "cannot start " << program << " (error " << GetLastError() << ")";
    if (!firstRun) {
      // Restoring the settings may report a path that has gone, before the
      // main window shows: read the message and answer it.
      HWND box = nullptr;
      if (WaitFor([&] { return (box = FindTopWindow(process_.dwProcessId, "#32770", "")) != nullptr; }, 5000)) {
        startupMessage_ = TextOf(GetDlgItem(box, 0xFFFF));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
      }
    }
    main_ = WaitForTopWindow(process_.dwProcessId, "TForm1", kMainCaption);
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(main_) && Settle(main_); }));

    sourceFolders_ = ControlAt(main_, "ListBox", 8, 32);
    files_ = ControlAt(main_, "ListBox", 184, 32);
    destinationFolders_ = ControlAt(main_, "ListBox", 384, 32);
    convert_ = ControlWithText(main_, "Button", "変換");
    exit_ = ControlWithText(main_, "Button", "Exit");
    about_ = ControlWithText(main_, "Button", "About");
    suffixOption_ = ControlWithText(main_, "Button", "変換先ファイル名に文字を付加する");
    suffix_ = nullptr;
    for (HWND child : Descendants(main_))
      if (SameClass(ClassOf(child), "Edit") && !SameClass(ClassOf(GetParent(child)), "ComboBox")) suffix_ = child;
    const std::string layout = DescribeChildren(main_);
    ASSERT_NE(sourceFolders_, nullptr) << layout;
    ASSERT_NE(files_, nullptr) << layout;
    ASSERT_NE(destinationFolders_, nullptr) << layout;
    ASSERT_NE(convert_, nullptr) << layout;
    ASSERT_NE(exit_, nullptr) << layout;
    ASSERT_NE(about_, nullptr) << layout;
    ASSERT_NE(suffixOption_, nullptr) << layout;
    ASSERT_NE(suffix_, nullptr) << layout;
  }

  // Selects a file in the file list, as a click on it would.
  void SelectFile(const std::string& name) {
    int index = -1;
    ASSERT_TRUE(WaitFor([&] { return (index = FindItem(files_, name)) >= 0; }))
        << name << " is not in the file list " << Joined(ListItems(files_));
    SendMessageW(files_, LB_SETCURSEL, index, 0);
    Notify(files_, LBN_SELCHANGE);
    ASSERT_EQ(SendMessageW(files_, LB_GETCURSEL, 0, 0), index);
  }

  // Opens a folder of a folder list, as a double click on it would.
  void OpenFolder(HWND list, const std::string& name) {
    int index = -1;
    ASSERT_TRUE(WaitFor([&] { return (index = FindItem(list, name)) >= 0; }))
        << name << " is not in the folder list " << Joined(ListItems(list));
    SendMessageW(list, LB_SETCURSEL, index, 0);
    Notify(list, LBN_DBLCLK);
  }

  // Opens a folder of a folder list from the keyboard: select it, press Enter.
  void OpenFolderWithEnter(HWND list, const std::string& name) {
    int index = -1;
    ASSERT_TRUE(WaitFor([&] { return (index = FindItem(list, name)) >= 0; }))
        << name << " is not in the folder list " << Joined(ListItems(list));
    SendMessageW(list, LB_SETCURSEL, index, 0);
    Notify(list, LBN_SELCHANGE);
    SendMessageA(list, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    SendMessageA(list, WM_CHAR, VK_RETURN, 0x001C0001);
    SendMessageA(list, WM_KEYUP, VK_RETURN, 0xC01C0001);
  }

  // The message box the program shows, once it is up.
  HWND WaitForMessageBox() { return WaitForTopWindow(process_.dwProcessId, "#32770", ""); }

  static std::string MessageText(HWND box) {
    char text[1024] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
  }

  // Answers a message box and waits until it has gone.
  void Answer(HWND box, int button) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); })) << "the message box stayed";
  }

  // Presses Convert and answers the overwrite question with the button.
  void ConvertAnswering(int button) {
    Click(convert_);
    HWND box = WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no overwrite question";
    EXPECT_EQ(TextOf(box), kOverwriteCaption);
    EXPECT_EQ(MessageText(box), kOverwriteText);
    EXPECT_EQ(GetWindow(box, GW_OWNER), main_) << "the question should belong to the main window";
    EXPECT_FALSE(IsWindowEnabled(main_)) << "the main window takes input while the question is up";
    Answer(box, button);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(main_); }));
    ASSERT_TRUE(Settle(main_));
  }

  bool Ended(DWORD timeout) { return WaitForSingleObject(process_.hProcess, timeout) == WAIT_OBJECT_0; }

  ScratchFolder folder_{"quorvel-e2e"};
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr, sourceFolders_ = nullptr, files_ = nullptr, destinationFolders_ = nullptr;
  HWND convert_ = nullptr, exit_ = nullptr, about_ = nullptr, suffixOption_ = nullptr, suffix_ = nullptr;
  std::string startupMessage_;
};

TEST_F(EndToEnd, ConvertsOverwritesOnlyWhenToldShowsAboutAndExits) {
  ASSERT_NO_FATAL_FAILURE(Start());

  // The file list shows the documents of the folder the program started in.
  EXPECT_EQ(Joined(ListItems(files_)), Joined({"manual.rtf", "notes.rtf"}));
  EXPECT_FALSE(IsWindowEnabled(suffix_)) << "the suffix can be typed before the option is ticked";

  ASSERT_NO_FATAL_FAILURE(SelectFile("manual.rtf"));
  ASSERT_NO_FATAL_FAILURE(OpenFolder(destinationFolders_, "out"));

  // Tick the option and type the suffix.
  Click(suffixOption_);
  ASSERT_TRUE(WaitFor([&] { return SendMessageA(suffixOption_, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(suffix_) != FALSE; })) << "the suffix stays disabled";
  Type(suffix_, "_hcw");
  ASSERT_TRUE(WaitFor([&] { return TextOf(suffix_) == "_hcw"; })) << "suffix reads \"" << TextOf(suffix_) << "\"";

  // Convert: the copy lands in the opened destination folder, under the suffixed name.
  const std::string destination = folder_ / "out\\manual.rtf_hcw";
  Click(convert_);
  ASSERT_TRUE(WaitFor([&] { return PathExists(destination); }))
      << "no converted file; out holds " << Joined(FolderEntries(folder_ / "out")) << ", the folder holds "
      << Joined(FolderEntries(folder_.path()));
  ASSERT_TRUE(Settle(main_));
  EXPECT_EQ(FindTopWindow(process_.dwProcessId, "#32770", ""), nullptr) << "a message box after converting";
  EXPECT_EQ(ReadFileBytes(destination), kConverted);
  EXPECT_EQ(FolderEntries(folder_ / "out"), std::vector<std::string>{"manual.rtf_hcw"});
  EXPECT_EQ(ReadFileBytes(folder_ / "manual.rtf"), kDocument) << "the source changed";

  // Again, with a changed source: Cancel keeps the earlier copy...
  WriteFileBytes(folder_ / "manual.rtf", kRevised);
  ASSERT_NO_FATAL_FAILURE(ConvertAnswering(IDCANCEL));
  EXPECT_EQ(ReadFileBytes(destination), kConverted) << "Cancel did not keep the file";
  EXPECT_EQ(FolderEntries(folder_ / "out"), std::vector<std::string>{"manual.rtf_hcw"});

  // ...and OK replaces it.
  ASSERT_NO_FATAL_FAILURE(ConvertAnswering(IDOK));
  EXPECT_EQ(ReadFileBytes(destination), kRevisedConverted) << "OK did not replace the file";
  EXPECT_EQ(FolderEntries(folder_ / "out"), std::vector<std::string>{"manual.rtf_hcw"});

  // About: modal over the main window, closed with its OK button.
  Click(about_);
  HWND about = WaitForTopWindow(process_.dwProcessId, "TForm2", kAboutCaption);
  ASSERT_NE(about, nullptr) << "the about box did not appear";
  EXPECT_FALSE(IsWindowEnabled(main_)) << "the main window takes input while the about box is up";
  HWND ok = ControlWithText(about, "Button", "OK");
  ASSERT_NE(ok, nullptr) << DescribeChildren(about);
  Click(ok);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(about); })) << "the about box stayed";
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(main_) != FALSE; })) << "the main window stayed disabled";

  // Exit ends the program normally.
  Click(exit_);
  ASSERT_TRUE(Ended(kPatience)) << "the program did not end on Exit";
  DWORD exitCode = 12345;
  GetExitCodeProcess(process_.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(ReadFileBytes(destination), kRevisedConverted);
}

// Without the option ticked, the copy keeps the source's name; the folder list
// opens folders from the keyboard too; a document converted into its own
// folder is refused rather than overwritten.
TEST_F(EndToEnd, ConvertsUnderTheSourceNameAndRefusesTheSourceItself) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(SelectFile("notes.rtf"));
  // A folder that is only selected is not yet the destination: Enter opens it.
  ASSERT_NO_FATAL_FAILURE(OpenFolderWithEnter(destinationFolders_, "other"));
  Click(convert_);
  ASSERT_TRUE(WaitFor([&] { return PathExists(folder_ / "other\\notes.rtf"); }))
      << "other holds " << Joined(FolderEntries(folder_ / "other"));
  ASSERT_TRUE(Settle(main_));
  EXPECT_EQ(ReadFileBytes(folder_ / "other\\notes.rtf"), "{\\rtf1 notes}\r\n");

  // Back up to the scratch folder (the item above "other") and convert into
  // the source's own folder: an error, not a question, and the source stays.
  const std::string folderName = folder_.path().substr(folder_.path().rfind('\\') + 1);
  ASSERT_NO_FATAL_FAILURE(OpenFolder(destinationFolders_, folderName));
  ASSERT_TRUE(WaitFor([&] {
    return FindItem(destinationFolders_, "other") >= 0 && FindItem(destinationFolders_, "out") >= 0;
  })) << Joined(ListItems(destinationFolders_));
  Click(convert_);
  HWND box = WaitForMessageBox();
  ASSERT_NE(box, nullptr) << "converting a document onto itself went unreported";
  const std::string text = MessageText(box);
  EXPECT_NE(text.find("変換先のファイルが変換元のファイルと同じです。"), std::string::npos) << text;
  EXPECT_EQ(GetDlgItem(box, IDCANCEL) != nullptr && IsWindowVisible(GetDlgItem(box, IDCANCEL)), false)
      << "an error should not offer Cancel";
  ASSERT_NO_FATAL_FAILURE(Answer(box, IDOK));
  EXPECT_EQ(ReadFileBytes(folder_ / "notes.rtf"), "{\\rtf1 notes}\r\n");

  Click(exit_);
  ASSERT_TRUE(Ended(kPatience)) << "the program did not end on Exit";
}

}  // namespace

// The first run creates the program's key; closing stores the four values.
TEST_F(EndToEnd, FirstRunCreatesTheKeyAndClosingStoresTheFourValues) {
  Start();
  ASSERT_TRUE(RegistryKeyExists(kSettingsKey));
  EXPECT_EQ(StoredSetting("SourceFile"), "(no section)");
  SelectFile("manual.rtf");
  OpenFolder(destinationFolders_, "out");
  Click(suffixOption_);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(suffix_) != FALSE; }));
  Type(suffix_, "_hcw");
  Click(exit_);
  ASSERT_TRUE(Ended(kPatience)) << "the program did not end on Exit";
  EXPECT_TRUE(lstrcmpiA(StoredSetting("SourceFile").c_str(), (folder_ / "manual.rtf").c_str()) == 0)
      << StoredSetting("SourceFile");
  EXPECT_TRUE(lstrcmpiA(StoredSetting("DestDir").c_str(), (folder_ / "out").c_str()) == 0) << StoredSetting("DestDir");
  EXPECT_EQ(StoredSetting("TextPlus"), "_hcw");
  EXPECT_EQ(StoredSetting("IsTextPlus"), "1");
}

// Saved values come back at start; a saved source file that has gone is
// reported, and the values after it are restored all the same.
TEST_F(EndToEnd, ARemovedSourceFileIsReportedAndTheOtherValuesRestored) {
  ForgetSavedSettings();
  StoreSetting("SourceFile", folder_ / "gone\\manual.rtf");
  StoreSetting("DestDir", folder_ / "out");
  StoreSetting("TextPlus", "_kept");
  StoreSetting("IsTextPlus", "1");
  Start(false);
  EXPECT_EQ(startupMessage_, "ﾌｧｲﾙが見つかりません.");
  EXPECT_TRUE(IsWindowEnabled(suffix_));  // the saved option is on
  EXPECT_EQ(TextOf(suffix_), "_kept");
  Click(exit_);
  ASSERT_TRUE(Ended(kPatience));
}

// A saved destination folder that has gone is reported too; the suffix and
// the option after it are still restored.
TEST_F(EndToEnd, ARemovedDestinationFolderIsReportedAndTheOtherValuesRestored) {
  ForgetSavedSettings();
  StoreSetting("SourceFile", "");
  StoreSetting("DestDir", folder_ / "gone");
  StoreSetting("TextPlus", "_kept");
  StoreSetting("IsTextPlus", "1");
  Start(false);
  EXPECT_EQ(startupMessage_, "ﾌｧｲﾙが見つかりません.");
  EXPECT_TRUE(IsWindowEnabled(suffix_));
  EXPECT_EQ(TextOf(suffix_), "_kept");
  Click(exit_);
  ASSERT_TRUE(Ended(kPatience));
  EXPECT_EQ(StoredSetting("TextPlus"), "_kept");
  EXPECT_EQ(StoredSetting("IsTextPlus"), "1");
}

// When the settings cannot be stored, Exit still ends the program: the error
// is shown once, saying that the settings are lost. Below a volatile key the
// registry creates no lasting subkey, so the program's key can be neither
// opened nor created.
TEST_F(EndToEnd, ExitEndsTheProgramWhenTheSettingsCannotBeStored) {
  struct RemoveBlocker {
    ~RemoveBlocker() { RegDeleteTreeA(HKEY_CURRENT_USER, kVendorKey.c_str()); }
  } removeBlocker;
  RegDeleteTreeA(HKEY_CURRENT_USER, kVendorKey.c_str());
  HKEY blocker = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kVendorKey.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &blocker, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(blocker);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_CHILD_MUST_BE_VOLATILE)
      << "the program's key can still be created";

  ASSERT_NO_FATAL_FAILURE(Start());
  Click(exit_);
  HWND box = WaitForMessageBox();
  ASSERT_NE(box, nullptr) << "the lost settings went unreported";
  EXPECT_EQ(TextOf(box), "Quorvel for Word97");
  EXPECT_EQ(MessageText(box), "ｷｰ " + std::string(kSettingsKey) +
                                  " の作成に失敗しました.\n設定を保存できませんでした。今回の設定は失われます。");
  EXPECT_EQ(GetWindow(box, GW_OWNER), main_) << "the error should belong to the main window";
  ASSERT_NO_FATAL_FAILURE(Answer(box, IDOK));
  ASSERT_TRUE(Ended(kPatience)) << "the program did not end on Exit";
  DWORD exitCode = 12345;
  GetExitCodeProcess(process_.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
}
