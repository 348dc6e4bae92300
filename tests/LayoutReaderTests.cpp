// Forms read from layouts compiled from text at build time: every property
// kind, links resolved after reading, handlers bound by name, unique form
// names, loaded notifications, and every reading error with its text.
#include "app/LayoutReader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "framework/StdCtrls.h"
#include "framework/StringList.h"
#include "stream/LayoutDecoder.h"

namespace {

std::vector<std::string> gLoadedOrder;

// A windowed control with a link to another, a text, an integer, lines and a
// glyph, standing in for the program's list controls.
class TTestList : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  explicit TTestList(TComponent* owner) : TWinControl(owner) {}

  TTestList* FileList() const { return fileList_; }
  void SetFileList(TTestList* list) {
    fileList_ = list;
    if (list) list->FreeNotification(this);
  }
  const std::string& Mask() const { return mask_; }
  void SetMask(const std::string& mask) { mask_ = mask; }
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int height) { itemHeight_ = height; }
  TStringList& Lines() { return lines_; }
  TBitmap& Glyph() { return glyph_; }
  void Loaded() override {
    TWinControl::Loaded();
    gLoadedOrder.push_back(Name());
  }

protected:
  void Notification(TComponent* component, TOperation operation) override {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == fileList_) fileList_ = nullptr;
  }
  void CreateParams(WindowParams& params) override {
    TWinControl::CreateParams(params);
    params.windowClass = "LISTBOX";
    params.systemClass = true;
  }

private:
  TTestList* fileList_ = nullptr;  // not owned
  std::string mask_;
  int itemHeight_ = 0;
  TStringList lines_;
  TBitmap glyph_;
};

const PropertyInfo kTestListProperties[] = {
    ComponentProperty<&TTestList::FileList, &TTestList::SetFileList>("FileList", TTestList::kClassInfo),
    TextProperty<&TTestList::Mask, &TTestList::SetMask>("Mask"),
    IntegerProperty<&TTestList::ItemHeight, &TTestList::SetItemHeight>("ItemHeight"),
    ObjectProperty<&TTestList::Lines>("Lines", TStringList::kClassInfo),
    ObjectProperty<&TTestList::Glyph>("Glyph", TBitmap::kClassInfo),
    // Published for reading only.
    PropertyInfo{"Count", PropertyType::kInteger, [](const TPersistent&) -> int64_t { return 0; }},
};
const ClassInfo TTestList::kClassInfo{"TTestList", &TWinControl::kClassInfo,
                                      [](TComponent* owner) -> TComponent* { return new TTestList(owner); },
                                      kTestListProperties};

class TTestPanel : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  using TWinControl::TWinControl;
  void Loaded() override {
    TWinControl::Loaded();
    gLoadedOrder.push_back(Name());
  }
};
const ClassInfo TTestPanel::kClassInfo{"TTestPanel", &TWinControl::kClassInfo,
                                       [](TComponent* owner) -> TComponent* { return new TTestPanel(owner); }};

// A form class with a layout, handler methods and fields, as the program's are.
class TLayoutForm1 : public TForm {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  explicit TLayoutForm1(TComponent* owner, bool readLayout = true) : TForm(owner) {
    if (readLayout) ReadLayout();
  }

  TTestList* DirList1 = nullptr;
  TTestList* FileList1 = nullptr;
  TButton* Button1 = nullptr;
  int clicks = 0, shows = 0, closes = 0;

  void Button1Click(TPersistent*) { ++clicks; }
  void FormShow(TPersistent*) { ++shows; }
  void FormClose(TPersistent*, TCloseAction&) { ++closes; }
  void Loaded() override {
    TForm::Loaded();
    gLoadedOrder.push_back(Name());
  }
};

const PublishedMethod kLayoutForm1Methods[] = {
    NotifyMethod<&TLayoutForm1::Button1Click>("Button1Click"),
    NotifyMethod<&TLayoutForm1::FormShow>("FormShow"),
    CloseMethod<&TLayoutForm1::FormClose>("FormClose"),
};
const PublishedField kLayoutForm1Fields[] = {
    ComponentField<&TLayoutForm1::DirList1>("DirList1", TTestList::kClassInfo),
    ComponentField<&TLayoutForm1::FileList1>("FileList1", TTestList::kClassInfo),
    ComponentField<&TLayoutForm1::Button1>("Button1", TButton::kClassInfo),
};
const ClassInfo TLayoutForm1::kClassInfo{"TLayoutForm1",      &TForm::kClassInfo, nullptr, {},
                                         kLayoutForm1Methods, kLayoutForm1Fields};

