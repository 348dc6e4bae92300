// Scratch bitmaps and the colour-matching blits that glyph images are built with.
#include "Buttons/WorkBitmap.h"

#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"

namespace {

// Ternary raster operation DSPDxax: ((destination XOR pattern) AND source) XOR
// destination, i.e. the pattern where the source is white, the destination elsewhere.
constexpr DWORD kRopPatternWhereSourceWhite = 0x00E20746;

}  // namespace

void ThrowNotEnoughSystemResources() {
  throw EOutOfResources(LoadResString(strings::kOutOfSystemResources));
}

WorkBitmap::WorkBitmap(int width, int height, Kind kind) {
  if (kind == kMonochrome) {
    bitmap_.reset(CreateBitmap(width, height, 1, 1, nullptr));
  } else {
    WindowDC screen = AcquireDC(nullptr);
    if (screen) bitmap_.reset(CreateCompatibleBitmap(screen.get(), width, height));
  }
  dc_.reset(CreateCompatibleDC(nullptr));
  if (!bitmap_ || !dc_) ThrowNotEnoughSystemResources();
  selection_ = SelectInto(dc_.get(), bitmap_.get());
  if (!selection_) ThrowNotEnoughSystemResources();
}

void MarkPixels(HDC mask, HDC source, int sourceX, int width, int height, COLORREF colour) {
  const COLORREF previous = SetBkColor(source, colour);
  BitBlt(mask, 0, 0, width, height, source, sourceX, 0, SRCCOPY);
  SetBkColor(source, previous);
}

void PaintMarkedPixels(HDC target, int x, int y, int width, int height, HDC mask, COLORREF colour) {
  UniqueBrush brush(CreateSolidBrush(colour));
  if (!brush) ThrowNotEnoughSystemResources();
  const COLORREF text = SetTextColor(target, kBlack);
  const COLORREF background = SetBkColor(target, kWhite);
  {
    auto selection = SelectInto(target, brush.get());
    BitBlt(target, x, y, width, height, mask, 0, 0, kRopPatternWhereSourceWhite);
  }
  SetTextColor(target, text);
  SetBkColor(target, background);
}
