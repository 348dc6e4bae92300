// The drive combo box over the real drives of the Wine prefix: items and their
// texts in both cases, the current drive, user picks through real
// notifications, owner-drawn items read back in pixels, the directory list link.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FileCtrl/FileCtrl.h"
#include "FileCtrl/FileCtrlHelpers.h"
#include "runtime/Exceptions.h"
#include "tests/support/DibSurface.h"
#include "tests/support/FileCtrlFixture.h"
#include "tests/support/MessageBoxWatcher.h"

namespace {

// The label wine-run.sh gives drive K: (in the source's encoding, compiled to
// Shift-JIS). ア (0x83 0x41) and ツ (0x83 0x63) have ASCII letters as trail
// bytes; Ｚ and ｚ are letters that the system's case mapping would change.
constexpr char kFixedLabel[] = "Abcアツ表示Ｚｚ";

// The drives the prefix is made with, and the types Wine reports for them.
struct TestDrive {
  char letter;
  UINT type;
};
constexpr TestDrive kTestDrives[] = {
    {'A', DRIVE_REMOVABLE}, {'D', DRIVE_CDROM},       {'E', DRIVE_REMOVABLE}, {'G', DRIVE_CDROM},
    {'K', DRIVE_FIXED},     {'M', DRIVE_NO_ROOT_DIR}, {'N', DRIVE_REMOTE},    {'R', DRIVE_RAMDISK},
};

std::string Root(char letter) {
  return std::string(1, letter) + ":\\";
}

// A prefix made before a drive was added lacks it: say so instead of failing
// somewhere further down.
::testing::AssertionResult PrefixHasTestDrives() {
  const DWORD mask = GetLogicalDrives();
  for (const TestDrive& drive : kTestDrives) {
    const UINT type = GetDriveTypeA(Root(drive.letter).c_str());
    if (!(mask & (1u << (drive.letter - 'A'))) || type != drive.type)
      return ::testing::AssertionFailure()
             << "test drive " << drive.letter << ": has type " << type << ", not " << drive.type
             << "; the Wine prefix predates it: remove build/wine/prefix and build/wine/winedrives";
  }
  return ::testing::AssertionSuccess();
}

// The volume label as the system gives it.
std::string RawLabel(char letter) {
  char label[MAX_PATH + 1] = "";
  GetVolumeInformationA(Root(letter).c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0);
  return label;
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Drives the system reports with a type the combo lists.
int ListableDriveCount() {
  int count = 0;
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    const UINT type = GetDriveTypeA(Root(static_cast<char>('A' + i)).c_str());
    if (type >= DRIVE_REMOVABLE && type <= DRIVE_RAMDISK) ++count;
  }
  return count;
}

int DriveItem(TDriveComboBox& combo, char letter) {
  for (int i = 0; i < combo.ItemCount(); ++i) {
    const std::string text = combo.ItemText(i);
    if (text.size() >= 2 && Upper(text[0]) == Upper(letter) && text[1] == ':') return i;
  }
  return -1;
}

// The text of a drive's item, or "(none)".
std::string DriveText(TDriveComboBox& combo, char letter) {
  const int index = DriveItem(combo, letter);
  return index < 0 ? "(none)" : combo.ItemText(index);
}

TBitmap* DriveImage(TDriveComboBox& combo, char letter) {
  const int index = DriveItem(combo, letter);
  return index < 0 ? nullptr : static_cast<TBitmap*>(combo.ItemData(index));
}

std::string SelectedText(TDriveComboBox& combo) {
  const int index = combo.ItemIndex();
  return index < 0 ? "(none)" : combo.ItemText(index);
}

// A 32-bit DIB section in a memory DC, filled with one colour; read back with
// GetPixel, independently of TCanvas.
using Surface = DibSurface;

// The pixels of a bitmap, read through a DC of our own.
std::vector<std::vector<COLORREF>> ImagePixels(TBitmap& image) {
  UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
  ScopedSelectObject selected = SelectInto(dc.get(), image.Handle());
  std::vector<std::vector<COLORREF>> rows(static_cast<size_t>(image.Height()));
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) rows[static_cast<size_t>(y)].push_back(GetPixel(dc.get(), x, y));
  return rows;
}