// A form read from any layout by resource name, for the error cases.
class TLayoutForm2 : public TForm {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  explicit TLayoutForm2(TComponent* owner) : TForm(owner) {}
  void Loaded() override {
    TForm::Loaded();
    gLoadedOrder.push_back(Name());
  }
};
const ClassInfo TLayoutForm2::kClassInfo{"TLayoutForm2", &TForm::kClassInfo};

class TNoLayoutForm : public TForm {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  explicit TNoLayoutForm(TComponent* owner) : TForm(owner) { ReadLayout(); }
};
const ClassInfo TNoLayoutForm::kClassInfo{"TNoLayoutForm", &TForm::kClassInfo};

std::span<const uint8_t> LayoutBytes(const char* name) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, name, MAKEINTRESOURCEA(10));
  if (!resource) return {};
  return {static_cast<const uint8_t*>(LockResource(LoadResource(module, resource))), SizeofResource(module, resource)};
}

class LayoutTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    InitializeApplication();
    RegisterComponentClass(TTestList::kClassInfo);
    RegisterComponentClass(TTestPanel::kClassInfo);
    RegisterComponentClass(TButton::kClassInfo);
  }
  void SetUp() override { gLoadedOrder.clear(); }
  void TearDown() override {
    for (TForm* form : forms_) delete form;
  }
  template <class Form>
  Form* Track(Form* form) {
    forms_.push_back(form);
    return form;
  }
  // Reads the named layout into a fresh form; returns the error's text, or "".
  std::string ReadFails(const char* layout) {
    auto* form = Track(new TLayoutForm2(Application));
    const std::span<const uint8_t> bytes = LayoutBytes(layout);
    EXPECT_FALSE(bytes.empty()) << layout;
    try {
      ReadFormLayout(*form, bytes);
    } catch (const Exception& error) {
      EXPECT_EQ(form->ComponentCount(), 0) << "components of a failed layout are destroyed";
      return std::string(error.ClassName()) + ": " + error.Message();
    }
    return "";
  }
  std::vector<TForm*> forms_;
};

TEST_F(LayoutTest, EveryStoredPropertyReachesTheForm) {
  auto* form = Track(new TLayoutForm1(Application));
  EXPECT_EQ(form->Name(), "LayoutForm1");
  EXPECT_EQ(form->Left(), 302);
  EXPECT_EQ(form->Top(), 157);
  EXPECT_EQ(form->BorderIcons(), 1u << biSystemMenu);
  EXPECT_EQ(form->BorderStyle(), bsDialog);
  EXPECT_EQ(form->Caption(), "レイアウト テスト");
  EXPECT_EQ(form->ClientWidth(), 345);
  EXPECT_EQ(form->ClientHeight(), 121);
  EXPECT_EQ(form->Color(), clBtnFace);
  EXPECT_EQ(form->Font().Charset(), SHIFTJIS_CHARSET);
  EXPECT_EQ(form->Font().Color(), clWindowText);
  EXPECT_EQ(form->Font().Height(), -15);
  EXPECT_EQ(form->Font().Name(), "ＭＳ Ｐゴシック");
  EXPECT_EQ(form->Font().Style(), 0u);
  EXPECT_EQ(form->Position(), poDefault);
  EXPECT_FALSE(form->Scaled());
  EXPECT_EQ(form->PixelsPerInch(), 96);
  EXPECT_EQ(form->TextHeight(), 15);
  EXPECT_EQ(form->OnShowName(), "FormShow");
  EXPECT_EQ(form->OnCloseName(), "FormClose");

  // Components landed in the form's fields, with their properties.
  ASSERT_NE(form->DirList1, nullptr);
  ASSERT_NE(form->FileList1, nullptr);
  ASSERT_NE(form->Button1, nullptr);
  EXPECT_EQ(form->DirList1->Parent(), form);
  EXPECT_EQ(form->DirList1->Owner(), form);
  EXPECT_EQ(form->DirList1->ItemHeight(), 16);
  EXPECT_EQ(form->DirList1->Width(), 169);
  EXPECT_EQ(form->FileList1->Mask(), "*.rtf");
  EXPECT_EQ(form->FileList1->ItemHeight(), 15);
  EXPECT_EQ(form->FileList1->TabOrder(), 0);
  EXPECT_EQ(form->DirList1->TabOrder(), 1);
  EXPECT_EQ(form->Button1->TabOrder(), 2);
  EXPECT_EQ(form->FileList1->Lines().Text(), "\r\n表示\r\nVer1.1\r\n");
  EXPECT_EQ(form->FileList1->Glyph().Width(), 2);
  EXPECT_EQ(form->FileList1->Glyph().Height(), 2);
  EXPECT_EQ(form->FileList1->Glyph().TransparentColor(), clBlue);  // the bottom-left pixel
  EXPECT_EQ(form->Button1->Left(), 100000);                        // a 32-bit value
  EXPECT_EQ(form->Button1->Top(), -128);
  EXPECT_EQ(form->Button1->Caption(), "変換");
  EXPECT_TRUE(form->Button1->ParentFont());
  EXPECT_EQ(form->Button1->Font().Height(), -15);

  // The link stored before the list it names was still made.
  EXPECT_EQ(form->DirList1->FileList(), form->FileList1);
  EXPECT_EQ(form->FileList1->FileList(), nullptr);

  // Handlers are bound to this form's methods.
  form->Button1->Click();
  EXPECT_EQ(form->clicks, 1);
}

