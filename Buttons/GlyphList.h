// An image list whose slots button glyphs share.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "framework/Graphics.h"
#include "framework/ImageList.h"
#include "runtime/UniqueHandle.h"

// An image list of one fixed image size whose slots are handed out to glyphs
// and taken back. Not a TImageList: removing an image would renumber the slots
// other glyphs still hold, so a released slot keeps its image until it is
// reused, and the list offers no removal.
class TGlyphList {
public:
  // EInvalidOperation for a width below 1 or a height outside 1 to 32768.
  TGlyphList(int width, int height);
  TGlyphList(const TGlyphList&) = delete;
  TGlyphList& operator=(const TGlyphList&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // The platform list (ImageList_Create with ILC_MASK | ILC_COLORDDB, 4, grow 4);
  // null until the first slot is reserved.
  HIMAGELIST Handle() const { return list_.get(); }

  // Stores `image` (not selected into any DC) fully opaque in a new slot.
  int AddImage(HBITMAP image);
  // Stores a copy of `image` in a new slot with a mask that leaves exactly
  // the pixels of `transparent` out when drawn with ILD_TRANSPARENT.
  int AddMaskedImage(HBITMAP image, TColor transparent);
  // Frees the slot for reuse; its image stays in the platform list until then.
  void ReleaseSlot(int slot);

  int UsedCount() const { return usedCount_; }
  bool IsSlotUsed(int slot) const;

private:
  void CreateHandle();
  // The lowest free slot, marked used but not yet counted (AddImage and
  // AddMaskedImage count it once its image is stored); the platform list grows
  // by a blank black image when every slot it has is taken.
  int ReserveSlot();
  // ImageList_Replace of one slot; EInvalidOperation when the list refuses.
  void StoreImage(int slot, HBITMAP image, HBITMAP mask);

  int width_, height_;
  UniqueImageList list_;  // owned
  UniqueBitmap black_;    // owned: blank image of every new slot, and the all-opaque mask
  std::vector<bool> usedSlots_;
  int usedCount_ = 0;
};
