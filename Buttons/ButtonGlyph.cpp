// Button glyphs: per-state images built from a glyph strip into shared image lists, and glyph-and-caption layout.
#include "Buttons/ButtonGlyph.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

#include "Buttons/WorkBitmap.h"

namespace {

// The platform's palette-relative colour marker (PALETTERGB).
constexpr TColor kPaletteRelative = 0x02000000;
constexpr UINT kCaptionFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

// Owned. A plain pointer rather than a smart one: no exit-time destructor may
// take the cache away from a glyph object that outlives it.
TGlyphCache* gGlyphCache = nullptr;

// DrawTextA needs the canvas font in the DC; the canvas selects it and puts
// the DC's own font back when it lets the DC go.
HDC PrepareFontDC(TCanvas& canvas) {
  return canvas.HandleWithFont();
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

// Where a state's image is built from: the strip's DC and the image's left
// edge in it. A one-bit source blitted to a one-bit target may have its bits
// copied as they are, without the colour comparison the marking relies on (GDI
// does so for monochrome device bitmaps, whatever the background colour), so a
// monochrome strip's image is first spread into screen colours in `expanded`.
struct ImageOrigin {
  HDC dc;
  int x;
};

ImageOrigin OriginToBuildFrom(TBitmap& strip, int x, int width, int height, std::optional<WorkBitmap>& expanded) {
  HDC source = strip.Canvas().Handle();
  if (!strip.Monochrome()) return {source, x};
  expanded.emplace(width, height, WorkBitmap::kScreenColours);
  SetTextColor(expanded->dc(), kBlack);
  SetBkColor(expanded->dc(), kWhite);
  BitBlt(expanded->dc(), 0, 0, width, height, source, x, 0, SRCCOPY);
  return {expanded->dc(), 0};
}

// Only the black lines of the single picture survive, in shadow with a
// highlight copy one pixel right and down: the engraved look.
void PaintEngraved(HDC target, HDC marks, ImageOrigin source, int width, int height, COLORREF face) {
  MarkPixels(marks, source.dc, source.x, width, height, kBlack);
  const RECT all{0, 0, width, height};
  UniqueBrush faceBrush(CreateSolidBrush(face));
  if (!faceBrush) ThrowNotEnoughSystemResources();
  FillRect(target, &all, faceBrush.get());
  PaintMarkedPixels(target, 1, 1, width, height, marks, ColorToRGB(clBtnHighlight));
  PaintMarkedPixels(target, 0, 0, width, height, marks, ColorToRGB(clBtnShadow));
}

struct Recolouring {
  COLORREF from, to;
};

// The marks are always taken from the untouched source, so that a colour
// painted in one step is never caught by the next.
void Recolour(HDC target, HDC marks, ImageOrigin source, int width, int height,
              std::initializer_list<Recolouring> recolourings) {
  for (const Recolouring& recolouring : recolourings) {
    MarkPixels(marks, source.dc, source.x, width, height, recolouring.from);
    PaintMarkedPixels(target, 0, 0, width, height, marks, recolouring.to);
  }
}

// The caption's rectangle at (0, 0) in the canvas's font, as wide as `width`
// allows; empty for no caption.
RECT MeasureCaption(TCanvas& canvas, const std::string& caption, int width) {
  RECT rect{0, 0, 0, 0};
  HDC dc = caption.empty() ? nullptr : PrepareFontDC(canvas);
  if (dc) {
    // DT_CALCRECT keeps the left and top and sets the right and bottom.
    rect.right = width;
    DrawTextA(dc, caption.data(), static_cast<int>(caption.size()), &rect, DT_CALCRECT);
  }
  return rect;
}

// Glyph and caption positions within the content, from its top-left corner.
struct Positions {
  POINT glyph, text;
};

Positions PlaceGlyphAndText(SIZE area, SIZE glyph, SIZE text, TButtonLayout layout, int margin, int spacing) {
  // C++ division rounds toward zero, as the placement rules want also for negative values.
  Positions at{{0, 0}, {0, 0}};
  const bool sideBySide = layout == blGlyphLeft || layout == blGlyphRight;
  if (sideBySide) {
    at.glyph.y = (area.cy - glyph.cy + 1) / 2;
    at.text.y = (area.cy - text.cy + 1) / 2;
  } else {
    at.glyph.x = (area.cx - glyph.cx + 1) / 2;
    at.text.x = (area.cx - text.cx + 1) / 2;
  }

  // A lone glyph or a lone caption needs no gap.
  if (text.cx == 0 || glyph.cx == 0) spacing = 0;

  const int room = sideBySide ? area.cx : area.cy;
  const int glyphSize = sideBySide ? glyph.cx : glyph.cy;
  const int textSize = sideBySide ? text.cx : text.cy;
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
      at.glyph.x = margin;
      at.text.x = at.glyph.x + glyph.cx + spacing;
      break;
    case blGlyphRight:
      at.glyph.x = area.cx - margin - glyph.cx;
      at.text.x = at.glyph.x - spacing - text.cx;
      break;
    case blGlyphTop:
      at.glyph.y = margin;
      at.text.y = at.glyph.y + glyph.cy + spacing;
      break;
    case blGlyphBottom:
      at.glyph.y = area.cy - margin - glyph.cy;
      at.text.y = at.glyph.y - spacing - text.cy;
      break;
  }
  return at;
}

}  // namespace