TEST_F(LayoutTest, AFormFromALayoutComesUpAsARealWindow) {
  auto* form = Track(new TLayoutForm1(Application));
  form->Show();
  EXPECT_EQ(form->shows, 1);
  HWND window = form->Handle();
  ASSERT_TRUE(IsWindowVisible(window));
  char text[64] = "";
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "レイアウト テスト");
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 345);
  EXPECT_EQ(client.bottom, 121);
  EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_MINIMIZEBOX);
  HWND button = form->Button1->Handle();
  EXPECT_EQ(GetParent(button), window);
  GetWindowTextA(button, text, sizeof text);
  EXPECT_STREQ(text, "変換");
  SendMessageA(button, BM_CLICK, 0, 0);
  EXPECT_EQ(form->clicks, 1);
  form->Close();
  EXPECT_EQ(form->closes, 1);
}

TEST_F(LayoutTest, ASecondFormOfTheSameNameGetsACounter) {
  auto* first = Track(new TLayoutForm1(Application));
  auto* second = Track(new TLayoutForm1(Application));
  auto* third = Track(new TLayoutForm1(Application));
  EXPECT_EQ(first->Name(), "LayoutForm1");
  EXPECT_EQ(second->Name(), "LayoutForm1_1");
  EXPECT_EQ(third->Name(), "LayoutForm1_2");
}

TEST_F(LayoutTest, LinksIntoOtherFormsWaitForThoseForms) {
  auto* first = Track(new TLayoutForm1(Application));
  auto* second = Track(new TLayoutForm2(Application));
  ReadFormLayout(*second, LayoutBytes("TLAYOUTFORM2"));
  auto* other = static_cast<TTestList*>(second->FindComponent("Other1"));
  EXPECT_EQ(other->FileList(), first->FileList1);

  // The named form does not exist yet: linked once it has been read.
  auto* third = Track(new TLayoutForm2(Application));
  ReadFormLayout(*third, LayoutBytes("TLAYOUTFORM3"));
  auto* waiting = static_cast<TTestList*>(third->FindComponent("Other1"));
  EXPECT_EQ(waiting->FileList(), nullptr);
  auto* fourth = Track(new TLayoutForm2(Application));
  ReadFormLayout(*fourth, LayoutBytes("TLAYOUTFORM4"));
  EXPECT_EQ(waiting->FileList(), fourth->FindComponent("Target"));
}

