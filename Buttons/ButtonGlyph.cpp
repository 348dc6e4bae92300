// Button glyphs: per-state images built from a glyph strip into shared image lists, and glyph-and-caption layout.
#include "Buttons/ButtonGlyph.h"

#include <algorithm>
#include <optional>

#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"

namespace {

constexpr int kMaxImageHeight = 32768;
// The platform's palette-relative colour marker (PALETTERGB).
constexpr TColor kPaletteRelative = 0x02000000;
// Ternary raster operation DSPDxax: ((destination XOR pattern) AND source) XOR
// destination, i.e. the pattern where the source is white, the destination elsewhere.
constexpr DWORD kRopPatternWhereSourceWhite = 0x00E20746;
constexpr UINT kCaptionFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Owned. A plain pointer rather than a smart one: no exit-time destructor may
// take the cache away from a glyph object that outlives it.
TGlyphCache* gGlyphCache = nullptr;

[[noreturn]] void ThrowOutOfResources() {
  throw EOutOfResources(LoadResString(strings::kOutOfSystemResources));
}

// A bitmap selected into a memory DC of its own, for the length of one image build.
class WorkBitmap {
public:
  enum Kind { kScreenColours, kMonochrome };

  // Screen-compatible bitmaps take system colours unrounded; monochrome ones
  // hold the marks of the colour-matching blits.
  WorkBitmap(int width, int height, Kind kind) {
    if (kind == kMonochrome) {
      bitmap_.reset(CreateBitmap(width, height, 1, 1, nullptr));
    } else {
      WindowDC screen = AcquireDC(nullptr);
      if (screen) bitmap_.reset(CreateCompatibleBitmap(screen.get(), width, height));
    }
    dc_.reset(CreateCompatibleDC(nullptr));
    if (!bitmap_ || !dc_) ThrowOutOfResources();
    selection_ = SelectInto(dc_.get(), bitmap_.get());
    if (!selection_) ThrowOutOfResources();
  }
  WorkBitmap(const WorkBitmap&) = delete;
  WorkBitmap& operator=(const WorkBitmap&) = delete;

  HDC dc() const { return dc_.get(); }
  // The bitmap, out of its DC: the image list selects it into a DC of its own,
  // and a bitmap can be selected into one DC only.
  HBITMAP Unselected() {
    selection_.reset();
    return bitmap_.get();
  }
  // The bitmap, out of its DC, for the caller to keep.
  UniqueBitmap TakeBitmap() {
    selection_.reset();
    return std::move(bitmap_);
  }

private:
  // Declared in this order so that the selection is undone before the DC and the bitmap go.
  UniqueBitmap bitmap_;
  UniqueMemoryDC dc_;
  ScopedSelectObject selection_;
};

// Sets to 1 exactly the pixels of the source rectangle whose colour is
// `colour`, and to 0 all others: a colour-to-monochrome blit compares every
// source pixel with the source DC's background colour.
void MarkPixels(HDC mask, HDC source, int sourceX, int width, int height, COLORREF colour) {
  const COLORREF previous = SetBkColor(source, colour);
  BitBlt(mask, 0, 0, width, height, source, sourceX, 0, SRCCOPY);
  SetBkColor(source, previous);
}

// Paints `colour` onto `target` at (x, y) wherever the mask holds 1 and leaves
// the other pixels. With black text and a white background the mask arrives as
// black for 0 and white for 1, which DSPDxax turns into "brush where white".
void PaintMarkedPixels(HDC target, int x, int y, int width, int height, HDC mask, COLORREF colour) {
  UniqueBrush brush(CreateSolidBrush(colour));
  if (!brush) ThrowOutOfResources();
  const COLORREF text = SetTextColor(target, kBlack);
  const COLORREF background = SetBkColor(target, kWhite);
  {
    auto selection = SelectInto(target, brush.get());
    BitBlt(target, x, y, width, height, mask, 0, 0, kRopPatternWhereSourceWhite);
  }
  SetTextColor(target, text);
  SetBkColor(target, background);
}

// DrawTextA needs the canvas font in the DC. TCanvas selects it (and keeps the
// guard that puts the DC's own font back) whenever it measures text, so
// measuring nothing brings it in without a second selection of our own.
HDC PrepareFontDC(TCanvas& canvas) {
  canvas.TextExtent(std::string());
  return canvas.Handle();
}

void DrawCaptionText(HDC dc, const std::string& caption, RECT rect, UINT flags) {
  DrawTextA(dc, caption.data(), static_cast<int>(caption.size()), &rect, flags);
}

// The transparent colour a strip gives its glyph: the bitmap's own (white for
// monochrome, else the bottom-left pixel), marked palette-relative.
std::optional<TColor> StripTransparentColor(TBitmap& bitmap) {
  const TColor colour = bitmap.TransparentColor();
  if (colour == clNone) return std::nullopt;  // empty, or a pixel GDI would not read
  return colour | kPaletteRelative;
}

}  // namespace