// Records SetCurrentDrive calls instead of changing folders.
class RecordingDirList : public TDirectoryListBox {
public:
  RecordingDirList(TComponent* owner, std::vector<std::string>* log) : TDirectoryListBox(owner), log_(log) {}
  void SetCurrentDrive(char drive) override { log_->push_back(std::string("list ") + (drive ? drive : '0')); }

private:
  std::vector<std::string>* log_;
};

class DriveComboBox : public FileCtrlTest {
protected:
  // A combo owned by the host form that logs OnClick and OnChange, and the log
  // empty. Placed on the shown form it gets its window at once; unplaced it
  // has none until the test places it.
  TDriveComboBox* MakeCombo(TTextCase textCase = tcLowerCase, bool placed = true) {
    auto* combo = new TDriveComboBox(form_);
    combo->SetBounds(10, 10, 260, 24);
    combo->SetOnClick([this](TPersistent*) { log_.push_back("click"); });
    combo->SetOnChange([this, combo](TPersistent* sender) {
      log_.push_back(sender == combo ? "change" : "change from another sender");
    });
    if (textCase != tcLowerCase) combo->SetTextCase(textCase);
    if (placed) combo->SetParent(form_);
    log_.clear();
    return combo;
  }

  // What the user's choice in the drop-down does: the selection moves, and the
  // form is told with WM_COMMAND CBN_SELCHANGE, which it passes to the combo.
  void Pick(TDriveComboBox& combo, int index) {
    combo.SetItemIndex(index);
    HWND window = combo.Handle();
    SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(window));
  }

  // Asks the combo, through its parent, to draw an item into `surface`.
  void DrawItemInto(TDriveComboBox& combo, int index, const RECT& rect, UINT state, Surface& surface) {
    HWND window = combo.Handle();
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_COMBOBOX;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(window));
    item.itemID = static_cast<UINT>(index);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = window;
    item.hDC = surface.dc();
    item.rcItem = rect;
    item.itemData = reinterpret_cast<ULONG_PTR>(combo.ItemData(index));
    SendMessageA(form_->Handle(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
  }

  void ExpectDrawnItem(UINT state, COLORREF background, COLORREF textColor);

  std::vector<std::string> log_;
};

// ---- Construction ----

TEST_F(DriveComboBox, ImagesAreLoadedAndNoWindowIsMadeYet) {
  auto* combo = MakeCombo(tcLowerCase, false);
  EXPECT_FALSE(combo->HandleAllocated());
  EXPECT_EQ(combo->Style(), csOwnerDrawFixed);
  TBitmap* images[] = {&combo->FloppyImage(), &combo->FixedImage(), &combo->NetworkImage(), &combo->CdRomImage(),
                       &combo->RamImage()};
  for (TBitmap* image : images) {
    EXPECT_FALSE(image->Empty());
    EXPECT_EQ(image->Width(), 16);
    EXPECT_EQ(image->Height(), 11);
  }
  // Five different pictures.
  for (size_t i = 0; i < 5; ++i)
    for (size_t j = i + 1; j < 5; ++j) EXPECT_NE(ImagePixels(*images[i]), ImagePixels(*images[j])) << i << ", " << j;
}

TEST_F(DriveComboBox, CurrentDriveComesFromTheCurrentFolder) {
  ASSERT_TRUE(PrefixHasTestDrives());
  ASSERT_TRUE(SetCurrentDirectoryA("K:\\"));
  const std::string folder = CurrentDirectory();
  auto* combo = MakeCombo(tcLowerCase, false);
  // As the system spells it until the combo sets it itself.
  EXPECT_EQ(combo->CurrentDrive(), folder[0]);
  EXPECT_EQ(Upper(combo->CurrentDrive()), 'K');
  EXPECT_TRUE(log_.empty());

  combo->SetParent(form_);
  EXPECT_TRUE(combo->HandleAllocated());
  EXPECT_EQ(combo->CurrentDrive(), 'k');
  EXPECT_EQ(SelectedText(*combo), std::string("k: [abcアツ表示Ｚｚ]"));
  EXPECT_EQ(log_, std::vector<std::string>{"change"});
}

TEST_F(DriveComboBox, NetworkFolderGivesNoCurrentDrive) {
  ASSERT_TRUE(SetCurrentDirectoryA("\\\\fileserv\\share\\"));
  ASSERT_EQ(CurrentDirectory().substr(0, 2), "\\\\");
  auto* combo = MakeCombo(tcLowerCase, false);
  EXPECT_EQ(combo->CurrentDrive(), 0);
  combo->SetParent(form_);
  EXPECT_EQ(combo->CurrentDrive(), 0);
  EXPECT_GT(combo->ItemCount(), 0);
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(log_, std::vector<std::string>{"change"});
}

