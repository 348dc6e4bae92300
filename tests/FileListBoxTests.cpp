// The file list box on real folders under Wine: what it lists for masks and
// attributes, selection by path, glyphs and their drawing, the edit it
// mirrors into, and its events.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "FileCtrl/FileCtrl.h"
#include "FileCtrl/FileCtrlHelpers.h"
#include "framework/Properties.h"
#include "runtime/Exceptions.h"
#include "runtime/UniqueHandle.h"
#include "tests/support/DibSurface.h"
#include "tests/support/FileCtrlFixture.h"
#include "tests/support/MessageBoxWatcher.h"

namespace {

constexpr TFileType Type(std::initializer_list<TFileAttr> attrs) {
  TFileType type = 0;
  for (TFileAttr attr : attrs) type |= 1u << attr;
  return type;
}

// A white 32-bit DIB section in a memory DC, read back with GetPixel.
class Surface : public DibSurface {
public:
  using DibSurface::DibSurface;
  // The first column at or after `from` with a pixel other than `background`; -1 if none.
  int FirstColumnNotOf(COLORREF background, int from) const {
    for (int x = from; x < width(); ++x)
      for (int y = 0; y < height(); ++y)
        if (Pixel(x, y) != background) return x;
    return -1;
  }
};

std::vector<std::string> Sorted(std::vector<std::string> items) {
  std::sort(items.begin(), items.end());
  return items;
}

void SetLastWriteYear(const std::string& path, WORD year) {
  SYSTEMTIME time{};
  time.wYear = year;
  time.wMonth = 6;
  time.wDay = 15;
  time.wHour = 12;
  FILETIME fileTime;
  ASSERT_TRUE(SystemTimeToFileTime(&time, &fileTime));
  UniqueFile file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &fileTime));
}

class FileListBox : public FileCtrlTest {
protected:
  // A list on the form, showing `folder` (the scratch folder when empty) with
  // the given type and mask set before its window exists.
  TFileListBox* NewList(const std::string& folder = {}, TFileType type = 1u << ftNormal,
                        const std::string& mask = "*.*") {
    auto* list = new TFileListBox(form_);
    list->SetBounds(10, 10, 220, 300);
    list->MoveToFolder(folder.empty() ? root_.path() : folder);
    list->SetFileType(type);
    list->SetMask(mask);
    list->SetParent(form_);
    list->SetOnChange([this](TPersistent*) { ++changes_; });
    return list;
  }

  static std::vector<std::string> Items(TFileListBox& list) {
    std::vector<std::string> items;
    for (int i = 0; i < list.ItemCount(); ++i) items.push_back(list.ItemText(i));
    return items;
  }

  // The items in byte order, for checks of what is listed rather than where.
  static std::vector<std::string> ItemSet(TFileListBox& list) {
    std::vector<std::string> items = Items(list);
    std::sort(items.begin(), items.end());
    return items;
  }

  static TBitmap* ImageOf(TFileListBox& list, const std::string& text) {
    const int index = list.FindExact(text, -1);
    EXPECT_GE(index, 0) << text;
    return static_cast<TBitmap*>(list.ItemData(index));
  }

  // The list's item drawn into a memory DC through a WM_DRAWITEM sent to the
  // form, as the system sends it.
  void DrawItemInto(TFileListBox& list, int index, Surface& surface) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(list.Handle()));
    item.itemID = static_cast<UINT>(index);
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = list.Handle();
    item.hDC = surface.dc();
    item.rcItem = {0, 0, surface.width(), surface.height()};
    item.itemData = static_cast<ULONG_PTR>(SendMessageA(list.Handle(), LB_GETITEMDATA, index, 0));
    SendMessageA(form_->Handle(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
  }

  // What a user's click does: the list moves its selection, the form gets LBN_SELCHANGE.
  void UserSelects(TFileListBox& list, int index) {
    SendMessageA(list.Handle(), LB_SETCURSEL, index, 0);
    SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list.Handle()), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list.Handle()));
  }

  // Entries of every kind for the listing checks.
  void MakeEntriesOfEveryAttribute() {
    MakeFile("plain.txt");
    MakeFile("readonly.txt", FILE_ATTRIBUTE_READONLY);
    MakeFile("archive.txt", FILE_ATTRIBUTE_ARCHIVE);
    MakeFile("hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    MakeFile("system.txt", FILE_ATTRIBUTE_SYSTEM);
    MakeFile("hiddenreadonly.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    MakeFolder("sub");
    MakeFolder("secret", FILE_ATTRIBUTE_HIDDEN);
  }

  int changes_ = 0;
};

// ---- Construction ----

TEST_F(FileListBox, StartsInTheCurrentDirectoryWithDefaultsAndNoWindow) {
  MakeFile("a.rtf");
  auto* list = new TFileListBox(form_);
  EXPECT_FALSE(list->HandleAllocated());
  EXPECT_EQ(list->CurrentFolder(), CurrentDirectory());
  EXPECT_EQ(list->Width(), 145);
  EXPECT_EQ(list->Mask(), "*.*");
  EXPECT_EQ(list->FileType(), 1u << ftNormal);
  EXPECT_EQ(list->LastSelection(), -1);
  EXPECT_FALSE(list->ShowGlyphs());
  EXPECT_FALSE(list->MultiSelect());
  EXPECT_TRUE(list->Sorted());
  EXPECT_EQ(list->Style(), lbOwnerDrawFixed);
  EXPECT_EQ(list->FileEdit(), nullptr);
  EXPECT_EQ(list->LinkedDirList(), nullptr);
  for (TBitmap* image : {&list->ExecutableImage(), &list->ClosedFolderImage(), &list->UnknownFileImage()}) {
    EXPECT_EQ(image->Width(), 16);
    EXPECT_EQ(image->Height(), 15);
  }
  EXPECT_FALSE(list->HandleAllocated());

  list->SetParent(form_);
  ASSERT_TRUE(list->HandleAllocated());
  const LONG_PTR style = GetWindowLongPtrA(list->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & LBS_SORT);
  EXPECT_TRUE(style & LBS_OWNERDRAWFIXED);
  EXPECT_TRUE(style & LBS_HASSTRINGS);
  EXPECT_FALSE(style & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL));
  EXPECT_EQ(Items(*list), std::vector<std::string>{"a.rtf"});
  EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(FileListBox, ItemHeightFollowsTheFontAndIsRefilledWithNewWindow) {
  MakeFile("a.rtf");
  MakeFile("b.rtf");
  TFileListBox* list = NewList();
  EXPECT_EQ(list->ItemHeight(), FontTextHeight(list->Font()));
  list->SelectName("b.rtf");
  ASSERT_EQ(list->ItemIndex(), 1);
  changes_ = 0;

  list->Font().SetHeight(-30);
  const int height = FontTextHeight(list->Font());
  EXPECT_GT(height, 20);
  EXPECT_EQ(list->ItemHeight(), height);
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETITEMHEIGHT, 0, 0), height);
  EXPECT_EQ(Items(*list), (std::vector<std::string>{"a.rtf", "b.rtf"}));
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(list->LastSelection(), -1);
  EXPECT_EQ(changes_, 1);
}

