// Button glyphs on the button face: where glyph and caption go, and how the caption is drawn.
#include "Buttons/ButtonGlyph.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include "tests/support/GlyphArt.h"

namespace {

// ---- Captions ----

// What TextOutA draws of `text` at (x, y) in the canvas font of a fresh
// canvas: the reference the caption drawing is compared with.
std::set<std::pair<int, int>> ReferenceInk(int width, int height, int x, int y, const std::string& text) {
  Surface reference(width, height);
  reference.canvas().Brush().SetStyle(bsClear);
  reference.canvas().Font().SetColor(clBlack);
  reference.canvas().TextOut(x, y, text);
  return reference.Ink();
}

std::set<std::pair<int, int>> Shifted(const std::set<std::pair<int, int>>& ink, int dx, int dy) {
  std::set<std::pair<int, int>> moved;
  for (const auto& [x, y] : ink) moved.insert({x + dx, y + dy});
  return moved;
}

std::pair<int, int> TopLeftOf(const std::set<std::pair<int, int>>& ink) {
  int left = INT32_MAX, top = INT32_MAX;
  for (const auto& [x, y] : ink) {
    left = std::min(left, x);
    top = std::min(top, y);
  }
  return {left, top};
}

TEST_F(ButtonGlyph, CaptionIsDrawnCentredOnOneLineInTheFontColourWithoutBackground) {
  Surface surface(120, 40);
  surface.canvas().Font().SetColor(clBlue);
  const RECT rect{10, 5, 110, 35};
  TButtonGlyph glyph;
  glyph.DrawCaption(surface.canvas(), "変換", rect, gsNormal);
  EXPECT_EQ(surface.canvas().Brush().Style(), bsClear);

  const SIZE extent = surface.canvas().TextExtent("変換");
  const auto reference = ReferenceInk(120, 40, 0, 0, "変換");
  const auto ink = surface.Ink();
  ASSERT_FALSE(reference.empty());
  const auto [referenceLeft, referenceTop] = TopLeftOf(reference);
  const auto [left, top] = TopLeftOf(ink);
  const int dx = left - referenceLeft, dy = top - referenceTop;
  EXPECT_EQ(ink, Shifted(reference, dx, dy));  // the same text, only moved
  EXPECT_NEAR(dx, rect.left + (100 - extent.cx) / 2, 1);
  EXPECT_NEAR(dy, rect.top + (30 - extent.cy) / 2, 1);
  for (const auto& [x, y] : ink) ASSERT_EQ(surface.Pixel(x, y), RGB(0, 0, 255)) << x << "," << y;
}

TEST_F(ButtonGlyph, DisabledCaptionIsEngravedGreyOverWhiteOnePixelRightAndDownFromTheTopLeft) {
  Surface surface(120, 40);
  surface.canvas().Font().SetColor(clBlue);
  const RECT rect{10, 5, 110, 35};
  TButtonGlyph glyph;
  glyph.DrawCaption(surface.canvas(), "変換", rect, gsDisabled);
  // Left and top aligned: drawn where TextOut at the corner draws.
  const auto grey = ReferenceInk(120, 40, rect.left, rect.top, "変換");
  const auto white = Shifted(grey, 1, 1);
  for (int y = 0; y < surface.height(); ++y)
    for (int x = 0; x < surface.width(); ++x) {
      const COLORREF expected = grey.count({x, y})    ? RGB(0x80, 0x80, 0x80)
                                : white.count({x, y}) ? RGB(0xFF, 0xFF, 0xFF)
                                                      : kBackground;
      ASSERT_EQ(surface.Pixel(x, y), expected) << x << "," << y;
    }
}

TEST_F(ButtonGlyph, AmpersandIsNotDrawnButUnderlinesTheNextCharacter) {
  TButtonGlyph glyph;
  Surface plain(80, 30);
  Surface marked(80, 30);
  const RECT rect{0, 0, 80, 30};
  glyph.DrawCaption(plain.canvas(), "OK", rect, gsNormal);
  glyph.DrawCaption(marked.canvas(), "&OK", rect, gsNormal);
  const auto plainInk = plain.Ink();
  const auto markedInk = marked.Ink();
  ASSERT_FALSE(plainInk.empty());
  EXPECT_TRUE(std::includes(markedInk.begin(), markedInk.end(), plainInk.begin(), plainInk.end()));
  std::set<int> extraRows;
  int lowestPlain = 0;
  for (const auto& [x, y] : plainInk) lowestPlain = std::max(lowestPlain, y);
  for (const auto& pixel : markedInk)
    if (!plainInk.count(pixel)) extraRows.insert(pixel.second);
  ASSERT_FALSE(extraRows.empty());                 // the underline
  EXPECT_GE(*extraRows.begin(), lowestPlain - 1);  // below the letters, not an ampersand beside them
}

// ---- Layout ----

// A glyph with a strip of two 16 x 16 images: a red corner pixel on olive,
// and a white corner pixel on olive for disabled.
void SetSixteenPixelStrip(TButtonGlyph& glyph) {
  Art strip(16, std::string(32, 'O'));
  strip[0][0] = 'R';
  strip[15][15] = 'R';
  strip[0][16] = 'W';
  AssignPaintedStrip(glyph, strip, 2);
}

struct Measured {
  int width, height;
};

Measured MeasureCaption(TCanvas& canvas, const std::string& caption) {
  const SIZE size = canvas.TextExtent(caption);
  return {size.cx, size.cy};
}

void ExpectCaptionRect(const RECT& rect, int left, int top, const Measured& text) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.right - rect.left, text.width);
  EXPECT_EQ(rect.bottom - rect.top, text.height);
}