TGlyphCache* GlyphCache() {
  return gGlyphCache;
}

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
    slot = AddStateImage(state, width, height);
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

int TButtonGlyph::AddStateImage(TGlyphState state, int width, int height) {
  WorkBitmap scratch(width, height, WorkBitmap::kScreenColours);
  std::optional<WorkBitmap> expanded;
  const int index = state < imageCount_ ? state : 0;
  const ImageOrigin source = OriginToBuildFrom(*glyphBitmap_, index * width, width, height, expanded);
  const COLORREF transparent = ColorToRGB(transparentColor_);
  // System colours are taken now: the image keeps them until it is released.
  const COLORREF face = ColorToRGB(clBtnFace);
  WorkBitmap marks(width, height, WorkBitmap::kMonochrome);

  if (state == gsDisabled && imageCount_ == 1) {
    PaintEngraved(scratch.dc(), marks.dc(), source, width, height, face);
    return glyphList_->AddImage(scratch.Unselected());
  }
  BitBlt(scratch.dc(), 0, 0, width, height, source.dc, source.x, 0, SRCCOPY);
  if (state == gsLatched) return glyphList_->AddMaskedImage(scratch.Unselected(), transparentColor_);
  if (state == gsDisabled) {
    Recolour(scratch.dc(), marks.dc(), source, width, height,
             {{ColorToRGB(clWhite), ColorToRGB(clBtnHighlight)},
              {ColorToRGB(clGray), ColorToRGB(clBtnShadow)},
              {transparent, face}});
  } else {
    Recolour(scratch.dc(), marks.dc(), source, width, height, {{transparent, face}});
  }
  return glyphList_->AddImage(scratch.Unselected());
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
  const SIZE area{content.right - content.left, content.bottom - content.top};
  const TBitmap& strip = *glyphBitmap_;
  const SIZE glyph{strip.Empty() ? 0 : strip.Width() / imageCount_, strip.Empty() ? 0 : strip.Height()};
  const RECT captionRect = MeasureCaption(canvas, caption, area.cx);
  const SIZE text{captionRect.right - captionRect.left, captionRect.bottom - captionRect.top};
  const Positions positions = PlaceGlyphAndText(area, glyph, text, layout, margin, spacing);

  TGlyphPlacement placement;
  placement.glyphPos = {content.left + positions.glyph.x, content.top + positions.glyph.y};
  placement.captionRect = captionRect;
  OffsetRect(&placement.captionRect, content.left + positions.text.x, content.top + positions.text.y);
  return placement;
}

RECT TButtonGlyph::DrawContent(TCanvas& canvas, const RECT& content, const std::string& caption, TButtonLayout layout,
                               int margin, int spacing, TGlyphState state) {
  const TGlyphPlacement placement = ComputeLayout(canvas, content, caption, layout, margin, spacing);
  DrawGlyphImage(canvas, placement.glyphPos.x, placement.glyphPos.y, state);
  DrawCaption(canvas, caption, placement.captionRect, state);
  return placement.captionRect;
}
