// The directory list box: the folders from the drive's root down to the
// current folder, then the current folder's subfolders.
#include "FileCtrl/DirectoryListBox.h"

#include <windows.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "FileCtrl/DriveComboBox.h"
#include "FileCtrl/FileCtrlHelpers.h"
#include "FileCtrl/FileListBox.h"
#include "runtime/AnsiNames.h"
#include "runtime/MbcsText.h"
#include "runtime/ScopeExit.h"
#include "runtime/UniqueHandle.h"

namespace {

TComponent* CreateDirectoryListBox(TComponent* owner) {
  return new TDirectoryListBox(owner);
}

const PropertyInfo kDirectoryListBoxProperties[] = {
    ComponentProperty<&TDirectoryListBox::FileList, &TDirectoryListBox::SetFileList>("FileList",
                                                                                     TFileListBox::kClassInfo),
    ComponentProperty<&TDirectoryListBox::DirLabel, &TDirectoryListBox::SetDirLabel>("DirLabel", TLabel::kClassInfo),
    EventProperty<&TDirectoryListBox::OnChangeName, &TDirectoryListBox::SetOnChange>("OnChange"),
};

// The subfolders of a folder, sorted without regard to case; of names that
// compare equal the first found stays. A name the code page cannot hold reads
// "?" where it lacks a character; such names stay all, one item per folder.
std::vector<std::string> ListSubfolders(const std::string& folder) {
  std::vector<std::string> names;
  // Searched by wide name: the ANSI search would hand over a best fit, the
  // name of another folder (e for é, or "\" for the yen sign).
  WIN32_FIND_DATAW found;
  // The search itself passes over hidden, system and volume-label entries.
  UniqueFindHandle search(FindFirstFileExW(ToWide(JoinWithSeparator(folder, "*.*")).c_str(), FindExInfoStandard, &found,
                                           FindExSearchLimitToDirectories, nullptr, 0));
  if (!search) return names;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    ToExactAnsi(name, &names.emplace_back());
  } while (FindNextFileW(search.get(), &found));
  // A stable sort keeps names that compare equal in the order found, so that
  // dropping all but the first of each run keeps the first one found.
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return ListedBefore(a, b); });
  names.erase(std::unique(names.begin(), names.end(),
                          [](const std::string& kept, const std::string& next) {
                            return !HasUnusableCharacter(next) && CompareWithLocale(kept, next, NORM_IGNORECASE) == 0;
                          }),
              names.end());
  return names;
}

}  // namespace

const ClassInfo TDirectoryListBox::kClassInfo{"TDirectoryListBox", &TCustomListBox::kClassInfo, CreateDirectoryListBox,
                                              kDirectoryListBoxProperties};

TDirectoryListBox::TDirectoryListBox(TComponent* owner) : TCustomListBox(owner) {
  SetWidth(145);
  SetStyle(lbOwnerDrawFixed);
  SetSorted(false);
  LoadFolderImages();
  currentFolder_ = CurrentDirectory();
  FitItemHeight();
}

TDirectoryListBox::~TDirectoryListBox() {
  DestroyHandle();
  if (fileList_) fileList_->LinkDirList(nullptr);
}

void TDirectoryListBox::LoadFolderImages() {
  openFolderImage_ = std::make_unique<TFolderBitmap>();
  closedFolderImage_ = std::make_unique<TFolderBitmap>();
  currentFolderImage_ = std::make_unique<TFolderBitmap>();
  LoadResourceImage(*openFolderImage_, "OPENFOLDER");
  LoadResourceImage(*closedFolderImage_, "CLOSEDFOLDER");
  LoadResourceImage(*currentFolderImage_, "CURRENTFOLDER");
}

void TDirectoryListBox::FitItemHeight() {
  int height = FontTextHeight(Font());
  if (height < openFolderImage_->Height() + 1) height = openFolderImage_->Height() + 1;
  SetItemHeight(height);
}

void TDirectoryListBox::FontChanged() {
  TCustomListBox::FontChanged();
  FitItemHeight();
}

void TDirectoryListBox::CreateWnd() {
  TCustomListBox::CreateWnd();
  FillItems();  // selects the current folder's item
}

void TDirectoryListBox::FillItems() {
  const auto redraw = SuspendRedraw();
  ClearItems();

  const std::string drive = DrivePart(currentFolder_);
  const std::string root = drive + "\\";
  DWORD flags = 0;
  if (GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
    preservesCase_ = flags & (FS_CASE_IS_PRESERVED | FS_CASE_SENSITIVE);
    caseSensitive_ = flags & FS_CASE_SENSITIVE;
  } else {
    // Unknown volume: show and compare names as the system reported them.
    preservesCase_ = true;
    caseSensitive_ = false;
  }

  std::string rest = currentFolder_;
  int names = 0;
  if (root.size() >= 2 && root[1] == '\\') {
    AddItem(root, openFolderImage_.get());
    rest = currentFolder_.substr(std::min(root.size(), currentFolder_.size()));
    names = 1;
  }
  if (!rest.empty()) {
    if (!EndsWithChar(rest, '\\')) {
      for (size_t slash = FirstBackslash(rest); slash != std::string::npos; slash = FirstBackslash(rest)) {
        std::string part = rest.substr(0, slash);
        if (names == 0) part += '\\';
        rest.erase(0, slash + 1);
        AddItem(part, openFolderImage_.get());
        ++names;
      }
    }
    AddItem(rest, currentFolderImage_.get());
  }
  const int selected = ItemCount() - 1;
  for (const std::string& name : ListSubfolders(currentFolder_)) AddItem(name, closedFolderImage_.get());
  if (HandleAllocated()) SetItemIndex(selected);
}

