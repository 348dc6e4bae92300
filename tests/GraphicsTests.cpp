// Colours, fonts, brushes, pens, canvas and bitmaps, drawn with real GDI.
#include "framework/Graphics.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "tests/support/DibSurface.h"
#include "tests/support/TestFiles.h"

namespace {

// A white 32-bit DIB section in a memory DC: what is drawn is read back with
// GetPixel, independently of TCanvas.
class Surface : public DibSurface {
public:
  Surface(int width, int height) : DibSurface(width, height, RGB(255, 255, 255)) {}
};

// ---- BMP files written independently of TBitmap ----

void PutU16(std::string& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}
void PutU32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A BMP file: BITMAPFILEHEADER, BITMAPINFOHEADER, colour table, bottom-up rows
// (top-down when asked). `pixel(x, y)`, y counted from the top, is a table
// index up to 8 bits per pixel, else a COLORREF.
std::string MakeBmp(int width, int height, int bitCount, const std::vector<COLORREF>& palette,
                    const std::function<uint32_t(int, int)>& pixel, bool topDown = false) {
  const size_t rowBytes = (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
  const size_t offset = 14 + 40 + 4 * palette.size();
  std::string bytes(offset + rowBytes * height, '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutU32(bytes, 2, static_cast<uint32_t>(bytes.size()));
  PutU32(bytes, 10, static_cast<uint32_t>(offset));
  PutU32(bytes, 14, 40);
  PutU32(bytes, 18, static_cast<uint32_t>(width));
  PutU32(bytes, 22, static_cast<uint32_t>(topDown ? -height : height));
  PutU16(bytes, 26, 1);
  PutU16(bytes, 28, static_cast<uint16_t>(bitCount));
  PutU32(bytes, 34, static_cast<uint32_t>(rowBytes * height));
  const bool fullTable = bitCount <= 8 && palette.size() == (1u << bitCount);
  PutU32(bytes, 46, fullTable ? 0 : static_cast<uint32_t>(palette.size()));
  for (size_t i = 0; i < palette.size(); ++i) {
    bytes[54 + 4 * i] = static_cast<char>(GetBValue(palette[i]));
    bytes[54 + 4 * i + 1] = static_cast<char>(GetGValue(palette[i]));
    bytes[54 + 4 * i + 2] = static_cast<char>(GetRValue(palette[i]));
  }
  for (int y = 0; y < height; ++y) {
    const int fileRow = topDown ? y : height - 1 - y;
    char* row = &bytes[offset + rowBytes * fileRow];
    for (int x = 0; x < width; ++x) {
      const uint32_t value = pixel(x, y);
      switch (bitCount) {
        case 1:
          row[x / 8] = static_cast<char>(row[x / 8] | ((value & 1) << (7 - x % 8)));
          break;
        case 4:
          row[x / 2] = static_cast<char>(row[x / 2] | ((value & 15) << (x % 2 ? 0 : 4)));
          break;
        case 8:
          row[x] = static_cast<char>(value);
          break;
        case 24:
          row[3 * x] = static_cast<char>(GetBValue(value));
          row[3 * x + 1] = static_cast<char>(GetGValue(value));
          row[3 * x + 2] = static_cast<char>(GetRValue(value));
          break;
        default:
          ADD_FAILURE() << "MakeBmp: no " << bitCount << "-bit writer";
          break;
      }
    }
  }
  return bytes;
}

// Sixteen colours no VGA palette has, so that nothing can match by accident.
std::vector<COLORREF> OddPalette() {
  std::vector<COLORREF> palette;
  for (int i = 0; i < 16; ++i) palette.push_back(RGB(10 + i * 15, 200 - i * 7, 33 + i * 13));
  return palette;
}

uint32_t FourBitPattern(int x, int y) { return static_cast<uint32_t>((x * 3 + y * 5) % 16); }
COLORREF TrueColourPattern(int x, int y) { return RGB(x * 40 + 7, y * 60 + 3, (x ^ y) * 20 + 1); }

std::string FourBitBmp() { return MakeBmp(5, 3, 4, OddPalette(), FourBitPattern); }
std::string TrueColourBmp() {
  return MakeBmp(5, 3, 24, {}, [](int x, int y) { return static_cast<uint32_t>(TrueColourPattern(x, y)); });
}

void Load(TBitmap& bitmap, const std::string& bytes) { bitmap.LoadFromBmpBytes(bytes.data(), bytes.size()); }

// Bytes that end exactly where an inaccessible page begins: a read past the
// end faults instead of going unnoticed.
class GuardedBytes {
public:
  explicit GuardedBytes(const std::string& bytes) : size_(bytes.size()) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    const size_t dataPages = (bytes.size() + page - 1) / page;
    base_ = static_cast<char*>(VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD previous;
    VirtualProtect(base_ + dataPages * page, page, PAGE_NOACCESS, &previous);
    data_ = base_ + dataPages * page - bytes.size();
    if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
  }
  ~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;
  const void* data() const { return data_; }
  size_t size() const { return size_; }

private:
  char* base_;
  char* data_;
  size_t size_;
};

// Loading fails with EInvalidGraphic and its fixed message, reads nothing
// past the data, and leaves the bitmap as it was.
void ExpectInvalidBmp(const std::string& bytes, const std::string& what) {
  SCOPED_TRACE(what);
  TBitmap bitmap;
  bitmap.SetSize(2, 3);
  int changes = 0;
  bitmap.OnChange = [&](TBitmap&) { ++changes; };
  GuardedBytes guarded(bytes);
  try {
    bitmap.LoadFromBmpBytes(guarded.data(), guarded.size());
    ADD_FAILURE() << "loaded";
  } catch (const EInvalidGraphic& error) {
    EXPECT_EQ(error.Message(), kInvalidBitmapImage);
  }
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(bitmap.Width(), 2);
  EXPECT_EQ(bitmap.Height(), 3);
}

LOGFONTA DescribeFont(HFONT font) {
  LOGFONTA description{};
  EXPECT_EQ(GetObjectA(font, sizeof description, &description), static_cast<int>(sizeof description));
  return description;
}

bool IsDibSection(HBITMAP bitmap) {
  DIBSECTION section{};
  return GetObjectA(bitmap, sizeof section, &section) == static_cast<int>(sizeof section);
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
      {clScrollBar, COLOR_SCROLLBAR},     {clBackground, COLOR_BACKGROUND},   {clActiveCaption, COLOR_ACTIVECAPTION},
      {clMenu, COLOR_MENU},               {clWindow, COLOR_WINDOW},           {clWindowFrame, COLOR_WINDOWFRAME},
      {clWindowText, COLOR_WINDOWTEXT},   {clCaptionText, COLOR_CAPTIONTEXT}, {clHighlight, COLOR_HIGHLIGHT},
      {clHighlightText, COLOR_HIGHLIGHTTEXT}, {clBtnFace, COLOR_BTNFACE},   {clBtnShadow, COLOR_BTNSHADOW},
      {clGrayText, COLOR_GRAYTEXT},       {clBtnText, COLOR_BTNTEXT},         {clBtnHighlight, COLOR_BTNHIGHLIGHT},
      {cl3DDkShadow, COLOR_3DDKSHADOW},   {cl3DLight, COLOR_3DLIGHT},         {clInfoText, COLOR_INFOTEXT},
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
  Surface surface(4, 4);
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
  EXPECT_FALSE(copy.Equals(source));
  copy.Assign(source);
  EXPECT_TRUE(copy.Equals(source));
  EXPECT_EQ(DescribeFont(copy.Handle()).lfItalic, TRUE);

  TFont larger;
  larger.SetPixelsPerInch(120);
  larger.Assign(source);
  EXPECT_EQ(larger.Size(), 12);
  EXPECT_EQ(larger.Height(), -20);
  EXPECT_EQ(larger.Name(), "ＭＳ 明朝");
  EXPECT_EQ(larger.Color(), clNavy);
  EXPECT_FALSE(larger.Equals(source));
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

TEST(Pen, HandleHasTheColourWidthAndStyle) {
  TPen pen;
  pen.SetColor(clMaroon);
  pen.SetWidth(3);
  LOGPEN described{};
  ASSERT_EQ(GetObjectA(pen.Handle(), sizeof described, &described), static_cast<int>(sizeof described));
  EXPECT_EQ(described.lopnStyle, static_cast<UINT>(PS_SOLID));
  EXPECT_EQ(described.lopnWidth.x, 3);
  EXPECT_EQ(described.lopnColor, RGB(128, 0, 0));
  pen.SetStyle(psClear);
  ASSERT_EQ(GetObjectA(pen.Handle(), sizeof described, &described), static_cast<int>(sizeof described));
  EXPECT_EQ(described.lopnStyle, static_cast<UINT>(PS_NULL));
}

TEST(Brush, OnChangeFiresOnlyForNewValues) {
  TBrush brush;
  TPen pen;
  int brushChanges = 0, penChanges = 0;
  brush.OnChange = [&](TBrush&) { ++brushChanges; };
  pen.OnChange = [&](TPen&) { ++penChanges; };
  brush.SetColor(clWhite);
  brush.SetStyle(bsSolid);
  pen.SetColor(clBlack);
  pen.SetWidth(1);
  pen.SetStyle(psSolid);
  EXPECT_EQ(brushChanges, 0);
  EXPECT_EQ(penChanges, 0);
  brush.SetColor(clRed);
  brush.SetStyle(bsClear);
  pen.SetColor(clRed);
  pen.SetWidth(2);
  pen.SetStyle(psClear);
  EXPECT_EQ(brushChanges, 2);
  EXPECT_EQ(penChanges, 3);
}

// ---- Canvas ----

TEST(Canvas, FillRectPaintsTheBrushColourThatPixelsReadsBack) {
  Surface surface(10, 10);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Brush().SetColor(clTeal);
  canvas.FillRect({2, 2, 6, 6});
  EXPECT_EQ(surface.Pixel(2, 2), RGB(0, 128, 128));
  EXPECT_EQ(surface.Pixel(5, 5), RGB(0, 128, 128));
  EXPECT_EQ(surface.Pixel(6, 6), RGB(255, 255, 255));
  EXPECT_EQ(surface.Pixel(1, 2), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Pixels(3, 4), clTeal);
  EXPECT_EQ(canvas.Pixels(0, 0), clWhite);
  EXPECT_EQ(canvas.Pixels(10, 0), clNone);
  EXPECT_EQ(canvas.Pixels(-1, 3), clNone);
}

TEST(Canvas, SetPixelsWritesOnePixel) {
  Surface surface(4, 4);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.SetPixels(1, 2, clPurple);
  EXPECT_EQ(surface.Pixel(1, 2), RGB(128, 0, 128));
  EXPECT_EQ(surface.Pixel(2, 2), RGB(255, 255, 255));
  canvas.SetPixels(0, 0, clBtnShadow);
  EXPECT_EQ(surface.Pixel(0, 0), GetSysColor(COLOR_BTNSHADOW));
}

TEST(Canvas, FrameRectPaintsOnlyTheBorder) {
  Surface surface(10, 10);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Brush().SetColor(clRed);
  canvas.FrameRect({1, 1, 6, 5});
  for (int x = 1; x < 6; ++x) {
    EXPECT_EQ(surface.Pixel(x, 1), RGB(255, 0, 0)) << x;
    EXPECT_EQ(surface.Pixel(x, 4), RGB(255, 0, 0)) << x;
  }
  EXPECT_EQ(surface.Pixel(1, 3), RGB(255, 0, 0));
  EXPECT_EQ(surface.Pixel(5, 3), RGB(255, 0, 0));
  EXPECT_EQ(surface.Pixel(3, 3), RGB(255, 255, 255));
  EXPECT_EQ(surface.Pixel(6, 3), RGB(255, 255, 255));
}

TEST(Canvas, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
  Surface surface(10, 10);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Pen().SetColor(clBlue);
  canvas.Brush().SetColor(clYellow);
  canvas.Rectangle({1, 1, 8, 8});
  EXPECT_EQ(surface.Pixel(1, 1), RGB(0, 0, 255));
  EXPECT_EQ(surface.Pixel(7, 4), RGB(0, 0, 255));
  EXPECT_EQ(surface.Pixel(4, 4), RGB(255, 255, 0));
  EXPECT_EQ(surface.Pixel(8, 8), RGB(255, 255, 255));

  canvas.Brush().SetStyle(bsClear);
  canvas.Pen().SetColor(clGreen);
  canvas.Rectangle({0, 0, 10, 10});
  EXPECT_EQ(surface.Pixel(0, 5), RGB(0, 128, 0));
  EXPECT_EQ(surface.Pixel(4, 4), RGB(255, 255, 0));  // a clear brush leaves the inside
}

TEST(Canvas, LineToDrawsFromTheCurrentPositionWithoutTheEndPoint) {
  Surface surface(12, 8);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Pen().SetColor(clMaroon);
  canvas.MoveTo(1, 5);
  canvas.LineTo(9, 5);
  for (int x = 1; x < 9; ++x) EXPECT_EQ(surface.Pixel(x, 5), RGB(128, 0, 0)) << x;
  EXPECT_EQ(surface.Pixel(9, 5), RGB(255, 255, 255));
  EXPECT_EQ(surface.Pixel(0, 5), RGB(255, 255, 255));
  EXPECT_EQ(surface.Pixel(4, 4), RGB(255, 255, 255));
}

TEST(Canvas, TextWidthIsPositiveAndGrowsWithTheText) {
  Surface surface(4, 4);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  const int one = canvas.TextWidth("表");
  EXPECT_GT(one, 0);
  EXPECT_GT(canvas.TextWidth("表示"), one);
  EXPECT_GT(canvas.TextWidth("表示する"), canvas.TextWidth("表示"));
  EXPECT_GT(canvas.TextWidth("WWW"), canvas.TextWidth("W"));
  EXPECT_EQ(canvas.TextWidth(""), 0);
  const int height = canvas.TextHeight("表");
  EXPECT_GE(height, 12);
  const SIZE extent = canvas.TextExtent("表示");
  EXPECT_EQ(extent.cx, canvas.TextWidth("表示"));
  EXPECT_EQ(extent.cy, height);
  canvas.Font().SetHeight(-24);
  EXPECT_GT(canvas.TextHeight("表"), height);
  EXPECT_GT(canvas.TextWidth("表"), one);
}

TEST(Canvas, TextOutDrawsInTheFontColourOnTheBrushColour) {
  Surface surface(40, 30);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Font().SetColor(clRed);
  canvas.Brush().SetColor(clBlue);
  const SIZE cell = canvas.TextExtent("■");
  canvas.TextOut(2, 3, "■");
  int red = 0;
  for (int y = 3; y < 3 + cell.cy; ++y)
    for (int x = 2; x < 2 + cell.cx; ++x) red += surface.Pixel(x, y) == RGB(255, 0, 0);
  EXPECT_GT(red, 10);
  EXPECT_EQ(surface.Pixel(2, 3), RGB(0, 0, 255));  // the cell's corner: background
  EXPECT_EQ(surface.Pixel(1, 3), RGB(255, 255, 255));
  EXPECT_EQ(surface.Pixel(2 + cell.cx, 3), RGB(255, 255, 255));

  // A clear brush draws no background.
  canvas.Brush().SetStyle(bsClear);
  canvas.TextOut(20, 3, "■");
  EXPECT_EQ(surface.Pixel(20, 3), RGB(255, 255, 255));
  red = 0;
  for (int y = 3; y < 3 + cell.cy; ++y)
    for (int x = 20; x < 20 + cell.cx; ++x) red += surface.Pixel(x, y) == RGB(255, 0, 0);
  EXPECT_GT(red, 10);
}

TEST(Canvas, TextRectFillsAndClipsToTheRectangle) {
  Surface surface(60, 30);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Font().SetColor(clBlack);
  canvas.Brush().SetColor(clLime);
  const RECT clip{0, 0, 8, 25};
  canvas.TextRect(clip, 2, 2, "表示表示表示");
  EXPECT_EQ(surface.Pixel(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(surface.Pixel(7, 24), RGB(0, 255, 0));
  int black = 0;
  for (int y = 0; y < 25; ++y)
    for (int x = 0; x < 8; ++x) black += surface.Pixel(x, y) == RGB(0, 0, 0);
  EXPECT_GT(black, 0);
  for (int y = 0; y < 30; ++y)
    for (int x = 8; x < 60; ++x) ASSERT_EQ(surface.Pixel(x, y), RGB(255, 255, 255)) << x << "," << y;
}

TEST(Canvas, DetachingPutsBackTheObjectsTheDCHadBefore) {
  Surface surface(10, 10);
  const HGDIOBJ font = GetCurrentObject(surface.dc(), OBJ_FONT);
  const HGDIOBJ pen = GetCurrentObject(surface.dc(), OBJ_PEN);
  const HGDIOBJ brush = GetCurrentObject(surface.dc(), OBJ_BRUSH);
  {
    TCanvas canvas;
    canvas.SetHandle(surface.dc());
    canvas.TextOut(0, 0, "a");
    canvas.Rectangle({0, 0, 5, 5});
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_FONT), canvas.Font().Handle());
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_PEN), canvas.Pen().Handle());
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_BRUSH), canvas.Brush().Handle());
    canvas.SetHandle(nullptr);
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_BRUSH), brush);
    EXPECT_FALSE(canvas.HandleAllocated());

    canvas.SetHandle(surface.dc());
    canvas.TextOut(0, 0, "a");
    canvas.Rectangle({0, 0, 5, 5});
  }  // destroyed while attached
  EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_FONT), font);
  EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_BRUSH), brush);
}

