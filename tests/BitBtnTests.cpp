// The bitmap button with real windows and device contexts under Wine: where
// glyph and caption land, the pressed and focused looks, stock kinds, clicks
// by kind, keyboard and double clicks.
#include "Buttons/BitBtn.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/Application.h"
#include "app/LayoutReader.h"
#include "runtime/Exceptions.h"
#include "stream/LayoutDecoder.h"
#include "tests/support/LayoutEncoder.h"

namespace {

// A 32 x 16 strip of two images on olive: the first image has a red pixel at
// its top-left corner, the second a blue one.
void MakeStrip(TBitmap& strip) {
  strip.SetSize(32, 16);
  TCanvas& canvas = strip.Canvas();
  canvas.Brush().SetColor(clOlive);
  const RECT all{0, 0, 32, 16};
  canvas.FillRect(all);
  canvas.SetPixels(0, 0, clRed);
  canvas.SetPixels(16, 0, clBlue);
}

// A system colour as the colour a pixel reads back.
TColor Rgb(TColor color) {
  return static_cast<TColor>(ColorToRGB(color));
}

class BitBtnTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitializeApplication();
    form_ = new TForm(Application);
    form_->SetBounds(10, 10, 400, 400);
    form_->Font().SetName("ＭＳ Ｐゴシック");
    form_->Font().SetHeight(-15);
    form_->Show();
  }
  void TearDown() override {
    delete form_;
    Application->ProcessMessages();
  }
  TBitBtn* NewButton(int width, int height, const std::string& caption) {
    auto* button = new TBitBtn(form_);
    button->SetParent(form_);
    button->SetBounds(10, 10, width, height);
    button->SetCaption(caption);
    button->SetLayout(blGlyphTop);
    TBitmap strip;
    MakeStrip(strip);
    button->SetGlyph(&strip);
    return button;
  }
  // Paints the button's face into a bitmap of its size.
  void Paint(TBitBtn& button, TBitmap& face, UINT itemState) {
    face.SetSize(button.Width(), button.Height());
    button.PaintFace(face.Canvas().Handle(), itemState);
  }
  // The caption's line height in the button's font.
  int LineHeight(TBitBtn& button) {
    TBitmap probe;
    probe.SetSize(10, 10);
    probe.Canvas().Font().Assign(button.Font());
    return probe.Canvas().TextHeight("変換Exit");
  }
  TForm* form_ = nullptr;
};

TEST_F(BitBtnTest, GlyphAndCaptionLandWhereTheProgramsButtonsPutThem) {
  struct Case {
    int width, height, fontHeight, glyphLeft;
  };
  // The program's Convert, Exit/About and OK buttons.
  for (const Case& c : {Case{49, 233, -15, 17}, Case{73, 41, -15, 29}, Case{41, 105, -12, 13}}) {
    form_->Font().SetHeight(c.fontHeight);
    TBitBtn* button = NewButton(c.width, c.height, "OK");
    const int th = LineHeight(*button);
    const int glyphTop = (c.height - (16 + 4 + th) + 1) / 2;
    TBitmap face;
    Paint(*button, face, 0);
    EXPECT_EQ(face.Canvas().Pixels(c.glyphLeft, glyphTop), clRed) << c.width << "x" << c.height << " th " << th;
    EXPECT_NE(face.Canvas().Pixels(c.glyphLeft - 1, glyphTop), clRed);
    // The caption starts below the glyph and the 4-pixel gap.
    int firstTextRow = -1;
    for (int y = 0; y < c.height && firstTextRow < 0; ++y)
      for (int x = 0; x < c.width; ++x)
        if (face.Canvas().Pixels(x, y) == Rgb(clBtnText) && y > glyphTop + 15) {
          firstTextRow = y;
          break;
        }
    EXPECT_GE(firstTextRow, glyphTop + 20);
    EXPECT_LT(firstTextRow, glyphTop + 20 + th);
    // Pressed: one pixel right and down.
    Paint(*button, face, ODS_SELECTED);
    EXPECT_EQ(face.Canvas().Pixels(c.glyphLeft + 1, glyphTop + 1), clRed);
    delete button;
  }
  // With a 15-pixel line, as on Windows, the Convert button's glyph is at 17, 99.
  form_->Font().SetHeight(-15);
  TBitBtn* convert = NewButton(49, 233, "変換");
  if (LineHeight(*convert) == 15) {
    TBitmap face;
    Paint(*convert, face, 0);
    EXPECT_EQ(face.Canvas().Pixels(17, 99), clRed);
  }
}