TEST_F(DriveComboBox, WithoutAWindowSettingsKeepTheDriveButMakeNoItems) {
  ASSERT_TRUE(PrefixHasTestDrives());
  auto* combo = MakeCombo(tcLowerCase, false);
  combo->SetTextCase(tcUpperCase);
  EXPECT_FALSE(combo->HandleAllocated());
  EXPECT_EQ(combo->CurrentDrive(), 'C');
  combo->SetCurrentDrive('k');
  EXPECT_FALSE(combo->HandleAllocated());
  EXPECT_EQ(combo->CurrentDrive(), 'K');
  EXPECT_EQ(log_, (std::vector<std::string>{"change", "change"}));

  log_.clear();
  combo->SetParent(form_);
  EXPECT_TRUE(combo->HandleAllocated());
  EXPECT_EQ(SelectedText(*combo).substr(0, 2), "K:");
  EXPECT_EQ(log_, std::vector<std::string>{"change"});
}

// ---- The list of drives ----

TEST_F(DriveComboBox, ListsEveryDriveWithItsKindInLowerCase) {
  ASSERT_TRUE(PrefixHasTestDrives());
  // Labels that the items must not show: the floppy drive is never asked.
  ASSERT_EQ(RawLabel('A'), "FloppyLbl");
  ASSERT_EQ(RawLabel('K'), kFixedLabel);
  auto* combo = MakeCombo();

  EXPECT_EQ(DriveText(*combo, 'a'), "a:");
  EXPECT_EQ(DriveText(*combo, 'd'), "d: [cdrom_label]");
  EXPECT_EQ(DriveText(*combo, 'e'), "e:");
  EXPECT_EQ(DriveText(*combo, 'g'), "g: []");  // a CD-ROM drive without a disc
  EXPECT_EQ(DriveText(*combo, 'k'), std::string("k: [abcアツ表示Ｚｚ]"));
  EXPECT_EQ(DriveText(*combo, 'm'), "(none)");  // no root folder
  EXPECT_EQ(DriveText(*combo, 'n'), "n: \\\\fileserv\\share");
  EXPECT_EQ(DriveText(*combo, 'r'), "r: [ramdisk]");
  EXPECT_EQ(DriveText(*combo, 'q'), "(none)");  // no such drive

  EXPECT_EQ(DriveImage(*combo, 'a'), &combo->FloppyImage());
  EXPECT_EQ(DriveImage(*combo, 'd'), &combo->CdRomImage());
  EXPECT_EQ(DriveImage(*combo, 'e'), &combo->FloppyImage());
  EXPECT_EQ(DriveImage(*combo, 'g'), &combo->CdRomImage());
  EXPECT_EQ(DriveImage(*combo, 'k'), &combo->FixedImage());
  EXPECT_EQ(DriveImage(*combo, 'n'), &combo->NetworkImage());
  EXPECT_EQ(DriveImage(*combo, 'r'), &combo->RamImage());

  // One item per listable drive, in the order of the letters, all lower case.
  EXPECT_EQ(combo->ItemCount(), ListableDriveCount());
  for (int i = 0; i < combo->ItemCount(); ++i) {
    const std::string text = combo->ItemText(i);
    ASSERT_GE(text.size(), 2u);
    EXPECT_TRUE(text[0] >= 'a' && text[0] <= 'z') << text;
    EXPECT_EQ(text[1], ':');
    if (i > 0) {
      EXPECT_LT(combo->ItemText(i - 1)[0], text[0]);
    }
  }
  EXPECT_EQ(combo->CurrentDrive(), 'c');
  EXPECT_EQ(SelectedText(*combo).substr(0, 2), "c:");

  // Boxes filled while a window is made share one reading of the drives:
  // they list exactly what a box of its own lists.
  const auto imageKind = [](TDriveComboBox& box, int index) {
    const void* image = box.ItemData(index);
    const TBitmap* kinds[] = {&box.FloppyImage(), &box.FixedImage(), &box.NetworkImage(), &box.CdRomImage(),
                              &box.RamImage()};
    return std::find(std::begin(kinds), std::end(kinds), image) - std::begin(kinds);
  };
  const SharedDriveReading oneReading;
  for (TDriveComboBox* shared : {MakeCombo(), MakeCombo()}) {
    ASSERT_EQ(shared->ItemCount(), combo->ItemCount());
    for (int i = 0; i < combo->ItemCount(); ++i) {
      EXPECT_EQ(shared->ItemText(i), combo->ItemText(i));
      EXPECT_EQ(imageKind(*shared, i), imageKind(*combo, i)) << combo->ItemText(i);
    }
  }
  // The shared reading is made in lower case: a box in upper case reads its own.
  EXPECT_EQ(DriveText(*MakeCombo(tcUpperCase), 'k'), std::string("K: [ABCアツ表示Ｚｚ]"));
}

