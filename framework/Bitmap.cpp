// TBitmap: a GDI bitmap with a canvas, read from and written as BMP files.
#include "framework/Bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "framework/BitmapCanvas.h"
#include "framework/OutOfResources.h"
#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"
#include "stream/BmpWriter.h"
#include "stream/LayoutDecoder.h"

const ClassInfo TBitmap::kClassInfo{"TBitmap", &TPersistent::kClassInfo};

namespace {

// A DIB section holding the image; `bits` of the result points at its pixels.
UniqueBitmap CreateSection(int width, int height, int bitCount, const std::vector<BmpColour>& colours, void** bits) {
  std::vector<BYTE> buffer(sizeof(BITMAPINFOHEADER) + std::max<size_t>(colours.size(), 1) * sizeof(RGBQUAD));
  auto* info = reinterpret_cast<BITMAPINFO*>(buffer.data());
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info->bmiHeader.biWidth = width;
  info->bmiHeader.biHeight = height;
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biBitCount = static_cast<WORD>(bitCount);
  info->bmiHeader.biCompression = BI_RGB;
  info->bmiHeader.biClrUsed = static_cast<DWORD>(colours.size());
  // The table runs on past the one entry BITMAPINFO declares.
  auto* table = reinterpret_cast<RGBQUAD*>(buffer.data() + sizeof(BITMAPINFOHEADER));
  for (size_t i = 0; i < colours.size(); ++i) table[i] = RGBQUAD{colours[i].blue, colours[i].green, colours[i].red, 0};
  UniqueBitmap section(CreateDIBSection(nullptr, info, DIB_RGB_COLORS, bits, nullptr, 0));
  if (!section) ThrowNotEnoughMemory();
  return section;
}

UniqueBitmap CreateFromDib(const BmpImage& image) {
  void* bits = nullptr;
  UniqueBitmap section = CreateSection(image.width, image.height, image.bitCount, image.colours, &bits);
  std::memcpy(bits, image.bits.data(), image.bits.size());
  return section;
}

UniqueBitmap CreateScreenBitmap(int width, int height) {
  WindowDC screen = AcquireDC(nullptr);
  UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!bitmap) ThrowNotEnoughMemory();
  return bitmap;
}

// The DIB section's description, or false for a device-dependent bitmap.
bool DescribeSection(HBITMAP bitmap, DIBSECTION& section) {
  return GetObjectA(bitmap, sizeof section, &section) == static_cast<int>(sizeof section);
}

// The colour table of the DIB section selected into `dc`.
std::vector<BmpColour> ColourTable(HDC dc, int bitCount) {
  if (bitCount > 8) return {};
  std::vector<RGBQUAD> table(1u << bitCount);
  table.resize(GetDIBColorTable(dc, 0, static_cast<UINT>(table.size()), table.data()));
  std::vector<BmpColour> colours;
  colours.reserve(table.size());
  for (const RGBQUAD& entry : table) colours.push_back(BmpColour{entry.rgbBlue, entry.rgbGreen, entry.rgbRed});
  return colours;
}

// The picture of `bitmap`, which is selected into `dc`. A DIB section in a
// format of ours is taken as it is; anything else is drawn into 24 bits.
BmpImage ExportDib(HBITMAP bitmap, HDC dc) {
  BmpImage image;
  DIBSECTION section{};
  if (DescribeSection(bitmap, section) && IsSupportedBmpBitCount(section.dsBm.bmBitsPixel) &&
      section.dsBmih.biCompression == BI_RGB) {
    GdiFlush();  // GDI may still be drawing into the bits
    image.width = section.dsBm.bmWidth;
    image.height = section.dsBm.bmHeight;
    image.bitCount = section.dsBm.bmBitsPixel;
    image.colours = ColourTable(dc, image.bitCount);
    StoreBmpRows(image, static_cast<const uint8_t*>(section.dsBm.bmBits), section.dsBmih.biHeight < 0);
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
  if (!copyDC) ThrowNotEnoughMemory();
  {
    auto selection = SelectInto(copyDC.get(), copy.get());
    BitBlt(copyDC.get(), 0, 0, image.width, image.height, dc, 0, 0, SRCCOPY);
  }
  GdiFlush();
  StoreBmpRows(image, static_cast<const uint8_t*>(bits), false);
  return image;
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

TCanvas& TBitmap::Canvas() {
  return *canvas_;
}

HBITMAP TBitmap::Handle() {
  canvas_->FreeContext();
  return bitmap_.get();
}

HDC TBitmap::SelectedDC() const {
  return canvas_->Handle();
}

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
    if (!dc) ThrowNotEnoughMemory();
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
  if (!bitmap) throw EResNotFound(FormatResString(strings::kResourceNotFound, ResourceNameText(name).c_str()));
  BITMAP description{};
  GetObjectA(bitmap.get(), sizeof description, &description);
  TakeBitmap(std::move(bitmap), description.bmWidth, std::abs(description.bmHeight));
  Changed();
}

void TBitmap::LoadFromBmpBytes(const void* data, size_t size) {
  if (!data) throw EInvalidGraphic(kInvalidBitmapImage);
  const BmpImage image = ReadBmp(std::span<const uint8_t>(static_cast<const uint8_t*>(data), size));
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
      if (!dc) ThrowNotEnoughMemory();
      auto selection = SelectInto(dc.get(), copy.get());
      BitBlt(dc.get(), 0, 0, source.width_, source.height_, source.SelectedDC(), 0, 0, SRCCOPY);
    }
  }
  TakeBitmap(std::move(copy), source.width_, source.height_);
  Changed();
}

bool TBitmap::Monochrome() const {
  BITMAP description{};
  return bitmap_ && GetObjectA(bitmap_.get(), sizeof description, &description) && description.bmPlanes == 1 &&
         description.bmBitsPixel == 1;
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
