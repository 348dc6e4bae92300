// Button glyphs: state images in shared image lists drawn into real bitmaps, layout, and captions.
#include "Buttons/ButtonGlyph.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/support/BmpFiles.h"
#include "tests/support/DibSurface.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "runtime/Exceptions.h"

namespace {

// ---- Colours and pixel art ----

// One string per row, one character per pixel.
using Art = std::vector<std::string>;

// The colour of the surfaces drawn on; no strip uses it.
constexpr COLORREF kBackground = RGB(0x0A, 0x8B, 0x4C);

// Strip colours: O olive, P purple, W white, G grey 0x808080, K black, R red,
// B blue, Y yellow. Drawn results also use F button face, H button highlight,
// S button shadow and '.' for the untouched background.
COLORREF ArtColour(char pixel) {
  switch (pixel) {
    case 'O': return RGB(0x80, 0x80, 0x00);
    case 'P': return RGB(0x80, 0x00, 0x80);
    case 'W': return RGB(0xFF, 0xFF, 0xFF);
    case 'G': return RGB(0x80, 0x80, 0x80);
    case 'K': return RGB(0x00, 0x00, 0x00);
    case 'R': return RGB(0xFF, 0x00, 0x00);
    case 'B': return RGB(0x00, 0x00, 0xFF);
    case 'Y': return RGB(0xFF, 0xFF, 0x00);
    case 'F': return GetSysColor(COLOR_BTNFACE);
    case 'H': return GetSysColor(COLOR_BTNHIGHLIGHT);
    case 'S': return GetSysColor(COLOR_BTNSHADOW);
    case '.': return kBackground;
    default: ADD_FAILURE() << "no colour for '" << pixel << "'"; return CLR_INVALID;
  }
}

// The character of a drawn colour, '?' for a colour no character stands for.
char ArtPixel(COLORREF colour) {
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

// ---- Strips ----

int ArtWidth(const Art& art) { return static_cast<int>(art.front().size()); }
int ArtHeight(const Art& art) { return static_cast<int>(art.size()); }

// A screen bitmap, as TBitmap::SetSize makes them, painted pixel by pixel.
void PaintArt(TBitmap& bitmap, const Art& art) {
  bitmap.SetSize(ArtWidth(art), ArtHeight(art));
  for (int y = 0; y < ArtHeight(art); ++y)
    for (int x = 0; x < ArtWidth(art); ++x) bitmap.Canvas().SetPixels(x, y, static_cast<TColor>(ArtColour(art[y][x])));
}

// The art as a BMP file, the way window layouts carry glyphs: 4 bits per
// pixel with a table of the art's colours in order of appearance, or (for
// art of K and W only) 1 bit per pixel with black and white in the order
// given. Rows bottom-up.
std::string ArtBmp(const Art& art, int bitCount, const std::string& monochromeTable = "KW") {
  std::string table;
  if (bitCount == 1) {
    table = monochromeTable;
  } else {
    for (const std::string& row : art)
      for (char pixel : row)
        if (table.find(pixel) == std::string::npos) table += pixel;
  }
  std::vector<uint32_t> palette;
  for (char pixel : table) palette.push_back(ArtColour(pixel));
  return MakeBmp(ArtWidth(art), ArtHeight(art), bitCount, palette,
                 [&](int x, int y) { return static_cast<uint32_t>(table.find(art[y][x])); });
}

void LoadArt(TBitmap& bitmap, const Art& art, int bitCount, const std::string& monochromeTable = "KW") {
  const std::string bytes = ArtBmp(art, bitCount, monochromeTable);
  bitmap.LoadFromBmpBytes(bytes.data(), bytes.size());
}

// A strip made in code, or loaded from a layout's 16-colour bitmap.
enum StripKind { kScreenStrip, kFourBitStrip };
const char* StripKindName(StripKind kind) { return kind == kScreenStrip ? "screen strip" : "4-bit strip"; }

// Painting pixels is no change of the picture that a bitmap reports, so a
// painted strip is handed over whole, as a button's Glyph property does.
void SetStrip(TButtonGlyph& glyph, const Art& art, StripKind kind, TNumGlyphs images) {
  if (kind == kScreenStrip) {
    TBitmap painted;
    PaintArt(painted, art);
    glyph.AssignBitmap(&painted);
  } else {
    LoadArt(glyph.GlyphBitmap(), art, 4);
  }
  glyph.SetImageCount(images);
}

// A 4 x 4 glyph drawn at (1, 1) of a 6 x 6 surface, and the surface read back
// with the one-pixel border around it.
Art DrawnGlyph(TButtonGlyph& glyph, TGlyphState state) {
  Surface surface(6, 6);
  glyph.DrawGlyphImage(surface.canvas(), 1, 1, state);
  return surface.ArtAt(0, 0, 6, 6);
}

// Two images: the first for up and pressed, the second for disabled.
const Art kTwoImageStrip = {
    "ORWOOWGK",
    "GKOBRWOG",
    "OOYOOKBO",
    "OOOOOOOO",
};

template <class Error>
void ExpectRaises(const std::function<void()>& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "nothing raised; expected " << message;
  } catch (const Error& error) {
    EXPECT_EQ(error.Message(), message);
  }
}

// ---- Glyph lists ----

// A w x h screen bitmap of one colour with a red pixel at (0, 0).
void PaintImage(TBitmap& image, int width, int height, char fill) {
  PaintArt(image, Art(static_cast<size_t>(height), std::string(static_cast<size_t>(width), fill)));
  image.Canvas().SetPixels(0, 0, static_cast<TColor>(ArtColour('R')));
}

Art DrawnSlot(const TGlyphList& list, int slot, UINT style) {
  Surface surface(6, 6);
  ImageList_DrawEx(list.Handle(), slot, surface.dc(), 1, 1, 0, 0, CLR_NONE, CLR_NONE, style);
  return surface.ArtAt(0, 0, 6, 6);
}

TEST(GlyphList, SlotsAreTakenLowestFirstAndReleasedOnesReusedWithoutShrinkingTheList) {
  TGlyphList list(4, 4);
  EXPECT_EQ(list.Handle(), nullptr);  // made when the first image comes
  TBitmap image;
  PaintImage(image, 4, 4, 'B');
  EXPECT_EQ(list.AddImage(image.Handle()), 0);
  ASSERT_NE(list.Handle(), nullptr);
  int width = 0, height = 0;
  ASSERT_TRUE(ImageList_GetIconSize(list.Handle(), &width, &height));
  EXPECT_EQ(width, 4);
  EXPECT_EQ(height, 4);
  for (int expected = 1; expected < 5; ++expected) EXPECT_EQ(list.AddImage(image.Handle()), expected);
  EXPECT_EQ(list.UsedCount(), 5);
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 5);  // grown past its first four