// ---- TGlyphList ----

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
    if (added < 0) ThrowOutOfResources();
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
  try {
    // The all-black mask makes every pixel opaque: the image is copied as it is when drawn.
    StoreImage(slot, image, black_.get());
  } catch (...) {
    usedSlots_[static_cast<size_t>(slot)] = false;  // a failed store must not leave the slot taken for good
    throw;
  }
  ++usedCount_;
  return slot;
}

int TGlyphList::AddMaskedImage(HBITMAP image, TColor transparent) {
  const int slot = ReserveSlot();
  try {
    UniqueMemoryDC imageDC(CreateCompatibleDC(nullptr));
    if (!imageDC) ThrowOutOfResources();
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
  } catch (...) {
    usedSlots_[static_cast<size_t>(slot)] = false;
    throw;
  }
  ++usedCount_;
  return slot;
}

void TGlyphList::ReleaseSlot(int slot) {
  if (!IsSlotUsed(slot)) return;
  usedSlots_[static_cast<size_t>(slot)] = false;
  --usedCount_;
}

// ---- TGlyphCache ----

TGlyphList* TGlyphCache::ListForSize(int width, int height) {
  for (auto list = lists_.rbegin(); list != lists_.rend(); ++list)
    if ((*list)->Width() == width && (*list)->Height() == height) return list->get();
  // Made before it is appended, so that a size the list refuses leaves nothing behind.
  auto list = std::make_unique<TGlyphList>(width, height);
  lists_.push_back(std::move(list));
  return lists_.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
  if (!list || list->UsedCount() != 0) return;
  const auto found =
      std::find_if(lists_.begin(), lists_.end(), [list](const auto& held) { return held.get() == list; });
  if (found != lists_.end()) lists_.erase(found);
}

TGlyphCache* GlyphCache() { return gGlyphCache; }

// ---- TButtonGlyph ----

TButtonGlyph::TButtonGlyph() : glyphBitmap_(std::make_unique<TBitmap>()) {
  glyphBitmap_->OnChange = [this](TBitmap&) { StripChanged(); };
  if (!gGlyphCache) gGlyphCache = new TGlyphCache;
}

TButtonGlyph::~TButtonGlyph() {
  glyphBitmap_.reset();
  ReleaseImages();
  if (gGlyphCache && gGlyphCache->IsEmpty()) {
    delete gGlyphCache;
    gGlyphCache = nullptr;
  }
}

void TButtonGlyph::StripChanged() {
  // An emptied strip has no colour to give; the old one stays, unused until a picture comes.
  if (const auto colour = StripTransparentColor(*glyphBitmap_)) transparentColor_ = *colour;
  ReleaseImages();
  if (OnChange) OnChange();
}

void TButtonGlyph::SetImageCount(TNumGlyphs count) {
  count = std::min(count, kMaxGlyphImages);
  if (count == imageCount_ || count <= 0) return;
  ReleaseImages();
  imageCount_ = count;
}

void TButtonGlyph::ReleaseImages() {
  for (int& slot : imageSlots_) {
    if (slot != -1 && glyphList_) glyphList_->ReleaseSlot(slot);
    slot = -1;
  }
  if (gGlyphCache) gGlyphCache->ReturnList(glyphList_);
  glyphList_ = nullptr;
}

void TButtonGlyph::AssignBitmap(const TBitmap* bitmap) {
  ReleaseImages();
  if (bitmap)
    glyphBitmap_->Assign(*bitmap);
  else
    glyphBitmap_->SetSize(0, 0);
  if (!bitmap || bitmap->Height() <= 0) return;
  // Read from our copy, which has the same pixels: reading a bitmap's pixels needs its canvas.
  if (const auto colour = StripTransparentColor(*glyphBitmap_)) transparentColor_ = *colour;
  // A square-image strip tells its own image count; more than four images
  // cannot be states of one button, so such a strip is taken as one picture.
  if (bitmap->Width() % bitmap->Height() == 0) {
    int count = bitmap->Width() / bitmap->Height();
    if (count > kMaxGlyphImages) count = 1;
    SetImageCount(count);
  }
}

