// The file list box: the entries of one folder that match a mask and a set of
// attributes, with an optional glyph before each name.
#pragma once

#include <memory>
#include <string>

#include "framework/StdCtrls.h"

class TDirectoryListBox;

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
  // The back-reference to the directory list box whose FileList this list is
  // (null: none). Only that list calls it, from its FileList setter and when
  // it goes.
  void LinkDirList(TDirectoryListBox* list) { linkedDirList_ = list; }
  int LastSelection() const { return lastSelection_; }

  void SetOnChange(TNotifyEvent handler, std::string name = {}) { onChange_ = {std::move(name), std::move(handler)}; }
  std::string OnChangeName() const { return onChange_.name; }

  std::string SelectedItemText();
  void SelectName(const std::string& name);
  static bool SameFileName(const std::string& a, const std::string& b);

  TBitmap& ExecutableImage() { return *executableImage_; }
  TBitmap& ClosedFolderImage() { return *closedFolderImage_; }
  TBitmap& UnknownFileImage() { return *unknownFileImage_; }

  // Overridable: the list's own operations, which a derived list may do its own way.
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

private:
  // Called while the list is constructed, where no override would be reached;
  // a derived list changes the images through their accessors instead.
  void LoadFileImages();
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