  list.ReleaseSlot(3);
  list.ReleaseSlot(1);
  list.ReleaseSlot(1);  // a free slot is not released twice
  EXPECT_EQ(list.UsedCount(), 3);
  EXPECT_FALSE(list.IsSlotUsed(1));
  EXPECT_FALSE(list.IsSlotUsed(3));
  EXPECT_TRUE(list.IsSlotUsed(2));
  // A released slot keeps its image until it is used again.
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 5);
  EXPECT_EQ(DrawnSlot(list, 1, ILD_NORMAL)[1], ".RBBB.");

  PaintImage(image, 4, 4, 'Y');
  EXPECT_EQ(list.AddImage(image.Handle()), 1);
  EXPECT_EQ(list.AddImage(image.Handle()), 3);
  EXPECT_EQ(list.AddImage(image.Handle()), 5);
  EXPECT_EQ(list.UsedCount(), 6);
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 6);
  EXPECT_EQ(DrawnSlot(list, 1, ILD_NORMAL)[1], ".RYYY.");
  EXPECT_EQ(DrawnSlot(list, 2, ILD_NORMAL)[1], ".RBBB.");
}

// The image of a slot as the list stores it, read with GetDIBits past any drawing.
Art StoredImage(const TGlyphList& list, int slot) {
  IMAGEINFO info{};
  if (!ImageList_GetImageInfo(list.Handle(), slot, &info)) return {"no image info"};
  BITMAP description{};
  GetObjectA(info.hbmImage, sizeof description, &description);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = description.bmWidth;
  format.bmiHeader.biHeight = -description.bmHeight;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(description.bmWidth) * description.bmHeight);
  WindowDC screen = AcquireDC(nullptr);
  if (!GetDIBits(screen.get(), info.hbmImage, 0, description.bmHeight, pixels.data(), &format, DIB_RGB_COLORS))
    return {"unreadable"};
  Art rows;
  for (int y = info.rcImage.top; y < info.rcImage.bottom; ++y) {
    std::string row;
    for (int x = info.rcImage.left; x < info.rcImage.right; ++x) {
      const uint32_t bgr = pixels[static_cast<size_t>(y) * description.bmWidth + x] & 0xFFFFFF;
      row += ArtPixel(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(GlyphList, AddedImageIsOpaqueAndMaskedImageLeavesExactlyItsColourOut) {
  TGlyphList list(4, 4);
  TBitmap image;
  PaintArt(image, {"ORWO", "GKOB", "OOYO", "OOOO"});
  const int opaque = list.AddImage(image.Handle());
  const int masked = list.AddMaskedImage(image.Handle(), clOlive | 0x02000000);
  EXPECT_EQ(list.UsedCount(), 2);
  // Drawn through the mask, the opaque image still covers everything.
  EXPECT_EQ(DrawnSlot(list, opaque, ILD_TRANSPARENT),
            (Art{"......", ".ORWO.", ".GKOB.", ".OOYO.", ".OOOO.", "......"}));
  EXPECT_EQ(DrawnSlot(list, masked, ILD_TRANSPARENT),
            (Art{"......", "..RW..", ".GK.B.", "...Y..", "......", "......"}));
  // Windows draws a masked image by ANDing the mask into the target and ORing
  // the image over it, so what lies under the mask must be stored black.
  EXPECT_EQ(StoredImage(list, masked), (Art{"KRWK", "GKKB", "KKYK", "KKKK"}));
  EXPECT_EQ(StoredImage(list, opaque), (Art{"ORWO", "GKOB", "OOYO", "OOOO"}));
  // The caller's bitmap is copied, not changed.
  Surface check(4, 4);
  check.canvas().Draw(0, 0, image);
  EXPECT_EQ(check.ArtAt(0, 0, 4, 4), (Art{"ORWO", "GKOB", "OOYO", "OOOO"}));
}

TEST(GlyphList, SizesOutsideTheImageListRangeRaiseInvalidImageSize) {
  const std::string message = "ｲﾒｰｼﾞｻｲｽﾞが正しくありません";
  ExpectRaises<EInvalidOperation>([] { TGlyphList list(0, 16); }, message);
  ExpectRaises<EInvalidOperation>([] { TGlyphList list(-4, 16); }, message);
  ExpectRaises<EInvalidOperation>([] { TGlyphList list(16, 0); }, message);
  ExpectRaises<EInvalidOperation>([] { TGlyphList list(16, 32769); }, message);
  TGlyphList tallest(1, 32768);
  EXPECT_EQ(tallest.Height(), 32768);
}

TEST(GlyphList, PlatformListThatCannotBeMadeRaisesInvalidImageListWhenFirstNeeded) {
  TGlyphList list(1 << 20, 32768);  // far more memory than an image list may take
  TBitmap image;
  PaintImage(image, 4, 4, 'B');
  ExpectRaises<EInvalidOperation>([&] { list.AddImage(image.Handle()); }, "不正なｲﾒｰｼﾞ ﾘｽﾄ");
  EXPECT_EQ(list.Handle(), nullptr);
  EXPECT_EQ(list.UsedCount(), 0);
}

TEST(GlyphList, ImageThatCannotBeStoredRaisesCannotReplaceAndLeavesTheSlotFree) {
  TGlyphList list(4, 4);
  ExpectRaises<EInvalidOperation>([&] { list.AddImage(nullptr); }, "ｲﾒｰｼﾞの置き換えができません");
  EXPECT_EQ(list.UsedCount(), 0);
  EXPECT_FALSE(list.IsSlotUsed(0));
  TBitmap image;
  PaintImage(image, 4, 4, 'B');
  EXPECT_EQ(list.AddImage(image.Handle()), 0);  // the slot of the failed image
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 1);
}

// ---- The glyph cache ----

// The cache tests watch the process-wide cache come and go; a glyph object
// left alive elsewhere would keep it.
class GlyphCacheLifetime : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_EQ(GlyphCache(), nullptr) << "a glyph object of another test is still alive"; }
  ButtonColours colours_;
};