TEST_F(FileListBox, PropertiesAreTheNamesLayoutsUse) {
  const ClassInfo& info = TFileListBox::kClassInfo;
  const PropertyInfo* mask = FindProperty(info, "Mask");
  const PropertyInfo* fileType = FindProperty(info, "FileType");
  const PropertyInfo* fileEdit = FindProperty(info, "FileEdit");
  const PropertyInfo* showGlyphs = FindProperty(info, "ShowGlyphs");
  const PropertyInfo* onChange = FindProperty(info, "OnChange");
  ASSERT_TRUE(mask && fileType && fileEdit && showGlyphs && onChange);
  EXPECT_EQ(mask->type, PropertyType::kText);
  EXPECT_EQ(fileType->type, PropertyType::kSet);
  EXPECT_EQ(fileType->defaultNumber, 1 << ftNormal);
  ASSERT_EQ(fileType->names.size(), 7u);
  EXPECT_STREQ(fileType->names[ftReadOnly], "ftReadOnly");
  EXPECT_STREQ(fileType->names[ftVolumeID], "ftVolumeID");
  EXPECT_STREQ(fileType->names[ftNormal], "ftNormal");
  EXPECT_EQ(fileEdit->type, PropertyType::kComponent);
  EXPECT_EQ(fileEdit->objectClass, &TEdit::kClassInfo);
  EXPECT_EQ(showGlyphs->type, PropertyType::kBoolean);
  EXPECT_EQ(showGlyphs->defaultNumber, 0);
  EXPECT_EQ(onChange->type, PropertyType::kEvent);
  EXPECT_NE(FindProperty(info, "ItemHeight"), nullptr);  // from the list box

  MakeFile("a.rtf");
  MakeFile("b.txt");
  ASSERT_NE(info.create, nullptr);
  auto* list = static_cast<TFileListBox*>(info.create(form_));
  EXPECT_EQ(&list->classInfo(), &info);
  list->SetParent(form_);
  mask->writeText(*list, "*.txt");
  EXPECT_EQ(mask->readText(*list), "*.txt");
  EXPECT_EQ(Items(*list), std::vector<std::string>{"b.txt"});
  fileType->writeNumber(*list, Type({ftReadOnly}));
  EXPECT_EQ(fileType->readNumber(*list), Type({ftReadOnly}));
  EXPECT_EQ(list->ItemCount(), 0);
}

// ---- What is listed ----

TEST_F(FileListBox, NormalTypeListsReadOnlyAndArchiveFilesButNoHiddenSystemOrFolders) {
  MakeEntriesOfEveryAttribute();
  TFileListBox* list = NewList();
  EXPECT_EQ(ItemSet(*list), Sorted({"archive.txt", "plain.txt", "readonly.txt"}));
}

TEST_F(FileListBox, ReadOnlyTypeListsOnlyReadOnlyEntriesThatAreNotHidden) {
  MakeEntriesOfEveryAttribute();
  TFileListBox* list = NewList({}, Type({ftReadOnly}));
  EXPECT_EQ(Items(*list), std::vector<std::string>{"readonly.txt"});
}

TEST_F(FileListBox, HiddenTypeListsHiddenFilesButNotHiddenFolders) {
  MakeEntriesOfEveryAttribute();
  TFileListBox* list = NewList({}, Type({ftHidden}));
  EXPECT_EQ(ItemSet(*list), Sorted({"hidden.txt", "hiddenreadonly.txt"}));
  list->SetFileType(Type({ftHidden, ftReadOnly}));
  EXPECT_EQ(ItemSet(*list), Sorted({"hidden.txt", "hiddenreadonly.txt", "readonly.txt"}));
  list->SetFileType(Type({ftHidden, ftDirectory}));
  EXPECT_EQ(ItemSet(*list), Sorted({"[.]", "[..]", "[secret]", "[sub]", "hidden.txt", "hiddenreadonly.txt"}));
}

