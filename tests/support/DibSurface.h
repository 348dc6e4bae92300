// A 32-bit top-down DIB section in a memory DC, for tests that draw and then
// read pixels back with GetPixel, independently of the code under test.
#pragma once

#include <windows.h>

#include "runtime/UniqueHandle.h"

class DibSurface {
public:
  DibSurface(int width, int height, COLORREF fill) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dc_.reset(CreateCompatibleDC(nullptr));
    selection_ = SelectInto(dc_.get(), bitmap_.get());
    Fill({0, 0, width, height}, fill);
  }
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;

  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_.get(), x, y); }
  void Fill(const RECT& rect, COLORREF color) {
    UniqueBrush brush(CreateSolidBrush(color));
    FillRect(dc_.get(), &rect, brush.get());
  }

private:
  int width_, height_;
  UniqueBitmap bitmap_;
  UniqueMemoryDC dc_;
  ScopedSelectObject selection_;
};