void TDirectoryListBox::DrawItem(int index, const RECT& rect, UINT) {
  TCanvas& canvas = Canvas();
  canvas.FillRect(rect);
  int indent = 4 * index + 2;
  int imageWidth = 16;
  if (auto* image = static_cast<TBitmap*>(ItemData(index))) {
    if (image == closedFolderImage_.get()) indent = 4 * (FolderDepth(currentFolder_) + 1) + 2;
    imageWidth = image->Width();
    DrawTransparentImage(canvas, rect.left + indent, (rect.top + rect.bottom - image->Height()) / 2, *image);
  }
  canvas.TextOut(rect.left + indent + imageWidth + 4, rect.top, ShownName(ItemText(index)));
}

std::string TDirectoryListBox::ItemFolderPath(int index) {
  if (index < 0 || index >= ItemCount()) return {};
  const std::string drive = DrivePart(currentFolder_);
  if (index == 0) return drive + "\\";
  auto* image = static_cast<TBitmap*>(ItemData(index));
  if (image == closedFolderImage_.get()) return JoinWithSeparator(currentFolder_, ItemText(index));
  if (image == currentFolderImage_.get()) return currentFolder_;
  // An ancestor: the current folder up to the backslash that ends it.
  const std::string path = currentFolder_.substr(drive.size());
  int count = 0;
  size_t end = path.size();
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsLeadByte(path[i])) {
      ++i;
    } else if (path[i] == '\\' && ++count == index + 1) {
      end = i;
      break;
    }
  }
  return drive + path.substr(0, end);
}

void TDirectoryListBox::OpenSelectedItem() {
  const int selected = ItemIndex();
  if (selected < 0) return;  // nothing selected: nothing to open
  const std::string path = ItemFolderPath(selected);
  // The "?" of a name the code page cannot hold would be taken for a pattern,
  // and the move would land in the folder that holds it.
  if (HasUnusableCharacter(path)) RaiseUnusableName(path);
  SetCurrentFolder(path);
}

std::string TDirectoryListBox::ShownName(const std::string& text) const {
  return preservesCase_ || caseSensitive_ ? text : LowerAnsi(text);
}

int TDirectoryListBox::CompareFolderNames(const std::string& a, const std::string& b) const {
  if (caseSensitive_) return CompareWithLocale(a, b, 0);
  return CompareWithLocale(LowerFileName(a), LowerFileName(b), 0);
}

void TDirectoryListBox::SetCurrentFolder(const std::string& value) {
  if (value.empty()) return;
  if (CompareFolderNames(value, currentFolder_) == 0) return;
  const EnteredPath split = SplitEnteredPath(value);
  if (split.drive != CurrentDrive()) {
    const ScopedAssign changing(inFolderChange_, true);
    if (linkedDriveCombo_)
      linkedDriveCombo_->SetCurrentDrive(split.drive);
    else
      SetCurrentDrive(split.drive);
  }
  // The folder part runs from the root of its drive; with the drive in front
  // the move lands on this list's drive even when the process's current
  // directory is on another one and the old folder cannot be entered.
  MoveToFolder(split.drive ? std::string(1, split.drive) + ":" + split.folder : split.folder);
}

void TDirectoryListBox::MoveToFolder(const std::string& folder) {
  // Only so that a failed move leaves the process in this list's folder; a
  // failure here (the folder has gone) is of no consequence to the move.
  SetCurrentDirectoryA(currentFolder_.c_str());
  ChangeDirectory(folder);
  currentFolder_ = CurrentDirectory();
  FillItems();
  NotifyChange();
}

void TDirectoryListBox::SetCurrentDrive(char drive) {
  if (UpperAsciiLetter(drive) == UpperAsciiLetter(CurrentDrive())) return;
  if (drive != 0) {
    ChangeToDrive(std::string(1, drive) + ":");
    currentFolder_ = CurrentDirectory();
  }
  if (!inFolderChange_) {
    FillItems();
    NotifyChange();
  }
}

void TDirectoryListBox::NotifyChange() {
  if (fileList_) fileList_->MoveToFolder(currentFolder_);
  UpdateDirLabel();
  if (onChange_.handler) onChange_.handler(this);
}

void TDirectoryListBox::UpdateDirLabel() {
  if (!dirLabel_) return;
  const int limit = dirLabel_->AutoSize() ? Width() : dirLabel_->Width();
  dirLabel_->SetCaption(ShortenPathToWidth(currentFolder_, dirLabel_->Canvas(), limit));
}

void TDirectoryListBox::SetFileList(TFileListBox* list) {
  if (fileList_) fileList_->LinkDirList(nullptr);
  fileList_ = list;
  if (list) {
    list->LinkDirList(this);
    list->FreeNotification(this);
  }
}

void TDirectoryListBox::SetDirLabel(TLabel* label) {
  dirLabel_ = label;
  if (label) label->FreeNotification(this);
  UpdateDirLabel();
}

void TDirectoryListBox::Notification(TComponent* component, TOperation operation) {
  TCustomListBox::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == fileList_)
    fileList_ = nullptr;
  else if (component == linkedDriveCombo_)
    linkedDriveCombo_ = nullptr;
  else if (component == dirLabel_)
    dirLabel_ = nullptr;
}

void TDirectoryListBox::DblClick() {
  TCustomListBox::DblClick();
  OpenSelectedItem();
}

void TDirectoryListBox::KeyPress(char& key) {
  TCustomListBox::KeyPress(key);
  if (key == '\r') OpenSelectedItem();
}