TEST_F(ButtonGlyph, AutomaticMarginAndSpacingSpreadTheFreeWidthInThreeWithTheRemainderRight) {
  TButtonGlyph glyph;
  SetSixteenPixelStrip(glyph);
  Surface surface(4, 4);
  const Measured text = MeasureCaption(surface.canvas(), "ABCD");
  ASSERT_GT(text.width, 0);
  for (int remainder = 0; remainder < 3; ++remainder) {
    SCOPED_TRACE(remainder);
    const int width = 16 + text.width + 24 + remainder;  // room for 8 + 8 + 8, and the remainder
    const RECT content{5, 7, 5 + width, 7 + 40};
    const TGlyphPlacement placement = glyph.ComputeLayout(surface.canvas(), content, "ABCD", blGlyphLeft, -1, -1);
    EXPECT_EQ(placement.glyphPos.x, 5 + 8);
    EXPECT_EQ(placement.glyphPos.y, 7 + 12);  // (40 - 16 + 1) div 2
    ExpectCaptionRect(placement.captionRect, 5 + 8 + 16 + 8, 7 + (40 - text.height + 1) / 2, text);
    EXPECT_EQ(content.right - placement.captionRect.right, 8 + remainder);
  }
}

TEST_F(ButtonGlyph, ProgramButtonPlacesGlyphAboveCaptionTheSameForAnyEvenShrinkOfTheButton) {
  TButtonGlyph glyph;
  SetSixteenPixelStrip(glyph);
  Surface surface(4, 4);
  const Measured text = MeasureCaption(surface.canvas(), "変換");
  // The convert button: 49 x 233, glyph on top, margin -1, spacing 4.
  for (int shrink = 0; shrink < 4; ++shrink) {
    SCOPED_TRACE(shrink);
    const RECT content{shrink, shrink, 49 - shrink, 233 - shrink};
    const TGlyphPlacement placement = glyph.ComputeLayout(surface.canvas(), content, "変換", blGlyphTop, -1, 4);
    const int glyphTop = (233 - (16 + 4 + text.height) + 1) / 2;
    EXPECT_EQ(placement.glyphPos.x, 17);
    EXPECT_EQ(placement.glyphPos.y, glyphTop);
    ExpectCaptionRect(placement.captionRect, (49 - text.width + 1) / 2, glyphTop + 20, text);
    if (text.height == 15) {  // the main window's font
      EXPECT_EQ(placement.glyphPos.y, 99);
      EXPECT_EQ(placement.captionRect.top, 119);
    }
  }
}

