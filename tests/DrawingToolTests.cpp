// Colours and the drawing tools of a canvas (fonts, brushes, pens), with real GDI.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "framework/Brush.h"
#include "framework/Color.h"
#include "framework/Font.h"
#include "framework/Pen.h"
#include "tests/support/GraphicsTestHelpers.h"

namespace {

// The same font description, PixelsPerInch aside.
bool SameDescription(const TFont& a, const TFont& b) {
  return a.Name() == b.Name() && a.Height() == b.Height() && a.Charset() == b.Charset() && a.Color() == b.Color() &&
         a.Style() == b.Style() && a.Pitch() == b.Pitch();
}

}  // namespace

// ---- Colours ----

TEST(Color, NamedColoursAreTheSixteenVgaColoursInBlueGreenRedOrder) {
  EXPECT_EQ(ColorToRGB(clBlack), RGB(0, 0, 0));
  EXPECT_EQ(ColorToRGB(clMaroon), RGB(128, 0, 0));
  EXPECT_EQ(ColorToRGB(clGreen), RGB(0, 128, 0));
  EXPECT_EQ(ColorToRGB(clOlive), RGB(128, 128, 0));
  EXPECT_EQ(ColorToRGB(clNavy), RGB(0, 0, 128));
  EXPECT_EQ(ColorToRGB(clPurple), RGB(128, 0, 128));
  EXPECT_EQ(ColorToRGB(clTeal), RGB(0, 128, 128));
  EXPECT_EQ(ColorToRGB(clGray), RGB(128, 128, 128));
  EXPECT_EQ(ColorToRGB(clSilver), RGB(192, 192, 192));
  EXPECT_EQ(ColorToRGB(clRed), RGB(255, 0, 0));
  EXPECT_EQ(ColorToRGB(clLime), RGB(0, 255, 0));
  EXPECT_EQ(ColorToRGB(clYellow), RGB(255, 255, 0));
  EXPECT_EQ(ColorToRGB(clBlue), RGB(0, 0, 255));
  EXPECT_EQ(ColorToRGB(clFuchsia), RGB(255, 0, 255));
  EXPECT_EQ(ColorToRGB(clAqua), RGB(0, 255, 255));
  EXPECT_EQ(ColorToRGB(clWhite), RGB(255, 255, 255));
}