TEST_F(DriveComboBox, ListsEveryDriveWithItsKindInUpperCase) {
  ASSERT_TRUE(PrefixHasTestDrives());
  auto* combo = MakeCombo(tcUpperCase);
  EXPECT_EQ(combo->TextCase(), tcUpperCase);
  EXPECT_EQ(DriveText(*combo, 'a'), "A:");
  EXPECT_EQ(DriveText(*combo, 'd'), "D: [CDROM_LABEL]");
  EXPECT_EQ(DriveText(*combo, 'e'), "E:");
  EXPECT_EQ(DriveText(*combo, 'g'), "G: []");
  EXPECT_EQ(DriveText(*combo, 'k'), std::string("K: [ABCアツ表示Ｚｚ]"));
  EXPECT_EQ(DriveText(*combo, 'm'), "(none)");
  EXPECT_EQ(DriveText(*combo, 'n'), "N: \\\\FILESERV\\SHARE");
  EXPECT_EQ(DriveText(*combo, 'r'), "R: [RAMDISK]");
  EXPECT_EQ(combo->ItemCount(), ListableDriveCount());
  for (int i = 0; i < combo->ItemCount(); ++i) {
    const std::string text = combo->ItemText(i);
    EXPECT_TRUE(text[0] >= 'A' && text[0] <= 'Z') << text;
  }
  EXPECT_EQ(combo->CurrentDrive(), 'C');
  EXPECT_EQ(SelectedText(*combo).substr(0, 2), "C:");
}

TEST_F(DriveComboBox, TextCaseChangeRebuildsKeepsTheDriveAndRaisesOnChangeOnce) {
  ASSERT_TRUE(PrefixHasTestDrives());
  auto* combo = MakeCombo();
  combo->SetCurrentDrive('r');
  log_.clear();

  combo->SetTextCase(tcUpperCase);
  EXPECT_EQ(combo->CurrentDrive(), 'R');
  EXPECT_EQ(SelectedText(*combo), "R: [RAMDISK]");
  EXPECT_EQ(DriveText(*combo, 'n'), "N: \\\\FILESERV\\SHARE");
  EXPECT_EQ(log_, std::vector<std::string>{"change"});

  combo->SetTextCase(tcLowerCase);
  EXPECT_EQ(combo->CurrentDrive(), 'r');
  EXPECT_EQ(SelectedText(*combo), "r: [ramdisk]");
  EXPECT_EQ(DriveText(*combo, 'n'), "n: \\\\fileserv\\share");
  EXPECT_EQ(log_, (std::vector<std::string>{"change", "change"}));
}

// ---- Labels and network names ----

TEST_F(DriveComboBox, VolumeLabelTakesTheCaseOfTheLetterButLeavesDoubleByteCharacters) {
  ASSERT_TRUE(PrefixHasTestDrives());
  ASSERT_EQ(RawLabel('K'), kFixedLabel);
  EXPECT_EQ(VolumeLabelText('k'), std::string("[abcアツ表示Ｚｚ]"));
  EXPECT_EQ(VolumeLabelText('K'), std::string("[ABCアツ表示Ｚｚ]"));
  // The system's own case mapping would have changed the full-width letters.
  EXPECT_NE(LowerAnsi(kFixedLabel), "abcアツ表示Ｚｚ");
  EXPECT_EQ(VolumeLabelText('d'), "[cdrom_label]");
  EXPECT_EQ(VolumeLabelText('D'), "[CDROM_LABEL]");
  EXPECT_EQ(VolumeLabelText('r'), "[ramdisk]");
  EXPECT_EQ(VolumeLabelText('a'), "[floppylbl]");
  EXPECT_EQ(VolumeLabelText('g'), "[]");  // no disc
  EXPECT_EQ(VolumeLabelText('m'), "[]");  // no root folder
  EXPECT_EQ(VolumeLabelText('q'), "[]");  // no drive
}

