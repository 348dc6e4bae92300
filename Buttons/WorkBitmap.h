// Scratch bitmaps and the colour-matching blits that glyph images are built with.
#pragma once

#include <windows.h>

#include <utility>

#include "runtime/UniqueHandle.h"

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Raises EOutOfResources with "ｼｽﾃﾑ ﾘｿｰｽが足りません" (not enough system
// resources), where the framework's GDI failures say "not enough memory".
[[noreturn]] void ThrowNotEnoughSystemResources();

// A bitmap selected into a memory DC of its own, for the length of one image build.
class WorkBitmap {
public:
  enum Kind { kScreenColours, kMonochrome };

  // Screen-compatible bitmaps take system colours unrounded; monochrome ones
  // hold the marks of the colour-matching blits.
  WorkBitmap(int width, int height, Kind kind);
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
void MarkPixels(HDC mask, HDC source, int sourceX, int width, int height, COLORREF colour);

// Paints `colour` onto `target` at (x, y) wherever the mask holds 1 and leaves
// the other pixels. With black text and a white background the mask arrives as
// black for 0 and white for 1, which DSPDxax turns into "brush where white".
void PaintMarkedPixels(HDC target, int x, int y, int width, int height, HDC mask, COLORREF colour);
