// TBitmap: screen bitmaps and DIB sections, BMP files in and out, resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Bitmap.h"
#include "runtime/Exceptions.h"
#include "tests/support/BmpFiles.h"
#include "tests/support/GraphicsTestHelpers.h"
#include "tests/support/TestFiles.h"

namespace {

bool IsDibSection(HBITMAP bitmap) {
  DIBSECTION section{};
  return GetObjectA(bitmap, sizeof section, &section) == static_cast<int>(sizeof section);
}

}  // namespace

// ---- Bitmaps ----

TEST(Bitmap, NewBitmapIsEmpty) {
  TBitmap bitmap;
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_EQ(bitmap.Height(), 0);
  EXPECT_EQ(bitmap.Handle(), nullptr);
  EXPECT_FALSE(bitmap.Monochrome());
  EXPECT_EQ(bitmap.TransparentColor(), clNone);
  EXPECT_EQ(bitmap.SaveToBmpBytes(), "");
}

TEST(Bitmap, SetSizeMakesAScreenBitmapThatKeepsItsPicture) {
  TBitmap bitmap;
  bitmap.SetSize(4, 3);
  EXPECT_FALSE(bitmap.Empty());
  EXPECT_EQ(bitmap.Width(), 4);
  EXPECT_EQ(bitmap.Height(), 3);
  EXPECT_EQ(bitmap.Canvas().Pixels(3, 2), clWhite);
  bitmap.Canvas().SetPixels(3, 2, clOlive);
  bitmap.SetWidth(6);
  bitmap.SetHeight(5);
  EXPECT_EQ(bitmap.Canvas().Pixels(3, 2), clOlive);
  EXPECT_EQ(bitmap.Canvas().Pixels(5, 4), clWhite);
  EXPECT_EQ(bitmap.Canvas().Pixels(6, 4), clNone);

  const HBITMAP handle = bitmap.Handle();
  EXPECT_FALSE(IsDibSection(handle));
  BITMAP described{};
  ASSERT_TRUE(GetObjectA(handle, sizeof described, &described));
  WindowDC screen = AcquireDC(nullptr);
  EXPECT_EQ(described.bmBitsPixel, GetDeviceCaps(screen.get(), BITSPIXEL));
  EXPECT_EQ(described.bmWidth, 6);
  EXPECT_FALSE(bitmap.Monochrome());

  bitmap.SetSize(0, 5);
  EXPECT_TRUE(bitmap.Empty());
}

TEST(Bitmap, HandleIsFreeToBeSelectedElsewhere) {
  TBitmap bitmap;
  bitmap.SetSize(3, 3);
  bitmap.Canvas().SetPixels(1, 1, clRed);  // the canvas's DC holds the bitmap now
  WhiteSurface other(1, 1);
  HGDIOBJ previous = SelectObject(other.dc(), bitmap.Handle());
  ASSERT_NE(previous, nullptr);
  ASSERT_NE(previous, HGDI_ERROR);
  EXPECT_EQ(GetPixel(other.dc(), 1, 1), RGB(255, 0, 0));
  SelectObject(other.dc(), previous);
  // The canvas takes it back when drawn on again.
  bitmap.Canvas().SetPixels(0, 0, clBlue);
  EXPECT_EQ(bitmap.Canvas().Pixels(0, 0), clBlue);
  EXPECT_EQ(bitmap.Canvas().Pixels(1, 1), clRed);
}

TEST(Bitmap, OnChangeFiresWhenThePictureIsReplaced) {
  TBitmap bitmap;
  int changes = 0;
  bitmap.OnChange = [&](TBitmap& changed) {
    EXPECT_EQ(&changed, &bitmap);
    ++changes;
  };
  bitmap.SetSize(4, 4);
  EXPECT_EQ(changes, 1);
  bitmap.SetSize(4, 4);
  bitmap.SetWidth(4);
  EXPECT_EQ(changes, 1);
  Load(bitmap, TrueColourBmp());
  EXPECT_EQ(changes, 2);
  TBitmap other;
  other.SetSize(1, 1);
  bitmap.Assign(other);
  EXPECT_EQ(changes, 3);
  bitmap.SetHeight(2);
  EXPECT_EQ(changes, 4);
}

TEST(Bitmap, FourBitBmpRoundTripsWithItsColourTable) {
  const std::string bytes = FourBitBmp();
  TBitmap bitmap;
  Load(bitmap, bytes);
  EXPECT_EQ(bitmap.Width(), 5);
  EXPECT_EQ(bitmap.Height(), 3);
  EXPECT_FALSE(bitmap.Monochrome());
  EXPECT_TRUE(IsDibSection(bitmap.Handle()));
  const std::vector<uint32_t> palette = OddPalette();
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(ColorToRGB(bitmap.Canvas().Pixels(x, y)), palette[FourBitPattern(x, y)]) << x << "," << y;
  EXPECT_EQ(bitmap.SaveToBmpBytes(), bytes);
}

