// Image lists over the common controls, drawn into real bitmaps.
#include "framework/ImageList.h"

#include <gtest/gtest.h>

#include "runtime/Exceptions.h"

namespace {

// A w x h bitmap filled with `fill`, with one pixel of `mark` at (1, 1).
void Paint(TBitmap& bitmap, int width, int height, TColor fill, TColor mark) {
  bitmap.SetSize(width, height);
  bitmap.Canvas().Brush().SetColor(fill);
  const RECT all{0, 0, width, height};
  bitmap.Canvas().FillRect(all);
  bitmap.Canvas().SetPixels(1, 1, mark);
}

TEST(ImageList, AddedImagesAreDrawnWithTheirTransparentColourLeftOut) {
  TImageList list(16, 15);
  EXPECT_EQ(list.Count(), 0);
  TBitmap image;
  Paint(image, 16, 15, clOlive, clRed);
  EXPECT_EQ(list.AddMasked(image, clOlive), 0);
  Paint(image, 16, 15, clBlue, clLime);
  EXPECT_EQ(list.Add(image, nullptr), 1);
  EXPECT_EQ(list.Count(), 2);

  TBitmap target;
  Paint(target, 40, 20, clWhite, clWhite);
  list.Draw(target.Canvas(), 0, 0, 0);
  EXPECT_EQ(target.Canvas().Pixels(1, 1), clRed);
  EXPECT_EQ(target.Canvas().Pixels(5, 5), clWhite);  // olive was transparent
  list.Draw(target.Canvas(), 20, 0, 1);
  EXPECT_EQ(target.Canvas().Pixels(21, 1), clLime);
  EXPECT_EQ(target.Canvas().Pixels(25, 5), clBlue);  // no mask: everything drawn

  // Replacing keeps the index; deleting shortens the list.
  Paint(image, 16, 15, clYellow, clBlack);
  list.Replace(1, image, nullptr);
  list.Draw(target.Canvas(), 20, 0, 1);
  EXPECT_EQ(target.Canvas().Pixels(25, 5), clYellow);
  EXPECT_EQ(target.Canvas().Pixels(21, 1), clBlack);
  list.Delete(0);
  EXPECT_EQ(list.Count(), 1);
}

TEST(ImageList, WrongSizesAndIndexesRaise) {
  TImageList list(16, 16);
  TBitmap wrong;
  Paint(wrong, 10, 16, clWhite, clBlack);
  try {
    list.Add(wrong, nullptr);
    FAIL() << "no error";
  } catch (const EInvalidOperation& error) {
    EXPECT_EQ(error.Message(), "ｲﾒｰｼﾞｻｲｽﾞが正しくありません");
  }
  TBitmap strip;  // two images side by side are accepted
  Paint(strip, 32, 16, clWhite, clBlack);
  EXPECT_EQ(list.Add(strip, nullptr), 0);
  EXPECT_EQ(list.Count(), 2);
  TBitmap right;
  Paint(right, 16, 16, clWhite, clBlack);
  try {
    list.Replace(5, right, nullptr);
    FAIL() << "no error";
  } catch (const EInvalidOperation& error) {
    EXPECT_EQ(error.Message(), "ｲﾒｰｼﾞの置き換えができません");
  }
}

}  // namespace