TEST_F(BitBtnTest, FocusShowsTheFrameAndTheFocusRectangle) {
  TBitBtn* button = NewButton(73, 41, "Exit");
  TBitmap face;
  Paint(*button, face, 0);
  const TColor corner = face.Canvas().Pixels(0, 0);
  Paint(*button, face, ODS_FOCUS);
  EXPECT_EQ(face.Canvas().Pixels(0, 0), Rgb(clWindowFrame));
  EXPECT_EQ(face.Canvas().Pixels(72, 40), Rgb(clWindowFrame));
  EXPECT_NE(corner, Rgb(clWindowFrame));
  // The active frame adds the dotted focus rectangle 4 pixels inside.
  button->ShowAsActive(true);
  EXPECT_TRUE(button->ActiveFrame());
  Paint(*button, face, 0);
  bool dotted = false;
  for (int x = 4; x < 69 && !dotted; ++x)
    if (face.Canvas().Pixels(x, 4) != Rgb(clBtnFace)) dotted = true;
  EXPECT_TRUE(dotted);
}

TEST_F(BitBtnTest, DisabledButtonsShowTheSecondImage) {
  TBitBtn* button = NewButton(73, 41, "Exit");
  button->SetEnabled(false);
  const int th = LineHeight(*button);
  const int glyphTop = (41 - (16 + 4 + th) + 1) / 2;
  TBitmap face;
  Paint(*button, face, ODS_DISABLED);
  EXPECT_EQ(face.Canvas().Pixels(29, glyphTop), clBlue);
}

TEST_F(BitBtnTest, StockKindsAndTheKindThatFallsBackForGood) {
  auto* button = new TBitBtn(form_);
  button->SetParent(form_);
  EXPECT_EQ(button->Kind(), bkCustom);
  button->SetKind(bkOK);
  EXPECT_EQ(button->Caption(), "OK");
  EXPECT_TRUE(button->Default());
  EXPECT_FALSE(button->Cancel());
  EXPECT_EQ(button->ModalResult(), 1);
  EXPECT_EQ(button->NumGlyphs(), 2);
  EXPECT_EQ(button->Glyph().Width(), 36);
  EXPECT_EQ(button->Glyph().Height(), 18);
  EXPECT_EQ(button->Kind(), bkOK);
  button->SetDefault(false);
  EXPECT_EQ(button->Kind(), bkCustom);
  button->SetDefault(true);
  EXPECT_EQ(button->Kind(), bkCustom);  // for good

  button->SetKind(bkCancel);
  EXPECT_EQ(button->Caption(), "ｷｬﾝｾﾙ");
  EXPECT_TRUE(button->Cancel());
  EXPECT_EQ(button->ModalResult(), 2);
  button->SetKind(bkAll);
  EXPECT_EQ(button->Glyph().Height(), 19);
  EXPECT_EQ(button->Caption(), "すべて(&A)");
  // A glyph of one's own makes it custom.
  TBitmap strip;
  MakeStrip(strip);
  button->SetGlyph(&strip);
  EXPECT_EQ(button->Kind(), bkCustom);

  // Read from a layout: a caption given before the kind is kept.
  auto* loaded = new TBitBtn(form_);
  loaded->SetLoading(true);
  loaded->SetCaption("了解");
  loaded->SetKind(bkOK);
  EXPECT_EQ(loaded->Caption(), "了解");
  auto* plain = new TBitBtn(form_);
  plain->SetLoading(true);
  plain->SetKind(bkYes);
  EXPECT_EQ(plain->Caption(), "はい(&Y)");
  // Stock glyphs are loaded once and shared.
  EXPECT_EQ(StockGlyph(bkOK), StockGlyph(bkOK));
  EXPECT_EQ(StockGlyph(bkCustom), nullptr);
}