TEST(Color, SystemColoursFollowGetSysColor) {
  const struct {
    TColor color;
    int index;
  } cases[] = {
      {clScrollBar, COLOR_SCROLLBAR},
      {clBackground, COLOR_BACKGROUND},
      {clActiveCaption, COLOR_ACTIVECAPTION},
      {clMenu, COLOR_MENU},
      {clWindow, COLOR_WINDOW},
      {clWindowFrame, COLOR_WINDOWFRAME},
      {clWindowText, COLOR_WINDOWTEXT},
      {clCaptionText, COLOR_CAPTIONTEXT},
      {clHighlight, COLOR_HIGHLIGHT},
      {clHighlightText, COLOR_HIGHLIGHTTEXT},
      {clBtnFace, COLOR_BTNFACE},
      {clBtnShadow, COLOR_BTNSHADOW},
      {clGrayText, COLOR_GRAYTEXT},
      {clBtnText, COLOR_BTNTEXT},
      {clBtnHighlight, COLOR_BTNHIGHLIGHT},
      {cl3DDkShadow, COLOR_3DDKSHADOW},
      {cl3DLight, COLOR_3DLIGHT},
      {clInfoText, COLOR_INFOTEXT},
      {clInfoBk, COLOR_INFOBK},
  };
  for (const auto& c : cases) EXPECT_EQ(ColorToRGB(c.color), GetSysColor(c.index)) << "COLOR index " << c.index;
  EXPECT_EQ(static_cast<uint32_t>(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(static_cast<uint32_t>(clWindowText), 0x80000008u);
  // The scheme is not one grey: distinct indexes really reach distinct entries.
  EXPECT_NE(ColorToRGB(clWindow), ColorToRGB(clWindowText));
  EXPECT_NE(ColorToRGB(clHighlight), ColorToRGB(clHighlightText));
}

TEST(Color, PlainColoursAndMarkersPassThroughUnchanged) {
  EXPECT_EQ(ColorToRGB(0x123456), 0x123456u);
  EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);
  EXPECT_EQ(ColorToRGB(clDefault), 0x20000000u);
}

// ---- Fonts ----

TEST(Font, DefaultsAreTheFormsJapaneseFont) {
  TFont font;
  EXPECT_EQ(font.Name(), "ＭＳ Ｐゴシック");
  EXPECT_EQ(font.Height(), -12);
  EXPECT_EQ(font.Size(), 9);
  EXPECT_EQ(font.Charset(), SHIFTJIS_CHARSET);
  EXPECT_EQ(font.Color(), clWindowText);
  EXPECT_EQ(font.Style(), 0u);
  EXPECT_EQ(font.Pitch(), fpDefault);
}

TEST(Font, HandleDescribesEveryAttribute) {
  TFont font;
  font.SetName("ＭＳ 明朝");
  font.SetHeight(-16);
  font.SetStyle(fsBold | fsItalic | fsUnderline | fsStrikeOut);
  font.SetPitch(fpFixed);
  const LOGFONTA described = DescribeFont(font.Handle());
  EXPECT_STREQ(described.lfFaceName, "ＭＳ 明朝");
  EXPECT_EQ(described.lfHeight, -16);
  EXPECT_EQ(described.lfWeight, FW_BOLD);
  EXPECT_TRUE(described.lfItalic);
  EXPECT_TRUE(described.lfUnderline);
  EXPECT_TRUE(described.lfStrikeOut);
  EXPECT_EQ(described.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(described.lfPitchAndFamily & 3, FIXED_PITCH);

  font.SetStyle(0);
  font.SetPitch(fpVariable);
  const LOGFONTA plain = DescribeFont(font.Handle());
  EXPECT_EQ(plain.lfWeight, FW_NORMAL);
  EXPECT_FALSE(plain.lfItalic);
  EXPECT_FALSE(plain.lfUnderline);
  EXPECT_FALSE(plain.lfStrikeOut);
  EXPECT_EQ(plain.lfPitchAndFamily & 3, VARIABLE_PITCH);
}

TEST(Font, SelectedFontReportsItsJapaneseFaceName) {
  TFont font;
  WhiteSurface surface(4, 4);
  auto selection = SelectInto(surface.dc(), font.Handle());
  char face[LF_FACESIZE] = {};
  ASSERT_GT(GetTextFaceA(surface.dc(), sizeof face, face), 0);
  EXPECT_STREQ(face, "ＭＳ Ｐゴシック");
  TEXTMETRICA metrics{};
  ASSERT_TRUE(GetTextMetricsA(surface.dc(), &metrics));
  EXPECT_EQ(metrics.tmCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, 12);
}

TEST(Font, LongFaceNameIsCutBetweenCharacters) {
  TFont font;
  std::string fullWidth;
  for (int i = 0; i < 20; ++i) fullWidth += "あ";
  font.SetName(fullWidth);
  // 31 bytes fit: fifteen double-byte characters, not a sixteenth lead byte alone.
  EXPECT_EQ(std::string(DescribeFont(font.Handle()).lfFaceName), fullWidth.substr(0, 30));
  font.SetName("A" + fullWidth);
  EXPECT_EQ(std::string(DescribeFont(font.Handle()).lfFaceName), "A" + fullWidth.substr(0, 30));
}

TEST(Font, ChangedFontGetsANewHandle) {
  TFont font;
  EXPECT_FALSE(font.HandleAllocated());
  ASSERT_NE(font.Handle(), nullptr);
  EXPECT_TRUE(font.HandleAllocated());
  font.SetHeight(-20);
  EXPECT_FALSE(font.HandleAllocated());
  EXPECT_EQ(DescribeFont(font.Handle()).lfHeight, -20);
  // The colour is not part of the HFONT.
  const HFONT before = font.Handle();
  font.SetColor(clRed);
  EXPECT_TRUE(font.HandleAllocated());
  EXPECT_EQ(font.Handle(), before);
}

TEST(Font, OnChangeFiresOnlyWhenSomethingReallyChanges) {
  TFont font;
  int changes = 0;
  font.OnChange = [&](TFont& changed) {
    EXPECT_EQ(&changed, &font);
    ++changes;
  };
  font.SetName(font.Name());
  font.SetHeight(-12);
  font.SetSize(9);  // the same height
  font.SetColor(clWindowText);
  font.SetStyle(0);
  font.SetCharset(SHIFTJIS_CHARSET);
  font.SetPitch(fpDefault);
  EXPECT_EQ(changes, 0);

  font.SetName("ＭＳ ゴシック");
  font.SetSize(12);
  font.SetColor(clRed);
  font.SetStyle(fsBold);
  font.SetCharset(ANSI_CHARSET);
  font.SetPitch(fpFixed);
  EXPECT_EQ(changes, 6);

  TFont same;
  same.Assign(font);
  changes = 0;
  font.Assign(same);
  EXPECT_EQ(changes, 0);
  TFont other;
  font.Assign(other);  // many attributes at once: one notice
  EXPECT_EQ(changes, 1);
}

TEST(Font, SizeAndHeightConvertThroughPixelsPerInchRoundingLikeMulDiv) {
  const struct {
    int pixelsPerInch, height, size;
  } cases[] = {
      {96, -12, 9}, {96, -13, 10}, {96, -11, 8}, {96, -14, 11}, {96, 16, -12}, {120, -15, 9}, {120, -16, 10},
  };
  for (const auto& c : cases) {
    TFont font;
    font.SetPixelsPerInch(c.pixelsPerInch);
    font.SetHeight(c.height);
    EXPECT_EQ(font.Size(), c.size) << c.height << " pixels at " << c.pixelsPerInch;
  }
  TFont font;
  font.SetSize(10);
  EXPECT_EQ(font.Height(), -13);
  font.SetSize(11);
  EXPECT_EQ(font.Height(), -15);
  font.SetPixelsPerInch(120);
  EXPECT_EQ(font.Height(), -15);  // a new resolution keeps the pixels
  font.SetSize(9);
  EXPECT_EQ(font.Height(), -15);
}

TEST(Font, AssignCopiesTheDescriptionAndKeepsPointsAcrossResolutions) {
  TFont source;
  source.SetName("ＭＳ 明朝");
  source.SetHeight(-16);
  source.SetStyle(fsItalic);
  source.SetColor(clNavy);
  source.SetCharset(DEFAULT_CHARSET);
  source.SetPitch(fpVariable);

  TFont copy;
  EXPECT_FALSE(SameDescription(copy, source));
  copy.Assign(source);
  EXPECT_TRUE(SameDescription(copy, source));
  EXPECT_EQ(DescribeFont(copy.Handle()).lfItalic, TRUE);

  TFont larger;
  larger.SetPixelsPerInch(120);
  larger.Assign(source);
  EXPECT_EQ(larger.Size(), 12);
  EXPECT_EQ(larger.Height(), -20);
  EXPECT_EQ(larger.Name(), "ＭＳ 明朝");
  EXPECT_EQ(larger.Color(), clNavy);
  EXPECT_FALSE(SameDescription(larger, source));
}

// ---- Brushes and pens ----

TEST(Brush, HandleIsASolidBrushOfTheColour) {
  TBrush brush;
  brush.SetColor(clTeal);
  LOGBRUSH described{};
  ASSERT_EQ(GetObjectA(brush.Handle(), sizeof described, &described), static_cast<int>(sizeof described));
  EXPECT_EQ(described.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(described.lbColor, RGB(0, 128, 128));

  brush.SetColor(clBtnFace);
  ASSERT_EQ(GetObjectA(brush.Handle(), sizeof described, &described), static_cast<int>(sizeof described));
  EXPECT_EQ(described.lbColor, GetSysColor(COLOR_BTNFACE));

  brush.SetStyle(bsClear);
  ASSERT_EQ(GetObjectA(brush.Handle(), sizeof described, &described), static_cast<int>(sizeof described));
  EXPECT_EQ(described.lbStyle, static_cast<UINT>(BS_NULL));
}

TEST(Pen, HandleIsASolidPenOfTheColourAndWidth) {
  TPen pen;
  pen.SetColor(clMaroon);
  pen.SetWidth(3);
  LOGPEN described{};
  ASSERT_EQ(GetObjectA(pen.Handle(), sizeof described, &described), static_cast<int>(sizeof described));
  EXPECT_EQ(described.lopnStyle, static_cast<UINT>(PS_SOLID));
  EXPECT_EQ(described.lopnWidth.x, 3);
  EXPECT_EQ(described.lopnColor, RGB(128, 0, 0));
}
