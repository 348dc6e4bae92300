// The drive combo box: one item per drive of the system, with an image for its
// kind and its volume label or network name.
#pragma once

#include <memory>
#include <string>

#include "framework/StdCtrls.h"

class TDirectoryListBox;

enum TTextCase { tcLowerCase, tcUpperCase };

// The bracketed volume label of a drive, with the error mode switched so that
// an empty drive shows no prompt.
std::string VolumeLabelText(char letter);
// The remote name of a redirected drive, or its volume label text.
std::string NetworkDriveText(char letter);

// While one of these exists, drive combo boxes that fill share one reading of
// the drives: a window with two drive boxes would otherwise ask every drive
// for its label twice while it is made. The first box to fill reads; the
// others take that reading while the drives and the letter case are the same.
// Outside it, every fill reads afresh.
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

  // Overridable: the box's own operations, which a derived box may do its own way.
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
