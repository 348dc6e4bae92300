// Button glyphs: the images built for each state, the shared image lists they
// live in, and the strip they are built from.
#include "Buttons/ButtonGlyph.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "tests/support/BmpFiles.h"
#include "tests/support/GlyphArt.h"

namespace {

// ---- Strips ----

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
const char* StripKindName(StripKind kind) {
  return kind == kScreenStrip ? "screen strip" : "4-bit strip";
}

void SetStrip(TButtonGlyph& glyph, const Art& art, StripKind kind, TNumGlyphs images) {
  if (kind == kScreenStrip) {
    AssignPaintedStrip(glyph, art, images);
    return;
  }
  LoadArt(glyph.GlyphBitmap(), art, 4);
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
  EXPECT_EQ(glyph.ImageCount(), 2);                        // a change of the strip keeps the count
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

}  // namespace
