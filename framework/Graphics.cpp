// Colours, fonts, brushes, pens, the canvas and bitmaps over GDI.
#include "framework/Graphics.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/Properties.h"
#include "runtime/Exceptions.h"
#include "runtime/MbcsText.h"
#include "runtime/ResourceStrings.h"
#include "runtime/SystemErrorText.h"
#include "stream/LayoutDecoder.h"
#include "stream/LayoutEncoder.h"

namespace {

constexpr char kDefaultFontName[] = "ＭＳ Ｐゴシック";
constexpr int kDefaultFontHeight = -12;
// Ternary raster operation "DPSao": destination OR (pattern AND source).
constexpr DWORD kRopDestOrPatternAndSource = 0x00EA02E9;

[[noreturn]] void ThrowOutOfResources() {
  throw EOutOfResources(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
}

[[noreturn]] void ThrowInvalidImage() { throw EInvalidGraphic(kInvalidBitmapImage); }

// A face name cut to what LOGFONTA holds, never between the bytes of one character.
void CopyFaceName(const std::string& name, char (&face)[LF_FACESIZE]) {
  size_t length = 0;
  while (length < name.size()) {
    const size_t next = length + (IsLeadByte(name[length]) ? 2 : 1);
    if (next > LF_FACESIZE - 1 || next > name.size()) break;
    length = next;
  }
  std::memcpy(face, name.data(), length);
  face[length] = '\0';
}

constexpr const char* kFontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr const char* kFontPitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};

const PropertyInfo kFontProperties[] = {
    CharsetProperty<&TFont::Charset, &TFont::SetCharset>("Charset", SHIFTJIS_CHARSET),
    ColorProperty<&TFont::Color, &TFont::SetColor>("Color", clWindowText),
    IntegerProperty<&TFont::Height, &TFont::SetHeight>("Height", kDefaultFontHeight),
    TextProperty<&TFont::Name, &TFont::SetName>("Name"),
    EnumProperty<&TFont::Pitch, &TFont::SetPitch>("Pitch", kFontPitchNames, fpDefault),
    SetProperty<&TFont::Style, &TFont::SetStyle>("Style", kFontStyleNames, 0),
};

}  // namespace

const ClassInfo TFont::kClassInfo{"TFont", &TPersistent::kClassInfo, nullptr, kFontProperties};
const ClassInfo TBitmap::kClassInfo{"TBitmap", &TPersistent::kClassInfo};

COLORREF ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color);
}

// ---- TFont ----

TFont::TFont()
    : name_(kDefaultFontName), height_(kDefaultFontHeight), charset_(SHIFTJIS_CHARSET), color_(clWindowText) {}

void TFont::Changed(bool handleAffected) {
  if (handleAffected && handle_) handleStale_ = true;
  if (OnChange) OnChange(*this);
}

void TFont::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Changed(true);
}

void TFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Changed(true);
}

int TFont::Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, pixelsPerInch_, 72)); }

void TFont::SetCharset(BYTE charset) {
  if (charset == charset_) return;
  charset_ = charset;
  Changed(true);
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed(false);  // the colour is the DC's text colour, not part of the HFONT
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed(true);
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == pitch_) return;
  pitch_ = pitch;
  Changed(true);
}

void TFont::SetPixelsPerInch(int pixelsPerInch) {
  // MulDiv by zero or a negative resolution would give nonsense sizes.
  if (pixelsPerInch > 0) pixelsPerInch_ = pixelsPerInch;
}