TEST_F(DriveComboBox, NetworkDriveShowsItsRemoteNameElseItsLabel) {
  ASSERT_TRUE(PrefixHasTestDrives());
  EXPECT_EQ(NetworkDriveText('n'), "\\\\fileserv\\share");
  EXPECT_EQ(NetworkDriveText('N'), "\\\\FILESERV\\SHARE");
  EXPECT_EQ(NetworkDriveText('k'), std::string("[abcアツ表示Ｚｚ]"));
  EXPECT_EQ(NetworkDriveText('R'), "[RAMDISK]");
  EXPECT_EQ(NetworkDriveText('q'), "[]");
}

TEST_F(DriveComboBox, ErrorModeIsPutBackAfterAskingForALabel) {
  // The mode is switched for the asking thread only, and comes back as it was.
  DWORD saved = 0;
  ASSERT_TRUE(SetThreadErrorMode(SEM_NOOPENFILEERRORBOX, &saved));
  const UINT processMode = GetErrorMode();
  const auto expectModesAsBefore = [&](char letter) {
    EXPECT_EQ(GetThreadErrorMode(), static_cast<DWORD>(SEM_NOOPENFILEERRORBOX)) << letter;
    EXPECT_EQ(GetErrorMode(), processMode) << letter;
  };
  for (char letter : {'k', 'g', 'm', 'q', 'a'}) {
    VolumeLabelText(letter);
    expectModesAsBefore(letter);
    NetworkDriveText(letter);
    expectModesAsBefore(letter);
  }
  NetworkDriveText('n');
  expectModesAsBefore('n');
  SetThreadErrorMode(saved, nullptr);
}

// ---- The current drive ----

TEST_F(DriveComboBox, DriveWithoutAnItemIsTakenButTheSelectionStays) {
  auto* combo = MakeCombo();
  const int selected = combo->ItemIndex();
  ASSERT_GE(selected, 0);
  ASSERT_EQ(DriveItem(*combo, 'q'), -1);
  combo->SetCurrentDrive('Q');
  EXPECT_EQ(combo->CurrentDrive(), 'q');
  EXPECT_EQ(combo->ItemIndex(), selected);
  EXPECT_EQ(log_, std::vector<std::string>{"change"});

  // A character that is no letter is taken as it is, not as another drive.
  combo->SetCurrentDrive('1');
  EXPECT_EQ(combo->CurrentDrive(), '1');

  auto* upper = MakeCombo(tcUpperCase);
  upper->SetCurrentDrive('q');
  EXPECT_EQ(upper->CurrentDrive(), 'Q');
  EXPECT_EQ(upper->ItemText(upper->ItemIndex()).substr(0, 2), "C:");
}

TEST_F(DriveComboBox, NoDriveSelectsNoItem) {
  auto* combo = MakeCombo();
  combo->SetCurrentDrive(0);
  EXPECT_EQ(combo->CurrentDrive(), 0);
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(log_, std::vector<std::string>{"change"});
  // With nothing selected the same value goes through again.
  combo->SetCurrentDrive(0);
  EXPECT_EQ(log_, (std::vector<std::string>{"change", "change"}));
}

TEST_F(DriveComboBox, TheSelectedDriveAgainInEitherCaseChangesNothing) {
  ASSERT_TRUE(PrefixHasTestDrives());
  auto* combo = MakeCombo();
  combo->SetCurrentDrive('K');
  EXPECT_EQ(combo->CurrentDrive(), 'k');
  EXPECT_EQ(combo->ItemIndex(), DriveItem(*combo, 'k'));
  EXPECT_EQ(log_, std::vector<std::string>{"change"});
  combo->SetCurrentDrive('k');
  combo->SetCurrentDrive('K');
  EXPECT_EQ(log_, std::vector<std::string>{"change"});

  // Without a selection it is chosen again in full.
  combo->SetItemIndex(-1);
  combo->SetCurrentDrive('K');
  EXPECT_EQ(combo->ItemIndex(), DriveItem(*combo, 'k'));
  EXPECT_EQ(log_, (std::vector<std::string>{"change", "change"}));
}

