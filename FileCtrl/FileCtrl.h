// The file-browsing controls: the drive combo box, the directory list box and
// the file list box, linked drive -> folders -> files.
#pragma once

#include <memory>
#include <string>

#include "framework/StdCtrls.h"

class TDirectoryListBox;
class TFileListBox;
class TDriveComboBox;

// A folder image: an empty 16 x 16 bitmap until an image is loaded into it.
class TFolderBitmap : public TBitmap {
public:
  TFolderBitmap() { SetSize(16, 16); }
};

// Loads a bitmap resource of the program by name into `bitmap`; an image that
// cannot be loaded leaves the bitmap as it is.
void LoadResourceImage(TBitmap& bitmap, const char* name);
// Draws an image at (x, y) with its lower-left pixel's colour painted in the
// canvas's brush colour instead.
void DrawTransparentImage(TCanvas& canvas, int x, int y, TBitmap& image);

// ---- Directory list box ----

class TDirectoryListBox : public TCustomListBox {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TDirectoryListBox(TComponent* owner);
  ~TDirectoryListBox() override;

  const std::string& CurrentFolder() const { return currentFolder_; }
  void SetCurrentFolderProperty(const std::string& value) { SetCurrentFolder(value); }
  char CurrentDrive() const { return currentFolder_.empty() ? 0 : currentFolder_[0]; }
  virtual void SetCurrentFolder(const std::string& value);
  virtual void SetCurrentDrive(char drive);

  TFileListBox* FileList() const { return fileList_; }
  void SetFileList(TFileListBox* list);
  TLabel* DirLabel() const { return dirLabel_; }
  void SetDirLabel(TLabel* label);
  TDriveComboBox* LinkedDriveCombo() const { return linkedDriveCombo_; }

  void SetOnChange(TNotifyEvent handler, std::string name = {}) { onChange_ = {std::move(name), std::move(handler)}; }
  std::string OnChangeName() const { return onChange_.name; }

  // The full path the item at `index` stands for; empty past the last item.
  std::string ItemFolderPath(int index);
  void OpenSelectedItem();
  // The text as drawn: lower-cased unless the volume preserves case.
  std::string ShownName(const std::string& text) const;
  int CompareFolderNames(const std::string& a, const std::string& b) const;
  bool PreservesCase() const { return preservesCase_; }
  bool CaseSensitive() const { return caseSensitive_; }

  TBitmap& OpenFolderImage() { return *openFolderImage_; }
  TBitmap& ClosedFolderImage() { return *closedFolderImage_; }
  TBitmap& CurrentFolderImage() { return *currentFolderImage_; }

  virtual void NotifyChange();
  virtual void FillItems();
  void UpdateDirLabel();

protected:
  void Notification(TComponent* component, TOperation operation) override;
  void CreateWnd() override;
  void DblClick() override;
  void KeyPress(char& key) override;
  void DrawItem(int index, const RECT& rect, UINT state) override;
  void FontChanged() override;
  virtual void LoadFolderImages();

private:
  friend class TDriveComboBox;
  friend class TFileListBox;
  void FitItemHeight();
  void MoveToFolder(const std::string& folder);

  TFileListBox* fileList_ = nullptr;              // not owned
  TDriveComboBox* linkedDriveCombo_ = nullptr;    // not owned; set by the combo's DirList
  TLabel* dirLabel_ = nullptr;                    // not owned
  bool inFolderChange_ = false;
  bool preservesCase_ = true;
  bool caseSensitive_ = false;
  std::unique_ptr<TFolderBitmap> closedFolderImage_;   // owned
  std::unique_ptr<TFolderBitmap> openFolderImage_;     // owned
  std::unique_ptr<TFolderBitmap> currentFolderImage_;  // owned
  std::string currentFolder_;
  TEvent<TNotifyEvent> onChange_;
};

// ---- File list box ----

enum TFileAttr { ftReadOnly, ftHidden, ftSystem, ftVolumeID, ftDirectory, ftArchive, ftNormal };
using TFileType = unsigned;  // bit (1 << TFileAttr)

class TFileListBox : public TCustomListBox {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TFileListBox(TComponent* owner);
  ~TFileListBox() override;

  std::string SelectedFile() { return GetSelectedFile(); }
  void SetSelectedFileProperty(const std::string& value) { SetSelectedFile(value); }
  const std::string& CurrentFolder() const { return currentFolder_; }
  // The write operation of CurrentFolder.
  void MoveToFolder(const std::string& path);
  const std::string& Mask() const { return mask_; }
  void SetMask(const std::string& mask);
  TFileType FileType() const { return fileType_; }
  void SetFileType(TFileType type);
  TEdit* FileEdit() const { return fileEdit_; }
  void SetFileEdit(TEdit* edit);
  bool ShowGlyphs() const { return showGlyphs_; }
  void SetShowGlyphs(bool value);
  TDirectoryListBox* LinkedDirList() const { return linkedDirList_; }
  int LastSelection() const { return lastSelection_; }