HFONT TFont::Handle() {
  if (!HandleAllocated()) {
    handle_.reset();
    LOGFONTA font{};
    font.lfHeight = height_;
    font.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
    font.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
    font.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
    font.lfCharSet = charset_;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = (pitch_ == fpFixed ? FIXED_PITCH : pitch_ == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH) |
                            FF_DONTCARE;
    CopyFaceName(name_, font.lfFaceName);
    handle_.reset(CreateFontIndirectA(&font));
    handleStale_ = false;
    if (!handle_) ThrowOutOfResources();
  }
  return handle_.get();
}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  int height = source.height_;
  if (source.pixelsPerInch_ != pixelsPerInch_) height = -MulDiv(source.Size(), pixelsPerInch_, 72);
  const bool handleAffected = source.name_ != name_ || height != height_ || source.charset_ != charset_ ||
                              source.style_ != style_ || source.pitch_ != pitch_;
  const bool changed = handleAffected || source.color_ != color_;
  name_ = source.name_;
  height_ = height;
  charset_ = source.charset_;
  color_ = source.color_;
  style_ = source.style_;
  pitch_ = source.pitch_;
  if (changed) Changed(handleAffected);
}

bool TFont::Equals(const TFont& other) const {
  return name_ == other.name_ && height_ == other.height_ && charset_ == other.charset_ && color_ == other.color_ &&
         style_ == other.style_ && pitch_ == other.pitch_;
}

// ---- TBrush ----

void TBrush::Changed() {
  if (handle_) handleStale_ = true;
  if (OnChange) OnChange(*this);
}

void TBrush::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (!HandleAllocated()) {
    handle_.reset();
    // A hollow brush is the stock NULL_BRUSH; deleting a stock object does nothing, so owning it is harmless.
    LOGBRUSH brush{style_ == bsClear ? static_cast<UINT>(BS_HOLLOW) : static_cast<UINT>(BS_SOLID),
                   ColorToRGB(color_), 0};
    handle_.reset(CreateBrushIndirect(&brush));
    handleStale_ = false;
    if (!handle_) ThrowOutOfResources();
  }
  return handle_.get();
}

void TBrush::Assign(const TBrush& source) {
  if (&source == this || (source.color_ == color_ && source.style_ == style_)) return;
  color_ = source.color_;
  style_ = source.style_;
  Changed();
}

// ---- TPen ----

void TPen::Changed() {
  if (handle_) handleStale_ = true;
  if (OnChange) OnChange(*this);
}

void TPen::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TPen::SetWidth(int width) {
  if (width == width_) return;
  width_ = width;
  Changed();
}

