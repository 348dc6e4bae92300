// The glyph of a bitmap button (strip, per-state images in shared image lists, glyph-and-caption drawing).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Graphics.h"
#include "framework/ImageList.h"
#include "runtime/UniqueHandle.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// The ordinal is also the index of the image that serves the state in a strip.
enum TGlyphState { gsNormal, gsDisabled, gsPressed, gsLatched };
constexpr int kGlyphStateCount = 4;

// The number of images side by side in a glyph strip, 1 to 4.
using TNumGlyphs = int;
constexpr TNumGlyphs kMaxGlyphImages = 4;

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

// The process-wide collection of glyph lists, at most one per image size.
class TGlyphCache {
public:
  TGlyphCache() = default;
  TGlyphCache(const TGlyphCache&) = delete;
  TGlyphCache& operator=(const TGlyphCache&) = delete;

  // The list for images of that size, made when there is none yet. Not owned by the caller.
  TGlyphList* ListForSize(int width, int height);
  // Destroys the list when none of its slots is in use any more; null does nothing.
  void ReturnList(TGlyphList* list);
  bool IsEmpty() const { return lists_.empty(); }
  int ListCount() const { return static_cast<int>(lists_.size()); }

private:
  std::vector<std::unique_ptr<TGlyphList>> lists_;  // owned
};

// The process-wide glyph cache, or null while there is none: the first glyph
// object creates it, and the last one to go finds it empty and destroys it.
TGlyphCache* GlyphCache();

// Where ComputeLayout puts the glyph (its top-left corner) and the caption.
struct TGlyphPlacement {
  POINT glyphPos;
  RECT captionRect;
};

// Owned by one bitmap button: the glyph strip, the images built from it for
// each state, and the drawing of glyph and caption on the button face.
class TButtonGlyph {
public:
  TButtonGlyph();
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  // The strip: ImageCount equal images side by side. Loading or resizing it
  // in place takes its transparent colour and drops the built images.
  TBitmap& GlyphBitmap() { return *glyphBitmap_; }
  TNumGlyphs ImageCount() const { return imageCount_; }
  // Values below 1 are ignored, values above 4 taken as 4.
  void SetImageCount(TNumGlyphs count);
  // The strip's see-through colour, with the palette-relative marker 0x02000000.
  TColor TransparentColor() const { return transparentColor_; }

  // A copy of `bitmap` (null empties the strip), its transparent colour, and
  // the image count its shape suggests.
  void AssignBitmap(const TBitmap* bitmap);
  // The slot of the state's image in GlyphList, built on first request; -1 for an empty strip.
  int BuildStateImage(TGlyphState state);
  void DrawGlyphImage(TCanvas& canvas, int x, int y, TGlyphState state);
  void DrawCaption(TCanvas& canvas, const std::string& caption, const RECT& rect, TGlyphState state);
  // Margin -1 centres the glyph-and-caption block; spacing -1 spreads the free space.
  TGlyphPlacement ComputeLayout(TCanvas& canvas, const RECT& content, const std::string& caption,
                                TButtonLayout layout, int margin, int spacing);
  // Places and draws glyph and caption; returns the caption's rectangle.
  RECT DrawContent(TCanvas& canvas, const RECT& content, const std::string& caption, TButtonLayout layout,
                   int margin, int spacing, TGlyphState state);
  // Gives every built image's slot back, and the list to the cache.
  void ReleaseImages();

  // The list holding the built images, or null before the first build. Not owned.
  TGlyphList* GlyphList() const { return glyphList_; }
  // The slot built for the state, or -1.
  int ImageSlot(TGlyphState state) const { return imageSlots_[state]; }

  // After the strip changed; the owning button repaints.
  std::function<void()> OnChange;

private:
  void StripChanged();

  std::unique_ptr<TBitmap> glyphBitmap_;  // owned
  TGlyphList* glyphList_ = nullptr;       // not owned: borrowed from the glyph cache
  int imageSlots_[kGlyphStateCount] = {-1, -1, -1, -1};
  TColor transparentColor_ = clOlive;
  TNumGlyphs imageCount_ = 1;
};