TEST(GlyphCache, ListForSizeFindsTheListOfThatSizeAndReturnListDestroysOnlyUnusedOnes) {
  TGlyphCache cache;
  EXPECT_TRUE(cache.IsEmpty());
  TGlyphList* small = cache.ListForSize(16, 16);
  EXPECT_EQ(cache.ListForSize(16, 16), small);
  TGlyphList* wide = cache.ListForSize(18, 16);
  EXPECT_NE(wide, small);
  EXPECT_EQ(cache.ListForSize(18, 16), wide);
  TGlyphList* low = cache.ListForSize(16, 15);
  EXPECT_NE(low, small);
  EXPECT_EQ(cache.ListForSize(16, 15), low);
  cache.ReturnList(low);  // never used: destroyed at once
  EXPECT_EQ(cache.ListCount(), 2);
  ExpectRaises<EInvalidOperation>([&] { cache.ListForSize(0, 16); }, "ｲﾒｰｼﾞｻｲｽﾞが正しくありません");
  EXPECT_EQ(cache.ListCount(), 2);  // a refused size leaves nothing behind

  TBitmap image;
  PaintImage(image, 16, 16, 'B');
  const int slot = small->AddImage(image.Handle());
  cache.ReturnList(small);  // still in use
  cache.ReturnList(nullptr);
  EXPECT_EQ(cache.ListCount(), 2);
  EXPECT_EQ(cache.ListForSize(16, 16), small);
  small->ReleaseSlot(slot);
  cache.ReturnList(small);
  cache.ReturnList(wide);
  EXPECT_TRUE(cache.IsEmpty());
}

TEST_F(GlyphCacheLifetime, GlyphsOfOneImageSizeShareOneListThatGoesWithTheLastUser) {
  auto first = std::make_unique<TButtonGlyph>();
  ASSERT_NE(GlyphCache(), nullptr);  // made by the first glyph object
  auto second = std::make_unique<TButtonGlyph>();
  auto other = std::make_unique<TButtonGlyph>();
  SetStrip(*first, kTwoImageStrip, kScreenStrip, 2);
  SetStrip(*second, kTwoImageStrip, kFourBitStrip, 2);
  SetStrip(*other, {"OOKOO", "OKKKO", "OOKOO", "OOOOO", "OOOOO"}, kScreenStrip, 1);

  EXPECT_EQ(first->BuildStateImage(gsNormal), 0);
  EXPECT_EQ(second->BuildStateImage(gsNormal), 1);
  EXPECT_EQ(first->BuildStateImage(gsDisabled), 2);
  EXPECT_EQ(other->BuildStateImage(gsNormal), 0);  // a list of its own size
  TGlyphList* shared = first->GlyphList();
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(second->GlyphList(), shared);
  EXPECT_NE(other->GlyphList(), shared);
  EXPECT_EQ(GlyphCache()->ListCount(), 2);
  EXPECT_EQ(shared->UsedCount(), 3);

  first.reset();  // gives back slots 0 and 2; the list stays for the second glyph
  EXPECT_EQ(GlyphCache()->ListCount(), 2);
  EXPECT_EQ(shared->UsedCount(), 1);
  EXPECT_TRUE(shared->IsSlotUsed(1));
  auto third = std::make_unique<TButtonGlyph>();
  SetStrip(*third, kTwoImageStrip, kScreenStrip, 2);
  EXPECT_EQ(third->BuildStateImage(gsDisabled), 0);  // the lowest free slot again
  EXPECT_EQ(third->GlyphList(), shared);
  EXPECT_EQ(DrawnGlyph(*second, gsNormal)[1], ".FRWF.");
  EXPECT_EQ(DrawnGlyph(*third, gsDisabled)[1], ".FHSK.");

  second.reset();
  third.reset();
  EXPECT_EQ(GlyphCache()->ListCount(), 1);  // the last user of the 4 x 4 list let it go
  other.reset();
  EXPECT_EQ(GlyphCache(), nullptr);
}

TEST_F(GlyphCacheLifetime, CacheLeftEmptyGoesWithAnyGlyphAndComesBackWithTheNextBuild) {
  auto idle = std::make_unique<TButtonGlyph>();
  {
    TButtonGlyph passing;
    ASSERT_NE(GlyphCache(), nullptr);
  }
  // The glyph that went found the cache empty, although another glyph lives.
  EXPECT_EQ(GlyphCache(), nullptr);
  SetStrip(*idle, kTwoImageStrip, kScreenStrip, 2);
  EXPECT_EQ(idle->BuildStateImage(gsNormal), 0);
  ASSERT_NE(GlyphCache(), nullptr);
  EXPECT_EQ(GlyphCache()->ListCount(), 1);
  idle->ReleaseImages();
  EXPECT_TRUE(GlyphCache()->IsEmpty());
  idle.reset();
  EXPECT_EQ(GlyphCache(), nullptr);
}

// ---- The glyph object ----

class ButtonGlyph : public ::testing::Test {
protected:
  ButtonColours colours_;
};

TEST_F(ButtonGlyph, NewGlyphIsEmptyWithOneImageOliveTransparencyAndNoImages) {
  TButtonGlyph glyph;
  EXPECT_TRUE(glyph.GlyphBitmap().Empty());
  EXPECT_EQ(glyph.ImageCount(), 1);
  EXPECT_EQ(glyph.TransparentColor(), clOlive);
  EXPECT_EQ(glyph.GlyphList(), nullptr);
  for (TGlyphState state : {gsNormal, gsDisabled, gsPressed, gsLatched}) {
    EXPECT_EQ(glyph.ImageSlot(state), -1);
    EXPECT_EQ(glyph.BuildStateImage(state), -1);  // nothing to build from
  }
  EXPECT_EQ(glyph.GlyphList(), nullptr);
  EXPECT_NE(GlyphCache(), nullptr);
  Surface surface(6, 6);
  glyph.DrawGlyphImage(surface.canvas(), 1, 1, gsNormal);
  EXPECT_TRUE(surface.Ink().empty());
}

TEST_F(ButtonGlyph, NormalAndPressedImagesShowTheFirstImageWithTransparentPixelsAsButtonFace) {
  for (StripKind kind : {kScreenStrip, kFourBitStrip}) {
    SCOPED_TRACE(StripKindName(kind));
    TButtonGlyph glyph;
    SetStrip(glyph, kTwoImageStrip, kind, 2);
    const Art expected{"......", ".FRWF.", ".GKFB.", ".FFYF.", ".FFFF.", "......"};
    EXPECT_EQ(DrawnGlyph(glyph, gsNormal), expected);
    EXPECT_EQ(DrawnGlyph(glyph, gsPressed), expected);
    // Pressed has no image of its own with fewer than three: the normal slot serves.
    EXPECT_EQ(glyph.BuildStateImage(gsPressed), glyph.ImageSlot(gsNormal));
    EXPECT_EQ(glyph.ImageSlot(gsPressed), -1);
    EXPECT_EQ(glyph.GlyphList()->UsedCount(), 1);
  }
}

