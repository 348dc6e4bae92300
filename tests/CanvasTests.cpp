// Drawing through TCanvas on real DCs, read back pixel by pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "tests/support/BmpFiles.h"
#include "tests/support/GraphicsTestHelpers.h"

// ---- Canvas ----

TEST(Canvas, FillRectPaintsTheBrushColourThatPixelsReadsBack) {
  WhiteSurface surface(10, 10);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Brush().SetColor(clTeal);
  canvas.FillRect({2, 2, 6, 6});
  EXPECT_EQ(surface.Pixel(2, 2), RGB(0, 128, 128));
  EXPECT_EQ(surface.Pixel(5, 5), RGB(0, 128, 128));
  EXPECT_EQ(surface.Pixel(6, 6), RGB(255, 255, 255));
  EXPECT_EQ(surface.Pixel(1, 2), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Pixels(3, 4), clTeal);
  EXPECT_EQ(canvas.Pixels(0, 0), clWhite);
  EXPECT_EQ(canvas.Pixels(10, 0), clNone);
  EXPECT_EQ(canvas.Pixels(-1, 3), clNone);
}

TEST(Canvas, SetPixelsWritesOnePixel) {
  WhiteSurface surface(4, 4);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.SetPixels(1, 2, clPurple);
  EXPECT_EQ(surface.Pixel(1, 2), RGB(128, 0, 128));
  EXPECT_EQ(surface.Pixel(2, 2), RGB(255, 255, 255));
  canvas.SetPixels(0, 0, clBtnShadow);
  EXPECT_EQ(surface.Pixel(0, 0), GetSysColor(COLOR_BTNSHADOW));
}

TEST(Canvas, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
  WhiteSurface surface(10, 10);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Pen().SetColor(clBlue);
  canvas.Brush().SetColor(clYellow);
  canvas.Rectangle({1, 1, 8, 8});
  EXPECT_EQ(surface.Pixel(1, 1), RGB(0, 0, 255));
  EXPECT_EQ(surface.Pixel(7, 4), RGB(0, 0, 255));
  EXPECT_EQ(surface.Pixel(4, 4), RGB(255, 255, 0));
  EXPECT_EQ(surface.Pixel(8, 8), RGB(255, 255, 255));

  canvas.Brush().SetStyle(bsClear);
  canvas.Pen().SetColor(clGreen);
  canvas.Rectangle({0, 0, 10, 10});
  EXPECT_EQ(surface.Pixel(0, 5), RGB(0, 128, 0));
  EXPECT_EQ(surface.Pixel(4, 4), RGB(255, 255, 0));  // a clear brush leaves the inside
}

TEST(Canvas, TextWidthIsPositiveAndGrowsWithTheText) {
  WhiteSurface surface(4, 4);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  const int one = canvas.TextWidth("表");
  EXPECT_GT(one, 0);
  EXPECT_GT(canvas.TextWidth("表示"), one);
  EXPECT_GT(canvas.TextWidth("表示する"), canvas.TextWidth("表示"));
  EXPECT_GT(canvas.TextWidth("WWW"), canvas.TextWidth("W"));
  EXPECT_EQ(canvas.TextWidth(""), 0);
  const int height = canvas.TextHeight("表");
  EXPECT_GE(height, 12);
  const SIZE extent = canvas.TextExtent("表示");
  EXPECT_EQ(extent.cx, canvas.TextWidth("表示"));
  EXPECT_EQ(extent.cy, height);
  canvas.Font().SetHeight(-24);
  EXPECT_GT(canvas.TextHeight("表"), height);
  EXPECT_GT(canvas.TextWidth("表"), one);
}