TEST_F(BitBtnTest, ClicksByKind) {
  auto* other = new TForm(Application);
  other->SetBounds(50, 50, 200, 100);
  auto* close = new TBitBtn(other);
  close->SetParent(other);
  close->SetKind(bkClose);
  int clicks = 0;
  close->SetOnClick([&](TPersistent*) { ++clicks; });
  other->Show();
  SendMessageA(close->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(IsWindowVisible(other->Handle()));

  // Other kinds set the form's modal result, then fire OnClick.
  auto* ok = new TBitBtn(other);
  ok->SetParent(other);
  ok->SetKind(bkOK);
  ok->SetOnClick([&](TPersistent*) { ++clicks; });
  other->Show();
  SendMessageA(ok->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(other->ModalResult(), mrOk);
  delete other;
}

TEST_F(BitBtnTest, ADoubleClickGivesTwoClicks) {
  TBitBtn* button = NewButton(73, 41, "Exit");
  int clicks = 0;
  button->SetOnClick([&](TPersistent*) { ++clicks; });
  HWND window = button->Handle();
  const LPARAM inside = MAKELPARAM(10, 10);
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageA(window, WM_LBUTTONUP, 0, inside);
  SendMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
  SendMessageA(window, WM_LBUTTONUP, 0, inside);
  Application->ProcessMessages();
  EXPECT_EQ(clicks, 2);
}

TEST_F(BitBtnTest, EnterAndEscWithoutModifiers) {
  TBitBtn* first = NewButton(73, 41, "Exit");
  auto* okButton = new TBitBtn(form_);
  okButton->SetParent(form_);
  okButton->SetBounds(100, 10, 73, 41);
  okButton->SetKind(bkOK);
  auto* cancelButton = new TBitBtn(form_);
  cancelButton->SetParent(form_);
  cancelButton->SetBounds(200, 10, 73, 41);
  cancelButton->SetKind(bkCancel);
  int firstClicks = 0, okClicks = 0, cancelClicks = 0;
  first->SetOnClick([&](TPersistent*) { ++firstClicks; });
  okButton->SetOnClick([&](TPersistent*) { ++okClicks; });
  cancelButton->SetOnClick([&](TPersistent*) { ++cancelClicks; });
  form_->Show();
  first->SetFocus();
  Application->ProcessMessages();

  auto press = [&](WPARAM key, BYTE modifier) {
    BYTE keys[256];
    GetKeyboardState(keys);
    if (modifier) keys[modifier] = 0x80;
    SetKeyboardState(keys);
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 0x00010001);
    Application->ProcessMessages();
    if (modifier) keys[modifier] = 0;
    SetKeyboardState(keys);
  };
  // The focused button takes Enter, not the default one.
  press(VK_RETURN, 0);
  EXPECT_EQ(firstClicks, 1);
  EXPECT_EQ(okClicks, 0);
  EXPECT_TRUE(first->ActiveFrame());
  EXPECT_FALSE(okButton->ActiveFrame());
  press(VK_ESCAPE, 0);
  EXPECT_EQ(cancelClicks, 1);
  for (BYTE modifier : {BYTE(VK_SHIFT), BYTE(VK_CONTROL), BYTE(VK_MENU)}) {
    press(VK_RETURN, modifier);
    press(VK_ESCAPE, modifier);
  }
  EXPECT_EQ(firstClicks, 1);
  EXPECT_EQ(cancelClicks, 1);
  // A mnemonic clicks its button: "はい(&Y)" answers Y.
  okButton->SetKind(bkYes);
  PostMessageA(GetFocus(), WM_SYSCHAR, 'y', 0x20000001);
  Application->ProcessMessages();
  EXPECT_EQ(okClicks, 1);
}

}  // namespace