TEST_F(ButtonGlyph, PressedImageIsTheThirdOfThreeAndLatchedTheFourthOfFour) {
  const std::string plain(12, 'O');
  TButtonGlyph glyph;
  SetStrip(glyph, {"ORWOOKKOOBBO", plain, plain, plain}, kScreenStrip, 3);
  EXPECT_EQ(DrawnGlyph(glyph, gsPressed)[1], ".FBBF.");
  EXPECT_EQ(DrawnGlyph(glyph, gsNormal)[1], ".FRWF.");
  EXPECT_NE(glyph.ImageSlot(gsPressed), glyph.ImageSlot(gsNormal));
  EXPECT_EQ(DrawnGlyph(glyph, gsLatched)[1], "..RW..");  // no fourth image: the first

  const std::string wider(16, 'O');
  SetStrip(glyph, {"ORWOOKKOOBBOOYYO", wider, wider, wider}, kScreenStrip, 4);
  EXPECT_EQ(DrawnGlyph(glyph, gsLatched)[1], "..YY..");
  EXPECT_EQ(DrawnGlyph(glyph, gsPressed)[1], ".FBBF.");
  EXPECT_EQ(DrawnGlyph(glyph, gsDisabled)[1], ".FKKF.");  // the second image, olive as face
}

TEST_F(ButtonGlyph, LatchedImageIsTheFirstImageUnchangedDrawnThroughItsTransparencyMask) {
  for (StripKind kind : {kScreenStrip, kFourBitStrip}) {
    SCOPED_TRACE(StripKindName(kind));
    TButtonGlyph glyph;
    SetStrip(glyph, kTwoImageStrip, kind, 2);
    EXPECT_EQ(DrawnGlyph(glyph, gsLatched), (Art{"......", "..RW..", ".GK.B.", "...Y..", "......", "......"}));
    EXPECT_NE(glyph.ImageSlot(gsLatched), glyph.ImageSlot(gsNormal));
  }
}

TEST_F(ButtonGlyph, DisabledImageOfATwoImageStripRecoloursTheSecondImage) {
  for (StripKind kind : {kScreenStrip, kFourBitStrip}) {
    SCOPED_TRACE(StripKindName(kind));
    TButtonGlyph glyph;
    SetStrip(glyph, kTwoImageStrip, kind, 2);
    // White to highlight, grey to shadow, olive to face; black, red and blue stay.
    EXPECT_EQ(DrawnGlyph(glyph, gsDisabled), (Art{"......", ".FHSK.", ".RHFS.", ".FKBF.", ".FFFF.", "......"}));
  }
}

TEST_F(ButtonGlyph, DisabledRecolouringLooksAtTheOriginalColoursOnly) {
  // A highlight that is grey and a shadow that is olive: pixels already
  // recoloured must not be caught again by the later steps.
  ButtonColours::Set(COLOR_BTNHIGHLIGHT, ArtColour('G'));
  ButtonColours::Set(COLOR_BTNSHADOW, ArtColour('O'));
  TButtonGlyph glyph;
  SetStrip(glyph, kTwoImageStrip, kScreenStrip, 2);
  EXPECT_EQ(DrawnGlyph(glyph, gsDisabled), (Art{"......", ".FGOK.", ".RGFO.", ".FKBF.", ".FFFF.", "......"}));
}

TEST_F(ButtonGlyph, DisabledImageOfAOneImageStripEngravesOnlyItsBlackPixels) {
  for (StripKind kind : {kScreenStrip, kFourBitStrip}) {
    SCOPED_TRACE(StripKindName(kind));
    TButtonGlyph glyph;
    // Olive is the transparent colour but plays no part; every colour but black becomes face.
    SetStrip(glyph, {"ORKO", "KKWO", "OGOK", "OOOO"}, kind, 1);
    EXPECT_EQ(DrawnGlyph(glyph, gsDisabled), (Art{"......", ".FFSF.", ".SSFH.", ".FHHS.", ".FFFF.", "......"}));
  }
}

TEST_F(ButtonGlyph, MonochromeStripIsSeeThroughWhereWhiteAndEngravesItsBlackPixels) {
  // Black and white by colour, whichever bit value the file's colour table gives them.
  for (const char* table : {"KW", "WK"}) {
    SCOPED_TRACE(table);
    TButtonGlyph glyph;
    LoadArt(glyph.GlyphBitmap(), {"WKWW", "KKWW", "WWWK", "WWWW"}, 1, table);
    ASSERT_TRUE(glyph.GlyphBitmap().Monochrome());
    EXPECT_EQ(glyph.TransparentColor(), static_cast<TColor>(0x02FFFFFF));
    EXPECT_EQ(DrawnGlyph(glyph, gsNormal), (Art{"......", ".FKFF.", ".KKFF.", ".FFFK.", ".FFFF.", "......"}));
    EXPECT_EQ(DrawnGlyph(glyph, gsDisabled), (Art{"......", ".FSFF.", ".SSHF.", ".FHHS.", ".FFFF.", "......"}));
  }
}

TEST_F(ButtonGlyph, BuiltImageKeepsTheButtonFaceOfItsBuildUntilReleased) {
  TButtonGlyph glyph;
  SetStrip(glyph, kTwoImageStrip, kScreenStrip, 2);
  const COLORREF oldFace = GetSysColor(COLOR_BTNFACE);
  const int slot = glyph.BuildStateImage(gsNormal);
  ButtonColours::Set(COLOR_BTNFACE, RGB(0x70, 0x11, 0x22));
  EXPECT_EQ(glyph.BuildStateImage(gsNormal), slot);
  Surface surface(6, 6);
  glyph.DrawGlyphImage(surface.canvas(), 1, 1, gsNormal);
  EXPECT_EQ(surface.Pixel(1, 1), oldFace);
  glyph.ReleaseImages();
  EXPECT_EQ(glyph.ImageSlot(gsNormal), -1);
  EXPECT_EQ(glyph.GlyphList(), nullptr);
  EXPECT_EQ(DrawnGlyph(glyph, gsNormal)[1], ".FRWF.");
  EXPECT_EQ(ArtColour('F'), RGB(0x70, 0x11, 0x22));
}