TEST_F(FileListBox, DirectoryTypeWithNormalAddsBracketedFoldersWithDotEntries) {
  MakeEntriesOfEveryAttribute();
  TFileListBox* list = NewList({}, Type({ftNormal, ftDirectory}));
  EXPECT_EQ(ItemSet(*list), Sorted({"[.]", "[..]", "[sub]", "archive.txt", "plain.txt", "readonly.txt"}));
  list->SetFileType(Type({ftDirectory}));
  EXPECT_EQ(ItemSet(*list), Sorted({"[.]", "[..]", "[sub]"}));
  list->SetFileType(Type({ftSystem}));
  EXPECT_EQ(Items(*list), std::vector<std::string>{"system.txt"});
}

TEST_F(FileListBox, ItemsAreSortedWithoutRegardToCaseAndKeepTheirCase) {
  MakeFile("b");
  MakeFile("A");
  MakeFile("C");
  TFileListBox* list = NewList();
  EXPECT_EQ(Items(*list), (std::vector<std::string>{"A", "b", "C"}));
}

TEST_F(FileListBox, ShiftJisNamesWithBackslashTrailBytesAreSingleNames) {
  // 表 and ソ end in the byte 0x5C, the code of "\".
  MakeFile("表示.rtf");
  MakeFolder("ソフト");
  MakeFile("ソフト\\表.rtf");
  TFileListBox* list = NewList({}, Type({ftNormal, ftDirectory}));
  EXPECT_EQ(ItemSet(*list), Sorted({"[.]", "[..]", "[ソフト]", "表示.rtf"}));
  list->SelectName("表示.rtf");
  EXPECT_EQ(list->SelectedFile(), root_.path() + "\\表示.rtf");

  list->MoveToFolder("ソフト");
  EXPECT_EQ(list->CurrentFolder(), root_.path() + "\\ソフト");
  list->SelectName("表.rtf");
  EXPECT_EQ(list->SelectedFile(), root_.path() + "\\ソフト\\表.rtf");
}

TEST_F(FileListBox, NamesTheCodePageHoldsOnlyApproximatelyAreListedWithQuestionMarks) {
  // Their best fits would be e.rtf and a\b.rtf: another file, and one in the folder a.
  MakeApproximateNames(root_.path());
  TFileListBox* list = NewList({}, Type({ftNormal, ftDirectory}), "*.rtf");
  EXPECT_EQ(ItemSet(*list), Sorted({"?.rtf", "??.rtf", "a?b.rtf", "e.rtf"}));
  EXPECT_EQ(ImageOf(*list, "a?b.rtf"), &list->UnknownFileImage());
  list->SelectName("a?b.rtf");
  EXPECT_EQ(list->SelectedFile(), root_ / "a?b.rtf");
  list->SetMask("*");
  EXPECT_EQ(ItemSet(*list), Sorted({"[.]", "[..]", "[?]", "[?]", "[a]", "?.rtf", "??.rtf", "a?b.rtf", "e.rtf"}));
}

// ---- Masks ----

TEST_F(FileListBox, MaskPatternsAreSearchedLeftToRight) {
  MakeFile("a.rtf");
  MakeFile("b.rtf");
  MakeFile("c.txt");
  MakeFile("d.doc");
  TFileListBox* list = NewList({}, 1u << ftNormal, "*.rtf;*.txt");
  EXPECT_EQ(Items(*list), (std::vector<std::string>{"a.rtf", "b.rtf", "c.txt"}));
  list->SetMask("*.rtf;");
  EXPECT_EQ(Items(*list), (std::vector<std::string>{"a.rtf", "b.rtf"}));
  list->SetMask(";");
  EXPECT_EQ(list->ItemCount(), 0);
  list->SetMask("*.txt");
  list->SetMask("");
  EXPECT_EQ(list->ItemCount(), 0);
  list->SetMask("*.zzz;d*");
  EXPECT_EQ(Items(*list), std::vector<std::string>{"d.doc"});
  list->SetMask("*.rtf;a*");  // a.rtf matches both
  EXPECT_EQ(Items(*list), (std::vector<std::string>{"a.rtf", "a.rtf", "b.rtf"}));
  list->SetMask(" *.rtf");  // pieces are not trimmed
  EXPECT_EQ(list->ItemCount(), 0);
}

TEST_F(FileListBox, SettingTheSameMaskOrTypeDoesNotRefillButCaseCounts) {
  MakeFile("a.rtf");
  TFileListBox* list = NewList();
  changes_ = 0;
  list->SetMask("*.*");
  list->SetFileType(1u << ftNormal);
  EXPECT_EQ(changes_, 0);
  list->SetMask("*.RTF");
  EXPECT_EQ(changes_, 1);
  list->SetMask("*.rtf");
  EXPECT_EQ(changes_, 2);
  EXPECT_EQ(Items(*list), std::vector<std::string>{"a.rtf"});
  list->SetFileType(Type({ftNormal, ftArchive}));
  EXPECT_EQ(changes_, 3);
}