TEST_F(ButtonGlyph, EachLayoutPutsGlyphAndCaptionOnItsSideWithGivenOrComputedGaps) {
  TButtonGlyph glyph;
  SetSixteenPixelStrip(glyph);
  Surface surface(4, 4);
  const Measured text = MeasureCaption(surface.canvas(), "終了");
  const RECT content{3, 4, 3 + 101, 4 + 91};  // 101 x 91
  auto place = [&](TButtonLayout layout, int margin, int spacing) {
    return glyph.ComputeLayout(surface.canvas(), content, "終了", layout, margin, spacing);
  };
  const int acrossGlyphY = 4 + (91 - 16 + 1) / 2, acrossTextY = 4 + (91 - text.height + 1) / 2;
  const int acrossGlyphX = 3 + (101 - 16 + 1) / 2, acrossTextX = 3 + (101 - text.width + 1) / 2;

  // Both given: they are used as they are.
  TGlyphPlacement p = place(blGlyphLeft, 3, 2);
  EXPECT_EQ(p.glyphPos.x, 3 + 3);
  EXPECT_EQ(p.glyphPos.y, acrossGlyphY);
  ExpectCaptionRect(p.captionRect, 3 + 3 + 16 + 2, acrossTextY, text);
  p = place(blGlyphRight, 3, 2);
  EXPECT_EQ(p.glyphPos.x, 3 + 101 - 3 - 16);
  ExpectCaptionRect(p.captionRect, 3 + 101 - 3 - 16 - 2 - text.width, acrossTextY, text);
  p = place(blGlyphTop, 3, 2);
  EXPECT_EQ(p.glyphPos.x, acrossGlyphX);
  EXPECT_EQ(p.glyphPos.y, 4 + 3);
  ExpectCaptionRect(p.captionRect, acrossTextX, 4 + 3 + 16 + 2, text);
  p = place(blGlyphBottom, 3, 2);
  EXPECT_EQ(p.glyphPos.y, 4 + 91 - 3 - 16);
  ExpectCaptionRect(p.captionRect, acrossTextX, 4 + 91 - 3 - 16 - 2 - text.height, text);

  // Margin -1: the block of glyph, spacing and caption is centred.
  p = place(blGlyphRight, -1, 5);
  const int rightMargin = (101 - (16 + 5 + text.width) + 1) / 2;
  EXPECT_EQ(p.glyphPos.x, 3 + 101 - rightMargin - 16);
  EXPECT_EQ(p.captionRect.left, p.glyphPos.x - 5 - text.width);
  p = place(blGlyphBottom, -1, 5);
  const int bottomMargin = (91 - (16 + 5 + text.height) + 1) / 2;
  EXPECT_EQ(p.glyphPos.y, 4 + 91 - bottomMargin - 16);
  EXPECT_EQ(p.captionRect.top, p.glyphPos.y - 5 - text.height);

  // Spacing -1 with a given margin: the caption is centred in what the glyph leaves.
  p = place(blGlyphLeft, 6, -1);
  const int leftSpacing = ((101 - (6 + 16)) - text.width) / 2;
  EXPECT_EQ(p.glyphPos.x, 3 + 6);
  EXPECT_EQ(p.captionRect.left, 3 + 6 + 16 + leftSpacing);
  p = place(blGlyphTop, 6, -1);
  const int topSpacing = ((91 - (6 + 16)) - text.height) / 2;
  EXPECT_EQ(p.glyphPos.y, 4 + 6);
  EXPECT_EQ(p.captionRect.top, 4 + 6 + 16 + topSpacing);

  // Both -1 along the height: three equal gaps.
  p = place(blGlyphBottom, -1, -1);
  const int third = (91 - (16 + text.height)) / 3;
  EXPECT_EQ(p.glyphPos.y, 4 + 91 - third - 16);
  EXPECT_EQ(p.captionRect.top, p.glyphPos.y - third - text.height);
}

TEST_F(ButtonGlyph, LoneGlyphOrLoneCaptionIsCentredWithoutSpacing) {
  TButtonGlyph glyph;
  SetSixteenPixelStrip(glyph);
  Surface surface(4, 4);
  const RECT content{0, 0, 41, 30};
  TGlyphPlacement p = glyph.ComputeLayout(surface.canvas(), content, "", blGlyphLeft, -1, -1);
  EXPECT_EQ(p.glyphPos.x, (41 - 16 + 1) / 2);
  EXPECT_EQ(p.glyphPos.y, (30 - 16 + 1) / 2);
  EXPECT_EQ(p.captionRect.right - p.captionRect.left, 0);
  EXPECT_EQ(p.captionRect.bottom - p.captionRect.top, 0);
  p = glyph.ComputeLayout(surface.canvas(), content, "", blGlyphTop, -1, 7);
  EXPECT_EQ(p.glyphPos.y, (30 - 16 + 1) / 2);  // the 7 is dropped with nothing to separate

  TButtonGlyph captionOnly;
  const Measured text = MeasureCaption(surface.canvas(), "OK");
  p = captionOnly.ComputeLayout(surface.canvas(), content, "OK", blGlyphLeft, -1, 4);
  ExpectCaptionRect(p.captionRect, (41 - text.width + 1) / 2, (30 - text.height + 1) / 2, text);
  p = captionOnly.ComputeLayout(surface.canvas(), content, "OK", blGlyphBottom, -1, -1);
  // Nothing to space from: the caption is centred along the height too, from the bottom.
  ExpectCaptionRect(p.captionRect, (41 - text.width + 1) / 2, 30 - (30 - text.height + 1) / 2 - text.height, text);
}