TEST_F(ButtonGlyph, StripNarrowerThanItsImageCountRaisesInvalidImageSizeAndHoldsNoList) {
  TButtonGlyph glyph;
  PaintArt(glyph.GlyphBitmap(), {"OOO", "OOO"});
  glyph.SetImageCount(4);
  ExpectRaises<EInvalidOperation>([&] { glyph.BuildStateImage(gsNormal); }, "ｲﾒｰｼﾞｻｲｽﾞが正しくありません");
  EXPECT_EQ(glyph.GlyphList(), nullptr);
  EXPECT_EQ(glyph.ImageSlot(gsNormal), -1);
  Surface surface(6, 6);
  ExpectRaises<EInvalidOperation>([&] { glyph.DrawGlyphImage(surface.canvas(), 0, 0, gsNormal); },
                                  "ｲﾒｰｼﾞｻｲｽﾞが正しくありません");
}

// Takes every GDI handle the process can still get, and gives them back when it goes.
class GdiHandleExhaustion {
public:
  GdiHandleExhaustion() {
    constexpr size_t kLimit = 1 << 20;  // far above any GDI handle table
    while (taken_.size() < kLimit) {
      HBITMAP bitmap = CreateBitmap(1, 1, 1, 1, nullptr);
      if (!bitmap) break;
      taken_.push_back(bitmap);
    }
  }
  ~GdiHandleExhaustion() {
    for (HBITMAP bitmap : taken_) DeleteObject(bitmap);
  }
  GdiHandleExhaustion(const GdiHandleExhaustion&) = delete;
  GdiHandleExhaustion& operator=(const GdiHandleExhaustion&) = delete;

private:
  std::vector<HBITMAP> taken_;
};

TEST_F(ButtonGlyph, BuildWithoutRoomForItsScratchBitmapsRaisesOutOfSystemResources) {
  TButtonGlyph glyph;
  SetStrip(glyph, kTwoImageStrip, kScreenStrip, 2);
  const int normal = glyph.BuildStateImage(gsNormal);  // the list exists before the handles run out
  TButtonGlyph fresh;
  SetStrip(fresh, kTwoImageStrip, kScreenStrip, 2);
  fresh.GlyphBitmap().Canvas().Handle();  // its strip's DC made while there is room
  {
    GdiHandleExhaustion exhaustion;
    ExpectRaises<EOutOfResources>([&] { glyph.BuildStateImage(gsDisabled); }, "ｼｽﾃﾑ ﾘｿｰｽが足りません");
    ExpectRaises<EOutOfResources>([&] { fresh.BuildStateImage(gsNormal); }, "ｼｽﾃﾑ ﾘｿｰｽが足りません");
  }
  // A glyph left without any image holds no list, which another glyph could empty and destroy.
  EXPECT_EQ(fresh.GlyphList(), nullptr);
  EXPECT_EQ(glyph.ImageSlot(gsDisabled), -1);
  EXPECT_EQ(glyph.GlyphList()->UsedCount(), 1);
  EXPECT_EQ(glyph.BuildStateImage(gsNormal), normal);
  EXPECT_EQ(DrawnGlyph(glyph, gsDisabled)[1], ".FHSK.");  // built once there is room again
}

// ---- Strip, image count and bitmap assignment ----

TEST_F(ButtonGlyph, ChangedStripTakesItsTransparentColourMarkedPaletteRelativeAndDropsItsImages) {
  TButtonGlyph glyph;
  int notified = 0;
  glyph.OnChange = [&] { ++notified; };
  SetStrip(glyph, kTwoImageStrip, kScreenStrip, 2);
  EXPECT_EQ(glyph.TransparentColor(), static_cast<TColor>(0x02008080));
  const int afterPaint = notified;
  EXPECT_GE(afterPaint, 1);
  glyph.BuildStateImage(gsNormal);
  glyph.BuildStateImage(gsDisabled);
  ASSERT_NE(glyph.GlyphList(), nullptr);

  // Loaded in place, as a window layout does.
  LoadArt(glyph.GlyphBitmap(), {"PPKOPPKO", "PPOOPPOO", "PPPPPPPP", "PPPPPPPP"}, 4);
  EXPECT_EQ(notified, afterPaint + 1);
  EXPECT_EQ(glyph.TransparentColor(), static_cast<TColor>(0x02800080));
  EXPECT_EQ(glyph.ImageSlot(gsNormal), -1);
  EXPECT_EQ(glyph.ImageSlot(gsDisabled), -1);
  EXPECT_EQ(glyph.GlyphList(), nullptr);
  EXPECT_EQ(glyph.ImageCount(), 2);  // a change of the strip keeps the count
  EXPECT_EQ(DrawnGlyph(glyph, gsNormal).at(1), ".FFKO.");  // purple is see-through now, olive is not

  // Another picture given to the strip itself.
  TBitmap other;
  PaintArt(other, {"RRRRRRRR", "YYYYYYYY"});
  glyph.GlyphBitmap().Assign(other);
  EXPECT_EQ(notified, afterPaint + 2);
  EXPECT_EQ(glyph.TransparentColor(), static_cast<TColor>(0x0200FFFF));
  glyph.GlyphBitmap().SetSize(8, 5);
  EXPECT_EQ(notified, afterPaint + 3);
}

TEST_F(ButtonGlyph, AssignBitmapCopiesTheStripAndCountsSquareImagesUpToFour) {
  TButtonGlyph glyph;
  int notified = 0;
  glyph.OnChange = [&] { ++notified; };
  struct Case {
    int width;
    TNumGlyphs countBefore, countAfter;
  };
  // 64 x 16: four images; 80 x 16: five would be too many, so one; 40 x 16:
  // not a whole number of squares, so the count stays.
  for (const Case& c : {Case{64, 1, 4}, Case{80, 2, 1}, Case{40, 3, 3}, Case{32, 1, 2}, Case{16, 3, 1}}) {
    SCOPED_TRACE(c.width);
    glyph.SetImageCount(c.countBefore);
    TBitmap source;
    PaintArt(source, Art(16, std::string(static_cast<size_t>(c.width), 'O')));
    source.Canvas().SetPixels(0, 15, static_cast<TColor>(ArtColour('P')));
    glyph.AssignBitmap(&source);
    EXPECT_EQ(glyph.ImageCount(), c.countAfter);
    EXPECT_EQ(glyph.GlyphBitmap().Width(), c.width);
    EXPECT_EQ(glyph.GlyphBitmap().Height(), 16);
    EXPECT_EQ(glyph.TransparentColor(), static_cast<TColor>(0x02800080));
  }
  EXPECT_GE(notified, 5);

  // A copy: later changes of the source do not reach the glyph.
  glyph.BuildStateImage(gsNormal);
  TBitmap source;
  PaintArt(source, {"RO", "OK"});
  glyph.AssignBitmap(&source);
  EXPECT_EQ(glyph.ImageSlot(gsNormal), -1);  // the images of the old strip are gone
  EXPECT_EQ(glyph.GlyphList(), nullptr);
  EXPECT_NE(glyph.GlyphBitmap().Handle(), source.Handle());
  source.Canvas().SetPixels(0, 0, static_cast<TColor>(ArtColour('B')));
  EXPECT_EQ(glyph.GlyphBitmap().Canvas().Pixels(0, 0), static_cast<TColor>(ArtColour('R')));
  EXPECT_EQ(glyph.TransparentColor(), static_cast<TColor>(0x02008080));
  EXPECT_EQ(glyph.ImageCount(), 1);

  // No bitmap, or an empty one, empties the strip and keeps count and colour.
  glyph.SetImageCount(2);
  glyph.AssignBitmap(nullptr);
  EXPECT_TRUE(glyph.GlyphBitmap().Empty());
  EXPECT_EQ(glyph.ImageCount(), 2);
  EXPECT_EQ(glyph.TransparentColor(), static_cast<TColor>(0x02008080));
  glyph.AssignBitmap(&source);
  TBitmap empty;
  glyph.AssignBitmap(&empty);
  EXPECT_TRUE(glyph.GlyphBitmap().Empty());
  EXPECT_EQ(glyph.ImageCount(), 1);
}