TEST(Bitmap, TrueColourBmpRoundTripsWithRowPadding) {
  const std::string bytes = TrueColourBmp();
  TBitmap bitmap;
  Load(bitmap, bytes);
  EXPECT_EQ(bitmap.Width(), 5);
  EXPECT_EQ(bitmap.Height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(ColorToRGB(bitmap.Canvas().Pixels(x, y)), TrueColourPattern(x, y));
  EXPECT_EQ(bitmap.SaveToBmpBytes(), bytes);
}

TEST(Bitmap, ShortColourTableKeepsItsColours) {
  const std::vector<uint32_t> three = {RGB(1, 2, 3), RGB(200, 100, 50), RGB(9, 250, 9)};
  const auto pattern = [](int x, int y) { return static_cast<uint32_t>((x + y) % 3); };
  TBitmap bitmap;
  Load(bitmap, MakeBmp(7, 2, 4, three, pattern));
  EXPECT_EQ(ColorToRGB(bitmap.Canvas().Pixels(1, 1)), RGB(9, 250, 9));
  EXPECT_EQ(ColorToRGB(bitmap.Canvas().Pixels(1, 0)), RGB(200, 100, 50));
  // GDI keeps a full table for the section, so the copy lists sixteen colours,
  // the three given first.
  TBitmap reloaded;
  Load(reloaded, bitmap.SaveToBmpBytes());
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(ColorToRGB(reloaded.Canvas().Pixels(x, y)), three[pattern(x, y)]);
}

TEST(Bitmap, TopDownBmpIsReadTheRightWayUp) {
  const auto pattern = [](int x, int y) { return static_cast<uint32_t>(TrueColourPattern(x, y)); };
  TBitmap bitmap;
  Load(bitmap, MakeBmp(5, 3, 24, {}, pattern, true));
  EXPECT_EQ(bitmap.Height(), 3);
  EXPECT_EQ(ColorToRGB(bitmap.Canvas().Pixels(0, 0)), TrueColourPattern(0, 0));
  EXPECT_EQ(ColorToRGB(bitmap.Canvas().Pixels(4, 2)), TrueColourPattern(4, 2));
  // Saved bottom-up, as the same picture.
  EXPECT_EQ(bitmap.SaveToBmpBytes(), MakeBmp(5, 3, 24, {}, pattern));
}

TEST(Bitmap, MonochromeBmpIsMonochromeAndItsTransparentColourIsWhite) {
  // The bottom-left pixel is black: a monochrome bitmap still takes white.
  const std::string bytes =
      MakeBmp(9, 4, 1, {RGB(0, 0, 0), RGB(255, 255, 255)}, [](int x, int y) { return static_cast<uint32_t>(x > y); });
  TBitmap bitmap;
  Load(bitmap, bytes);
  EXPECT_TRUE(bitmap.Monochrome());
  EXPECT_EQ(bitmap.Canvas().Pixels(0, 3), clBlack);
  EXPECT_EQ(bitmap.Canvas().Pixels(8, 0), clWhite);
  EXPECT_EQ(bitmap.TransparentColor(), clWhite);
  EXPECT_EQ(bitmap.SaveToBmpBytes(), bytes);
}

TEST(Bitmap, TransparentColorIsTheBottomLeftPixel) {
  TBitmap bitmap;
  Load(bitmap, TrueColourBmp());
  EXPECT_EQ(ColorToRGB(bitmap.TransparentColor()), TrueColourPattern(0, 2));
  Load(bitmap, FourBitBmp());
  EXPECT_EQ(ColorToRGB(bitmap.TransparentColor()), OddPalette()[FourBitPattern(0, 2)]);
  TBitmap drawn;
  drawn.SetSize(3, 3);
  drawn.Canvas().SetPixels(0, 2, clTeal);
  EXPECT_EQ(drawn.TransparentColor(), clTeal);
}

TEST(Bitmap, ResizedLoadedBitmapKeepsItsDepthAndColourTable) {
  TBitmap bitmap;
  Load(bitmap, FourBitBmp());
  bitmap.SetSize(7, 4);
  EXPECT_TRUE(IsDibSection(bitmap.Handle()));
  // The part both sizes share keeps its colours.
  const std::vector<uint32_t> palette = OddPalette();
  EXPECT_EQ(ColorToRGB(bitmap.Canvas().Pixels(4, 2)), palette[FourBitPattern(4, 2)]);
  const std::string saved = bitmap.SaveToBmpBytes();
  ASSERT_GT(saved.size(), 54u);
  EXPECT_EQ(static_cast<unsigned char>(saved[28]), 4u);  // biBitCount
  EXPECT_EQ(saved.substr(54, 64), FourBitBmp().substr(54, 64));
}

TEST(Bitmap, AssignMakesAnIndependentCopyOfTheSameKind) {
  const std::string bytes = FourBitBmp();
  TBitmap original;
  Load(original, bytes);
  TBitmap copy;
  copy.Assign(original);
  EXPECT_NE(copy.Handle(), original.Handle());
  EXPECT_TRUE(IsDibSection(copy.Handle()));
  original.Canvas().SetPixels(0, 0, static_cast<TColor>(OddPalette()[15]));
  EXPECT_EQ(ColorToRGB(copy.Canvas().Pixels(0, 0)), OddPalette()[FourBitPattern(0, 0)]);
  EXPECT_EQ(copy.SaveToBmpBytes(), bytes);

  TBitmap screen;
  screen.SetSize(3, 2);
  screen.Canvas().SetPixels(2, 1, clMaroon);
  TBitmap screenCopy;
  screenCopy.Assign(screen);
  EXPECT_FALSE(IsDibSection(screenCopy.Handle()));
  EXPECT_EQ(screenCopy.Width(), 3);
  EXPECT_EQ(screenCopy.Canvas().Pixels(2, 1), clMaroon);
  screen.Canvas().SetPixels(2, 1, clLime);
  EXPECT_EQ(screenCopy.Canvas().Pixels(2, 1), clMaroon);

  TBitmap empty;
  screenCopy.Assign(empty);
  EXPECT_TRUE(screenCopy.Empty());
}

TEST(Bitmap, ScreenBitmapIsSavedWithTwentyFourBitsPerPixel) {
  TBitmap bitmap;
  bitmap.SetSize(3, 2);
  bitmap.Canvas().SetPixels(0, 0, clRed);
  bitmap.Canvas().SetPixels(2, 1, clBlue);
  const std::string saved = bitmap.SaveToBmpBytes();
  EXPECT_EQ(saved, MakeBmp(3, 2, 24, {}, [](int x, int y) {
              return static_cast<uint32_t>(x == 0 && y == 0   ? RGB(255, 0, 0)
                                           : x == 2 && y == 1 ? RGB(0, 0, 255)
                                                              : RGB(255, 255, 255));
            }));
  TBitmap reloaded;
  Load(reloaded, saved);
  EXPECT_EQ(reloaded.Canvas().Pixels(2, 1), clBlue);
}

TEST(Bitmap, InvalidBmpRaisesEInvalidGraphicAndLeavesTheBitmapAsItWas) {
  // Which files are refused is the reader's to say (BmpReaderTests); here,
  // what a refusal leaves of the bitmap.
  const std::string good = FourBitBmp();
  std::string wrongHeader = good;
  PutU32(wrongHeader, 14, 12);
  for (const std::string& bytes : {std::string(), good.substr(0, good.size() - 1), wrongHeader}) {
    TBitmap bitmap;
    bitmap.SetSize(2, 3);
    int changes = 0;
    bitmap.OnChange = [&](TBitmap&) { ++changes; };
    try {
      Load(bitmap, bytes);
      ADD_FAILURE() << "loaded " << bytes.size() << " bytes";
    } catch (const EInvalidGraphic& error) {
      EXPECT_EQ(error.Message(), kInvalidBitmapImage);
    }
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Height(), 3);
  }
}