TEST_F(LayoutTest, LoadedNotificationsComeInTheOrderRecordsWereCompleted) {
  auto* form = Track(new TLayoutForm2(Application));
  ReadFormLayout(*form, LayoutBytes("TNESTED"));
  EXPECT_EQ(gLoadedOrder, (std::vector<std::string>{"Nested", "InnerA", "InnerB", "Outer", "Last", "First"}));
  EXPECT_FALSE(form->Loading());
  EXPECT_FALSE(form->FindComponent("InnerA")->Loading());
  // "First" was stored with child position 0.
  EXPECT_EQ(form->Control(0)->Name(), "First");
  EXPECT_EQ(form->Control(1)->Name(), "Outer");
  EXPECT_EQ(form->Control(2)->Name(), "Last");
  EXPECT_EQ(static_cast<TWinControl*>(form->FindComponent("Outer"))->ControlCount(), 2);
}

TEST_F(LayoutTest, ReadingErrorsAndTheirTexts) {
  EXPECT_EQ(ReadFails("TMISSPELT"), "EReadError: FileListBox1.Maskx の読み込み中のｴﾗｰ: ﾌﾟﾛﾊﾟﾃｨが存在しません");
  EXPECT_EQ(ReadFails("TNOCLASS"), "EClassNotFound: ｸﾗｽ TNoSuchControl が見つかりません");
  EXPECT_EQ(ReadFails("TNOANCESTOR"), "EReadError: 'Missing1' の継承元が存在しません.");
  EXPECT_EQ(ReadFails("TWRONGKIND"), "EReadError: List1.Left の読み込み中のｴﾗｰ: 不正なﾌﾟﾛﾊﾟﾃｨの値です");
  EXPECT_EQ(ReadFails("TNOMETHOD"), "EReadError: Button1.OnClick の読み込み中のｴﾗｰ: 不正なﾌﾟﾛﾊﾟﾃｨの値です");
  EXPECT_EQ(ReadFails("TBADPATH"), "EReadError: List1.Mask.Name の読み込み中のｴﾗｰ: 不正なﾌﾟﾛﾊﾟﾃｨのﾊﾟｽです");
  EXPECT_EQ(ReadFails("TREADONLY"), "EReadError: List1.Count の読み込み中のｴﾗｰ: ﾌﾟﾛﾊﾟﾃｨは書き込み禁止です");
  EXPECT_EQ(ReadFails("TBADCONST"), "EReadError: BadConst.Font.Color の読み込み中のｴﾗｰ: 不正なﾌﾟﾛﾊﾟﾃｨの値です");
}

TEST_F(LayoutTest, BadSignatureAndMissingResource) {
  auto* form = Track(new TLayoutForm2(Application));
  const uint8_t wrong[] = {'T', 'P', 'F', '1', 0, 0, 0};
  try {
    ReadFormLayout(*form, wrong);
    FAIL() << "no error";
  } catch (const EReadError& error) {
    EXPECT_EQ(error.Message(), "不正なｽﾄﾘｰﾑ形式です");
  }
  // A form class without a layout resource cannot be created.
  TNoLayoutForm* missing = nullptr;
  try {
    Application->CreateForm(missing);
    FAIL() << "no error";
  } catch (const EResNotFound& error) {
    EXPECT_EQ(error.Message(), "TNoLayoutForm ﾘｿｰｽが見つかりません");
  }
  EXPECT_EQ(missing, nullptr);
}

TEST_F(LayoutTest, DataThatEndsEarlyRaisesAtEveryCut) {
  const std::span<const uint8_t> whole = LayoutBytes("TLAYOUTFORM1");
  ASSERT_GT(whole.size(), 100u);
  int wrapped = 0, plain = 0;
  for (size_t cut = 4; cut < whole.size(); ++cut) {
    // A copy of exactly the cut length, so that any read past it is a real fault.
    std::vector<uint8_t> shortened(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(cut));
    auto* form = new TLayoutForm1(Application, false);
    try {
      ReadFormLayout(*form, shortened);
      ADD_FAILURE() << "no error at " << cut;
    } catch (const EReadError& error) {
      const std::string& message = error.Message();
      if (message == "ｽﾄﾘｰﾑからの読み込みｴﾗｰ")
        ++plain;
      else if (message.find("の読み込み中のｴﾗｰ: ｽﾄﾘｰﾑからの読み込みｴﾗｰ") != std::string::npos)
        ++wrapped;
      else
        ADD_FAILURE() << "at " << cut << ": " << message;
    }
    EXPECT_EQ(form->ComponentCount(), 0);
    delete form;
  }
  EXPECT_GT(plain, 0);
  EXPECT_GT(wrapped, 0);
}

}  // namespace