TEST_F(ButtonGlyph, SetImageCountIgnoresZeroKeepsImagesForTheSameCountAndReleasesThemOnAChange) {
  TButtonGlyph glyph;
  SetStrip(glyph, kTwoImageStrip, kScreenStrip, 2);
  const int slot = glyph.BuildStateImage(gsNormal);
  glyph.SetImageCount(0);
  glyph.SetImageCount(-3);
  glyph.SetImageCount(2);
  EXPECT_EQ(glyph.ImageCount(), 2);
  EXPECT_EQ(glyph.ImageSlot(gsNormal), slot);
  glyph.SetImageCount(1);
  EXPECT_EQ(glyph.ImageCount(), 1);
  EXPECT_EQ(glyph.ImageSlot(gsNormal), -1);
  EXPECT_EQ(glyph.GlyphList(), nullptr);
  glyph.SetImageCount(7);
  EXPECT_EQ(glyph.ImageCount(), 4);
}

// ---- Captions ----

// What TextOutA draws of `text` at (x, y) in the canvas font of a fresh
// canvas: the reference the caption drawing is compared with.
std::set<std::pair<int, int>> ReferenceInk(int width, int height, int x, int y, const std::string& text) {
  Surface reference(width, height);
  reference.canvas().Brush().SetStyle(bsClear);
  reference.canvas().Font().SetColor(clBlack);
  reference.canvas().TextOut(x, y, text);
  return reference.Ink();
}

std::set<std::pair<int, int>> Shifted(const std::set<std::pair<int, int>>& ink, int dx, int dy) {
  std::set<std::pair<int, int>> moved;
  for (const auto& [x, y] : ink) moved.insert({x + dx, y + dy});
  return moved;
}

std::pair<int, int> TopLeftOf(const std::set<std::pair<int, int>>& ink) {
  int left = INT32_MAX, top = INT32_MAX;
  for (const auto& [x, y] : ink) {
    left = std::min(left, x);
    top = std::min(top, y);
  }
  return {left, top};
}

TEST_F(ButtonGlyph, CaptionIsDrawnCentredOnOneLineInTheFontColourWithoutBackground) {
  Surface surface(120, 40);
  surface.canvas().Font().SetColor(clBlue);
  const RECT rect{10, 5, 110, 35};
  TButtonGlyph glyph;
  glyph.DrawCaption(surface.canvas(), "変換", rect, gsNormal);
  EXPECT_EQ(surface.canvas().Brush().Style(), bsClear);

  const SIZE extent = surface.canvas().TextExtent("変換");
  const auto reference = ReferenceInk(120, 40, 0, 0, "変換");
  const auto ink = surface.Ink();
  ASSERT_FALSE(reference.empty());
  const auto [referenceLeft, referenceTop] = TopLeftOf(reference);
  const auto [left, top] = TopLeftOf(ink);
  const int dx = left - referenceLeft, dy = top - referenceTop;
  EXPECT_EQ(ink, Shifted(reference, dx, dy));  // the same text, only moved
  EXPECT_NEAR(dx, rect.left + (100 - extent.cx) / 2, 1);
  EXPECT_NEAR(dy, rect.top + (30 - extent.cy) / 2, 1);
  for (const auto& [x, y] : ink) ASSERT_EQ(surface.Pixel(x, y), RGB(0, 0, 255)) << x << "," << y;
}

TEST_F(ButtonGlyph, DisabledCaptionIsEngravedGreyOverWhiteOnePixelRightAndDownFromTheTopLeft) {
  Surface surface(120, 40);
  surface.canvas().Font().SetColor(clBlue);
  const RECT rect{10, 5, 110, 35};
  TButtonGlyph glyph;
  glyph.DrawCaption(surface.canvas(), "変換", rect, gsDisabled);
  // Left and top aligned: drawn where TextOut at the corner draws.
  const auto grey = ReferenceInk(120, 40, rect.left, rect.top, "変換");
  const auto white = Shifted(grey, 1, 1);
  for (int y = 0; y < surface.height(); ++y)
    for (int x = 0; x < surface.width(); ++x) {
      const COLORREF expected = grey.count({x, y})    ? RGB(0x80, 0x80, 0x80)
                                : white.count({x, y}) ? RGB(0xFF, 0xFF, 0xFF)
                                                      : kBackground;
      ASSERT_EQ(surface.Pixel(x, y), expected) << x << "," << y;
    }
}

TEST_F(ButtonGlyph, AmpersandIsNotDrawnButUnderlinesTheNextCharacter) {
  TButtonGlyph glyph;
  Surface plain(80, 30);
  Surface marked(80, 30);
  const RECT rect{0, 0, 80, 30};
  glyph.DrawCaption(plain.canvas(), "OK", rect, gsNormal);
  glyph.DrawCaption(marked.canvas(), "&OK", rect, gsNormal);
  const auto plainInk = plain.Ink();
  const auto markedInk = marked.Ink();
  ASSERT_FALSE(plainInk.empty());
  EXPECT_TRUE(std::includes(markedInk.begin(), markedInk.end(), plainInk.begin(), plainInk.end()));
  std::set<int> extraRows;
  int lowestPlain = 0;
  for (const auto& [x, y] : plainInk) lowestPlain = std::max(lowestPlain, y);
  for (const auto& pixel : markedInk)
    if (!plainInk.count(pixel)) extraRows.insert(pixel.second);
  ASSERT_FALSE(extraRows.empty());  // the underline
  EXPECT_GE(*extraRows.begin(), lowestPlain - 1);  // below the letters, not an ampersand beside them
}