int TButtonGlyph::BuildStateImage(TGlyphState state) {
  // Fewer than three images have no pressed picture: the normal one serves, in its own slot.
  if (state == gsPressed && imageCount_ < 3) state = gsNormal;
  if (imageSlots_[state] != -1) return imageSlots_[state];
  TBitmap& strip = *glyphBitmap_;
  if (strip.Width() == 0 && strip.Height() == 0) return -1;
  const int width = strip.Width() / imageCount_;
  const int height = strip.Height();

  if (!glyphList_) {
    // The last glyph object may have destroyed the cache while this one held no image.
    if (!gGlyphCache) gGlyphCache = new TGlyphCache;
    glyphList_ = gGlyphCache->ListForSize(width, height);
  }

  int slot = -1;
  try {
    WorkBitmap scratch(width, height, WorkBitmap::kScreenColours);
    const int index = state < imageCount_ ? state : 0;
    HDC source = strip.Canvas().Handle();
    int sourceX = index * width;
    // A one-bit source blitted to a one-bit target may have its bits copied
    // as they are, without the colour comparison the marking relies on (GDI
    // does so for monochrome device bitmaps, whatever the background colour),
    // so a monochrome strip is first spread into screen colours.
    std::optional<WorkBitmap> expanded;
    if (strip.Monochrome()) {
      expanded.emplace(width, height, WorkBitmap::kScreenColours);
      SetTextColor(expanded->dc(), kBlack);
      SetBkColor(expanded->dc(), kWhite);
      BitBlt(expanded->dc(), 0, 0, width, height, source, sourceX, 0, SRCCOPY);
      source = expanded->dc();
      sourceX = 0;
    }
    const COLORREF transparent = ColorToRGB(transparentColor_);
    // System colours are taken now: the image keeps them until it is released.
    const COLORREF face = ColorToRGB(clBtnFace);
    WorkBitmap marks(width, height, WorkBitmap::kMonochrome);

    if (state == gsDisabled && imageCount_ == 1) {
      // Only the black lines of the single picture survive, in shadow with a
      // highlight copy one pixel right and down: the engraved look.
      MarkPixels(marks.dc(), source, sourceX, width, height, kBlack);
      const RECT all{0, 0, width, height};
      UniqueBrush faceBrush(CreateSolidBrush(face));
      if (!faceBrush) ThrowOutOfResources();
      FillRect(scratch.dc(), &all, faceBrush.get());
      PaintMarkedPixels(scratch.dc(), 1, 1, width, height, marks.dc(), ColorToRGB(clBtnHighlight));
      PaintMarkedPixels(scratch.dc(), 0, 0, width, height, marks.dc(), ColorToRGB(clBtnShadow));
      slot = glyphList_->AddImage(scratch.Unselected());
    } else {
      BitBlt(scratch.dc(), 0, 0, width, height, source, sourceX, 0, SRCCOPY);
      if (state == gsLatched) {
        slot = glyphList_->AddMaskedImage(scratch.Unselected(), transparentColor_);
      } else {
        // The marks are always taken from the untouched source, so that a
        // colour painted in one step is never caught by the next.
        struct Repaint {
          COLORREF from, to;
        };
        std::vector<Repaint> repaints;
        if (state == gsDisabled) {
          repaints = {{ColorToRGB(clWhite), ColorToRGB(clBtnHighlight)},
                      {ColorToRGB(clGray), ColorToRGB(clBtnShadow)},
                      {transparent, face}};
        } else {
          repaints = {{transparent, face}};
        }
        for (const Repaint& repaint : repaints) {
          MarkPixels(marks.dc(), source, sourceX, width, height, repaint.from);
          PaintMarkedPixels(scratch.dc(), 0, 0, width, height, marks.dc(), repaint.to);
        }
        slot = glyphList_->AddImage(scratch.Unselected());
      }
    }
  } catch (...) {
    // A glyph that holds no image must not keep a list another glyph may empty and destroy.
    if (std::all_of(std::begin(imageSlots_), std::end(imageSlots_), [](int held) { return held == -1; })) {
      gGlyphCache->ReturnList(glyphList_);
      glyphList_ = nullptr;
    }
    throw;
  }
  imageSlots_[state] = slot;
  return slot;
}