TEST(Bitmap, LoadFromResourceNameRaisesEResNotFoundNamingTheResource) {
  TBitmap bitmap;
  try {
    bitmap.LoadFromResourceName(GetModuleHandleA(nullptr), "NO_SUCH_GLYPH");
    ADD_FAILURE() << "loaded";
  } catch (const EResNotFound& error) {
    EXPECT_EQ(error.Message(), "NO_SUCH_GLYPH ﾘｿｰｽが見つかりません");
  }
  try {
    bitmap.LoadFromResourceName(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(4242));
    ADD_FAILURE() << "loaded";
  } catch (const EResNotFound& error) {
    EXPECT_EQ(error.Message(), "#4242 ﾘｿｰｽが見つかりません");
  }
  EXPECT_TRUE(bitmap.Empty());
}

TEST(Bitmap, LoadFromResourceNameKeepsTheStoredDepthAndColours) {
  // A copy of this program with a bitmap resource added by UpdateResourceA;
  // a bitmap resource is a BMP file without its BITMAPFILEHEADER.
  ScratchFolder folder("quorvel-graphics");
  char self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  const std::string module = folder / "glyphs.exe";
  ASSERT_TRUE(CopyFileA(self, module.c_str(), FALSE));
  const std::string bytes = FourBitBmp();
  HANDLE update = BeginUpdateResourceA(module.c_str(), FALSE);
  ASSERT_NE(update, nullptr);
  std::string resource = bytes.substr(14);
  ASSERT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(2) /* RT_BITMAP */, "TESTGLYPH",
                              MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), resource.data(),
                              static_cast<DWORD>(resource.size())));
  ASSERT_TRUE(EndUpdateResourceA(update, FALSE));

  HMODULE glyphs = LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(glyphs, nullptr);
  TBitmap bitmap;
  bitmap.LoadFromResourceName(glyphs, "TESTGLYPH");
  FreeLibrary(glyphs);
  EXPECT_EQ(bitmap.Width(), 5);
  EXPECT_EQ(bitmap.Height(), 3);
  EXPECT_EQ(ColorToRGB(bitmap.Canvas().Pixels(4, 1)), OddPalette()[FourBitPattern(4, 1)]);
  EXPECT_EQ(bitmap.SaveToBmpBytes(), bytes);
}
