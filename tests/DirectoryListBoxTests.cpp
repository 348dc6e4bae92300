// The directory list box on real folders under Wine: items and their roles,
// moving, opening, the process's current directory, events and drawing.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileCtrl/FileCtrl.h"
#include "FileCtrl/FileCtrlHelpers.h"
#include "runtime/Exceptions.h"
#include "runtime/UniqueHandle.h"
#include "tests/support/FileCtrlFixture.h"
#include "tests/support/MessageBoxWatcher.h"

namespace {

// The advice for a name the code page cannot hold begins with this line and the path.
const std::string kUnusableNameLine = "このファイル名はコード ページ 932 では使えません。\n";

class DirectoryListBoxTest : public FileCtrlTest {
protected:
  void SetUp() override {
    FileCtrlTest::SetUp();
    MakeFolder("DOCS\\RTF\\b");
    MakeFolder("DOCS\\RTF\\A");
    MakeFolder("DOCS\\RTF\\C");
    MakeFolder("DOCS\\RTF\\hidden", FILE_ATTRIBUTE_HIDDEN);
    MakeFolder("DOCS\\RTF\\system", FILE_ATTRIBUTE_SYSTEM);
    MakeFile("DOCS\\RTF\\file.rtf");
    list_ = new TDirectoryListBox(form_);
    list_->SetParent(form_);
    list_->SetBounds(10, 10, 250, 300);
    list_->SetOnChange([this](TPersistent*) { events_.push_back(list_->CurrentFolder()); });
  }
  std::vector<std::string> Items() {
    std::vector<std::string> items;
    for (int i = 0; i < list_->ItemCount(); ++i) items.push_back(list_->ItemText(i));
    return items;
  }
  TDirectoryListBox* list_ = nullptr;  // owned by the form
  std::vector<std::string> events_;
};

TEST_F(DirectoryListBoxTest, ItemsFromTheRootDownThenSortedVisibleSubfolders) {
  const std::string rtf = root_ / "DOCS\\RTF";
  list_->SetCurrentFolder(rtf);
  EXPECT_EQ(list_->CurrentFolder(), rtf);
  EXPECT_EQ(CurrentDirectory(), rtf);  // the process follows the control
  const std::vector<std::string> items = Items();
  // C:\, every folder on the way, RTF (current), then A, b, C.
  const int depth = FolderDepth(rtf);
  ASSERT_EQ(static_cast<int>(items.size()), depth + 4);
  EXPECT_EQ(items[0], rtf.substr(0, 3));
  EXPECT_EQ(items[depth - 1], "DOCS");
  EXPECT_EQ(items[depth], "RTF");
  EXPECT_EQ(std::vector<std::string>(items.end() - 3, items.end()), (std::vector<std::string>{"A", "b", "C"}));
  EXPECT_EQ(list_->ItemIndex(), depth);
  EXPECT_EQ(list_->ItemData(0), &list_->OpenFolderImage());
  EXPECT_EQ(list_->ItemData(depth), &list_->CurrentFolderImage());
  EXPECT_EQ(list_->ItemData(depth + 1), &list_->ClosedFolderImage());

  // What each item stands for.
  EXPECT_EQ(list_->ItemFolderPath(0), rtf.substr(0, 3));
  EXPECT_EQ(list_->ItemFolderPath(depth - 1), root_ / "DOCS");
  EXPECT_EQ(list_->ItemFolderPath(depth), rtf);
  EXPECT_EQ(list_->ItemFolderPath(depth + 2), rtf + "\\b");
  EXPECT_EQ(list_->ItemFolderPath(depth + 3), rtf + "\\C");
  EXPECT_EQ(list_->ItemFolderPath(depth + 4), "");

  // Beside b a folder B, as a case-sensitive volume can hold: one item, the
  // name the search found first.
  ASSERT_TRUE(MakeCaseTwinFolder("DOCS\\RTF\\B"));
  std::vector<std::string> found;
  WIN32_FIND_DATAA entry;
  UniqueFindHandle search(FindFirstFileA((rtf + "\\?").c_str(), &entry));
  ASSERT_TRUE(search);
  do {
    if (SameText(entry.cFileName, "b")) found.push_back(entry.cFileName);
  } while (FindNextFileA(search.get(), &entry));
  ASSERT_EQ(found.size(), 2u);
  list_->FillItems();
  std::vector<std::string> expected(items.begin(), items.end() - 3);
  expected.insert(expected.end(), {"A", found[0], "C"});
  EXPECT_EQ(Items(), expected);
}

TEST_F(DirectoryListBoxTest, MovesRaiseOnceAndSameFolderDoesNothing) {
  const std::string rtf = root_ / "DOCS\\RTF";
  list_->SetCurrentFolder(rtf);
  events_.clear();
  list_->SetCurrentFolder("");
  list_->SetCurrentFolder(rtf);
  EXPECT_TRUE(events_.empty());
  // A trailing backslash does not compare equal: refilled and raised, same folder.
  list_->SetCurrentFolder(rtf + "\\");
  EXPECT_EQ(events_, std::vector<std::string>{rtf});
  // Relative to the process's current directory.
  list_->SetCurrentFolder("b");
  EXPECT_EQ(list_->CurrentFolder(), rtf + "\\b");
  // A file's path moves to its folder.
  list_->SetCurrentFolder(rtf + "\\file.rtf");
  EXPECT_EQ(list_->CurrentFolder(), rtf);
  list_->SetCurrentFolder(root_ / "DOCS\\*.x");
  EXPECT_EQ(list_->CurrentFolder(), root_ / "DOCS");
}

TEST_F(DirectoryListBoxTest, AMissingFolderRaisesAndChangesNothing) {
  const std::string rtf = root_ / "DOCS\\RTF";
  list_->SetCurrentFolder(rtf);
  events_.clear();
  const std::vector<std::string> before = Items();
  try {
    list_->SetCurrentFolder(root_ / "DOCS\\nowhere");
    FAIL() << "no error";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.Message(), InOutErrorMessage(error.ErrorCode()));
  }
  EXPECT_EQ(list_->CurrentFolder(), rtf);
  EXPECT_EQ(Items(), before);
  EXPECT_TRUE(events_.empty());
  EXPECT_EQ(CurrentDirectory(), rtf);
}

