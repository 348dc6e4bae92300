// The drive combo box: one item per drive of the system, with an image for its
// kind and its volume label or network name.
#include "FileCtrl/DriveComboBox.h"

#include <windows.h>
#include <winnetwk.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FileCtrl/DirectoryListBox.h"
#include "FileCtrl/FileCtrlHelpers.h"
#include "runtime/MbcsText.h"
#include "runtime/ScopeExit.h"

namespace {

// Label and first remote-name buffers: MAX_PATH and its terminating zero.
constexpr DWORD kNameBufferSize = 261;

// Room left of the image, and between image and text.
constexpr int kImageMargin = 2;
constexpr int kTextGap = 6;
// Where the text starts when an item has no image.
constexpr int kDefaultImageWidth = 16;

const char* const kTextCaseNames[] = {"tcLowerCase", "tcUpperCase"};

TComponent* CreateDriveComboBox(TComponent* owner) {
  return new TDriveComboBox(owner);
}

const PropertyInfo kDriveComboBoxProperties[] = {
    ComponentProperty<&TDriveComboBox::DirList, &TDriveComboBox::SetDirList>("DirList", TDirectoryListBox::kClassInfo),
    EnumProperty<&TDriveComboBox::TextCase, &TDriveComboBox::SetTextCase>("TextCase", kTextCaseNames, tcLowerCase),
    EventProperty<&TDriveComboBox::OnChangeName, &TDriveComboBox::SetOnChange>("OnChange"),
};

// Labels and network names take the case of the drive letter they follow.
std::string FoldToLetterCase(std::string text, char letter) {
  return FoldLetterCase(std::move(text), letter >= 'a' ? LetterCase::kLower : LetterCase::kUpper);
}

}  // namespace

const ClassInfo TDriveComboBox::kClassInfo{"TDriveComboBox", &TCustomComboBox::kClassInfo, CreateDriveComboBox,
                                           kDriveComboBoxProperties};

std::string VolumeLabelText(char letter) {
  // An empty drive would otherwise ask the user to insert a disk. Switched for
  // this thread only, so that no other thread's file calls change meanwhile.
  DWORD previousMode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode);
  const ScopeExit restoreMode([previousMode] { SetThreadErrorMode(previousMode, nullptr); });
  char label[kNameBufferSize] = {};
  const std::string root = std::string(1, letter) + ":\\";
  // A drive without a volume leaves the buffer empty, which shows as "[]".
  GetVolumeInformationA(root.c_str(), label, kNameBufferSize, nullptr, nullptr, nullptr, nullptr, 0);
  return "[" + FoldToLetterCase(std::string(label, strnlen(label, sizeof label)), letter) + "]";
}

std::string NetworkDriveText(char letter) {
  const char local[] = {UpperAsciiLetter(letter), ':', '\0'};
  std::string remote(kNameBufferSize, '\0');
  DWORD length = kNameBufferSize;
  DWORD result = WNetGetConnectionA(local, remote.data(), &length);
  if (result == ERROR_MORE_DATA && length > remote.size()) {
    // A server and share name can be longer than MAX_PATH bytes; the call
    // has said how much room it needs.
    remote.assign(length, '\0');
    result = WNetGetConnectionA(local, remote.data(), &length);
  }
  if (result != NO_ERROR) return VolumeLabelText(letter);
  remote.resize(strnlen(remote.data(), remote.size()));
  return FoldToLetterCase(std::move(remote), letter);
}

