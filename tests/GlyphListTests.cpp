// Glyph lists: the image lists whose slots button glyphs share, drawn into real bitmaps.
#include "Buttons/ButtonGlyph.h"

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "tests/support/GlyphArt.h"

namespace {

// ---- Glyph lists ----

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

}  // namespace