TEST_F(DirectoryListBoxTest, AFolderGoneFromUnderTheListStillLetsItMove) {
  const std::string rtf = root_ / "DOCS\\RTF";
  const std::string driveRoot = rtf.substr(0, 3);
  // Removed while the process's current directory is on another drive
  // (another list moved last): the root item opens this list's own drive.
  list_->SetCurrentFolder(rtf + "\\C");
  ASSERT_TRUE(SetCurrentDirectoryA("K:\\")) << "test drive K: is missing";
  ASSERT_TRUE(RemoveDirectoryA((rtf + "\\C").c_str()));
  list_->SetItemIndex(0);
  list_->OpenSelectedItem();
  EXPECT_EQ(list_->CurrentFolder(), driveRoot);
  EXPECT_EQ(list_->ItemText(0), driveRoot);

  // A relative move resolves against the process's current directory.
  list_->SetCurrentFolder(rtf + "\\b");
  SetCurrentDirectoryA(rtf.c_str());
  ASSERT_TRUE(RemoveDirectoryA((rtf + "\\b").c_str()));
  list_->SetCurrentFolder("A");
  EXPECT_EQ(list_->CurrentFolder(), rtf + "\\A");

  // Renamed away while it is the process's current directory: the drive's
  // remembered folder is gone too, and an ancestor still opens.
  ASSERT_EQ(CurrentDirectory(), rtf + "\\A");
  ASSERT_TRUE(MoveFileA(rtf.c_str(), (root_ / "DOCS\\MOVED").c_str()));
  list_->SetItemIndex(FolderDepth(root_.path()));
  EXPECT_NO_THROW(list_->OpenSelectedItem());
  EXPECT_EQ(list_->CurrentFolder(), root_.path());

  // From another drive, the drive whose remembered folder went away is
  // entered at its root.
  list_->SetCurrentDrive('K');
  ASSERT_TRUE(SetCurrentDirectoryA((root_ / "DOCS\\MOVED\\A").c_str()));  // another list moved last
  ASSERT_TRUE(MoveFileA((root_ / "DOCS").c_str(), (root_ / "DOCS2").c_str()));
  EXPECT_NO_THROW(list_->SetCurrentDrive(driveRoot[0]));
  EXPECT_EQ(list_->CurrentFolder(), driveRoot);
}

