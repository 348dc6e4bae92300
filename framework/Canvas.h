// TCanvas: drawing on a DC with a font, a pen and a brush.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Brush.h"
#include "framework/Color.h"
#include "framework/Font.h"
#include "framework/Pen.h"
#include "runtime/UniqueHandle.h"

// windows.h maps TextOut to TextOutA, which would rename TCanvas::TextOut; we
// call the ANSI functions by name anyway.
#undef TextOut

class TBitmap;
class BrushCopySurfaces;

// Drawing on a DC that belongs to someone else. The font, pen and brush are
// selected into the DC when an operation needs them; the objects that were
// there before are put back when the DC is detached (SetHandle, destruction).
class TCanvas {
public:
  TCanvas();
  virtual ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // The DC; a canvas that makes its own (a bitmap's) makes it here.
  HDC Handle();
  // The DC with the font selected, for text the platform's own calls draw or
  // measure (DrawTextA); the colours are the caller's to set.
  HDC HandleWithFont() { return Prepare(kNeedFont); }
  // Attaches a DC, not owned, detaching the previous one; nullptr only detaches.
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont& Font() { return font_; }
  TBrush& Brush() { return brush_; }
  TPen& Pen() { return pen_; }

  // FillRect with the brush.
  void FillRect(const RECT& rect);
  // Outline with the pen, inside with the brush.
  void Rectangle(const RECT& rect);
  // Text in Font.Color on Brush.Color (on nothing when the brush is clear).
  void TextOut(int x, int y, const std::string& text);
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  // The whole bitmap at (x, y), copied as it is.
  void Draw(int x, int y, TBitmap& bitmap);
  // clNone outside the DC's surface.
  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor color);
  // `sourceRect` of `source` into `destRect`, every pixel of `color` painted
  // with Brush.Color instead.
  void BrushCopy(const RECT& destRect, TBitmap& source, const RECT& sourceRect, TColor color);

protected:
  // Called when the DC is needed and none is attached.
  virtual void CreateHandle() {}

private:
  enum : unsigned { kNeedFont = 1, kNeedPen = 2, kNeedBrush = 4 };
  // The DC with the objects `needs` names selected.
  HDC Prepare(unsigned needs);
  void SetTextColours(HDC dc);

  HDC dc_ = nullptr;  // not owned
  TFont font_;
  TBrush brush_;
  TPen pen_;
  // What we selected and the guards that put back what was there before.
  HFONT selectedFont_ = nullptr;
  HPEN selectedPen_ = nullptr;
  HBRUSH selectedBrush_ = nullptr;
  ScopedSelectObject fontSelection_, penSelection_, brushSelection_;
  std::unique_ptr<BrushCopySurfaces> brushCopySurfaces_;  // owned: made by the first BrushCopy
};
