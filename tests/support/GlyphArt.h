// Pixel art for the button glyph tests: strips drawn from text, surfaces read
// back as text, and test button colours.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Buttons/ButtonGlyph.h"
#include "tests/support/DibSurface.h"

// One string per row, one character per pixel.
using Art = std::vector<std::string>;

// The colour of the surfaces drawn on; no strip uses it.
constexpr COLORREF kBackground = RGB(0x0A, 0x8B, 0x4C);

// Strip colours: O olive, P purple, W white, G grey 0x808080, K black, R red,
// B blue, Y yellow. Drawn results also use F button face, H button highlight,
// S button shadow and '.' for the untouched background.
inline COLORREF ArtColour(char pixel) {
  switch (pixel) {
    case 'O':
      return RGB(0x80, 0x80, 0x00);
    case 'P':
      return RGB(0x80, 0x00, 0x80);
    case 'W':
      return RGB(0xFF, 0xFF, 0xFF);
    case 'G':
      return RGB(0x80, 0x80, 0x80);
    case 'K':
      return RGB(0x00, 0x00, 0x00);
    case 'R':
      return RGB(0xFF, 0x00, 0x00);
    case 'B':
      return RGB(0x00, 0x00, 0xFF);
    case 'Y':
      return RGB(0xFF, 0xFF, 0x00);
    case 'F':
      return GetSysColor(COLOR_BTNFACE);
    case 'H':
      return GetSysColor(COLOR_BTNHIGHLIGHT);
    case 'S':
      return GetSysColor(COLOR_BTNSHADOW);
    case '.':
      return kBackground;
    default:
      ADD_FAILURE() << "no colour for '" << pixel << "'";
      return CLR_INVALID;
  }
}

// The character of a drawn colour, '?' for a colour no character stands for.
inline char ArtPixel(COLORREF colour) {
  // Strip colours first: without ButtonColours the session's highlight may well be white.
  for (char pixel : std::string("OPWGKRBY.FHS"))
    if (ArtColour(pixel) == colour) return pixel;
  return '?';
}

// Button colours no strip uses, for the length of a test: a pixel that ought
// to change to button highlight cannot pass by being white already. The
// session's own colours are put back afterwards.
class ButtonColours {
public:
  ButtonColours() {
    for (int i = 0; i < kCount; ++i) saved_[i] = GetSysColor(kIndexes[i]);
    const COLORREF chosen[kCount] = {RGB(0x31, 0x62, 0x93), RGB(0xE4, 0xC5, 0x16), RGB(0x27, 0x48, 0x69)};
    SetSysColors(kCount, kIndexes, chosen);
  }
  ~ButtonColours() { SetSysColors(kCount, kIndexes, saved_); }
  ButtonColours(const ButtonColours&) = delete;
  ButtonColours& operator=(const ButtonColours&) = delete;

  static void Set(INT index, COLORREF colour) { SetSysColors(1, &index, &colour); }

private:
  static constexpr int kCount = 3;
  static constexpr INT kIndexes[kCount] = {COLOR_BTNFACE, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
  COLORREF saved_[kCount];
};

// A 32-bit top-down DIB section in a memory DC with a canvas over it. What is
// drawn is read back with GetPixel, independently of the code under test.
class Surface : public DibSurface {
public:
  Surface(int width, int height) : DibSurface(width, height, kBackground) { canvas_.SetHandle(dc()); }
  ~Surface() { canvas_.SetHandle(nullptr); }  // the DC's own objects go back first

  TCanvas& canvas() { return canvas_; }

  // The pixels of a rectangle as art.
  Art ArtAt(int left, int top, int width, int height) const {
    Art rows;
    for (int y = top; y < top + height; ++y) {
      std::string row;
      for (int x = left; x < left + width; ++x) row += ArtPixel(Pixel(x, y));
      rows.push_back(row);
    }
    return rows;
  }

  // Every pixel that is not background.
  std::set<std::pair<int, int>> Ink() const {
    std::set<std::pair<int, int>> ink;
    for (int y = 0; y < height(); ++y)
      for (int x = 0; x < width(); ++x)
        if (Pixel(x, y) != kBackground) ink.insert({x, y});
    return ink;
  }

private:
  TCanvas canvas_;
};

inline int ArtWidth(const Art& art) {
  return static_cast<int>(art.front().size());
}
inline int ArtHeight(const Art& art) {
  return static_cast<int>(art.size());
}

// A screen bitmap, as TBitmap::SetSize makes them, painted pixel by pixel.
inline void PaintArt(TBitmap& bitmap, const Art& art) {
  bitmap.SetSize(ArtWidth(art), ArtHeight(art));
  for (int y = 0; y < ArtHeight(art); ++y)
    for (int x = 0; x < ArtWidth(art); ++x) bitmap.Canvas().SetPixels(x, y, static_cast<TColor>(ArtColour(art[y][x])));
}

// A w x h screen bitmap of one colour with a red pixel at (0, 0).
inline void PaintImage(TBitmap& image, int width, int height, char fill) {
  PaintArt(image, Art(static_cast<size_t>(height), std::string(static_cast<size_t>(width), fill)));
  image.Canvas().SetPixels(0, 0, static_cast<TColor>(ArtColour('R')));
}

// A painted strip handed over whole, as a button's Glyph property does:
// painting pixels is no change of the picture that a bitmap reports.
inline void AssignPaintedStrip(TButtonGlyph& glyph, const Art& art, TNumGlyphs images) {
  TBitmap painted;
  PaintArt(painted, art);
  glyph.AssignBitmap(&painted);
  glyph.SetImageCount(images);
}

// Runs the action and expects it to raise Error with that message.
template <class Error>
void ExpectRaises(const std::function<void()>& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "nothing raised; expected " << message;
  } catch (const Error& error) {
    EXPECT_EQ(error.Message(), message);
  }
}

// The glyph object's tests, in several files: one fixture, with button
// colours that no strip uses.
class ButtonGlyph : public ::testing::Test {
protected:
  ButtonColours colours_;
};