TEST_F(DriveComboBox, UserPickSetsTheDriveAfterTheClick) {
  ASSERT_TRUE(PrefixHasTestDrives());
  auto* combo = MakeCombo();
  Pick(*combo, DriveItem(*combo, 'd'));
  EXPECT_EQ(combo->CurrentDrive(), 'd');
  EXPECT_EQ(log_, (std::vector<std::string>{"click", "change"}));

  auto* upper = MakeCombo(tcUpperCase);
  Pick(*upper, DriveItem(*upper, 'r'));
  EXPECT_EQ(upper->CurrentDrive(), 'R');
  EXPECT_EQ(upper->ItemIndex(), DriveItem(*upper, 'r'));
}

TEST_F(DriveComboBox, PickingTheCurrentDriveAgainOnlyClicks) {
  auto* combo = MakeCombo();
  const int selected = combo->ItemIndex();
  ASSERT_GE(selected, 0);
  Pick(*combo, selected);
  EXPECT_EQ(combo->CurrentDrive(), 'c');
  EXPECT_EQ(log_, std::vector<std::string>{"click"});
}

// ---- Item height and drawing ----

TEST_F(DriveComboBox, ItemHeightFitsTheFontButNotBelowTheImage) {
  auto* combo = MakeCombo();
  const int imageHeight = combo->FloppyImage().Height();
  auto windowItemHeight = [combo] { return static_cast<int>(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 0, 0)); };
  const int text = FontTextHeight(combo->Font());
  ASSERT_GT(text, imageHeight);
  EXPECT_EQ(combo->ItemHeight(), text);
  EXPECT_EQ(windowItemHeight(), text);

  combo->Font().SetHeight(-4);
  ASSERT_LT(FontTextHeight(combo->Font()), imageHeight);
  EXPECT_EQ(combo->ItemHeight(), imageHeight);
  EXPECT_EQ(windowItemHeight(), imageHeight);

  combo->Font().SetHeight(-30);
  const int big = FontTextHeight(combo->Font());
  ASSERT_GT(big, text);
  EXPECT_EQ(combo->ItemHeight(), big);
  EXPECT_EQ(windowItemHeight(), big);
}

TEST_F(DriveComboBox, FontChangeMakesTheWindowAgainWithItsItems) {
  auto* combo = MakeCombo();
  const int count = combo->ItemCount();
  // Same height: only the window is made again, which chooses the drive again.
  combo->Font().SetColor(clRed);
  EXPECT_EQ(log_, std::vector<std::string>{"change"});
  EXPECT_EQ(combo->ItemCount(), count);
  EXPECT_EQ(SelectedText(*combo).substr(0, 2), "c:");

  // A new height makes it once for the height and once for the font.
  log_.clear();
  combo->Font().SetHeight(-30);
  EXPECT_EQ(log_, (std::vector<std::string>{"change", "change"}));
  EXPECT_EQ(combo->ItemCount(), count);
  EXPECT_EQ(SelectedText(*combo).substr(0, 2), "c:");
}

void DriveComboBox::ExpectDrawnItem(UINT state, COLORREF background, COLORREF textColor) {
  ASSERT_TRUE(PrefixHasTestDrives());
  auto* combo = MakeCombo();
  const int index = DriveItem(*combo, 'k');
  TBitmap& image = combo->FixedImage();
  const COLORREF outside = RGB(1, 2, 3);
  const RECT rect{10, 3, 250, 27};  // taller than the image, to see it centred
  Surface drawn(280, 32, outside);
  DrawItemInto(*combo, index, rect, state, drawn);

  // The same item made by hand: background, image at left + 2 centred
  // vertically with its see-through colour as background, text from 16 + 6.
  Surface expected(280, 32, outside);
  expected.Fill(rect, background);
  const auto pixels = ImagePixels(image);
  const COLORREF seeThrough = pixels.back().front();
  const int imageTop = (rect.top + rect.bottom - image.Height()) / 2;
  int imagePixels = 0;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) {
      const COLORREF pixel = pixels[static_cast<size_t>(y)][static_cast<size_t>(x)];
      if (pixel == seeThrough) continue;
      SetPixel(expected.dc(), rect.left + 2 + x, imageTop + y, pixel);
      ++imagePixels;
    }
  ASSERT_GT(imagePixels, 20);
  RECT textRect = rect;
  textRect.left += 16 + 6;
  {
    ScopedSelectObject font = SelectInto(expected.dc(), combo->Font().Handle());
    SetTextColor(expected.dc(), textColor);
    SetBkColor(expected.dc(), background);
    SetBkMode(expected.dc(), OPAQUE);
    const std::string text = combo->ItemText(index);
    DrawTextA(expected.dc(), text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }

  int textPixels = 0, mismatches = 0;
  for (int y = 0; y < drawn.height(); ++y)
    for (int x = 0; x < drawn.width(); ++x) {
      if (x >= textRect.left && expected.Pixel(x, y) == textColor) ++textPixels;
      if (drawn.Pixel(x, y) != expected.Pixel(x, y) && mismatches++ < 5)
        ADD_FAILURE() << "pixel " << x << ", " << y << ": " << std::hex << drawn.Pixel(x, y) << " instead of "
                      << expected.Pixel(x, y);
    }
  EXPECT_GT(textPixels, 20);
  EXPECT_EQ(mismatches, 0);
}

