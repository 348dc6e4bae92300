// The file list box: the entries of one folder that match a mask and a set of
// attributes, with an optional glyph before each name.
#include "FileCtrl/FileListBox.h"

#include <windows.h>

#include <string>

#include "FileCtrl/DirectoryListBox.h"
#include "FileCtrl/FileCtrlHelpers.h"
#include "runtime/AnsiNames.h"
#include "runtime/Exceptions.h"
#include "runtime/ScopeExit.h"
#include "runtime/UniqueHandle.h"

namespace {

// The message of a name that names no file: "不正なﾌｧｲﾙ名 - %s" with the entered text.
constexpr char kInvalidFileNamePrefix[] = "不正なﾌｧｲﾙ名 - ";

// The attribute bits that keep an entry out of a search unless asked for.
constexpr DWORD kExcludingAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 /* volume label */ | FILE_ATTRIBUTE_DIRECTORY;

// Gap before the name when no glyph is drawn, and between glyph and name.
constexpr int kTextMargin = 2;
constexpr int kGlyphGap = 6;

// Hourglass once a fill has put an item this far down the list.
constexpr int kBusyCursorPlace = 100;

const char* const kFileAttrNames[] = {"ftReadOnly",  "ftHidden",  "ftSystem", "ftVolumeID",
                                      "ftDirectory", "ftArchive", "ftNormal"};

TComponent* CreateFileListBox(TComponent* owner) {
  return new TFileListBox(owner);
}

const PropertyInfo kFileListBoxProperties[] = {
    TextProperty<&TFileListBox::Mask, &TFileListBox::SetMask>("Mask"),
    SetProperty<&TFileListBox::FileType, &TFileListBox::SetFileType>("FileType", kFileAttrNames, 1u << ftNormal),
    ComponentProperty<&TFileListBox::FileEdit, &TFileListBox::SetFileEdit>("FileEdit", TEdit::kClassInfo),
    BooleanProperty<&TFileListBox::ShowGlyphs, &TFileListBox::SetShowGlyphs>("ShowGlyphs", false),
    EventProperty<&TFileListBox::OnChangeName, &TFileListBox::SetOnChange>("OnChange"),
};

// The system bits that the attributes ftReadOnly..ftArchive stand for; ftNormal has none.
DWORD AttributeMask(TFileType type) {
  DWORD mask = 0;
  for (int attr = ftReadOnly; attr <= ftArchive; ++attr)
    if (type & (1u << attr)) mask |= 1u << attr;
  return mask;
}

bool IsExecutableExtension(const std::string& extension) {
  return extension == ".exe" || extension == ".com" || extension == ".bat" || extension == ".pif";
}

// A file (not a folder) of that name relative to the current directory whose
// last-write time has a DOS date; a time outside the DOS range counts as missing.
bool FileWithDosTimeExists(const std::string& name) {
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(FindFirstFileA(name.c_str(), &found));
  if (!search || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  FILETIME local;
  WORD date = 0, time = 0;
  return FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) && FileTimeToDosDateTime(&local, &date, &time);
}

}  // namespace

const ClassInfo TFileListBox::kClassInfo{"TFileListBox", &TCustomListBox::kClassInfo, CreateFileListBox,
                                         kFileListBoxProperties};

TFileListBox::TFileListBox(TComponent* owner) : TCustomListBox(owner) {
  // Mask, FileType, MultiSelect and LastSelection start at their declared defaults.
  SetWidth(145);
  currentFolder_ = CurrentDirectory();
  LoadFileImages();
  SetSorted(true);
  SetStyle(lbOwnerDrawFixed);
  FitItemHeight();
}

TFileListBox::~TFileListBox() {
  // The window goes while the images its items point at still exist.
  DestroyHandle();
}

void TFileListBox::LoadFileImages() {
  executableImage_ = std::make_unique<TBitmap>();
  LoadResourceImage(*executableImage_, "EXECUTABLE");
  closedFolderImage_ = std::make_unique<TBitmap>();
  LoadResourceImage(*closedFolderImage_, "CLOSEDFOLDER");
  unknownFileImage_ = std::make_unique<TBitmap>();
  LoadResourceImage(*unknownFileImage_, "UNKNOWNFILE");
}

void TFileListBox::FitItemHeight() {
  int height = FontTextHeight(Font());
  if (showGlyphs_ && height < executableImage_->Height() + 1) height = executableImage_->Height() + 1;
  SetItemHeight(height);
}

void TFileListBox::CreateWnd() {
  TCustomListBox::CreateWnd();
  // The items live in the window: a new one (also a re-created one) is filled afresh.
  FillItems();
}