TEST_F(DirectoryListBoxTest, DoubleClickAndEnterOpenTheSelectedItem) {
  const std::string rtf = root_ / "DOCS\\RTF";
  list_->SetCurrentFolder(rtf);
  const int depth = FolderDepth(rtf);
  HWND window = list_->Handle();
  // Double-click on the first subfolder (A).
  list_->SetItemIndex(depth + 1);
  SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), LBN_DBLCLK),
               reinterpret_cast<LPARAM>(window));
  EXPECT_EQ(list_->CurrentFolder(), rtf + "\\A");
  // Enter on the ancestor DOCS.
  list_->SetItemIndex(depth - 1);
  SendMessageA(window, WM_CHAR, '\r', 0);
  EXPECT_EQ(list_->CurrentFolder(), root_ / "DOCS");
  // A key handler that swallows Enter prevents the move.
  list_->SetOnKeyPress([](TPersistent*, char& key) {
    if (key == '\r') key = 0;
  });
  list_->SetItemIndex(0);
  SendMessageA(window, WM_CHAR, '\r', 0);
  EXPECT_EQ(list_->CurrentFolder(), root_ / "DOCS");
}

TEST_F(DirectoryListBoxTest, NamesTheCodePageHoldsOnlyApproximatelyAreShownButNotOpened) {
  // The best fit of é would open the folder e, that of the yen sign "\".
  const std::string docs = root_ / "DOCS";
  MakeApproximateNames(docs);
  list_->SetCurrentFolder(docs);
  const int depth = FolderDepth(docs);
  const std::vector<std::string> items = Items();
  EXPECT_EQ(std::vector<std::string>(items.begin() + depth + 1, items.end()),
            (std::vector<std::string>{"?", "?", "a", "RTF"}));
  events_.clear();
  MessageBoxWatcher watcher;
  HWND window = list_->Handle();
  list_->SetItemIndex(depth + 1);
  SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), LBN_DBLCLK),
               reinterpret_cast<LPARAM>(window));
  list_->SetItemIndex(depth + 2);
  SendMessageA(window, WM_CHAR, '\r', 0);
  ASSERT_EQ(watcher.seen().size(), 2u);
  for (const SeenMessageBox& box : watcher.seen()) {
    EXPECT_EQ(FirstTwoLines(box.text), kUnusableNameLine + docs + "\\?");
    EXPECT_TRUE(box.text.ends_with("ファイル名を変更してから、もう一度変換してください.")) << box.text;
  }
  EXPECT_EQ(list_->CurrentFolder(), docs);
  EXPECT_TRUE(events_.empty());
  // Nor is a path through such a folder taken for a pattern.
  try {
    list_->SetCurrentFolder(docs + "\\?\\RTF");
    FAIL() << "no error";
  } catch (const EInOutError& error) {
    EXPECT_EQ(FirstTwoLines(error.Message()), kUnusableNameLine + docs + "\\?\\RTF");
  }
  EXPECT_EQ(list_->CurrentFolder(), docs);
}