TEST_F(DriveComboBox, ItemIsDrawnWithImageAndTextInWindowColours) {
  ExpectDrawnItem(0, ColorToRGB(clWindow), ColorToRGB(clWindowText));
}

TEST_F(DriveComboBox, SelectedItemIsDrawnInHighlightColours) {
  ExpectDrawnItem(ODS_SELECTED, ColorToRGB(clHighlight), ColorToRGB(clHighlightText));
}

// ---- Published properties ----

TEST_F(DriveComboBox, PublishesDirListTextCaseAndOnChange) {
  const ClassInfo& info = TDriveComboBox::kClassInfo;
  EXPECT_TRUE(info.InheritsFrom(TCustomComboBox::kClassInfo));
  const PropertyInfo* dirList = FindProperty(info, "DirList");
  ASSERT_NE(dirList, nullptr);
  EXPECT_EQ(dirList->type, PropertyType::kComponent);
  EXPECT_EQ(dirList->objectClass, &TDirectoryListBox::kClassInfo);
  const PropertyInfo* textCase = FindProperty(info, "TextCase");
  ASSERT_NE(textCase, nullptr);
  EXPECT_EQ(textCase->type, PropertyType::kEnumeration);
  ASSERT_EQ(textCase->names.size(), 2u);
  EXPECT_STREQ(textCase->names[0], "tcLowerCase");
  EXPECT_STREQ(textCase->names[1], "tcUpperCase");
  EXPECT_EQ(textCase->defaultNumber, tcLowerCase);
  const PropertyInfo* onChange = FindProperty(info, "OnChange");
  ASSERT_NE(onChange, nullptr);
  EXPECT_EQ(onChange->type, PropertyType::kEvent);
  EXPECT_EQ(FindProperty(info, "Items"), nullptr);

  ASSERT_NE(info.create, nullptr);
  TComponent* made = info.create(form_);
  auto* combo = dynamic_cast<TDriveComboBox*>(made);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->Owner(), form_);
  combo->SetParent(form_);
  EXPECT_EQ(textCase->readNumber(*combo), tcLowerCase);
  textCase->writeNumber(*combo, tcUpperCase);
  EXPECT_EQ(combo->TextCase(), tcUpperCase);
  auto* list = new TDirectoryListBox(form_);
  dirList->writeComponent(*combo, list);
  EXPECT_EQ(combo->DirList(), list);
  EXPECT_EQ(dirList->readComponent(*combo), list);
  EXPECT_EQ(list->LinkedDriveCombo(), combo);
}

// ---- The directory list link ----

TEST_F(DriveComboBox, LinkingSetsTheBackReferenceAndMovesNeither) {
  auto* combo = MakeCombo();
  combo->SetCurrentDrive('q');
  log_.clear();
  auto* first = new TDirectoryListBox(form_);
  auto* second = new TDirectoryListBox(form_);
  const std::string folder = first->CurrentFolder();

  combo->SetDirList(first);
  EXPECT_EQ(combo->DirList(), first);
  EXPECT_EQ(first->LinkedDriveCombo(), combo);
  EXPECT_EQ(combo->CurrentDrive(), 'q');
  EXPECT_EQ(first->CurrentFolder(), folder);
  EXPECT_TRUE(log_.empty());

  combo->SetDirList(second);
  EXPECT_EQ(first->LinkedDriveCombo(), nullptr);
  EXPECT_EQ(second->LinkedDriveCombo(), combo);
  combo->SetDirList(nullptr);
  EXPECT_EQ(combo->DirList(), nullptr);
  EXPECT_EQ(second->LinkedDriveCombo(), nullptr);
}