void TFileListBox::FillItems() {
  if (!HandleAllocated()) return;
  const DWORD attributeMask = AttributeMask(fileType_);
  const bool takeAll = (fileType_ & (1u << ftNormal)) != 0;
  // Searches below are relative to the current directory; a folder that went
  // away stops the fill before the old items are cleared.
  ChangeDirectory(currentFolder_);
  // Redrawing waits for the end of the fill: drawing each item as it is
  // placed costs far more than placing it.
  const auto redraw = SuspendRedraw();
  ClearItems();
  // The screen cursor comes back as it was, also when a fill stops on an
  // error. Not owned: a shared system or class cursor.
  const ScopeExit restoreCursor([saved = GetCursor()] { SetCursor(saved); });
  int lastPlace = 0;

  size_t start = 0;
  for (;;) {
    const size_t end = mask_.find(';', start);
    const std::string pattern = mask_.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!pattern.empty()) {
      // Searched by wide name: the ANSI search would hand over a best fit,
      // another file's name (e.rtf for é.rtf, a\b.rtf for a¥b.rtf).
      WIN32_FIND_DATAW found;
      UniqueFindHandle search(FindFirstFileW(ToWide(pattern).c_str(), &found));
      if (search) {
        do {
          const DWORD attributes = found.dwFileAttributes;
          if (attributes & kExcludingAttributes & ~attributeMask) continue;
          if (!takeAll && !(attributes & attributeMask)) continue;
          // A name the code page cannot hold is listed with "?" for what it
          // lacks, which names no file.
          std::string name;
          ToExactAnsi(found.cFileName, &name);
          if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            lastPlace = AddItem("[" + name + "]", showGlyphs_ ? closedFolderImage_.get() : nullptr);
          } else {
            TBitmap* image =
                IsExecutableExtension(LowerExtension(name)) ? executableImage_.get() : unknownFileImage_.get();
            lastPlace = AddItem(name, image);
          }
          if (lastPlace == kBusyCursorPlace) SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        } while (FindNextFileW(search.get(), &found));
      }
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  NotifyChange();
}

void TFileListBox::DrawItem(int index, const RECT& rect, UINT) {
  TCanvas& canvas = Canvas();
  canvas.FillRect(rect);
  int offset = kTextMargin;
  if (showGlyphs_) {
    if (auto* image = static_cast<TBitmap*>(ItemData(index))) {
      DrawTransparentImage(canvas, rect.left + kTextMargin, (rect.top + rect.bottom - image->Height()) / 2, *image);
      offset = image->Width() + kGlyphGap;
    }
  }
  canvas.TextOut(rect.left + offset, rect.top, ItemText(index));
}

std::string TFileListBox::SelectedItemText() {
  const int index = ItemIndex();
  if (index >= 0 && ItemCount() > 0 && Selected(index)) return ItemText(index);
  return {};
}

std::string TFileListBox::GetSelectedFile() {
  const std::string name = SelectedItemText();
  if (name.empty()) return {};
  return JoinWithSeparator(currentFolder_, name);
}

void TFileListBox::MoveToFolder(const std::string& path) {
  if (SameFileName(path, currentFolder_)) return;
  // A relative path means a place below the list's own folder, not below
  // whatever the process's current directory is now. A full path needs no way
  // back into that folder, which may have gone from the disk: the list then
  // still follows its directory list.
  if (!IsFullPath(path)) ChangeDirectory(currentFolder_);
  ChangeDirectory(path);
  currentFolder_ = CurrentDirectory();
  FillItems();
}

void TFileListBox::SelectName(const std::string& name) {
  if (SameFileName(name, SelectedItemText())) return;
  const int index = FindExact(name, 0);
  if (index != ItemIndex()) SetItemIndex(index);
  NotifyChange();
}

void TFileListBox::SetSelectedFile(const std::string& value) {
  if (SameFileName(GetSelectedFile(), value)) return;
  if (value.empty()) return;
  const EnteredPath split = SplitEnteredPath(value);
  if (linkedDirList_) {
    // The directory list's change notice brings this list to the folder.
    linkedDirList_->SetCurrentFolder(value);
  } else {
    // A network path has no drive letter; its folder part carries the share.
    MoveToFolder(split.drive ? std::string(1, split.drive) + ":" + split.folder : split.folder);
  }
  const std::string& file = split.file;
  if (file.find_first_of("*?") != std::string::npos) {
    SetMask(file);
  } else if (!file.empty()) {
    SelectName(file);
    if (!FileWithDosTimeExists(file)) throw EInvalidOperation(kInvalidFileNamePrefix + value);
    if (SelectedItemText().empty()) {
      // A name the mask or the attributes leave out becomes the mask.
      SetMask(file);
      SelectName(file);
    }
  }
}

void TFileListBox::NotifyChange() {
  lastSelection_ = ItemIndex();
  if (fileEdit_) {
    const std::string selected = SelectedItemText();
    fileEdit_->SetText(selected.empty() ? mask_ : selected);
    fileEdit_->SelectAll();
  }
  if (onChange_.handler) onChange_.handler(this);
}

void TFileListBox::SelectionChanged() {
  TCustomListBox::SelectionChanged();
  if (ItemIndex() != lastSelection_) NotifyChange();
}

void TFileListBox::SetMask(const std::string& mask) {
  if (mask == mask_) return;
  mask_ = mask;
  FillItems();
}

void TFileListBox::SetFileType(TFileType type) {
  if (type == fileType_) return;
  fileType_ = type;
  FillItems();
}

void TFileListBox::SetShowGlyphs(bool value) {
  if (value == showGlyphs_) return;
  showGlyphs_ = value;
  if (showGlyphs_ && executableImage_->Height() + 1 > ItemHeight()) FitItemHeight();
  Invalidate();
}

void TFileListBox::SetFileEdit(TEdit* edit) {
  fileEdit_ = edit;
  if (!fileEdit_) return;
  FreeNotification(fileEdit_);
  const std::string selected = SelectedItemText();
  fileEdit_->SetText(selected.empty() ? mask_ : selected);
}

void TFileListBox::Notification(TComponent* component, TOperation operation) {
  TCustomListBox::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == fileEdit_)
    fileEdit_ = nullptr;
  else if (component == linkedDirList_)
    linkedDirList_ = nullptr;
}

void TFileListBox::FontChanged() {
  TCustomListBox::FontChanged();
  FitItemHeight();
}

bool TFileListBox::SameFileName(const std::string& a, const std::string& b) {
  return CompareWithLocale(LowerFileName(a), LowerFileName(b), 0) == 0;
}