TEST_F(DirectoryListBoxTest, DoubleByteFolderNamesAreSingleNames) {
  MakeFolder("表示\\表");
  const std::string folder = root_ / "表示\\表";
  list_->SetCurrentFolder(folder);
  EXPECT_EQ(list_->CurrentFolder(), folder);
  const int depth = FolderDepth(folder);
  EXPECT_EQ(list_->ItemText(depth - 1), "表示");
  EXPECT_EQ(list_->ItemText(depth), "表");
  EXPECT_EQ(list_->ItemFolderPath(depth - 1), root_ / "表示");

  // Shorter than MAX_PATH in characters, longer in Shift-JIS bytes.
  std::string name, relative;
  for (int i = 0; i < 10; ++i) name += "表示";
  for (int i = 0; i < 7; ++i) relative += (i ? "\\" : "") + name;
  const std::string deep = MakeFolder(relative);
  ASSERT_GT(deep.size(), 300u);
  list_->SetCurrentFolder(deep);
  EXPECT_EQ(list_->CurrentFolder(), deep);
  EXPECT_EQ(list_->ItemText(FolderDepth(deep)), name);
}

TEST_F(DirectoryListBoxTest, ItemsAreDrawnIndentedByDepth) {
  const std::string rtf = root_ / "DOCS\\RTF";
  list_->SetCurrentFolder(rtf);
  const int depth = FolderDepth(rtf);
  EXPECT_GE(list_->ItemHeight(), 16);
  // Draw item 1 (an ancestor) and the first subfolder into a bitmap, on white.
  TBitmap surface;
  surface.SetSize(200, list_->ItemHeight());
  auto drawn = [&](int index) {
    surface.Canvas().Brush().SetColor(clWhite);
    const RECT all{0, 0, 200, list_->ItemHeight()};
    surface.Canvas().FillRect(all);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.itemID = static_cast<UINT>(index);
    item.hwndItem = list_->Handle();
    item.hDC = surface.Canvas().Handle();
    item.rcItem = all;
    SendMessageA(form_->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    // The first column that is not the background.
    for (int x = 0; x < 200; ++x)
      for (int y = 0; y < list_->ItemHeight(); ++y)
        if (surface.Canvas().Pixels(x, y) != clWindow && surface.Canvas().Pixels(x, y) != clWhite) return x;
    return -1;
  };
  const int ancestor = drawn(1);
  const int subfolder = drawn(depth + 1);
  // Images start at indent 4 * i + 2 (ancestors) and 4 * (depth + 1) + 2
  // (subfolders); the image's own transparent margin may add a few pixels.
  EXPECT_GE(ancestor, 4 * 1 + 2);
  EXPECT_LT(ancestor, 4 * 1 + 2 + 8);
  EXPECT_GE(subfolder, 4 * (depth + 1) + 2);
  EXPECT_LT(subfolder, 4 * (depth + 1) + 2 + 8);
  EXPECT_EQ(subfolder - ancestor, 4 * depth);
}

}  // namespace

namespace {

TEST_F(DirectoryListBoxTest, TheFolderLabelShowsTheFolderShortenedToItsWidth) {
  auto* label = new TLabel(form_);
  label->SetParent(form_);
  label->SetAutoSize(false);
  label->SetBounds(10, 320, 60, 17);
  const std::string rtf = root_ / "DOCS\\RTF";
  list_->SetCurrentFolder(rtf);
  list_->SetDirLabel(label);
  const std::string shown = label->Caption();
  EXPECT_EQ(shown, ShortenPathToWidth(rtf, label->Canvas(), 60));
  EXPECT_NE(shown, rtf);
  EXPECT_NE(shown.find("...\\"), std::string::npos);
  EXPECT_EQ(shown.substr(shown.size() - 3), "RTF");
  // With auto-size the limit is the list's width, which holds the whole path here.
  label->SetAutoSize(true);
  list_->SetWidth(2000);
  list_->SetCurrentFolder(root_ / "DOCS");
  EXPECT_EQ(label->Caption(), root_ / "DOCS");
  // A destroyed label is forgotten.
  delete label;
  list_->SetCurrentFolder(rtf);
  EXPECT_EQ(list_->DirLabel(), nullptr);
}

}  // namespace