TEST_F(DriveComboBox, ARemovedListIsForgotten) {
  auto* combo = MakeCombo();
  auto* list = new TDirectoryListBox(form_);
  combo->SetDirList(list);
  delete list;
  EXPECT_EQ(combo->DirList(), nullptr);
  combo->SetCurrentDrive('q');  // reaches no list
  EXPECT_EQ(log_, std::vector<std::string>{"change"});
}

TEST_F(DriveComboBox, ARemovedComboIsForgottenByItsList) {
  auto* combo = MakeCombo();
  auto* list = new TDirectoryListBox(form_);
  combo->SetDirList(list);
  delete combo;
  EXPECT_EQ(list->LinkedDriveCombo(), nullptr);
}

TEST_F(DriveComboBox, ChoosingADrivePassesItToTheLinkedList) {
  ASSERT_TRUE(PrefixHasTestDrives());
  auto* combo = MakeCombo(tcLowerCase, false);
  combo->SetDirList(new RecordingDirList(form_, &log_));
  combo->SetParent(form_);  // the window's first choice goes to the list too
  EXPECT_EQ(log_, (std::vector<std::string>{"list c", "change"}));

  log_.clear();
  combo->SetCurrentDrive('K');
  Pick(*combo, DriveItem(*combo, 'd'));
  combo->SetCurrentDrive('d');  // already chosen: nothing
  combo->SetTextCase(tcUpperCase);
  combo->SetCurrentDrive(0);
  EXPECT_EQ(log_, (std::vector<std::string>{"list k", "change", "click", "list d", "change", "list D", "change",
                                            "list 0", "change"}));
}

TEST_F(DriveComboBox, TheListChangesBeforeTheCombo) {
  ASSERT_TRUE(PrefixHasTestDrives());
  auto* combo = MakeCombo();
  auto* list = new TDirectoryListBox(form_);
  list->SetParent(form_);
  list->SetBounds(10, 40, 200, 150);
  list->SetOnChange([this](TPersistent*) { log_.push_back("list change"); });
  combo->SetDirList(list);

  combo->SetCurrentDrive('k');
  EXPECT_EQ(log_, (std::vector<std::string>{"list change", "change"}));
  EXPECT_EQ(Upper(list->CurrentDrive()), 'K');

  log_.clear();
  Pick(*combo, DriveItem(*combo, 'r'));
  EXPECT_EQ(log_, (std::vector<std::string>{"click", "list change", "change"}));
  EXPECT_EQ(Upper(list->CurrentDrive()), 'R');
}

TEST_F(DriveComboBox, ADriveTheListCannotEnterRaisesAndTheComboShowsTheListsDriveAgain) {
  ASSERT_TRUE(PrefixHasTestDrives());
  auto* combo = MakeCombo();
  auto* list = new TDirectoryListBox(form_);
  list->SetParent(form_);
  combo->SetDirList(list);
  const std::string folder = list->CurrentFolder();
  const int listDrive = DriveItem(*combo, folder[0]);

  std::string message;
  try {
    combo->SetCurrentDrive('g');  // no disc
    FAIL() << "no error";
  } catch (const EInOutError& error) {
    message = error.Message();
  }
  EXPECT_EQ(combo->CurrentDrive(), static_cast<char>(Upper(folder[0]) + 32));
  EXPECT_EQ(combo->ItemIndex(), listDrive);
  EXPECT_EQ(list->CurrentFolder(), folder);
  EXPECT_TRUE(log_.empty());

  // Each pick of that drive by the user tries again and shows the error.
  MessageBoxWatcher watcher;
  Pick(*combo, DriveItem(*combo, 'g'));
  Pick(*combo, DriveItem(*combo, 'g'));
  ASSERT_EQ(watcher.seen().size(), 2u);
  EXPECT_EQ(watcher.seen()[0].text, message + ".");
  EXPECT_EQ(watcher.seen()[1].text, message + ".");
  EXPECT_EQ(combo->ItemIndex(), listDrive);
  EXPECT_EQ(list->CurrentFolder(), folder);
  EXPECT_EQ(log_, (std::vector<std::string>{"click", "click"}));
}

}  // namespace