TEST_F(FileListBox, AFillLeavesNothingSelected) {
  MakeFile("a.rtf");
  MakeFile("b.rtf");
  TFileListBox* list = NewList();
  list->SelectName("a.rtf");
  ASSERT_EQ(list->ItemIndex(), 0);
  list->FillItems();
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(list->LastSelection(), -1);
  EXPECT_EQ(list->SelectedFile(), "");
}

// ---- Folders ----

TEST_F(FileListBox, MoveToFolderResolvesRelativePathsAgainstTheListsFolder) {
  MakeFolder("docs\\old");
  MakeFile("docs\\old\\x.txt");
  MakeFolder("elsewhere");
  TFileListBox* list = NewList(root_ / "docs");
  SetCurrentDirectoryA((root_ / "elsewhere").c_str());
  changes_ = 0;
  list->MoveToFolder("old");
  EXPECT_EQ(list->CurrentFolder(), root_.path() + "\\docs\\old");
  EXPECT_EQ(CurrentDirectory(), list->CurrentFolder());
  EXPECT_EQ(Items(*list), std::vector<std::string>{"x.txt"});
  EXPECT_EQ(changes_, 1);
  list->MoveToFolder(LowerFileName(root_.path()) + "\\DOCS\\OLD");  // the same folder
  EXPECT_EQ(changes_, 1);
  EXPECT_EQ(list->CurrentFolder(), root_.path() + "\\docs\\old");
}

TEST_F(FileListBox, DriveRootKeepsItsBackslash) {
  TFileListBox* list = NewList();
  list->MoveToFolder("C:\\");
  EXPECT_EQ(list->CurrentFolder(), "C:\\");
  list->MoveToFolder(root_.path() + "\\");
  EXPECT_EQ(list->CurrentFolder(), root_.path());
}

TEST_F(FileListBox, AListWhoseFolderWentAwayStillFollowsItsDirectoryList) {
  MakeFolder("gone");
  MakeFile("gone\\a.rtf");
  MakeFile("b.rtf");
  TFileListBox* list = NewList();
  auto* dirList = new TDirectoryListBox(form_);
  dirList->SetParent(form_);
  dirList->SetBounds(240, 10, 250, 300);
  dirList->SetFileList(list);
  dirList->SetCurrentFolder(root_ / "gone");
  ASSERT_EQ(Items(*list), std::vector<std::string>{"a.rtf"});
  SetCurrentDirectoryA(root_.path().c_str());  // another list moved last
  ASSERT_TRUE(DeleteFileA((root_ / "gone\\a.rtf").c_str()));
  ASSERT_TRUE(RemoveDirectoryA((root_ / "gone").c_str()));

  // Nothing is left to list there, nor to go below.
  changes_ = 0;
  EXPECT_THROW(list->FillItems(), EInOutError);
  EXPECT_THROW(list->MoveToFolder("sub"), EInOutError);
  EXPECT_EQ(Items(*list), std::vector<std::string>{"a.rtf"});
  EXPECT_EQ(changes_, 0);

  // The user double-clicks the parent: both lists move there, without an error.
  MessageBoxWatcher watcher;
  HWND window = dirList->Handle();
  dirList->SetItemIndex(FolderDepth(root_.path()));
  SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), LBN_DBLCLK),
               reinterpret_cast<LPARAM>(window));
  EXPECT_TRUE(watcher.seen().empty()) << watcher.seen().front().text;
  EXPECT_EQ(dirList->CurrentFolder(), root_.path());
  EXPECT_EQ(list->CurrentFolder(), root_.path());
  EXPECT_EQ(Items(*list), std::vector<std::string>{"b.rtf"});
}

// ---- Selected file ----

TEST_F(FileListBox, SelectedFileIsEmptyUntilAnItemIsSelectedThenTheFullPath) {
  MakeFile("a.rtf");
  TFileListBox* list = NewList();
  EXPECT_EQ(list->SelectedItemText(), "");
  EXPECT_EQ(list->SelectedFile(), "");
  list->SelectName("A.RTF");  // found without regard to case
  EXPECT_EQ(list->SelectedItemText(), "a.rtf");
  EXPECT_EQ(list->SelectedFile(), root_.path() + "\\a.rtf");
  list->SelectName("none.rtf");
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(list->SelectedFile(), "");
}

TEST_F(FileListBox, AssigningAListedFileSelectsItAndNotifies) {
  MakeFile("a.rtf");
  MakeFile("b.rtf");
  TFileListBox* list = NewList();
  changes_ = 0;
  list->SetSelectedFile(root_ / "B.RTF");
  EXPECT_EQ(list->SelectedItemText(), "b.rtf");
  EXPECT_EQ(list->LastSelection(), 1);
  EXPECT_EQ(list->Mask(), "*.*");
  EXPECT_EQ(changes_, 1);
  list->SetSelectedFile(root_ / "b.rtf");  // already the selected file
  EXPECT_EQ(changes_, 1);
  list->SetSelectedFile("");
  EXPECT_EQ(list->SelectedItemText(), "b.rtf");
}