TEST(Canvas, ChangedFontReplacesTheSelectedOneWhichIsThenFreed) {
  Surface surface(10, 10);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.TextOut(0, 0, "a");
  const HGDIOBJ old = GetCurrentObject(surface.dc(), OBJ_FONT);
  canvas.Font().SetHeight(-20);
  canvas.TextOut(0, 0, "a");
  const HGDIOBJ current = GetCurrentObject(surface.dc(), OBJ_FONT);
  EXPECT_EQ(DescribeFont(static_cast<HFONT>(current)).lfHeight, -20);
  EXPECT_EQ(GetObjectType(old), 0u);  // deleted, not leaked
}

TEST(Canvas, DrawCopiesTheWholeBitmap) {
  TBitmap bitmap;
  bitmap.SetSize(3, 2);
  bitmap.Canvas().SetPixels(0, 0, clRed);
  bitmap.Canvas().SetPixels(2, 1, clNavy);
  Surface surface(10, 10);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Draw(4, 5, bitmap);
  EXPECT_EQ(surface.Pixel(4, 5), RGB(255, 0, 0));
  EXPECT_EQ(surface.Pixel(6, 6), RGB(0, 0, 128));
  EXPECT_EQ(surface.Pixel(5, 5), RGB(255, 255, 255));
  EXPECT_EQ(surface.Pixel(7, 6), RGB(255, 255, 255));
}