TEST(Canvas, TextOutDrawsInTheFontColourOnTheBrushColour) {
  WhiteSurface surface(40, 30);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Font().SetColor(clRed);
  canvas.Brush().SetColor(clBlue);
  const SIZE cell = canvas.TextExtent("■");
  canvas.TextOut(2, 3, "■");
  int red = 0;
  for (int y = 3; y < 3 + cell.cy; ++y)
    for (int x = 2; x < 2 + cell.cx; ++x) red += surface.Pixel(x, y) == RGB(255, 0, 0);
  EXPECT_GT(red, 10);
  EXPECT_EQ(surface.Pixel(2, 3), RGB(0, 0, 255));  // the cell's corner: background
  EXPECT_EQ(surface.Pixel(1, 3), RGB(255, 255, 255));
  EXPECT_EQ(surface.Pixel(2 + cell.cx, 3), RGB(255, 255, 255));

  // A clear brush draws no background.
  canvas.Brush().SetStyle(bsClear);
  canvas.TextOut(20, 3, "■");
  EXPECT_EQ(surface.Pixel(20, 3), RGB(255, 255, 255));
  red = 0;
  for (int y = 3; y < 3 + cell.cy; ++y)
    for (int x = 20; x < 20 + cell.cx; ++x) red += surface.Pixel(x, y) == RGB(255, 0, 0);
  EXPECT_GT(red, 10);
}

TEST(Canvas, DetachingPutsBackTheObjectsTheDCHadBefore) {
  WhiteSurface surface(10, 10);
  const HGDIOBJ font = GetCurrentObject(surface.dc(), OBJ_FONT);
  const HGDIOBJ pen = GetCurrentObject(surface.dc(), OBJ_PEN);
  const HGDIOBJ brush = GetCurrentObject(surface.dc(), OBJ_BRUSH);
  {
    TCanvas canvas;
    canvas.SetHandle(surface.dc());
    // Text the platform's own calls draw (DrawTextA) asks for the font alone.
    EXPECT_EQ(canvas.HandleWithFont(), surface.dc());
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_FONT), canvas.Font().Handle());
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_PEN), pen);
    canvas.TextOut(0, 0, "a");
    canvas.Rectangle({0, 0, 5, 5});
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_FONT), canvas.Font().Handle());
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_PEN), canvas.Pen().Handle());
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_BRUSH), canvas.Brush().Handle());
    canvas.SetHandle(nullptr);
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_BRUSH), brush);
    EXPECT_FALSE(canvas.HandleAllocated());

    canvas.SetHandle(surface.dc());
    canvas.TextOut(0, 0, "a");
    canvas.Rectangle({0, 0, 5, 5});
  }  // destroyed while attached
  EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_FONT), font);
  EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_BRUSH), brush);
}

TEST(Canvas, ChangedFontReplacesTheSelectedOneWhichIsThenFreed) {
  WhiteSurface surface(10, 10);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.TextOut(0, 0, "a");
  const HGDIOBJ old = GetCurrentObject(surface.dc(), OBJ_FONT);
  canvas.Font().SetHeight(-20);
  canvas.TextOut(0, 0, "a");
  const HGDIOBJ current = GetCurrentObject(surface.dc(), OBJ_FONT);
  EXPECT_EQ(DescribeFont(static_cast<HFONT>(current)).lfHeight, -20);
  EXPECT_EQ(GetObjectType(old), 0u);  // deleted, not leaked
}

TEST(Canvas, DrawCopiesTheWholeBitmap) {
  TBitmap bitmap;
  bitmap.SetSize(3, 2);
  bitmap.Canvas().SetPixels(0, 0, clRed);
  bitmap.Canvas().SetPixels(2, 1, clNavy);
  WhiteSurface surface(10, 10);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Draw(4, 5, bitmap);
  EXPECT_EQ(surface.Pixel(4, 5), RGB(255, 0, 0));
  EXPECT_EQ(surface.Pixel(6, 6), RGB(0, 0, 128));
  EXPECT_EQ(surface.Pixel(5, 5), RGB(255, 255, 255));
  EXPECT_EQ(surface.Pixel(7, 6), RGB(255, 255, 255));
}