namespace {

// A custom button stores its caption, glyph and layout; a stock one only its
// kind, which brings caption and role when the layout is read.
TEST_F(BitBtnTest, ALayoutReadsCustomAndStockButtons) {
  TBitmap strip;
  MakeStrip(strip);
  const std::string bmp = strip.SaveToBmpBytes();
  std::vector<uint8_t> glyphData(4 + bmp.size());  // a 32-bit byte count, then the BMP file
  for (size_t i = 0; i < 4; ++i) glyphData[i] = static_cast<uint8_t>(bmp.size() >> (8 * i));
  std::copy(bmp.begin(), bmp.end(), glyphData.begin() + 4);
  LayoutEncoder encoder;
  encoder.WriteSignature();
  encoder.WriteShortString("TForm");
  encoder.WriteShortString("ButtonForm");
  encoder.WriteEndOfList();
  encoder.WriteShortString("TBitBtn");
  encoder.WriteShortString("BitBtn1");
  encoder.WriteShortString("Width");
  encoder.WriteInteger(49);
  encoder.WriteShortString("Caption");
  encoder.WriteString("変換");
  encoder.WriteShortString("Layout");
  encoder.WriteIdentifier("blGlyphTop");
  encoder.WriteShortString("NumGlyphs");
  encoder.WriteInteger(2);
  encoder.WriteShortString("Glyph.Data");
  encoder.WriteBinary(glyphData);
  encoder.WriteEndOfList();
  encoder.WriteEndOfList();
  encoder.WriteShortString("TBitBtn");
  encoder.WriteShortString("OkButton");
  encoder.WriteShortString("Kind");
  encoder.WriteIdentifier("bkOK");
  encoder.WriteEndOfList();
  encoder.WriteEndOfList();
  encoder.WriteEndOfList();

  RegisterComponentClass(TBitBtn::kClassInfo);
  auto* copy = new TForm(Application);
  ReadFormLayout(*copy, encoder.Bytes());
  auto* customCopy = dynamic_cast<TBitBtn*>(copy->FindComponent("BitBtn1"));
  auto* okCopy = dynamic_cast<TBitBtn*>(copy->FindComponent("OkButton"));
  ASSERT_NE(customCopy, nullptr);
  ASSERT_NE(okCopy, nullptr);
  EXPECT_EQ(customCopy->Caption(), "変換");
  EXPECT_EQ(customCopy->Layout(), blGlyphTop);
  EXPECT_EQ(customCopy->NumGlyphs(), 2);
  EXPECT_EQ(customCopy->Glyph().Width(), 32);
  EXPECT_EQ(customCopy->Width(), 49);
  EXPECT_EQ(okCopy->Kind(), bkOK);
  EXPECT_EQ(okCopy->Caption(), "OK");
  EXPECT_TRUE(okCopy->Default());
  EXPECT_EQ(okCopy->ModalResult(), 1);
  delete copy;
}

TEST_F(BitBtnTest, GlyphDataThatIsNoBitmapIsRefused) {
  auto* button = new TBitBtn(form_);
  button->SetParent(form_);
  button->SetName("Broken");
  // A layout whose glyph data does not begin with "BM".
  LayoutEncoder encoder;
  encoder.WriteSignature();
  encoder.WriteShortString("TForm");
  encoder.WriteShortString("GlyphForm");
  encoder.WriteEndOfList();
  encoder.WriteShortString("TBitBtn");
  encoder.WriteShortString("Bad1");
  encoder.WriteShortString("Glyph.Data");
  encoder.WriteBinary({6, 0, 0, 0, 'X', 'Y', 0, 0, 0, 0});
  encoder.WriteEndOfList();
  encoder.WriteEndOfList();
  encoder.WriteEndOfList();
  RegisterComponentClass(TBitBtn::kClassInfo);
  auto* target = new TForm(Application);
  try {
    ReadFormLayout(*target, encoder.Bytes());
    FAIL() << "no error";
  } catch (const EReadError& error) {
    EXPECT_EQ(error.Message(), "Bad1.Glyph.Data の読み込み中のｴﾗｰ: ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です");
  }
  delete target;
}

}  // namespace

namespace {

TEST_F(BitBtnTest, HelpButtonsShowTheNearestHelpTopicInsteadOfClicking) {
  auto* button = new TBitBtn(form_);
  button->SetParent(form_);
  button->SetKind(bkHelp);
  int clicks = 0, topic = 0;
  button->SetOnClick([&](TPersistent*) { ++clicks; });
  Application->SetOnHelp([&](int context) { topic = context; });
  // No topic anywhere: a plain push button.
  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(topic, 0);
  // A topic on the form is found by going up through the parents.
  form_->SetHelpContext(42);
  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(topic, 42);
  button->SetHelpContext(7);
  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(topic, 7);
  Application->SetOnHelp(nullptr);
}

}  // namespace