TEST_F(FileListBox, AssigningAFileInAnotherFolderMovesThere) {
  MakeFolder("docs");
  MakeFile("docs\\x.txt");
  MakeFile("docs\\y.txt");
  TFileListBox* list = NewList();
  list->SetSelectedFile(root_ / "docs\\y.txt");
  EXPECT_EQ(list->CurrentFolder(), root_ / "docs");
  EXPECT_EQ(Items(*list), (std::vector<std::string>{"x.txt", "y.txt"}));
  EXPECT_EQ(list->SelectedFile(), root_ / "docs\\y.txt");
}

TEST_F(FileListBox, AssigningAFileOutsideTheMaskMakesItTheMask) {
  MakeFile("a.rtf");
  MakeFile("c.txt");
  TFileListBox* list = NewList({}, 1u << ftNormal, "*.txt");
  list->SetSelectedFile(root_ / "a.rtf");
  EXPECT_EQ(list->Mask(), "a.rtf");
  EXPECT_EQ(Items(*list), std::vector<std::string>{"a.rtf"});
  EXPECT_EQ(list->SelectedItemText(), "a.rtf");
  EXPECT_EQ(list->LastSelection(), 0);
}

TEST_F(FileListBox, AssigningAHiddenFileMakesItTheMaskOfAnEmptyList) {
  MakeFile("a.rtf");
  MakeFile("hidden.rtf", FILE_ATTRIBUTE_HIDDEN);
  TFileListBox* list = NewList();
  EXPECT_NO_THROW(list->SetSelectedFile(root_ / "hidden.rtf"));
  EXPECT_EQ(list->Mask(), "hidden.rtf");
  EXPECT_EQ(list->ItemCount(), 0);
  EXPECT_EQ(list->SelectedFile(), "");
}

TEST_F(FileListBox, AssigningAPathInAMissingFolderRaisesAndChangesNothing) {
  MakeFile("a.rtf");
  MakeFolder("elsewhere");
  TFileListBox* list = NewList();
  list->SelectName("a.rtf");
  SetCurrentDirectoryA((root_ / "elsewhere").c_str());
  changes_ = 0;
  EXPECT_THROW(list->SetSelectedFile(root_ / "nothere\\a.rtf"), EInOutError);
  EXPECT_EQ(list->CurrentFolder(), root_.path());
  EXPECT_EQ(list->Mask(), "*.*");
  EXPECT_EQ(Items(*list), std::vector<std::string>{"a.rtf"});
  EXPECT_EQ(list->SelectedItemText(), "a.rtf");
  EXPECT_EQ(CurrentDirectory(), root_ / "elsewhere");
  EXPECT_EQ(changes_, 0);
}

TEST_F(FileListBox, AssigningAMissingFileInAnExistingFolderRaises) {
  MakeFile("a.rtf");
  TFileListBox* list = NewList();
  // The last part names neither a file nor a folder.
  EXPECT_THROW(list->SetSelectedFile(root_ / "missing.rtf"), EInOutError);
  EXPECT_EQ(list->Mask(), "*.*");
  EXPECT_EQ(Items(*list), std::vector<std::string>{"a.rtf"});
}

TEST_F(FileListBox, AssigningAFolderPathMovesAndSelectsNothing) {
  MakeFolder("docs");
  MakeFile("docs\\x.txt");
  MakeFile("a.rtf");
  TFileListBox* list = NewList();
  list->SelectName("a.rtf");
  list->SetSelectedFile(root_ / "docs");
  EXPECT_EQ(list->CurrentFolder(), root_ / "docs");
  EXPECT_EQ(Items(*list), std::vector<std::string>{"x.txt"});
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(list->Mask(), "*.*");
}