namespace {

// BrushCopy of the whole of `source` to (2, 1) of a grey surface with a lime
// brush, through `canvas`: pixels of `key` become lime, all others are
// copied, and nothing outside the destination changes.
void ExpectBrushCopyReplacesOnly(TCanvas& canvas, TBitmap& source, TColor key) {
  const int width = source.Width(), height = source.Height();
  WhiteSurface surface(width + 4, height + 3);
  canvas.SetHandle(surface.dc());
  canvas.Brush().SetColor(clGray);
  canvas.FillRect({0, 0, width + 4, height + 3});
  canvas.Brush().SetColor(clLime);
  canvas.BrushCopy({2, 1, 2 + width, 1 + height}, source, {0, 0, width, height}, key);
  canvas.SetHandle(nullptr);
  int replaced = 0;
  for (int y = 0; y < height + 3; ++y) {
    for (int x = 0; x < width + 4; ++x) {
      const bool inside = x >= 2 && x < 2 + width && y >= 1 && y < 1 + height;
      COLORREF expected = RGB(128, 128, 128);
      if (inside) {
        const COLORREF original = ColorToRGB(source.Canvas().Pixels(x - 2, y - 1));
        expected = original == ColorToRGB(key) ? RGB(0, 255, 0) : original;
        replaced += original == ColorToRGB(key);
      }
      EXPECT_EQ(surface.Pixel(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_GT(replaced, 0);
}

}  // namespace

TEST(Canvas, BrushCopyReplacesExactlyThePixelsOfTheColour) {
  // The key colour, a colour one step from it, and others.
  const TColor colours[] = {clFuchsia, static_cast<TColor>(RGB(255, 0, 254)), clWhite, clBlack, clTeal};
  TBitmap source, larger;
  source.SetSize(6, 4);
  larger.SetSize(11, 7);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) source.Canvas().SetPixels(x, y, colours[(x + 2 * y) % 5]);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 11; ++x) larger.Canvas().SetPixels(x, y, colours[(2 * x + y) % 5]);
  // All through one canvas, as a list box draws its items: nothing of one
  // image shows in the next, smaller or larger.
  TCanvas canvas;
  ExpectBrushCopyReplacesOnly(canvas, source, clFuchsia);
  ExpectBrushCopyReplacesOnly(canvas, larger, clTeal);
  ExpectBrushCopyReplacesOnly(canvas, source, clBlack);

  // A source rectangle reaching past the image: the part beyond comes out
  // black, whatever the images before left behind.
  WhiteSurface surface(8, 4);
  canvas.SetHandle(surface.dc());
  canvas.Brush().SetColor(clLime);
  canvas.BrushCopy({0, 0, 8, 4}, source, {0, 0, 8, 4}, clFuchsia);
  canvas.SetHandle(nullptr);
  for (int y = 0; y < 4; ++y)
    for (int x = 6; x < 8; ++x) EXPECT_EQ(surface.Pixel(x, y), RGB(0, 0, 0)) << x << "," << y;
  EXPECT_EQ(surface.Pixel(0, 0), RGB(0, 255, 0));
}

TEST(Canvas, BrushCopyReplacesATableColourOfAFourBitBitmap) {
  TBitmap source;
  Load(source, FourBitBmp());
  TCanvas canvas;
  ExpectBrushCopyReplacesOnly(canvas, source, static_cast<TColor>(OddPalette()[FourBitPattern(1, 1)]));
}

TEST(Canvas, BrushCopyReplacesEitherColourOfAMonochromeBitmap) {
  TBitmap source;
  Load(source, MakeBmp(9, 4, 1, {RGB(0, 0, 0), RGB(255, 255, 255)},
                       [](int x, int y) { return static_cast<uint32_t>((x + y) % 3 == 0); }));
  ASSERT_TRUE(source.Monochrome());
  TCanvas canvas;
  ExpectBrushCopyReplacesOnly(canvas, source, clWhite);
  ExpectBrushCopyReplacesOnly(canvas, source, clBlack);
}

TEST(Canvas, BrushCopyStretchesIntoALargerRectangle) {
  TBitmap source;
  source.SetSize(2, 1);
  source.Canvas().SetPixels(0, 0, clRed);
  source.Canvas().SetPixels(1, 0, clAqua);
  WhiteSurface surface(6, 4);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Brush().SetColor(clNavy);
  canvas.BrushCopy({0, 0, 4, 2}, source, {0, 0, 2, 1}, clAqua);
  EXPECT_EQ(surface.Pixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(surface.Pixel(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(surface.Pixel(2, 0), RGB(0, 0, 128));
  EXPECT_EQ(surface.Pixel(3, 1), RGB(0, 0, 128));
  EXPECT_EQ(surface.Pixel(4, 0), RGB(255, 255, 255));
}
