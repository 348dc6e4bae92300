// The glyph of a bitmap button (strip, per-state images in shared image lists, glyph-and-caption drawing).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "Buttons/GlyphCache.h"
#include "Buttons/GlyphList.h"
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
  TGlyphPlacement ComputeLayout(TCanvas& canvas, const RECT& content, const std::string& caption, TButtonLayout layout,
                                int margin, int spacing);
  // Places and draws glyph and caption; returns the caption's rectangle.
  RECT DrawContent(TCanvas& canvas, const RECT& content, const std::string& caption, TButtonLayout layout, int margin,
                   int spacing, TGlyphState state);
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
  // Builds the state's image from the strip into the glyph list; its slot.
  int AddStateImage(TGlyphState state, int width, int height);

  std::unique_ptr<TBitmap> glyphBitmap_;  // owned
  TGlyphList* glyphList_ = nullptr;       // not owned: borrowed from the glyph cache
  int imageSlots_[kGlyphStateCount] = {-1, -1, -1, -1};
  TColor transparentColor_ = clOlive;
  TNumGlyphs imageCount_ = 1;
};