TDriveComboBox::TDriveComboBox(TComponent* owner) : TCustomComboBox(owner) {
  SetStyle(csOwnerDrawFixed);
  floppyImage_ = std::make_unique<TBitmap>();
  fixedImage_ = std::make_unique<TBitmap>();
  networkImage_ = std::make_unique<TBitmap>();
  cdRomImage_ = std::make_unique<TBitmap>();
  ramImage_ = std::make_unique<TBitmap>();
  LoadResourceImage(*floppyImage_, "FLOPPY");
  LoadResourceImage(*fixedImage_, "HARD");
  LoadResourceImage(*networkImage_, "NETWORK");
  LoadResourceImage(*cdRomImage_, "CDROM");
  LoadResourceImage(*ramImage_, "RAM");
  const std::string folder = CurrentDirectory();
  // A network path ("\\server\share\...") has no drive letter.
  currentDrive_ = folder.empty() || folder[0] == '\\' ? 0 : folder[0];
  FitItemHeight();
}

TDriveComboBox::~TDriveComboBox() {
  // The window goes before the images its items point to.
  DestroyHandle();
}

void TDriveComboBox::FitItemHeight() {
  int height = FontTextHeight(Font());
  if (height < floppyImage_->Height()) height = floppyImage_->Height();
  SetItemHeight(height);
}

void TDriveComboBox::FontChanged() {
  TCustomComboBox::FontChanged();
  FitItemHeight();
  // The selection field takes its height only when the window is made.
  if (HandleAllocated()) RecreateWnd();
}

void TDriveComboBox::CreateWnd() {
  TCustomComboBox::CreateWnd();
  FillItems();
  // Nothing is selected yet, so this always passes the drive on and raises OnChange.
  SetCurrentDrive(currentDrive_);
}

namespace {

// One drive as a drive box lists it: the text after "x:" ("" for a removable
// drive, else a space and the label or network name) and the drive's kind.
struct DriveItem {
  char letter;  // in the case the box shows
  UINT type;
  std::string text;
};

// The reading the drive boxes share while a SharedDriveReading exists.
struct DriveReading {
  DWORD drives = 0;
  TTextCase textCase = tcLowerCase;
  std::vector<DriveItem> items;
};
int gSharedReadingDepth = 0;
std::optional<DriveReading> gSharedReading;

std::vector<DriveItem> ReadDriveItems(DWORD drives, TTextCase textCase) {
  std::vector<DriveItem> items;
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i))) continue;
    char letter = static_cast<char>('a' + i);
    const std::string root = std::string(1, letter) + ":\\";
    const UINT type = GetDriveTypeA(root.c_str());
    if (textCase == tcUpperCase) letter = UpperAsciiLetter(letter);
    switch (type) {
      case DRIVE_REMOVABLE:
        // Not asked for its label: that would spin up (or wait for) the disk.
        items.push_back({letter, type, ""});
        break;
      case DRIVE_FIXED:
      case DRIVE_CDROM:
      case DRIVE_RAMDISK:
        items.push_back({letter, type, " " + VolumeLabelText(letter)});
        break;
      case DRIVE_REMOTE:
        items.push_back({letter, type, " " + NetworkDriveText(letter)});
        break;
      default:
        break;  // unknown kind or no root folder: not a drive to offer
    }
  }
  return items;
}

}  // namespace

SharedDriveReading::SharedDriveReading() {
  ++gSharedReadingDepth;
}

SharedDriveReading::~SharedDriveReading() {
  if (--gSharedReadingDepth == 0) gSharedReading.reset();
}

void TDriveComboBox::FillItems() {
  // Items live in the window; CreateWnd fills them once it exists.
  if (!HandleAllocated()) return;
  SetText("");
  ClearItems();
  const DWORD drives = GetLogicalDrives();
  std::vector<DriveItem> read;
  const std::vector<DriveItem>* items = &read;
  if (gSharedReadingDepth > 0) {
    if (!gSharedReading || gSharedReading->drives != drives || gSharedReading->textCase != textCase_)
      gSharedReading = DriveReading{drives, textCase_, ReadDriveItems(drives, textCase_)};
    items = &gSharedReading->items;
  } else {
    read = ReadDriveItems(drives, textCase_);
  }
  for (const DriveItem& item : *items) {
    TBitmap* image = item.type == DRIVE_REMOVABLE ? floppyImage_.get()
                     : item.type == DRIVE_FIXED   ? fixedImage_.get()
                     : item.type == DRIVE_REMOTE  ? networkImage_.get()
                     : item.type == DRIVE_CDROM   ? cdRomImage_.get()
                                                  : ramImage_.get();
    AddItem(std::string(1, item.letter) + ":" + item.text, image);
  }
}