void TPen::SetStyle(TPenStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

HPEN TPen::Handle() {
  if (!HandleAllocated()) {
    handle_.reset();
    handle_.reset(CreatePen(style_ == psClear ? PS_NULL : PS_SOLID, width_, ColorToRGB(color_)));
    handleStale_ = false;
    if (!handle_) ThrowOutOfResources();
  }
  return handle_.get();
}

void TPen::Assign(const TPen& source) {
  if (&source == this || (source.color_ == color_ && source.width_ == width_ && source.style_ == style_)) return;
  color_ = source.color_;
  width_ = source.width_;
  style_ = source.style_;
  Changed();
}

// ---- BrushCopySurfaces ----

// BrushCopy's two off-screen surfaces, kept by a canvas from one call to the
// next: list boxes draw an image per item, and making the memory DCs and the
// screen-compatible bitmap each time costs many times more than the blits.
// The bitmaps grow to the largest image asked for; a call uses their top-left
// width x height only.
class BrushCopySurfaces {
public:
  // Room for an image of width x height at least; EOutOfResources when the
  // DCs or the bitmaps cannot be made.
  void Reserve(int width, int height);
  // A monochrome bitmap selected.
  HDC MaskDC() const { return maskDC_.get(); }
  // A bitmap compatible with the screen selected.
  HDC WorkDC() const { return workDC_.get(); }

private:
  // Declared in this order so that the selections are undone before the DCs
  // go, and the DCs before the bitmaps.
  UniqueBitmap mask_, work_;
  UniqueMemoryDC maskDC_, workDC_;
  ScopedSelectObject maskSelection_, workSelection_;
  int width_ = 0, height_ = 0;
};

void BrushCopySurfaces::Reserve(int width, int height) {
  if (width <= width_ && height <= height_) return;
  width = std::max(width, width_);
  height = std::max(height, height_);
  if (!maskDC_) maskDC_.reset(CreateCompatibleDC(nullptr));
  if (!workDC_) workDC_.reset(CreateCompatibleDC(nullptr));
  UniqueBitmap mask(CreateBitmap(width, height, 1, 1, nullptr));
  UniqueBitmap work;
  {
    WindowDC screen = AcquireDC(nullptr);
    work.reset(CreateCompatibleBitmap(screen.get(), width, height));
  }
  if (!maskDC_ || !workDC_ || !mask || !work) ThrowOutOfResources();
  // The smaller bitmaps leave their DCs before they are deleted.
  maskSelection_.reset();
  workSelection_.reset();
  mask_ = std::move(mask);
  work_ = std::move(work);
  maskSelection_ = SelectInto(maskDC_.get(), mask_.get());
  workSelection_ = SelectInto(workDC_.get(), work_.get());
  width_ = width;
  height_ = height;
}

// ---- TCanvas ----

TCanvas::TCanvas() = default;
TCanvas::~TCanvas() { SetHandle(nullptr); }

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

void TCanvas::FrameRect(const RECT& rect) {
  if (HDC dc = Prepare(kNeedBrush)) ::FrameRect(dc, &rect, selectedBrush_);
}

void TCanvas::Rectangle(const RECT& rect) {
  if (HDC dc = Prepare(kNeedPen | kNeedBrush)) ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void TCanvas::MoveTo(int x, int y) {
  if (HDC dc = Handle()) MoveToEx(dc, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  if (HDC dc = Prepare(kNeedPen)) ::LineTo(dc, x, y);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  HDC dc = Prepare(kNeedFont);
  if (!dc) return;
  SetTextColours(dc);
  ::TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text) {
  HDC dc = Prepare(kNeedFont);
  if (!dc) return;
  SetTextColours(dc);
  const UINT options = ETO_CLIPPED | (brush_.Style() == bsClear ? 0u : static_cast<UINT>(ETO_OPAQUE));
  ExtTextOutA(dc, x, y, options, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
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

void TCanvas::CopyRect(const RECT& destRect, TCanvas& source, const RECT& sourceRect) {
  HDC dc = Handle();
  HDC sourceDC = source.Handle();
  if (!dc || !sourceDC) return;
  StretchBlt(dc, destRect.left, destRect.top, destRect.right - destRect.left, destRect.bottom - destRect.top, sourceDC,
             sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left, sourceRect.bottom - sourceRect.top,
             SRCCOPY);
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
  if (!brush) ThrowOutOfResources();
  SetTextColor(workDC, RGB(0, 0, 0));
  SetBkColor(workDC, RGB(255, 255, 255));
  {
    auto brushSelection = SelectInto(workDC, brush.get());
    BitBlt(workDC, 0, 0, width, height, maskDC, 0, 0, kRopDestOrPatternAndSource);
  }

  // 5. Into place, stretched when the rectangles differ in size.
  StretchBlt(dc, destRect.left, destRect.top, destRect.right - destRect.left, destRect.bottom - destRect.top,
             workDC, 0, 0, width, height, SRCCOPY);
}

// ---- TBitmap ----

// The canvas of a bitmap: its own memory DC, made when first drawn on and
// given up whenever the bitmap must be selected nowhere.
class TBitmapCanvas final : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap& owner) : owner_(owner) {}
  ~TBitmapCanvas() override { FreeContext(); }

  // Puts the DC's own objects back, then deletes the DC.
  void FreeContext() {
    SetHandle(nullptr);
    bitmapSelection_.reset();
    memoryDC_.reset();
  }

protected:
  void CreateHandle() override {
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc) ThrowOutOfResources();
    if (owner_.bitmap_) bitmapSelection_ = SelectInto(dc.get(), owner_.bitmap_.get());
    memoryDC_ = std::move(dc);
    SetHandle(memoryDC_.get());
  }

private:
  TBitmap& owner_;  // not owned: the bitmap owns this canvas
  UniqueMemoryDC memoryDC_;
  ScopedSelectObject bitmapSelection_;
};

namespace {

// A bottom-up BI_RGB device-independent image.
struct DibImage {
  int width = 0, height = 0;
  int bitCount = 0;
  std::vector<RGBQUAD> colours;
  std::vector<BYTE> bits;
};

constexpr size_t kFileHeaderSize = 14;  // sizeof(BITMAPFILEHEADER) without padding
constexpr size_t kInfoHeaderSize = 40;  // sizeof(BITMAPINFOHEADER)

size_t RowBytes(int width, int bitCount) {
  return (static_cast<size_t>(width) * static_cast<size_t>(bitCount) + 31) / 32 * 4;
}

uint16_t ReadU16(const BYTE* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }
uint32_t ReadU32(const BYTE* at) {
  return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16) |
         (static_cast<uint32_t>(at[3]) << 24);
}
void WriteU16(std::string& out, uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}
void WriteU32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

bool IsSupportedBitCount(int bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
}

// Every size and offset is checked against `size` before anything is read through it.
DibImage ParseBmp(const BYTE* data, size_t size) {
  if (size < kFileHeaderSize + kInfoHeaderSize || data[0] != 'B' || data[1] != 'M') ThrowInvalidImage();
  const BYTE* info = data + kFileHeaderSize;
  if (ReadU32(info) != kInfoHeaderSize) ThrowInvalidImage();
  const int32_t width = static_cast<int32_t>(ReadU32(info + 4));
  const int32_t height = static_cast<int32_t>(ReadU32(info + 8));
  const uint16_t planes = ReadU16(info + 12);
  const uint16_t bitCount = ReadU16(info + 14);
  const uint32_t compression = ReadU32(info + 16);
  const uint32_t coloursUsed = ReadU32(info + 32);
  // INT32_MIN has no positive counterpart: reject it before taking the magnitude.
  if (width <= 0 || height == 0 || height == INT32_MIN || planes != 1 || !IsSupportedBitCount(bitCount) ||
      compression != BI_RGB)
    ThrowInvalidImage();

  // The colour table follows the header; above 8 bits a table is optional and unused.
  size_t colourCount = 0;
  if (bitCount <= 8) {
    const uint32_t maximum = 1u << bitCount;
    if (coloursUsed > maximum) ThrowInvalidImage();
    colourCount = coloursUsed == 0 ? maximum : coloursUsed;
  }
  const size_t tableEnd = kFileHeaderSize + kInfoHeaderSize + colourCount * sizeof(RGBQUAD);
  const size_t bitsOffset = ReadU32(data + 10);
  if (tableEnd > size || bitsOffset < tableEnd || bitsOffset > size) ThrowInvalidImage();

  DibImage image;
  image.width = width;
  image.height = std::abs(height);
  image.bitCount = bitCount;
  const size_t rowBytes = RowBytes(width, bitCount);
  // Divided rather than multiplied, so that absurd sizes cannot overflow.
  if (static_cast<size_t>(image.height) > (size - bitsOffset) / rowBytes) ThrowInvalidImage();

  image.colours.resize(colourCount);
  for (size_t i = 0; i < colourCount; ++i) {
    const BYTE* entry = info + kInfoHeaderSize + i * sizeof(RGBQUAD);
    image.colours[i] = RGBQUAD{entry[0], entry[1], entry[2], 0};
  }
  image.bits.resize(rowBytes * static_cast<size_t>(image.height));
  const BYTE* rows = data + bitsOffset;
  if (height > 0) {
    std::memcpy(image.bits.data(), rows, image.bits.size());
  } else {
    // Stored top-down: turned over, so that every DIB of ours is bottom-up.
    for (int row = 0; row < image.height; ++row)
      std::memcpy(&image.bits[rowBytes * static_cast<size_t>(image.height - 1 - row)],
                  rows + rowBytes * static_cast<size_t>(row), rowBytes);
  }
  return image;
}

// A DIB section holding the image; `bits` of the result points at its pixels.
UniqueBitmap CreateSection(int width, int height, int bitCount, const std::vector<RGBQUAD>& colours, void** bits) {
  std::vector<BYTE> buffer(sizeof(BITMAPINFOHEADER) + std::max<size_t>(colours.size(), 1) * sizeof(RGBQUAD));
  auto* info = reinterpret_cast<BITMAPINFO*>(buffer.data());
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info->bmiHeader.biWidth = width;
  info->bmiHeader.biHeight = height;
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biBitCount = static_cast<WORD>(bitCount);
  info->bmiHeader.biCompression = BI_RGB;
  info->bmiHeader.biClrUsed = static_cast<DWORD>(colours.size());
  std::copy(colours.begin(), colours.end(), info->bmiColors);
  UniqueBitmap section(CreateDIBSection(nullptr, info, DIB_RGB_COLORS, bits, nullptr, 0));
  if (!section) ThrowOutOfResources();
  return section;
}

UniqueBitmap CreateFromDib(const DibImage& image) {
  void* bits = nullptr;
  UniqueBitmap section = CreateSection(image.width, image.height, image.bitCount, image.colours, &bits);
  std::memcpy(bits, image.bits.data(), image.bits.size());
  return section;
}

UniqueBitmap CreateScreenBitmap(int width, int height) {
  WindowDC screen = AcquireDC(nullptr);
  UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!bitmap) ThrowOutOfResources();
  return bitmap;
}

// The DIB section's description, or false for a device-dependent bitmap.
bool DescribeSection(HBITMAP bitmap, DIBSECTION& section) {
  return GetObjectA(bitmap, sizeof section, &section) == static_cast<int>(sizeof section);
}

// The colour table of the DIB section selected into `dc`.
std::vector<RGBQUAD> ColourTable(HDC dc, int bitCount) {
  if (bitCount > 8) return {};
  std::vector<RGBQUAD> colours(1u << bitCount);
  colours.resize(GetDIBColorTable(dc, 0, static_cast<UINT>(colours.size()), colours.data()));
  return colours;
}

// The picture of `bitmap`, which is selected into `dc`. A DIB section in a
// format of ours is taken as it is; anything else is drawn into 24 bits.
DibImage ExportDib(HBITMAP bitmap, HDC dc) {
  DibImage image;
  DIBSECTION section{};
  if (DescribeSection(bitmap, section) && IsSupportedBitCount(section.dsBm.bmBitsPixel) &&
      section.dsBmih.biCompression == BI_RGB) {
    GdiFlush();  // GDI may still be drawing into the bits
    image.width = section.dsBm.bmWidth;
    image.height = section.dsBm.bmHeight;
    image.bitCount = section.dsBm.bmBitsPixel;
    image.colours = ColourTable(dc, image.bitCount);
    const size_t rowBytes = RowBytes(image.width, image.bitCount);
    image.bits.resize(rowBytes * static_cast<size_t>(image.height));
    const BYTE* rows = static_cast<const BYTE*>(section.dsBm.bmBits);
    if (section.dsBmih.biHeight > 0) {
      std::memcpy(image.bits.data(), rows, image.bits.size());
    } else {
      for (int row = 0; row < image.height; ++row)
        std::memcpy(&image.bits[rowBytes * static_cast<size_t>(image.height - 1 - row)],
                    rows + rowBytes * static_cast<size_t>(row), rowBytes);
    }
    return image;
  }
  BITMAP description{};
  GetObjectA(bitmap, sizeof description, &description);
  image.width = description.bmWidth;
  image.height = description.bmHeight;
  image.bitCount = 24;
  void* bits = nullptr;
  UniqueBitmap copy = CreateSection(image.width, image.height, image.bitCount, {}, &bits);
  UniqueMemoryDC copyDC(CreateCompatibleDC(nullptr));
  if (!copyDC) ThrowOutOfResources();
  {
    auto selection = SelectInto(copyDC.get(), copy.get());
    BitBlt(copyDC.get(), 0, 0, image.width, image.height, dc, 0, 0, SRCCOPY);
  }
  GdiFlush();
  const BYTE* first = static_cast<const BYTE*>(bits);
  image.bits.assign(first, first + RowBytes(image.width, image.bitCount) * static_cast<size_t>(image.height));
  return image;
}

std::string WriteBmp(const DibImage& image) {
  const size_t tableBytes = image.colours.size() * sizeof(RGBQUAD);
  const size_t bitsOffset = kFileHeaderSize + kInfoHeaderSize + tableBytes;
  const bool fullTable = image.bitCount > 8 || image.colours.size() == (1u << image.bitCount);
  std::string out;
  out.reserve(bitsOffset + image.bits.size());
  out += "BM";
  WriteU32(out, static_cast<uint32_t>(bitsOffset + image.bits.size()));
  WriteU32(out, 0);  // the two reserved words
  WriteU32(out, static_cast<uint32_t>(bitsOffset));
  WriteU32(out, kInfoHeaderSize);
  WriteU32(out, static_cast<uint32_t>(image.width));
  WriteU32(out, static_cast<uint32_t>(image.height));
  WriteU16(out, 1);
  WriteU16(out, static_cast<uint16_t>(image.bitCount));
  WriteU32(out, BI_RGB);
  WriteU32(out, static_cast<uint32_t>(image.bits.size()));
  WriteU32(out, 0);  // no resolution recorded
  WriteU32(out, 0);
  WriteU32(out, fullTable ? 0 : static_cast<uint32_t>(image.colours.size()));
  WriteU32(out, 0);
  for (const RGBQUAD& colour : image.colours) {
    out += static_cast<char>(colour.rgbBlue);
    out += static_cast<char>(colour.rgbGreen);
    out += static_cast<char>(colour.rgbRed);
    out += '\0';
  }
  out.append(reinterpret_cast<const char*>(image.bits.data()), image.bits.size());
  return out;
}

// "#12" for a resource named by number (MAKEINTRESOURCE), else the name.
std::string ResourceNameText(const char* name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
  return name;
}

}  // namespace

