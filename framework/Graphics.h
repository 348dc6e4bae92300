// Colours, fonts, brushes, pens, the drawing canvas and bitmaps, over GDI.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/Persistent.h"
#include "runtime/UniqueHandle.h"

// windows.h maps TextOut to TextOutA, which would rename TCanvas::TextOut; we
// call the ANSI functions by name anyway.
#undef TextOut

// A colour as forms store it: 0x00BBGGRR, or 0x80000000 | COLOR_xxx for a
// system colour that follows the user's scheme.
using TColor = int32_t;

constexpr TColor SystemColor(int index) {
  return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index));
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
// Markers, not colours: "no colour" and "the control's own default".
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);

// The RGB value of a colour; system colours through GetSysColor. clNone and
// clDefault come back unchanged: the caller decides what they stand for.
COLORREF ColorToRGB(TColor color);

// The message of EInvalidGraphic for bitmap data that cannot be read.
inline constexpr char kInvalidBitmapImage[] = "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です";

using TFontStyles = unsigned;
enum : TFontStyles { fsBold = 1u << 0, fsItalic = 1u << 1, fsUnderline = 1u << 2, fsStrikeOut = 1u << 3 };
enum TFontPitch { fpDefault, fpVariable, fpFixed };

// A font description; its HFONT (CreateFontIndirectA) is made when first asked
// for and made again after a change. Layouts carry Name, Height, Charset,
// Color, Style and Pitch.
class TFont : public TPersistent {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  static constexpr int kDefaultPixelsPerInch = 96;

  TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  // Pixels; negative for the character height, positive for the cell height (as in LOGFONT).
  int Height() const { return height_; }
  void SetHeight(int height);
  // Points, through PixelsPerInch: Size = -Height * 72 / PixelsPerInch, rounded like MulDiv.
  int Size() const;
  void SetSize(int points);
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE charset);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);
  // The resolution Size is measured against; changing it keeps Height.
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int pixelsPerInch);

  HFONT Handle();
  // True when a handle for the current description exists.
  bool HandleAllocated() const { return handle_ && !handleStale_; }

  // Takes every attribute of `source`; the point size is kept when the two
  // resolutions differ.
  void Assign(const TFont& source);
  // Same description (PixelsPerInch aside).
  bool Equals(const TFont& other) const;

  // After every change that really changes something.
  std::function<void(TFont&)> OnChange;

private:
  void Changed(bool handleAffected);

  std::string name_;
  int height_;
  BYTE charset_;
  TColor color_;
  TFontStyles style_ = 0;
  TFontPitch pitch_ = fpDefault;
  int pixelsPerInch_ = kDefaultPixelsPerInch;
  // A stale handle is deleted only when the next one is made, so that a canvas
  // has the chance to take it out of its DC first (a selected object cannot be deleted).
  UniqueFont handle_;
  bool handleStale_ = false;
};

enum TBrushStyle { bsSolid, bsClear };

// A brush description; its HBRUSH (CreateSolidBrush, or a hollow brush) made on demand.
class TBrush {
public:
  TBrush() = default;
  TBrush(const TBrush&) = delete;
  TBrush& operator=(const TBrush&) = delete;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);

  HBRUSH Handle();
  bool HandleAllocated() const { return handle_ && !handleStale_; }
  void Assign(const TBrush& source);

  std::function<void(TBrush&)> OnChange;

private:
  void Changed();

  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  UniqueBrush handle_;  // kept while stale, as for TFont
  bool handleStale_ = false;
};

enum TPenStyle { psSolid, psClear };

// A pen description; its HPEN (CreatePen) made on demand.
class TPen {
public:
  TPen() = default;
  TPen(const TPen&) = delete;
  TPen& operator=(const TPen&) = delete;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Width() const { return width_; }
  void SetWidth(int width);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle style);

  HPEN Handle();
  bool HandleAllocated() const { return handle_ && !handleStale_; }
  void Assign(const TPen& source);

  std::function<void(TPen&)> OnChange;

private:
  void Changed();

  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  UniquePen handle_;  // kept while stale, as for TFont
  bool handleStale_ = false;
};

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
  // Attaches a DC, not owned, detaching the previous one; nullptr only detaches.
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont& Font() { return font_; }
  TBrush& Brush() { return brush_; }
  TPen& Pen() { return pen_; }

  // FillRect / FrameRect with the brush.
  void FillRect(const RECT& rect);
  void FrameRect(const RECT& rect);
  // Outline with the pen, inside with the brush.
  void Rectangle(const RECT& rect);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  // Text in Font.Color on Brush.Color (on nothing when the brush is clear).
  void TextOut(int x, int y, const std::string& text);
  // As TextOut, clipped to `rect`; an opaque brush fills the whole of `rect`.
  void TextRect(const RECT& rect, int x, int y, const std::string& text);
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  // The whole bitmap at (x, y), copied as it is.
  void Draw(int x, int y, TBitmap& bitmap);
  // `sourceRect` of `source` into `destRect`, stretched when the sizes differ.
  void CopyRect(const RECT& destRect, TCanvas& source, const RECT& sourceRect);
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

class TBitmapCanvas;

// A bitmap with a canvas to draw on. A new bitmap is device dependent,
// compatible with the screen; a loaded one is a DIB section that keeps the
// depth and colour table it was stored with, also when resized.
class TBitmap : public TPersistent {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  TBitmap();
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetWidth(int width) { SetSize(width, height_); }
  void SetHeight(int height) { SetSize(width_, height); }
  // Keeps the picture in the part both sizes share; the rest is white.
  void SetSize(int width, int height);

  // A memory DC with the bitmap selected, made on first use.
  TCanvas& Canvas();
  // The bitmap, owned by this object; taken out of the canvas's DC so that it
  // can be selected elsewhere. Null for an empty bitmap.
  HBITMAP Handle();

  // A bitmap resource; EResNotFound when the module has none of that name.
  void LoadFromResourceName(HINSTANCE instance, const char* name);
  // A BMP file image (BITMAPFILEHEADER, BITMAPINFOHEADER, colour table, bits);
  // EInvalidGraphic for anything else. The bitmap is unchanged on failure.
  void LoadFromBmpBytes(const void* data, size_t size);
  // Layouts store the image as Data: a 32-bit byte count, then a BMP file.
  bool ReadExtraProperty(std::string_view name, LayoutDecoder& decoder) override;
  void WriteExtraProperties(const std::string& prefix, LayoutEncoder& encoder) const override;
  // The picture as a BMP file image: a loaded bitmap in its own depth and
  // colour table, a device-dependent one as 24 bits per pixel.
  std::string SaveToBmpBytes() const;

  // A copy of the picture of `source`, in the same kind of bitmap.
  void Assign(const TBitmap& source);
  bool Empty() const { return !bitmap_; }
  // One bit per pixel.
  bool Monochrome() const;
  // The colour that stands for "see-through" in glyphs: clWhite for a
  // monochrome bitmap, else the colour of the bottom-left pixel (clNone when empty).
  TColor TransparentColor();

  // After the picture was replaced: load, assign, size change.
  std::function<void(TBitmap&)> OnChange;

private:
  friend class TBitmapCanvas;

  void TakeBitmap(UniqueBitmap bitmap, int width, int height);
  // A DC with the bitmap selected, for reading it (the canvas's own DC).
  HDC SelectedDC() const;
  void Changed();

  UniqueBitmap bitmap_;
  int width_ = 0, height_ = 0;
  std::unique_ptr<TBitmapCanvas> canvas_;  // owned
};
