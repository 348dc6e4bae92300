// Image lists over ImageList_* of the common controls.
#include "framework/ImageList.h"

#include <commctrl.h>

#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"

TImageList::TImageList(int width, int height, int initialCapacity, int growBy)
    : width_(width),
      height_(height),
      list_(ImageList_Create(width, height, ILC_MASK | ILC_COLORDDB, initialCapacity, growBy)) {
  if (!list_) throw EInvalidOperation(LoadResString(strings::kInvalidImageList));
}

int TImageList::Count() const {
  return ImageList_GetImageCount(list_.get());
}

void TImageList::CheckSize(const TBitmap& image) const {
  // A strip of several images is allowed: its width is a multiple of the image width.
  if (image.Height() != height_ || image.Width() < width_ || image.Width() % width_ != 0)
    throw EInvalidOperation(LoadResString(strings::kInvalidImageSize));
}

int TImageList::Add(TBitmap& image, TBitmap* mask) {
  CheckSize(image);
  const int index = ImageList_Add(list_.get(), image.Handle(), mask ? mask->Handle() : nullptr);
  if (index < 0) throw EOutOfResources(LoadResString(strings::kOutOfSystemResources));
  return index;
}

int TImageList::AddMasked(TBitmap& image, TColor transparent) {
  CheckSize(image);
  const int index = ImageList_AddMasked(list_.get(), image.Handle(), ColorToRGB(transparent));
  if (index < 0) throw EOutOfResources(LoadResString(strings::kOutOfSystemResources));
  return index;
}

void TImageList::Replace(int index, TBitmap& image, TBitmap* mask) {
  CheckSize(image);
  if (index < 0 || index >= Count() ||
      !ImageList_Replace(list_.get(), index, image.Handle(), mask ? mask->Handle() : nullptr))
    throw EInvalidOperation(LoadResString(strings::kCannotReplaceImage));
}

void TImageList::Delete(int index) {
  ImageList_Remove(list_.get(), index);
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, UINT style) {
  ImageList_DrawEx(list_.get(), index, canvas.Handle(), x, y, 0, 0, CLR_NONE, CLR_NONE, style);
}