TEST_F(FileListBox, AssigningAFolderWithAWildcardMovesAndTakesTheMask) {
  MakeFolder("docs");
  MakeFile("docs\\x.txt");
  MakeFile("docs\\y.rtf");
  TFileListBox* list = NewList();
  list->SetSelectedFile(root_ / "docs\\*.txt");
  EXPECT_EQ(list->CurrentFolder(), root_ / "docs");
  EXPECT_EQ(list->Mask(), "*.txt");
  EXPECT_EQ(Items(*list), std::vector<std::string>{"x.txt"});
  EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(FileListBox, AFileDatedBeforeTheDosEpochCountsAsMissing) {
  const std::string early = MakeFile("early.txt");
  SetLastWriteYear(early, 1979);
  MakeFile("a.rtf");
  TFileListBox* list = NewList({}, 1u << ftNormal, "*.rtf");
  try {
    list->SetSelectedFile(early);
    FAIL() << "no error";
  } catch (const EInvalidOperation& error) {
    EXPECT_EQ(error.Message(), "不正なﾌｧｲﾙ名 - " + early);
  }
  // The check comes before the mask would take the name.
  EXPECT_EQ(list->Mask(), "*.rtf");
  EXPECT_EQ(list->ItemIndex(), -1);

  // A listed file is selected before the check raises.
  list->SetMask("*.*");
  changes_ = 0;
  EXPECT_THROW(list->SetSelectedFile(early), EInvalidOperation);
  EXPECT_EQ(list->SelectedItemText(), "early.txt");
  EXPECT_EQ(changes_, 1);

  SetLastWriteYear(early, 1970);
  list->SelectName("");
  EXPECT_THROW(list->SetSelectedFile(early), EInvalidOperation);
  SetLastWriteYear(early, 1980);
  list->SelectName("");
  EXPECT_NO_THROW(list->SetSelectedFile(early));
  EXPECT_EQ(list->SelectedItemText(), "early.txt");
}

TEST_F(FileListBox, SameFileNameFoldsOnlySingleByteLetters) {
  EXPECT_TRUE(TFileListBox::SameFileName("C:\\DOCS\\A.RTF", "c:\\docs\\a.rtf"));
  EXPECT_TRUE(TFileListBox::SameFileName("表示.rtf", "表示.RTF"));
  EXPECT_FALSE(TFileListBox::SameFileName("ＡＢ.rtf", "ａｂ.rtf"));
  EXPECT_FALSE(TFileListBox::SameFileName("a.rtf", "a.rtf "));
  EXPECT_TRUE(TFileListBox::SameFileName("", ""));
}

// ---- Images ----

TEST_F(FileListBox, ExecutableExtensionsCarryTheExecutableImage) {
  for (const char* name :
       {"README.EXE", "setup.Bat", "tool.com", "link.pif", "archive.exe.txt", "noextension", "exe", "表.exe"})
    MakeFile(name);
  MakeFolder("sub.exe");
  TFileListBox* list = NewList({}, Type({ftNormal, ftDirectory}));
  for (const char* name : {"README.EXE", "setup.Bat", "tool.com", "link.pif", "表.exe"})
    EXPECT_EQ(ImageOf(*list, name), &list->ExecutableImage()) << name;
  for (const char* name : {"archive.exe.txt", "noextension", "exe"})
    EXPECT_EQ(ImageOf(*list, name), &list->UnknownFileImage()) << name;
  EXPECT_EQ(ImageOf(*list, "[sub.exe]"), nullptr);  // folders carry an image only with glyphs on
}

TEST_F(FileListBox, FoldersGetTheirImageOnlyWhenFilledWithGlyphsOn) {
  MakeFolder("sub");
  MakeFile("a.rtf");
  TFileListBox* list = NewList({}, Type({ftNormal, ftDirectory}));
  list->Font().SetHeight(-30);  // items already taller than the glyphs
  changes_ = 0;
  list->SetShowGlyphs(true);
  EXPECT_EQ(changes_, 0);  // not refilled
  EXPECT_EQ(ImageOf(*list, "[sub]"), nullptr);
  list->FillItems();
  EXPECT_EQ(ImageOf(*list, "[sub]"), &list->ClosedFolderImage());
  EXPECT_EQ(ImageOf(*list, "a.rtf"), &list->UnknownFileImage());
  list->SetShowGlyphs(false);
  EXPECT_EQ(changes_, 1);
  EXPECT_EQ(ImageOf(*list, "[sub]"), &list->ClosedFolderImage());
}

TEST_F(FileListBox, GlyphsThatRaiseTheItemHeightRefillThroughTheNewWindow) {
  MakeFolder("sub");
  TFileListBox* list = NewList({}, Type({ftNormal, ftDirectory}));
  ASSERT_LT(list->ItemHeight(), 16);
  changes_ = 0;
  list->SetShowGlyphs(true);
  EXPECT_EQ(changes_, 1);
  EXPECT_EQ(ImageOf(*list, "[sub]"), &list->ClosedFolderImage());
}

TEST_F(FileListBox, GlyphsMakeItemsAtLeastOnePixelTallerThanTheImage) {
  MakeFile("a.rtf");
  TFileListBox* list = NewList();
  list->Font().SetHeight(-9);
  const int textHeight = FontTextHeight(list->Font());
  ASSERT_LT(textHeight, 15);
  EXPECT_EQ(list->ItemHeight(), textHeight);
  list->SetShowGlyphs(true);
  EXPECT_EQ(list->ItemHeight(), list->ExecutableImage().Height() + 1);
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETITEMHEIGHT, 0, 0), 16);
  list->Font().SetHeight(-30);
  EXPECT_EQ(list->ItemHeight(), FontTextHeight(list->Font()));
  list->Font().SetHeight(-9);
  EXPECT_EQ(list->ItemHeight(), 16);
  list->SetShowGlyphs(false);
  EXPECT_EQ(list->ItemHeight(), 16);  // turning glyphs off leaves the height
}