  void SetOnChange(TNotifyEvent handler, std::string name = {}) { onChange_ = {std::move(name), std::move(handler)}; }
  std::string OnChangeName() const { return onChange_.name; }

  std::string SelectedItemText();
  void SelectName(const std::string& name);
  static bool SameFileName(const std::string& a, const std::string& b);

  TBitmap& ExecutableImage() { return *executableImage_; }
  TBitmap& ClosedFolderImage() { return *closedFolderImage_; }
  TBitmap& UnknownFileImage() { return *unknownFileImage_; }

  virtual void NotifyChange();
  virtual void FillItems();
  virtual std::string GetSelectedFile();
  virtual void SetSelectedFile(const std::string& value);

protected:
  void Notification(TComponent* component, TOperation operation) override;
  void CreateWnd() override;
  void SelectionChanged() override;
  void DrawItem(int index, const RECT& rect, UINT state) override;
  void FontChanged() override;
  virtual void LoadFileImages();

private:
  friend class TDirectoryListBox;
  void FitItemHeight();

  std::string currentFolder_;
  std::string mask_ = "*.*";
  TFileType fileType_ = 1u << ftNormal;
  TEdit* fileEdit_ = nullptr;                   // not owned
  TDirectoryListBox* linkedDirList_ = nullptr;  // not owned; set by the directory list's FileList
  std::unique_ptr<TBitmap> executableImage_;    // owned
  std::unique_ptr<TBitmap> closedFolderImage_;  // owned
  std::unique_ptr<TBitmap> unknownFileImage_;   // owned
  TEvent<TNotifyEvent> onChange_;
  int lastSelection_ = -1;
  bool showGlyphs_ = false;
};

// ---- Drive combo box ----

enum TTextCase { tcLowerCase, tcUpperCase };

// The bracketed volume label of a drive, with the error mode switched so that
// an empty drive shows no prompt.
std::string VolumeLabelText(char letter);
// The remote name of a redirected drive, or its volume label text.
std::string NetworkDriveText(char letter);

// While one of these exists, drive combo boxes that fill share one reading of
// the drives: a window with two drive boxes would otherwise ask every drive
// for its label twice while it is made. The outermost one starts that reading
// on a worker thread at once, so that it goes on while the caller makes its
// windows. Outside it, every fill reads afresh.
class SharedDriveReading {
public:
  SharedDriveReading();
  ~SharedDriveReading();
  SharedDriveReading(const SharedDriveReading&) = delete;
  SharedDriveReading& operator=(const SharedDriveReading&) = delete;
};

class TDriveComboBox : public TCustomComboBox {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TDriveComboBox(TComponent* owner);
  ~TDriveComboBox() override;

  char CurrentDrive() const { return currentDrive_; }
  void SetCurrentDrive(char drive);
  TDirectoryListBox* DirList() const { return dirList_; }
  void SetDirList(TDirectoryListBox* list);
  TTextCase TextCase() const { return textCase_; }
  void SetTextCase(TTextCase textCase);

  void SetOnChange(TNotifyEvent handler, std::string name = {}) { onChange_ = {std::move(name), std::move(handler)}; }
  std::string OnChangeName() const { return onChange_.name; }

  TBitmap& FloppyImage() { return *floppyImage_; }
  TBitmap& FixedImage() { return *fixedImage_; }
  TBitmap& NetworkImage() { return *networkImage_; }
  TBitmap& CdRomImage() { return *cdRomImage_; }
  TBitmap& RamImage() { return *ramImage_; }

  virtual void FillItems();
  virtual void NotifyChange();

protected:
  void Notification(TComponent* component, TOperation operation) override;
  void CreateWnd() override;
  void SelectionChanged() override;
  void DrawItem(int index, const RECT& rect, UINT state) override;
  void FontChanged() override;

private:
  void FitItemHeight();
  // CurrentDrive (cased by TextCase) and the selected item, nothing else.
  void ShowDrive(char drive);

  TDirectoryListBox* dirList_ = nullptr;  // not owned
  char currentDrive_ = 0;
  TTextCase textCase_ = tcLowerCase;
  std::unique_ptr<TBitmap> floppyImage_;   // owned
  std::unique_ptr<TBitmap> fixedImage_;    // owned
  std::unique_ptr<TBitmap> networkImage_;  // owned
  std::unique_ptr<TBitmap> cdRomImage_;    // owned
  std::unique_ptr<TBitmap> ramImage_;      // owned
  TEvent<TNotifyEvent> onChange_;
};