TBitmap::TBitmap() : canvas_(std::make_unique<TBitmapCanvas>(*this)) {}

TBitmap::~TBitmap() {
  // The canvas first: its DC still holds the bitmap.
  canvas_.reset();
}

TCanvas& TBitmap::Canvas() { return *canvas_; }

HBITMAP TBitmap::Handle() {
  canvas_->FreeContext();
  return bitmap_.get();
}

HDC TBitmap::SelectedDC() const { return canvas_->Handle(); }

void TBitmap::Changed() {
  if (OnChange) OnChange(*this);
}

void TBitmap::TakeBitmap(UniqueBitmap bitmap, int width, int height) {
  canvas_->FreeContext();
  bitmap_ = std::move(bitmap);
  width_ = bitmap_ ? width : 0;
  height_ = bitmap_ ? height : 0;
}

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  UniqueBitmap resized;
  if (width > 0 && height > 0) {
    DIBSECTION section{};
    if (bitmap_ && DescribeSection(bitmap_.get(), section)) {
      // A loaded bitmap keeps its depth and colour table.
      void* bits = nullptr;
      resized = CreateSection(width, height, section.dsBm.bmBitsPixel,
                              ColourTable(SelectedDC(), section.dsBm.bmBitsPixel), &bits);
    } else {
      resized = CreateScreenBitmap(width, height);
    }
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc) ThrowOutOfResources();
    auto selection = SelectInto(dc.get(), resized.get());
    const RECT all{0, 0, width, height};
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (bitmap_)
      BitBlt(dc.get(), 0, 0, std::min(width, width_), std::min(height, height_), SelectedDC(), 0, 0, SRCCOPY);
  }
  TakeBitmap(std::move(resized), width, height);
  Changed();
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const char* name) {
  // LoadImageA with LR_CREATEDIBSECTION rather than LoadBitmapA: the picture
  // stays in the depth and colour table it was drawn with (LoadBitmapA would
  // convert it to the display's format), so Monochrome, TransparentColor and
  // SaveToBmpBytes see what is in the resource.
  UniqueBitmap bitmap(static_cast<HBITMAP>(LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!bitmap)
    throw EResNotFound(Exception::Formatted(strings::kResourceNotFound, ResourceNameText(name).c_str()));
  BITMAP description{};
  GetObjectA(bitmap.get(), sizeof description, &description);
  TakeBitmap(std::move(bitmap), description.bmWidth, std::abs(description.bmHeight));
  Changed();
}

void TBitmap::LoadFromBmpBytes(const void* data, size_t size) {
  if (!data) ThrowInvalidImage();
  const DibImage image = ParseBmp(static_cast<const BYTE*>(data), size);
  TakeBitmap(CreateFromDib(image), image.width, image.height);
  Changed();
}

std::string TBitmap::SaveToBmpBytes() const {
  if (!bitmap_) return {};
  return WriteBmp(ExportDib(bitmap_.get(), SelectedDC()));
}

void TBitmap::Assign(const TBitmap& source) {
  if (&source == this) return;
  UniqueBitmap copy;
  if (source.bitmap_) {
    DIBSECTION section{};
    if (DescribeSection(source.bitmap_.get(), section)) {
      copy = CreateFromDib(ExportDib(source.bitmap_.get(), source.SelectedDC()));
    } else {
      copy = CreateScreenBitmap(source.width_, source.height_);
      UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
      if (!dc) ThrowOutOfResources();
      auto selection = SelectInto(dc.get(), copy.get());
      BitBlt(dc.get(), 0, 0, source.width_, source.height_, source.SelectedDC(), 0, 0, SRCCOPY);
    }
  }
  TakeBitmap(std::move(copy), source.width_, source.height_);
  Changed();
}

bool TBitmap::Monochrome() const {
  BITMAP description{};
  return bitmap_ && GetObjectA(bitmap_.get(), sizeof description, &description) &&
         description.bmPlanes == 1 && description.bmBitsPixel == 1;
}

TColor TBitmap::TransparentColor() {
  if (!bitmap_) return clNone;
  if (Monochrome()) return clWhite;
  return Canvas().Pixels(0, height_ - 1);
}

bool TBitmap::ReadExtraProperty(std::string_view name, LayoutDecoder& decoder) {
  if (name.size() != 4 || CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.data(), 4, "Data", 4) != CSTR_EQUAL)
    return false;
  const std::vector<uint8_t> data = decoder.ReadBinary();
  if (data.size() < 4) throw EReadError(layout_messages::kInvalidPropertyValue);
  const uint32_t count = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
  if (count > data.size() - 4) throw EReadError(layout_messages::kInvalidPropertyValue);
  if (count == 0) {
    Assign(TBitmap());  // no image stored
    return true;
  }
  LoadFromBmpBytes(data.data() + 4, count);
  return true;
}

void TBitmap::WriteExtraProperties(const std::string& prefix, LayoutEncoder& encoder) const {
  if (Empty()) return;
  const std::string file = SaveToBmpBytes();
  std::vector<uint8_t> data(4 + file.size());
  for (int i = 0; i < 4; ++i) data[static_cast<size_t>(i)] = static_cast<uint8_t>(file.size() >> (8 * i));
  std::copy(file.begin(), file.end(), data.begin() + 4);
  encoder.WriteShortString(prefix + "Data");
  encoder.WriteBinary(data);
}