// ---- Layout ----

// A glyph with a strip of two 16 x 16 images: a red corner pixel on olive,
// and a white corner pixel on olive for disabled.
void SetSixteenPixelStrip(TButtonGlyph& glyph) {
  Art strip(16, std::string(32, 'O'));
  strip[0][0] = 'R';
  strip[15][15] = 'R';
  strip[0][16] = 'W';
  SetStrip(glyph, strip, kScreenStrip, 2);
}

struct Measured {
  int width, height;
};

Measured MeasureCaption(TCanvas& canvas, const std::string& caption) {
  const SIZE size = canvas.TextExtent(caption);
  return {size.cx, size.cy};
}

void ExpectCaptionRect(const RECT& rect, int left, int top, const Measured& text) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.right - rect.left, text.width);
  EXPECT_EQ(rect.bottom - rect.top, text.height);
}

TEST_F(ButtonGlyph, AutomaticMarginAndSpacingSpreadTheFreeWidthInThreeWithTheRemainderRight) {
  TButtonGlyph glyph;
  SetSixteenPixelStrip(glyph);
  Surface surface(4, 4);
  const Measured text = MeasureCaption(surface.canvas(), "ABCD");
  ASSERT_GT(text.width, 0);
  for (int remainder = 0; remainder < 3; ++remainder) {
    SCOPED_TRACE(remainder);
    const int width = 16 + text.width + 24 + remainder;  // room for 8 + 8 + 8, and the remainder
    const RECT content{5, 7, 5 + width, 7 + 40};
    const TGlyphPlacement placement = glyph.ComputeLayout(surface.canvas(), content, "ABCD", blGlyphLeft, -1, -1);
    EXPECT_EQ(placement.glyphPos.x, 5 + 8);
    EXPECT_EQ(placement.glyphPos.y, 7 + 12);  // (40 - 16 + 1) div 2
    ExpectCaptionRect(placement.captionRect, 5 + 8 + 16 + 8, 7 + (40 - text.height + 1) / 2, text);
    EXPECT_EQ(content.right - placement.captionRect.right, 8 + remainder);
  }
}

TEST_F(ButtonGlyph, ProgramButtonPlacesGlyphAboveCaptionTheSameForAnyEvenShrinkOfTheButton) {
  TButtonGlyph glyph;
  SetSixteenPixelStrip(glyph);
  Surface surface(4, 4);
  const Measured text = MeasureCaption(surface.canvas(), "変換");
  // The convert button: 49 x 233, glyph on top, margin -1, spacing 4.
  for (int shrink = 0; shrink < 4; ++shrink) {
    SCOPED_TRACE(shrink);
    const RECT content{shrink, shrink, 49 - shrink, 233 - shrink};
    const TGlyphPlacement placement = glyph.ComputeLayout(surface.canvas(), content, "変換", blGlyphTop, -1, 4);
    const int glyphTop = (233 - (16 + 4 + text.height) + 1) / 2;
    EXPECT_EQ(placement.glyphPos.x, 17);
    EXPECT_EQ(placement.glyphPos.y, glyphTop);
    ExpectCaptionRect(placement.captionRect, (49 - text.width + 1) / 2, glyphTop + 20, text);
    if (text.height == 15) {  // the main window's font
      EXPECT_EQ(placement.glyphPos.y, 99);
      EXPECT_EQ(placement.captionRect.top, 119);
    }
  }
}

TEST_F(ButtonGlyph, EachLayoutPutsGlyphAndCaptionOnItsSideWithGivenOrComputedGaps) {
  TButtonGlyph glyph;
  SetSixteenPixelStrip(glyph);
  Surface surface(4, 4);
  const Measured text = MeasureCaption(surface.canvas(), "終了");
  const RECT content{3, 4, 3 + 101, 4 + 91};  // 101 x 91
  auto place = [&](TButtonLayout layout, int margin, int spacing) {
    return glyph.ComputeLayout(surface.canvas(), content, "終了", layout, margin, spacing);
  };
  const int acrossGlyphY = 4 + (91 - 16 + 1) / 2, acrossTextY = 4 + (91 - text.height + 1) / 2;
  const int acrossGlyphX = 3 + (101 - 16 + 1) / 2, acrossTextX = 3 + (101 - text.width + 1) / 2;

  // Both given: they are used as they are.
  TGlyphPlacement p = place(blGlyphLeft, 3, 2);
  EXPECT_EQ(p.glyphPos.x, 3 + 3);
  EXPECT_EQ(p.glyphPos.y, acrossGlyphY);
  ExpectCaptionRect(p.captionRect, 3 + 3 + 16 + 2, acrossTextY, text);
  p = place(blGlyphRight, 3, 2);
  EXPECT_EQ(p.glyphPos.x, 3 + 101 - 3 - 16);
  ExpectCaptionRect(p.captionRect, 3 + 101 - 3 - 16 - 2 - text.width, acrossTextY, text);
  p = place(blGlyphTop, 3, 2);
  EXPECT_EQ(p.glyphPos.x, acrossGlyphX);
  EXPECT_EQ(p.glyphPos.y, 4 + 3);
  ExpectCaptionRect(p.captionRect, acrossTextX, 4 + 3 + 16 + 2, text);
  p = place(blGlyphBottom, 3, 2);
  EXPECT_EQ(p.glyphPos.y, 4 + 91 - 3 - 16);
  ExpectCaptionRect(p.captionRect, acrossTextX, 4 + 91 - 3 - 16 - 2 - text.height, text);

  // Margin -1: the block of glyph, spacing and caption is centred.
  p = place(blGlyphRight, -1, 5);
  const int rightMargin = (101 - (16 + 5 + text.width) + 1) / 2;
  EXPECT_EQ(p.glyphPos.x, 3 + 101 - rightMargin - 16);
  EXPECT_EQ(p.captionRect.left, p.glyphPos.x - 5 - text.width);
  p = place(blGlyphBottom, -1, 5);
  const int bottomMargin = (91 - (16 + 5 + text.height) + 1) / 2;
  EXPECT_EQ(p.glyphPos.y, 4 + 91 - bottomMargin - 16);
  EXPECT_EQ(p.captionRect.top, p.glyphPos.y - 5 - text.height);

  // Spacing -1 with a given margin: the caption is centred in what the glyph leaves.
  p = place(blGlyphLeft, 6, -1);
  const int leftSpacing = ((101 - (6 + 16)) - text.width) / 2;
  EXPECT_EQ(p.glyphPos.x, 3 + 6);
  EXPECT_EQ(p.captionRect.left, 3 + 6 + 16 + leftSpacing);
  p = place(blGlyphTop, 6, -1);
  const int topSpacing = ((91 - (6 + 16)) - text.height) / 2;
  EXPECT_EQ(p.glyphPos.y, 4 + 6);
  EXPECT_EQ(p.captionRect.top, 4 + 6 + 16 + topSpacing);

  // Both -1 along the height: three equal gaps.
  p = place(blGlyphBottom, -1, -1);
  const int third = (91 - (16 + text.height)) / 3;
  EXPECT_EQ(p.glyphPos.y, 4 + 91 - third - 16);
  EXPECT_EQ(p.captionRect.top, p.glyphPos.y - third - text.height);
}

