// TCanvas: drawing on a DC with a font, a pen and a brush.
#include "framework/Canvas.h"

#include "framework/Bitmap.h"
#include "framework/BrushCopySurfaces.h"
#include "framework/OutOfResources.h"

namespace {

// Ternary raster operation "DPSao": destination OR (pattern AND source).
constexpr DWORD kRopDestOrPatternAndSource = 0x00EA02E9;

}  // namespace

TCanvas::TCanvas() = default;
TCanvas::~TCanvas() {
  SetHandle(nullptr);
}

HDC TCanvas::Handle() {
  if (!dc_) CreateHandle();
  return dc_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  fontSelection_.reset();
  penSelection_.reset();
  brushSelection_.reset();
  selectedFont_ = nullptr;
  selectedPen_ = nullptr;
  selectedBrush_ = nullptr;
  dc_ = dc;
}

HDC TCanvas::Prepare(unsigned needs) {
  HDC dc = Handle();
  if (!dc) return nullptr;
  // A changed font, pen or brush leaves the DC before asking for its new
  // handle: making the new handle deletes the old one, which must not be selected then.
  if ((needs & kNeedFont) && !(font_.HandleAllocated() && font_.Handle() == selectedFont_)) {
    fontSelection_.reset();
    selectedFont_ = font_.Handle();
    fontSelection_ = SelectInto(dc, selectedFont_);
  }
  if ((needs & kNeedPen) && !(pen_.HandleAllocated() && pen_.Handle() == selectedPen_)) {
    penSelection_.reset();
    selectedPen_ = pen_.Handle();
    penSelection_ = SelectInto(dc, selectedPen_);
  }
  if ((needs & kNeedBrush) && !(brush_.HandleAllocated() && brush_.Handle() == selectedBrush_)) {
    brushSelection_.reset();
    selectedBrush_ = brush_.Handle();
    brushSelection_ = SelectInto(dc, selectedBrush_);
  }
  return dc;
}

void TCanvas::SetTextColours(HDC dc) {
  SetTextColor(dc, ColorToRGB(font_.Color()));
  if (brush_.Style() == bsClear) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ColorToRGB(brush_.Color()));
  }
}

void TCanvas::FillRect(const RECT& rect) {
  if (HDC dc = Prepare(kNeedBrush)) ::FillRect(dc, &rect, selectedBrush_);
}

void TCanvas::Rectangle(const RECT& rect) {
  if (HDC dc = Prepare(kNeedPen | kNeedBrush)) ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  HDC dc = Prepare(kNeedFont);
  if (!dc) return;
  SetTextColours(dc);
  ::TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
}

SIZE TCanvas::TextExtent(const std::string& text) {
  SIZE size{0, 0};
  if (HDC dc = Prepare(kNeedFont)) GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  return size;
}

void TCanvas::Draw(int x, int y, TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  if (HDC dc = Handle()) BitBlt(dc, x, y, bitmap.Width(), bitmap.Height(), bitmap.Canvas().Handle(), 0, 0, SRCCOPY);
}

TColor TCanvas::Pixels(int x, int y) {
  HDC dc = Handle();
  const COLORREF pixel = dc ? GetPixel(dc, x, y) : CLR_INVALID;
  return pixel == CLR_INVALID ? clNone : static_cast<TColor>(pixel);
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  if (HDC dc = Handle()) SetPixel(dc, x, y, ColorToRGB(color));
}

void TCanvas::BrushCopy(const RECT& destRect, TBitmap& source, const RECT& sourceRect, TColor color) {
  const int width = sourceRect.right - sourceRect.left;
  const int height = sourceRect.bottom - sourceRect.top;
  HDC dc = Handle();
  if (!dc || source.Empty() || width <= 0 || height <= 0) return;
  HDC sourceDC = source.Canvas().Handle();
  if (!brushCopySurfaces_) brushCopySurfaces_ = std::make_unique<BrushCopySurfaces>();
  brushCopySurfaces_->Reserve(width, height);
  HDC maskDC = brushCopySurfaces_->MaskDC();
  HDC workDC = brushCopySurfaces_->WorkDC();
  if (sourceRect.left < 0 || sourceRect.top < 0 || sourceRect.right > source.Width() ||
      sourceRect.bottom > source.Height()) {
    // The blits below leave the part beyond the source unwritten: it starts
    // black, as in new bitmaps, and not with what an earlier call left there.
    PatBlt(maskDC, 0, 0, width, height, BLACKNESS);
    PatBlt(workDC, 0, 0, width, height, BLACKNESS);
  }

  // 1. The mask, one bit per pixel, set where the source has `color`: a colour
  //    to monochrome blit sets exactly the pixels that match the source DC's background colour.
  const COLORREF sourceBackground = SetBkColor(sourceDC, ColorToRGB(color));
  BitBlt(maskDC, 0, 0, width, height, sourceDC, sourceRect.left, sourceRect.top, SRCCOPY);
  SetBkColor(sourceDC, sourceBackground);

  // 2. The result is put together off screen so that the destination sees a
  //    single blit; the work bitmap is screen-compatible (true colour) so the
  //    brush colour is not rounded to a palette on the way.
  BitBlt(workDC, 0, 0, width, height, sourceDC, sourceRect.left, sourceRect.top, SRCCOPY);

  // 3. Black out the masked pixels. A monochrome source reaches a colour DC as
  //    text colour for 0 bits and background colour for 1 bits; white text on
  //    black turns the mask around, and SRCAND keeps the source only where the mask is clear.
  SetTextColor(workDC, RGB(255, 255, 255));
  SetBkColor(workDC, RGB(0, 0, 0));
  BitBlt(workDC, 0, 0, width, height, maskDC, 0, 0, SRCAND);

  // 4. Paint the brush colour into the black holes: black text on white brings
  //    the mask in as it is, and DPSao ORs (brush AND mask) into the picture.
  //    A solid brush even when ours is clear: its colour is what is asked for.
  UniqueBrush brush(CreateSolidBrush(ColorToRGB(brush_.Color())));
  if (!brush) ThrowNotEnoughMemory();
  SetTextColor(workDC, RGB(0, 0, 0));
  SetBkColor(workDC, RGB(255, 255, 255));
  {
    auto brushSelection = SelectInto(workDC, brush.get());
    BitBlt(workDC, 0, 0, width, height, maskDC, 0, 0, kRopDestOrPatternAndSource);
  }

  // 5. Into place, stretched when the rectangles differ in size.
  StretchBlt(dc, destRect.left, destRect.top, destRect.right - destRect.left, destRect.bottom - destRect.top, workDC, 0,
             0, width, height, SRCCOPY);
}
