// The directory list box: the folders from the drive's root down to the
// current folder, then the current folder's subfolders.
#pragma once

#include <memory>
#include <string>

#include "framework/StdCtrls.h"

class TDriveComboBox;
class TFileListBox;

// A folder image: an empty 16 x 16 bitmap until an image is loaded into it.
class TFolderBitmap : public TBitmap {
public:
  TFolderBitmap() { SetSize(16, 16); }
};

class TDirectoryListBox : public TCustomListBox {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TDirectoryListBox(TComponent* owner);
  ~TDirectoryListBox() override;

  const std::string& CurrentFolder() const { return currentFolder_; }
  char CurrentDrive() const { return currentFolder_.empty() ? 0 : currentFolder_[0]; }
  // Overridable, as are NotifyChange and FillItems: the list's own operations,
  // which a derived list may do its own way.
  virtual void SetCurrentFolder(const std::string& value);
  virtual void SetCurrentDrive(char drive);

  TFileListBox* FileList() const { return fileList_; }
  void SetFileList(TFileListBox* list);
  TLabel* DirLabel() const { return dirLabel_; }
  void SetDirLabel(TLabel* label);
  TDriveComboBox* LinkedDriveCombo() const { return linkedDriveCombo_; }
  // The back-reference to the drive combo box whose DirList this list is
  // (null: none). Only that combo's DirList setter calls it.
  void LinkDriveCombo(TDriveComboBox* combo) { linkedDriveCombo_ = combo; }

  void SetOnChange(TNotifyEvent handler, std::string name = {}) { onChange_ = {std::move(name), std::move(handler)}; }
  std::string OnChangeName() const { return onChange_.name; }

  // The full path the item at `index` stands for; empty past the last item.
  std::string ItemFolderPath(int index);
  void OpenSelectedItem();
  // The text as drawn: lower-cased unless the volume preserves case.
  std::string ShownName(const std::string& text) const;
  int CompareFolderNames(const std::string& a, const std::string& b) const;

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

private:
  // Called while the list is constructed, where no override would be reached;
  // a derived list changes the images through their accessors instead.
  void LoadFolderImages();
  void FitItemHeight();
  void MoveToFolder(const std::string& folder);

  TFileListBox* fileList_ = nullptr;            // not owned
  TDriveComboBox* linkedDriveCombo_ = nullptr;  // not owned; set by the combo's DirList
  TLabel* dirLabel_ = nullptr;                  // not owned
  bool inFolderChange_ = false;
  bool preservesCase_ = true;
  bool caseSensitive_ = false;
  std::unique_ptr<TFolderBitmap> closedFolderImage_;   // owned
  std::unique_ptr<TFolderBitmap> openFolderImage_;     // owned
  std::unique_ptr<TFolderBitmap> currentFolderImage_;  // owned
  std::string currentFolder_;
  TEvent<TNotifyEvent> onChange_;
};