TEST_F(ButtonGlyph, LoneGlyphOrLoneCaptionIsCentredWithoutSpacing) {
  TButtonGlyph glyph;
  SetSixteenPixelStrip(glyph);
  Surface surface(4, 4);
  const RECT content{0, 0, 41, 30};
  TGlyphPlacement p = glyph.ComputeLayout(surface.canvas(), content, "", blGlyphLeft, -1, -1);
  EXPECT_EQ(p.glyphPos.x, (41 - 16 + 1) / 2);
  EXPECT_EQ(p.glyphPos.y, (30 - 16 + 1) / 2);
  EXPECT_EQ(p.captionRect.right - p.captionRect.left, 0);
  EXPECT_EQ(p.captionRect.bottom - p.captionRect.top, 0);
  p = glyph.ComputeLayout(surface.canvas(), content, "", blGlyphTop, -1, 7);
  EXPECT_EQ(p.glyphPos.y, (30 - 16 + 1) / 2);  // the 7 is dropped with nothing to separate

  TButtonGlyph captionOnly;
  const Measured text = MeasureCaption(surface.canvas(), "OK");
  p = captionOnly.ComputeLayout(surface.canvas(), content, "OK", blGlyphLeft, -1, 4);
  ExpectCaptionRect(p.captionRect, (41 - text.width + 1) / 2, (30 - text.height + 1) / 2, text);
  p = captionOnly.ComputeLayout(surface.canvas(), content, "OK", blGlyphBottom, -1, -1);
  // Nothing to space from: the caption is centred along the height too, from the bottom.
  ExpectCaptionRect(p.captionRect, (41 - text.width + 1) / 2, 30 - (30 - text.height + 1) / 2 - text.height, text);
}

TEST_F(ButtonGlyph, TooSmallContentRoundsTowardZeroAndTheGlyphIsDrawnWholeBeyondIt) {
  TButtonGlyph glyph;
  SetSixteenPixelStrip(glyph);
  Surface surface(80, 40);
  const Measured text = MeasureCaption(surface.canvas(), "OK");
  // Seven pixels short: (-7) div 3 is -2 and (8 - 16 + 1) div 2 is -3, where flooring would give -3 and -4.
  const RECT content{20, 20, 20 + 16 + text.width - 7, 20 + 8};
  const TGlyphPlacement p = glyph.ComputeLayout(surface.canvas(), content, "OK", blGlyphLeft, -1, -1);
  EXPECT_EQ(p.glyphPos.x, 20 - 2);
  EXPECT_EQ(p.glyphPos.y, 20 - 3);
  EXPECT_EQ(p.captionRect.left, 20 - 2 + 16 - 2);
  glyph.DrawContent(surface.canvas(), content, "OK", blGlyphLeft, -1, -1, gsNormal);
  EXPECT_EQ(surface.ArtAt(p.glyphPos.x, p.glyphPos.y, 2, 1), (Art{"RF"}));
  EXPECT_EQ(surface.ArtAt(p.glyphPos.x + 14, p.glyphPos.y + 15, 2, 1), (Art{"FR"}));
}

TEST_F(ButtonGlyph, CaptionRectangleGrowsWithTheLinesOfAMultiLineCaption) {
  TButtonGlyph glyph;
  Surface surface(4, 4);
  const Measured line = MeasureCaption(surface.canvas(), "上");
  const TGlyphPlacement p = glyph.ComputeLayout(surface.canvas(), {0, 0, 200, 100}, "上\n下", blGlyphLeft, 0, 0);
  EXPECT_EQ(p.captionRect.bottom - p.captionRect.top, 2 * line.height);
  EXPECT_EQ(p.captionRect.right - p.captionRect.left, line.width);
  const TGlyphPlacement marked = glyph.ComputeLayout(surface.canvas(), {0, 0, 200, 100}, "&OK", blGlyphLeft, 0, 0);
  EXPECT_EQ(marked.captionRect.right - marked.captionRect.left, MeasureCaption(surface.canvas(), "OK").width);
}

TEST_F(ButtonGlyph, DrawContentDrawsTheGlyphAtItsPlaceAndTheCaptionInTheReturnedRectangle) {
  for (TGlyphState state : {gsNormal, gsPressed, gsDisabled}) {
    SCOPED_TRACE(state);
    TButtonGlyph glyph;
    SetSixteenPixelStrip(glyph);
    Surface surface(73, 41);
    surface.canvas().Font().SetColor(clBlue);
    const RECT content{2, 2, 71, 39};
    const TGlyphPlacement expected =
        glyph.ComputeLayout(surface.canvas(), content, "終了", blGlyphTop, -1, 4);
    const RECT caption = glyph.DrawContent(surface.canvas(), content, "終了", blGlyphTop, -1, 4, state);
    EXPECT_TRUE(EqualRect(&caption, &expected.captionRect));
    const POINT at = expected.glyphPos;
    if (state == gsDisabled) {
      EXPECT_EQ(surface.ArtAt(at.x, at.y, 2, 2), (Art{"HF", "FF"}));
    } else {
      EXPECT_EQ(surface.ArtAt(at.x, at.y, 2, 2), (Art{"RF", "FF"}));
      EXPECT_EQ(surface.ArtAt(at.x + 14, at.y + 14, 2, 2), (Art{"FF", "FR"}));
    }
    // Outside the glyph, ink only inside the caption rectangle (the engraved white one pixel beyond).
    int captionInk = 0;
    for (const auto& [x, y] : surface.Ink()) {
      if (x >= at.x && x < at.x + 16 && y >= at.y && y < at.y + 16) continue;
      const RECT allowed{caption.left, caption.top, caption.right + 1, caption.bottom + 1};
      const POINT pixel{x, y};
      ASSERT_TRUE(PtInRect(&allowed, pixel)) << x << "," << y;
      ++captionInk;
    }
    EXPECT_GT(captionInk, 10);
  }
}

}  // namespace
