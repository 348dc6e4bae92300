// Helpers of the graphics tests: a white surface to draw on, a font's
// description as GDI reports it, and BMP files loaded into bitmaps.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/Bitmap.h"
#include "tests/support/DibSurface.h"

// A white 32-bit DIB section in a memory DC: what is drawn is read back with
// GetPixel, independently of TCanvas.
class WhiteSurface : public DibSurface {
public:
  WhiteSurface(int width, int height) : DibSurface(width, height, RGB(255, 255, 255)) {}
};

inline LOGFONTA DescribeFont(HFONT font) {
  LOGFONTA description{};
  EXPECT_EQ(GetObjectA(font, sizeof description, &description), static_cast<int>(sizeof description));
  return description;
}

inline void Load(TBitmap& bitmap, const std::string& bytes) {
  bitmap.LoadFromBmpBytes(bytes.data(), bytes.size());
}
