// TBitmap: a GDI bitmap with a canvas, read from and written as BMP files.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "framework/Canvas.h"
#include "framework/Color.h"
#include "framework/Persistent.h"
#include "runtime/UniqueHandle.h"
#include "stream/BmpReader.h"  // kInvalidBitmapImage, the message of a refused BMP file

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