TEST_F(FileListBox, DrawnItemsStartTheNameAfterTheGlyph) {
  MakeFolder("sub");
  MakeFile("a.rtf");
  TFileListBox* list = NewList({}, Type({ftNormal, ftDirectory}));
  list->SetShowGlyphs(true);
  const int height = list->ItemHeight();
  ASSERT_EQ(height, 16);
  const COLORREF window = ColorToRGB(clWindow);
  const COLORREF red = RGB(255, 0, 0);
  const int file = list->FindExact("a.rtf", -1);
  const int folder = list->FindExact("[sub]", -1);
  ASSERT_EQ(ImageOf(*list, "[sub]"), &list->ClosedFolderImage());

  Surface fileGlyph(200, height, red);
  DrawItemInto(*list, file, fileGlyph);
  EXPECT_EQ(fileGlyph.Pixel(0, 0), window);  // the whole rectangle filled
  EXPECT_EQ(fileGlyph.Pixel(199, height - 1), window);
  TBitmap& image = list->UnknownFileImage();
  const TColor transparent = image.TransparentColor();
  const int top = (height - image.Height()) / 2;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      const TColor source = image.Canvas().Pixels(x, y);
      EXPECT_EQ(fileGlyph.Pixel(2 + x, top + y), source == transparent ? window : static_cast<COLORREF>(source))
          << x << "," << y;
    }
  }
  Surface folderGlyph(200, height, red);
  DrawItemInto(*list, folder, folderGlyph);
  EXPECT_EQ(folderGlyph.FirstColumnNotOf(window, 0), 2 + 1);  // the folder image's first column is clear

  list->SetShowGlyphs(false);
  Surface filePlain(200, height, red);
  DrawItemInto(*list, file, filePlain);
  Surface folderPlain(200, height, red);
  DrawItemInto(*list, folder, folderPlain);  // its image is not drawn
  const int fileText = filePlain.FirstColumnNotOf(window, 0);
  const int folderText = folderPlain.FirstColumnNotOf(window, 0);
  EXPECT_GE(fileText, 2);
  EXPECT_LE(fileText, 4);
  EXPECT_GE(folderText, 2);
  EXPECT_LE(folderText, 4);
  EXPECT_EQ(fileGlyph.FirstColumnNotOf(window, 18) - fileText, 20);
  EXPECT_EQ(folderGlyph.FirstColumnNotOf(window, 18) - folderText, 20);

  // Filled with glyphs off, the folder has no image: with glyphs on again its name stays at 2.
  list->FillItems();
  changes_ = 0;
  list->SetShowGlyphs(true);
  ASSERT_EQ(changes_, 0);
  Surface folderWithout(200, height, red);
  DrawItemInto(*list, list->FindExact("[sub]", -1), folderWithout);
  EXPECT_EQ(folderWithout.FirstColumnNotOf(window, 0), folderText);
}

// ---- Events and the linked edit ----

TEST_F(FileListBox, UserSelectionChangeNotifiesOnlyWhenTheIndexMoved) {
  MakeFile("a.rtf");
  MakeFile("b.rtf");
  TFileListBox* list = NewList();
  int clicks = 0;
  list->SetOnClick([&](TPersistent*) { ++clicks; });
  TPersistent* sender = nullptr;
  list->SetOnChange([&](TPersistent* s) {
    sender = s;
    ++changes_;
  });
  changes_ = 0;
  UserSelects(*list, 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(changes_, 1);
  EXPECT_EQ(sender, list);
  EXPECT_EQ(list->LastSelection(), 1);
  UserSelects(*list, 1);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(changes_, 1);
  UserSelects(*list, 0);
  EXPECT_EQ(changes_, 2);
  EXPECT_EQ(list->LastSelection(), 0);
}

TEST_F(FileListBox, FileEditMirrorsTheSelectedNameOrTheMask) {
  MakeFile("a.rtf");
  MakeFile("b.rtf");
  TFileListBox* list = NewList({}, 1u << ftNormal, "*.rtf");
  auto* edit = new TEdit(form_);
  edit->SetParent(form_);
  edit->SetText("something");
  list->SetFileEdit(edit);
  EXPECT_EQ(edit->Text(), "*.rtf");
  DWORD start = 1, end = 1;
  SendMessageA(edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(end, 0u);  // nothing selected by the link itself

  UserSelects(*list, 1);
  EXPECT_EQ(edit->Text(), "b.rtf");
  SendMessageA(edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 5u);
  list->SetMask("a*");
  EXPECT_EQ(edit->Text(), "a*");
  list->SetSelectedFile(root_ / "a.rtf");
  EXPECT_EQ(edit->Text(), "a.rtf");
}

TEST_F(FileListBox, DestroyedFileEditIsNoLongerLinked) {
  MakeFile("a.rtf");
  TFileListBox* list = NewList();
  auto* edit = new TEdit(nullptr);  // not owned by the form: only the removal notice tells the list
  edit->SetParent(form_);
  list->SetFileEdit(edit);
  ASSERT_EQ(list->FileEdit(), edit);
  delete edit;
  EXPECT_EQ(list->FileEdit(), nullptr);
  list->SelectName("a.rtf");  // would write into the edit
  EXPECT_EQ(list->SelectedItemText(), "a.rtf");
}

TEST_F(FileListBox, LinkedDirectoryListCarriesTheMoveAndIsForgottenWhenItGoes) {
  MakeFolder("docs");
  MakeFile("docs\\x.txt");
  MakeFile("docs\\y.rtf");
  MakeFile("a.rtf");
  TFileListBox* list = NewList();
  auto* dirList = new TDirectoryListBox(nullptr);  // only the removal notice tells the list it went
  dirList->SetParent(form_);
  dirList->SetFileList(list);
  ASSERT_EQ(list->LinkedDirList(), dirList);

  list->SetSelectedFile(root_ / "docs\\y.rtf");
  EXPECT_EQ(dirList->CurrentFolder(), root_ / "docs");
  EXPECT_EQ(list->CurrentFolder(), root_ / "docs");
  EXPECT_EQ(list->SelectedFile(), root_ / "docs\\y.rtf");
  list->SetSelectedFile(root_ / "*.rtf");
  EXPECT_EQ(dirList->CurrentFolder(), root_.path());
  EXPECT_EQ(list->CurrentFolder(), root_.path());
  EXPECT_EQ(list->Mask(), "*.rtf");
  EXPECT_EQ(Items(*list), std::vector<std::string>{"a.rtf"});

  delete dirList;
  EXPECT_EQ(list->LinkedDirList(), nullptr);
  list->SetSelectedFile(root_ / "docs\\x.txt");  // moves by itself now
  EXPECT_EQ(list->CurrentFolder(), root_ / "docs");
  EXPECT_EQ(list->Mask(), "x.txt");
}

// ---- Long folders ----

// Records the screen cursor each time an item is added to one list.
class AddCursorRecorder {
public:
  explicit AddCursorRecorder(HWND list) {
    gList = list;
    gCursors.clear();
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
  }
  ~AddCursorRecorder() { UnhookWindowsHookEx(hook_); }
  const std::vector<HCURSOR>& cursors() const { return gCursors; }

private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == gList && message->message == LB_ADDSTRING)
      gCursors.push_back(GetCursor());
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline HWND gList = nullptr;
  static inline std::vector<HCURSOR> gCursors;
  HHOOK hook_;
};

TEST_F(FileListBox, HourglassFromTheHundredthPlaceAndTheCursorPutBack) {
  char name[16];
  for (int i = 0; i < 100; ++i) {
    std::snprintf(name, sizeof name, "a%03d.txt", i);
    MakeFile(name);
  }
  for (int i = 0; i < 50; ++i) {
    std::snprintf(name, sizeof name, "z%03d.txt", i);
    MakeFile(name);
  }
  TFileListBox* list = NewList({}, 1u << ftNormal, "a*");
  ASSERT_EQ(list->ItemCount(), 100);
  const HCURSOR cross = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_CROSS));
  const HCURSOR wait = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
  SetCursor(cross);
  ASSERT_EQ(GetCursor(), cross);
  {
    // 100 items take places 0 to 99: no hourglass.
    AddCursorRecorder recorder(list->Handle());
    list->FillItems();
    ASSERT_EQ(recorder.cursors().size(), 100u);
    for (HCURSOR cursor : recorder.cursors()) EXPECT_EQ(cursor, cross);
  }
  {
    // The first z file sorts after every a file: place 100.
    AddCursorRecorder recorder(list->Handle());
    list->SetMask("a*;z*");
    ASSERT_EQ(recorder.cursors().size(), 150u);
    for (size_t i = 0; i <= 100; ++i) EXPECT_EQ(recorder.cursors()[i], cross) << i;
    for (size_t i = 101; i < 150; ++i) EXPECT_EQ(recorder.cursors()[i], wait) << i;
  }
  EXPECT_EQ(GetCursor(), cross);
  EXPECT_EQ(list->ItemCount(), 150);
  list->SetMask("*.*");
  EXPECT_EQ(list->ItemCount(), 150);
  EXPECT_EQ(GetCursor(), cross);
}

