// An image list whose slots button glyphs share.
#include "Buttons/GlyphList.h"

#include <algorithm>

#include "Buttons/WorkBitmap.h"
#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"
#include "runtime/ScopeExit.h"

namespace {

constexpr int kMaxImageHeight = 32768;

}  // namespace

TGlyphList::TGlyphList(int width, int height) : width_(width), height_(height) {
  if (width < 1 || height < 1 || height > kMaxImageHeight)
    throw EInvalidOperation(LoadResString(strings::kInvalidImageSize));
}

void TGlyphList::CreateHandle() {
  UniqueImageList list(ImageList_Create(width_, height_, ILC_MASK | ILC_COLORDDB, 4, 4));
  if (!list) throw EInvalidOperation(LoadResString(strings::kInvalidImageList));
  WorkBitmap black(width_, height_, WorkBitmap::kScreenColours);
  PatBlt(black.dc(), 0, 0, width_, height_, BLACKNESS);
  black_ = black.TakeBitmap();
  list_ = std::move(list);
}

bool TGlyphList::IsSlotUsed(int slot) const {
  return slot >= 0 && static_cast<size_t>(slot) < usedSlots_.size() && usedSlots_[static_cast<size_t>(slot)];
}

int TGlyphList::ReserveSlot() {
  const auto free = std::find(usedSlots_.begin(), usedSlots_.end(), false);
  size_t slot = static_cast<size_t>(free - usedSlots_.begin());
  if (slot >= usedSlots_.size()) {
    if (!list_) CreateHandle();
    // Black as image and as mask: a blank, fully opaque place holder that the caller replaces.
    const int added = ImageList_Add(list_.get(), black_.get(), black_.get());
    if (added < 0) ThrowNotEnoughSystemResources();
    slot = static_cast<size_t>(added);
    if (slot + 1 > usedSlots_.size()) usedSlots_.resize(slot + 1, false);
  }
  usedSlots_[slot] = true;
  return static_cast<int>(slot);
}

void TGlyphList::StoreImage(int slot, HBITMAP image, HBITMAP mask) {
  if (!ImageList_Replace(list_.get(), slot, image, mask))
    throw EInvalidOperation(LoadResString(strings::kCannotReplaceImage));
}

int TGlyphList::AddImage(HBITMAP image) {
  const int slot = ReserveSlot();
  // A failed store must not leave the slot taken for good.
  ScopeExit freeSlot([this, slot] { usedSlots_[static_cast<size_t>(slot)] = false; });
  // The all-black mask makes every pixel opaque: the image is copied as it is when drawn.
  StoreImage(slot, image, black_.get());
  freeSlot.Dismiss();
  ++usedCount_;
  return slot;
}

int TGlyphList::AddMaskedImage(HBITMAP image, TColor transparent) {
  const int slot = ReserveSlot();
  ScopeExit freeSlot([this, slot] { usedSlots_[static_cast<size_t>(slot)] = false; });
  UniqueMemoryDC imageDC(CreateCompatibleDC(nullptr));
  if (!imageDC) ThrowNotEnoughSystemResources();
  WorkBitmap copy(width_, height_, WorkBitmap::kScreenColours);
  {
    auto selection = SelectInto(imageDC.get(), image);
    BitBlt(copy.dc(), 0, 0, width_, height_, imageDC.get(), 0, 0, SRCCOPY);
  }
  WorkBitmap mask(width_, height_, WorkBitmap::kMonochrome);
  MarkPixels(mask.dc(), copy.dc(), 0, width_, height_, ColorToRGB(transparent));
  // ILD_TRANSPARENT ANDs the mask into the target and ORs the image over it,
  // so a see-through pixel of the image must be black to add nothing.
  // ImageList_Replace does not promise to clear them (Wine's happens to), so
  // we do, on a copy: the caller's bitmap stays as it was.
  PaintMarkedPixels(copy.dc(), 0, 0, width_, height_, mask.dc(), kBlack);
  StoreImage(slot, copy.Unselected(), mask.Unselected());
  freeSlot.Dismiss();
  ++usedCount_;
  return slot;
}

void TGlyphList::ReleaseSlot(int slot) {
  if (!IsSlotUsed(slot)) return;
  usedSlots_[static_cast<size_t>(slot)] = false;
  --usedCount_;
}