TEST_F(ButtonGlyph, TooSmallContentRoundsTowardZeroAndTheGlyphIsDrawnWholeBeyondIt) {
  TButtonGlyph glyph;
  SetSixteenPixelStrip(glyph);
  Surface surface(80, 40);
  const Measured text = MeasureCaption(surface.canvas(), "OK");
  // Seven pixels short: (-7) div 3 is -2 and (8 - 16 + 1) div 2 is -3, where flooring would give -3 and -4.
  const RECT content{20, 20, 20 + 16 + text.width - 7, 20 + 8};
  const TGlyphPlacement p = glyph.ComputeLayout(surface.canvas(), content, "OK", blGlyphLeft, -1, -1);
  EXPECT_EQ(p.glyphPos.x, 20 - 2);
  EXPECT_EQ(p.glyphPos.y, 20 - 3);
  EXPECT_EQ(p.captionRect.left, 20 - 2 + 16 - 2);
  glyph.DrawContent(surface.canvas(), content, "OK", blGlyphLeft, -1, -1, gsNormal);
  EXPECT_EQ(surface.ArtAt(p.glyphPos.x, p.glyphPos.y, 2, 1), (Art{"RF"}));
  EXPECT_EQ(surface.ArtAt(p.glyphPos.x + 14, p.glyphPos.y + 15, 2, 1), (Art{"FR"}));
}

TEST_F(ButtonGlyph, CaptionRectangleGrowsWithTheLinesOfAMultiLineCaption) {
  TButtonGlyph glyph;
  Surface surface(4, 4);
  const Measured line = MeasureCaption(surface.canvas(), "上");
  const TGlyphPlacement p = glyph.ComputeLayout(surface.canvas(), {0, 0, 200, 100}, "上\n下", blGlyphLeft, 0, 0);
  EXPECT_EQ(p.captionRect.bottom - p.captionRect.top, 2 * line.height);
  EXPECT_EQ(p.captionRect.right - p.captionRect.left, line.width);
  const TGlyphPlacement marked = glyph.ComputeLayout(surface.canvas(), {0, 0, 200, 100}, "&OK", blGlyphLeft, 0, 0);
  EXPECT_EQ(marked.captionRect.right - marked.captionRect.left, MeasureCaption(surface.canvas(), "OK").width);
}

TEST_F(ButtonGlyph, DrawContentDrawsTheGlyphAtItsPlaceAndTheCaptionInTheReturnedRectangle) {
  for (TGlyphState state : {gsNormal, gsPressed, gsDisabled}) {
    SCOPED_TRACE(state);
    TButtonGlyph glyph;
    SetSixteenPixelStrip(glyph);
    Surface surface(73, 41);
    surface.canvas().Font().SetColor(clBlue);
    const RECT content{2, 2, 71, 39};
    const TGlyphPlacement expected = glyph.ComputeLayout(surface.canvas(), content, "終了", blGlyphTop, -1, 4);
    const RECT caption = glyph.DrawContent(surface.canvas(), content, "終了", blGlyphTop, -1, 4, state);
    EXPECT_TRUE(EqualRect(&caption, &expected.captionRect));
    const POINT at = expected.glyphPos;
    if (state == gsDisabled) {
      EXPECT_EQ(surface.ArtAt(at.x, at.y, 2, 2), (Art{"HF", "FF"}));
    } else {
      EXPECT_EQ(surface.ArtAt(at.x, at.y, 2, 2), (Art{"RF", "FF"}));
      EXPECT_EQ(surface.ArtAt(at.x + 14, at.y + 14, 2, 2), (Art{"FF", "FR"}));
    }
    // Outside the glyph, ink only inside the caption rectangle (the engraved white one pixel beyond).
    int captionInk = 0;
    for (const auto& [x, y] : surface.Ink()) {
      if (x >= at.x && x < at.x + 16 && y >= at.y && y < at.y + 16) continue;
      const RECT allowed{caption.left, caption.top, caption.right + 1, caption.bottom + 1};
      const POINT pixel{x, y};
      ASSERT_TRUE(PtInRect(&allowed, pixel)) << x << "," << y;
      ++captionInk;
    }
    EXPECT_GT(captionInk, 10);
  }
}

}  // namespace