void TButtonGlyph::DrawGlyphImage(TCanvas& canvas, int x, int y, TGlyphState state) {
  if (glyphBitmap_->Width() == 0 || glyphBitmap_->Height() == 0) return;
  const int slot = BuildStateImage(state);
  HDC dc = canvas.Handle();
  if (slot < 0 || !glyphList_ || !dc) return;
  if (state == gsLatched) {
    ImageList_DrawEx(glyphList_->Handle(), slot, dc, x, y, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
  } else {
    // The stored image is opaque, its see-through pixels already button face: one plain copy.
    ImageList_DrawEx(glyphList_->Handle(), slot, dc, x, y, 0, 0, ColorToRGB(clBtnFace), CLR_NONE, ILD_NORMAL);
  }
}

void TButtonGlyph::DrawCaption(TCanvas& canvas, const std::string& caption, const RECT& rect, TGlyphState state) {
  canvas.Brush().SetStyle(bsClear);
  HDC dc = PrepareFontDC(canvas);
  if (!dc) return;
  SetBkMode(dc, TRANSPARENT);
  if (state == gsDisabled) {
    // White one pixel right and down, grey on top: the caption looks engraved.
    RECT shifted = rect;
    OffsetRect(&shifted, 1, 1);
    canvas.Font().SetColor(clWhite);
    SetTextColor(dc, ColorToRGB(clWhite));
    DrawCaptionText(dc, caption, shifted, 0);
    canvas.Font().SetColor(clGray);
    SetTextColor(dc, ColorToRGB(clGray));
    DrawCaptionText(dc, caption, rect, 0);
  } else {
    SetTextColor(dc, ColorToRGB(canvas.Font().Color()));
    DrawCaptionText(dc, caption, rect, kCaptionFlags);
  }
}

TGlyphPlacement TButtonGlyph::ComputeLayout(TCanvas& canvas, const RECT& content, const std::string& caption,
                                            TButtonLayout layout, int margin, int spacing) {
  const int width = content.right - content.left;
  const int height = content.bottom - content.top;
  const TBitmap& strip = *glyphBitmap_;
  const int glyphWidth = strip.Empty() ? 0 : strip.Width() / imageCount_;
  const int glyphHeight = strip.Empty() ? 0 : strip.Height();

  RECT captionRect{0, 0, 0, 0};
  HDC dc = caption.empty() ? nullptr : PrepareFontDC(canvas);
  if (dc) {
    // Measured from the content's width: DT_CALCRECT keeps the left and top and sets the right and bottom.
    captionRect.right = width;
    DrawTextA(dc, caption.data(), static_cast<int>(caption.size()), &captionRect, DT_CALCRECT);
  }
  const int textWidth = captionRect.right - captionRect.left;
  const int textHeight = captionRect.bottom - captionRect.top;

  // C++ division rounds toward zero, as the placement rules want also for negative values.
  POINT glyphPos{0, 0};
  POINT textPos{0, 0};
  const bool sideBySide = layout == blGlyphLeft || layout == blGlyphRight;
  if (sideBySide) {
    glyphPos.y = (height - glyphHeight + 1) / 2;
    textPos.y = (height - textHeight + 1) / 2;
  } else {
    glyphPos.x = (width - glyphWidth + 1) / 2;
    textPos.x = (width - textWidth + 1) / 2;
  }

  // A lone glyph or a lone caption needs no gap.
  if (textWidth == 0 || glyphWidth == 0) spacing = 0;

  const int room = sideBySide ? width : height;
  const int glyphSize = sideBySide ? glyphWidth : glyphHeight;
  const int textSize = sideBySide ? textWidth : textHeight;
  if (margin == -1 && spacing == -1) {
    margin = (room - (glyphSize + textSize)) / 3;
    spacing = margin;
  } else if (margin == -1) {
    margin = (room - (glyphSize + spacing + textSize) + 1) / 2;
  } else if (spacing == -1) {
    spacing = ((room - (margin + glyphSize)) - textSize) / 2;
  }

  switch (layout) {
    case blGlyphLeft:
      glyphPos.x = margin;
      textPos.x = glyphPos.x + glyphWidth + spacing;
      break;
    case blGlyphRight:
      glyphPos.x = width - margin - glyphWidth;
      textPos.x = glyphPos.x - spacing - textWidth;
      break;
    case blGlyphTop:
      glyphPos.y = margin;
      textPos.y = glyphPos.y + glyphHeight + spacing;
      break;
    case blGlyphBottom:
      glyphPos.y = height - margin - glyphHeight;
      textPos.y = glyphPos.y - spacing - textHeight;
      break;
  }

  TGlyphPlacement placement;
  placement.glyphPos = {content.left + glyphPos.x, content.top + glyphPos.y};
  placement.captionRect = captionRect;
  OffsetRect(&placement.captionRect, content.left + textPos.x, content.top + textPos.y);
  return placement;
}

RECT TButtonGlyph::DrawContent(TCanvas& canvas, const RECT& content, const std::string& caption, TButtonLayout layout,
                               int margin, int spacing, TGlyphState state) {
  const TGlyphPlacement placement = ComputeLayout(canvas, content, caption, layout, margin, spacing);
  DrawGlyphImage(canvas, placement.glyphPos.x, placement.glyphPos.y, state);
  DrawCaption(canvas, caption, placement.captionRect, state);
  return placement.captionRect;
}