void TDriveComboBox::SetCurrentDrive(char drive) {
  const bool itemSelected = HandleAllocated() && ItemIndex() >= 0;
  if (itemSelected && UpperAsciiLetter(drive) == UpperAsciiLetter(currentDrive_)) return;
  ShowDrive(drive);
  if (dirList_) {
    try {
      dirList_->SetCurrentDrive(currentDrive_);
    } catch (...) {
      // A drive that cannot be entered (a drive without a disk): the list
      // stays where it was, and so does this box, so that choosing that drive
      // again tries again. OnChange is not raised.
      ShowDrive(dirList_->CurrentDrive() == '\\' ? 0 : dirList_->CurrentDrive());
      throw;
    }
  }
  NotifyChange();
}

void TDriveComboBox::ShowDrive(char drive) {
  if (drive == 0) {
    currentDrive_ = 0;
    if (HandleAllocated()) SetItemIndex(-1);
    return;
  }
  currentDrive_ = textCase_ == tcUpperCase ? UpperAsciiLetter(drive) : LowerAsciiLetter(drive);
  if (!HandleAllocated()) return;
  // A drive without an item leaves the selection as it was.
  const int count = ItemCount();
  for (int i = 0; i < count; ++i) {
    const std::string text = ItemText(i);
    if (text.size() >= 2 && UpperAsciiLetter(text[0]) == UpperAsciiLetter(currentDrive_) && text[1] == ':') {
      SetItemIndex(i);
      return;
    }
  }
}

void TDriveComboBox::NotifyChange() {
  if (onChange_.handler) onChange_.handler(this);
}

void TDriveComboBox::SelectionChanged() {
  TCustomComboBox::SelectionChanged();
  const int selected = ItemIndex();
  if (selected >= 0) {
    const std::string text = ItemText(selected);
    if (!text.empty()) SetCurrentDrive(text[0]);
  }
}

void TDriveComboBox::SetTextCase(TTextCase textCase) {
  textCase_ = textCase;
  const char drive = currentDrive_;
  FillItems();  // leaves no item selected, so the drive below is chosen again in full
  SetCurrentDrive(drive);
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list) {
  if (dirList_) dirList_->LinkDriveCombo(nullptr);
  dirList_ = list;
  if (list) {
    list->LinkDriveCombo(this);
    list->FreeNotification(this);
  }
}

void TDriveComboBox::Notification(TComponent* component, TOperation operation) {
  TCustomComboBox::Notification(component, operation);
  if (operation == opRemove && component == dirList_) dirList_ = nullptr;
}

void TDriveComboBox::DrawItem(int index, const RECT& rect, UINT) {
  TCanvas& canvas = Canvas();
  canvas.FillRect(rect);
  RECT textRect = rect;
  int imageWidth = kDefaultImageWidth;
  if (auto* image = static_cast<TBitmap*>(ItemData(index))) {
    imageWidth = image->Width();
    DrawTransparentImage(canvas, rect.left + kImageMargin, (rect.top + rect.bottom - image->Height()) / 2, *image);
  }
  textRect.left += imageWidth + kTextGap;
  const std::string text = ItemText(index);
  // DrawTextA draws on the bare DC: the item's colours are set here as the
  // canvas would set them.
  HDC dc = canvas.HandleWithFont();
  SetTextColor(dc, ColorToRGB(canvas.Font().Color()));
  SetBkColor(dc, ColorToRGB(canvas.Brush().Color()));
  SetBkMode(dc, canvas.Brush().Style() == bsClear ? TRANSPARENT : OPAQUE);
  DrawTextA(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}