// Makes the list refuse items once it holds `limit`, as a list out of memory does.
LRESULT CALLBACK RefuseItemsPast(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR limit) {
  if (msg == LB_ADDSTRING && SendMessageA(window, LB_GETCOUNT, 0, 0) >= static_cast<LRESULT>(limit)) return LB_ERRSPACE;
  return DefSubclassProc(window, msg, wParam, lParam);
}

TEST_F(FileListBox, RefusedItemStopsTheFillKeepingItemsAndPuttingTheCursorBack) {
  char name[16];
  for (int i = 0; i < 100; ++i) {
    std::snprintf(name, sizeof name, "a%03d.txt", i);
    MakeFile(name);
  }
  for (int i = 0; i < 50; ++i) {
    std::snprintf(name, sizeof name, "z%03d.txt", i);
    MakeFile(name);
  }
  TFileListBox* list = NewList({}, 1u << ftNormal, "a*");
  UserSelects(*list, 5);
  ASSERT_EQ(list->LastSelection(), 5);
  const HCURSOR cross = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_CROSS));
  SetCursor(cross);
  changes_ = 0;
  ASSERT_TRUE(SetWindowSubclass(list->Handle(), RefuseItemsPast, 1, 120));
  try {
    list->SetMask("a*;z*");  // the hourglass goes up at place 100, the 121st item is refused
    FAIL() << "no error";
  } catch (const EOutOfResources& error) {
    EXPECT_EQ(error.Message(), "行を挿入できません");
  }
  RemoveWindowSubclass(list->Handle(), RefuseItemsPast, 1);
  EXPECT_EQ(list->ItemCount(), 120);
  EXPECT_EQ(GetCursor(), cross);
  EXPECT_EQ(changes_, 0);
  EXPECT_EQ(list->LastSelection(), 5);  // no change notice ran
  EXPECT_EQ(list->ItemIndex(), -1);
}

}  // namespace

namespace {

// Without a linked directory list a network path has no drive letter: the
// list goes to the share's folder itself.
TEST_F(FileListBox, UnlinkedListFollowsANetworkPath) {
  const std::string folder = MakeUniqueFolder("N:\\", "unlinked");
  const std::string name = folder.substr(3);  // below the share's root
  WriteFileBytes(folder + "\\net.rtf", "x");
  TFileListBox* list = NewList();
  list->SetSelectedFileProperty("\\\\fileserv\\share\\" + name + "\\net.rtf");
  EXPECT_TRUE(SameText(list->CurrentFolder(), "\\\\fileserv\\share\\" + name) ||
              SameText(list->CurrentFolder(), folder))
      << list->CurrentFolder();
  EXPECT_EQ(list->SelectedItemText(), "net.rtf");
  SetCurrentDirectoryA(root_.path().c_str());
  RemoveTree(folder);
}

}  // namespace
