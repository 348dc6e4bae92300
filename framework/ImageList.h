// A list of equally sized images with masks over the common controls' image
// list (ImageList_Create with ILC_MASK | ILC_COLORDDB).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/Graphics.h"
#include "runtime/UniqueHandle.h"

namespace handle_traits {
struct ImageList {
  using Type = HIMAGELIST;
  static Type Invalid() { return nullptr; }
  static void Close(Type list) { ImageList_Destroy(list); }
};
}  // namespace handle_traits
using UniqueImageList = UniqueHandle<handle_traits::ImageList>;

class TImageList {
public:
  TImageList(int width, int height, int initialCapacity = 4, int growBy = 4);
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const;
  HIMAGELIST Handle() const { return list_.get(); }

  // ImageList_Add: the image with a monochrome mask (nullptr: none); returns its index.
  int Add(TBitmap& image, TBitmap* mask);
  // ImageList_AddMasked: pixels of `transparent` become the mask.
  int AddMasked(TBitmap& image, TColor transparent);
  // ImageList_Replace at an existing index.
  void Replace(int index, TBitmap& image, TBitmap* mask);
  void Delete(int index);
  // ImageList_DrawEx with no background or foreground blending.
  void Draw(TCanvas& canvas, int x, int y, int index, UINT style = ILD_NORMAL);

private:
  void CheckSize(const TBitmap& image) const;

  int width_, height_;
  UniqueImageList list_;  // owned
};