TEST(Canvas, CopyRectStretchesTheSourceRectangle) {
  TBitmap source;
  source.SetSize(4, 4);
  source.Canvas().SetPixels(1, 1, clRed);
  source.Canvas().SetPixels(2, 1, clLime);
  source.Canvas().SetPixels(1, 2, clBlue);
  source.Canvas().SetPixels(2, 2, clYellow);
  Surface surface(10, 10);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.CopyRect({2, 2, 6, 6}, source.Canvas(), {1, 1, 3, 3});
  EXPECT_EQ(surface.Pixel(2, 2), RGB(255, 0, 0));
  EXPECT_EQ(surface.Pixel(3, 3), RGB(255, 0, 0));
  EXPECT_EQ(surface.Pixel(5, 2), RGB(0, 255, 0));
  EXPECT_EQ(surface.Pixel(2, 5), RGB(0, 0, 255));
  EXPECT_EQ(surface.Pixel(5, 5), RGB(255, 255, 0));
  EXPECT_EQ(surface.Pixel(6, 6), RGB(255, 255, 255));
  EXPECT_EQ(surface.Pixel(1, 1), RGB(255, 255, 255));
}

namespace {

// BrushCopy of the whole of `source` to (2, 1) of a grey surface with a lime
// brush, through `canvas`: pixels of `key` become lime, all others are
// copied, and nothing outside the destination changes.
void ExpectBrushCopyReplacesOnly(TCanvas& canvas, TBitmap& source, TColor key) {
  const int width = source.Width(), height = source.Height();
  Surface surface(width + 4, height + 3);
  canvas.SetHandle(surface.dc());
  canvas.Brush().SetColor(clGray);
  canvas.FillRect({0, 0, width + 4, height + 3});
  canvas.Brush().SetColor(clLime);
  canvas.BrushCopy({2, 1, 2 + width, 1 + height}, source, {0, 0, width, height}, key);
  canvas.SetHandle(nullptr);
  int replaced = 0;
  for (int y = 0; y < height + 3; ++y) {
    for (int x = 0; x < width + 4; ++x) {
      const bool inside = x >= 2 && x < 2 + width && y >= 1 && y < 1 + height;
      COLORREF expected = RGB(128, 128, 128);
      if (inside) {
        const COLORREF original = ColorToRGB(source.Canvas().Pixels(x - 2, y - 1));
        expected = original == ColorToRGB(key) ? RGB(0, 255, 0) : original;
        replaced += original == ColorToRGB(key);
      }
      EXPECT_EQ(surface.Pixel(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_GT(replaced, 0);
}

}  // namespace

TEST(Canvas, BrushCopyReplacesExactlyThePixelsOfTheColour) {
  // The key colour, a colour one step from it, and others.
  const TColor colours[] = {clFuchsia, static_cast<TColor>(RGB(255, 0, 254)), clWhite, clBlack, clTeal};
  TBitmap source, larger;
  source.SetSize(6, 4);
  larger.SetSize(11, 7);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) source.Canvas().SetPixels(x, y, colours[(x + 2 * y) % 5]);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 11; ++x) larger.Canvas().SetPixels(x, y, colours[(2 * x + y) % 5]);
  // All through one canvas, as a list box draws its items: nothing of one
  // image shows in the next, smaller or larger.
  TCanvas canvas;
  ExpectBrushCopyReplacesOnly(canvas, source, clFuchsia);
  ExpectBrushCopyReplacesOnly(canvas, larger, clTeal);
  ExpectBrushCopyReplacesOnly(canvas, source, clBlack);

  // A source rectangle reaching past the image: the part beyond comes out
  // black, whatever the images before left behind.
  Surface surface(8, 4);
  canvas.SetHandle(surface.dc());
  canvas.Brush().SetColor(clLime);
  canvas.BrushCopy({0, 0, 8, 4}, source, {0, 0, 8, 4}, clFuchsia);
  canvas.SetHandle(nullptr);
  for (int y = 0; y < 4; ++y)
    for (int x = 6; x < 8; ++x) EXPECT_EQ(surface.Pixel(x, y), RGB(0, 0, 0)) << x << "," << y;
  EXPECT_EQ(surface.Pixel(0, 0), RGB(0, 255, 0));
}

TEST(Canvas, BrushCopyReplacesATableColourOfAFourBitBitmap) {
  TBitmap source;
  Load(source, FourBitBmp());
  TCanvas canvas;
  ExpectBrushCopyReplacesOnly(canvas, source, static_cast<TColor>(OddPalette()[FourBitPattern(1, 1)]));
}

TEST(Canvas, BrushCopyReplacesEitherColourOfAMonochromeBitmap) {
  TBitmap source;
  Load(source, MakeBmp(9, 4, 1, {RGB(0, 0, 0), RGB(255, 255, 255)},
                       [](int x, int y) { return static_cast<uint32_t>((x + y) % 3 == 0); }));
  ASSERT_TRUE(source.Monochrome());
  TCanvas canvas;
  ExpectBrushCopyReplacesOnly(canvas, source, clWhite);
  ExpectBrushCopyReplacesOnly(canvas, source, clBlack);
}

TEST(Canvas, BrushCopyStretchesIntoALargerRectangle) {
  TBitmap source;
  source.SetSize(2, 1);
  source.Canvas().SetPixels(0, 0, clRed);
  source.Canvas().SetPixels(1, 0, clAqua);
  Surface surface(6, 4);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Brush().SetColor(clNavy);
  canvas.BrushCopy({0, 0, 4, 2}, source, {0, 0, 2, 1}, clAqua);
  EXPECT_EQ(surface.Pixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(surface.Pixel(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(surface.Pixel(2, 0), RGB(0, 0, 128));
  EXPECT_EQ(surface.Pixel(3, 1), RGB(0, 0, 128));
  EXPECT_EQ(surface.Pixel(4, 0), RGB(255, 255, 255));
}

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
  Surface other(1, 1);
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
  const std::vector<COLORREF> palette = OddPalette();
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
  const std::vector<COLORREF> three = {RGB(1, 2, 3), RGB(200, 100, 50), RGB(9, 250, 9)};
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
  const std::vector<COLORREF> palette = OddPalette();
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
              return static_cast<uint32_t>(x == 0 && y == 0 ? RGB(255, 0, 0)
                                           : x == 2 && y == 1 ? RGB(0, 0, 255)
                                                              : RGB(255, 255, 255));
            }));
  TBitmap reloaded;
  Load(reloaded, saved);
  EXPECT_EQ(reloaded.Canvas().Pixels(2, 1), clBlue);
}

TEST(Bitmap, InvalidBmpRaisesEInvalidGraphicWithoutReadingPastTheData) {
  const std::string good = FourBitBmp();
  ExpectInvalidBmp("", "empty");
  ExpectInvalidBmp("B", "one byte");
  std::string wrong = good;
  wrong[1] = 'A';
  ExpectInvalidBmp(wrong, "BA");
  wrong = good;
  std::swap(wrong[0], wrong[1]);
  ExpectInvalidBmp(wrong, "MB");

  for (uint32_t headerSize : {12u, 108u, 124u, 0u, 41u}) {
    wrong = good;
    PutU32(wrong, 14, headerSize);
    ExpectInvalidBmp(wrong, "header size " + std::to_string(headerSize));
  }

  // Cut short anywhere: in the file header, the info header, the colour table, the rows.
  for (const std::string& whole : {good, TrueColourBmp()})
    for (size_t length = 0; length < whole.size(); ++length)
      ExpectInvalidBmp(whole.substr(0, length), "cut at " + std::to_string(length) + " of " +
                                                    std::to_string(whole.size()));

  const struct {
    size_t at;
    uint32_t value;
    const char* what;
  } fields[] = {
      {18, 0, "width 0"},
      {18, 0xFFFFFFFFu, "width -1"},
      {18, 0x7FFFFFFFu, "width 2^31-1"},
      {22, 0, "height 0"},
      {22, 0x80000000u, "height -2^31"},
      {22, 0x7FFFFFFFu, "height 2^31-1"},
      {22, 0x80000001u, "height -(2^31-1)"},
      {10, 10, "rows inside the file header"},
      {10, 60, "rows inside the colour table"},
      {10, 0xFFFFFFF0u, "rows past the end"},
      {30, BI_RLE4, "run-length compressed"},
      {30, BI_BITFIELDS, "bit fields"},
      {46, 17, "17 colours for 4 bits"},
      {46, 0xFFFFFFFFu, "2^32-1 colours"},
  };
  for (const auto& field : fields) {
    wrong = good;
    PutU32(wrong, field.at, field.value);
    ExpectInvalidBmp(wrong, field.what);
  }
  wrong = good;
  PutU16(wrong, 26, 2);
  ExpectInvalidBmp(wrong, "two planes");
  for (uint16_t bits : {0, 2, 3, 5, 48, 0xFFFF}) {
    wrong = good;
    PutU16(wrong, 28, bits);
    ExpectInvalidBmp(wrong, std::to_string(bits) + " bits per pixel");
  }
  // 65536 x 65536 at 32 bits claims 16 GiB: its row count overflows 32-bit arithmetic.
  wrong = TrueColourBmp();
  PutU32(wrong, 18, 65536);
  PutU32(wrong, 22, 65536);
  PutU16(wrong, 28, 32);
  ExpectInvalidBmp(wrong, "65536 x 65536");
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
