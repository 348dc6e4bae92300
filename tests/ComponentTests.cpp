// Components and controls: ownership, names, removal notices, published
// property tables, fonts that follow the parent, windows made on demand.
#include "framework/Component.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Application.h"
#include "framework/StdCtrls.h"
#include "runtime/ResourceStrings.h"
#include "runtime/ScopeExit.h"
#include "tests/support/MessageBoxWatcher.h"

namespace {

// Records the removal notices it receives, and its own destruction.
class Watcher : public TComponent {
public:
  Watcher(TComponent* owner, std::vector<std::string>* log) : TComponent(owner), log_(log) {}
  ~Watcher() override { log_->push_back("~" + Name()); }
  using TComponent::FreeNotification;

protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component->Owner() != this)
      log_->push_back(Name() + " saw " + component->Name() + " go");
  }

private:
  std::vector<std::string>* log_;
};

TEST(Component, OwnerDestroysWhatItOwnsNewestFirst) {
  std::vector<std::string> log;
  auto* owner = new Watcher(nullptr, &log);
  owner->SetName("Owner");
  for (const char* name : {"A", "B", "C"}) (new Watcher(owner, &log))->SetName(name);
  EXPECT_EQ(owner->ComponentCount(), 3);
  EXPECT_EQ(owner->FindComponent("b")->Name(), "B");  // names compare without regard to case
  EXPECT_EQ(owner->FindComponent("missing"), nullptr);
  delete owner;
  // A destructor's own body runs before the owned components go.
  const std::vector<std::string> expected = {"~Owner", "A saw C go", "B saw C go", "~C", "A saw B go", "~B", "~A"};
  EXPECT_EQ(log, expected);
}

TEST(Component, NamesAreIdentifiersUniqueWithinTheOwner) {
  TComponent owner(nullptr);
  auto* first = new TComponent(&owner);
  first->SetName("Edit1");
  auto* second = new TComponent(&owner);
  EXPECT_THROW(second->SetName("EDIT1"), EInvalidOperation);
  EXPECT_THROW(second->SetName("1Edit"), EInvalidOperation);
  EXPECT_THROW(second->SetName("Edit 2"), EInvalidOperation);
  try {
    second->SetName("edit1");
  } catch (const EInvalidOperation& error) {
    EXPECT_EQ(error.Message(), "ｺﾝﾎﾟｰﾈﾝﾄ名 edit1 は既に存在します");
  }
  second->SetName("Edit2");
  first->SetName("EDIT1");  // its own name in another case is fine
  EXPECT_EQ(first->Name(), "EDIT1");
  second->SetName("");
  EXPECT_EQ(second->Name(), "");
}

TEST(Component, RemovalNoticesReachPartnersInOtherOwners) {
  std::vector<std::string> log;
  Watcher left(nullptr, &log), right(nullptr, &log);
  left.SetName("Left");
  auto* partner = new Watcher(&right, &log);
  partner->SetName("Partner");
  left.FreeNotification(partner);
  delete partner;
  EXPECT_EQ(log, (std::vector<std::string>{"~Partner", "Left saw Partner go"}));
}

TEST(Properties, TablesAreFoundThroughTheClassAndItsAncestors) {
  const PropertyInfo* left = FindProperty(TForm::kClassInfo, "left");
  ASSERT_NE(left, nullptr);
  EXPECT_STREQ(left->name, "Left");
  EXPECT_EQ(left->type, PropertyType::kInteger);
  const PropertyInfo* border = FindProperty(TForm::kClassInfo, "BorderStyle");
  ASSERT_NE(border, nullptr);
  EXPECT_EQ(border->type, PropertyType::kEnumeration);
  EXPECT_STREQ(border->names[bsDialog], "bsDialog");
  EXPECT_EQ(border->defaultNumber, bsSizeable);
  EXPECT_EQ(FindProperty(TForm::kClassInfo, "Name")->type, PropertyType::kText);
  EXPECT_EQ(FindProperty(TButton::kClassInfo, "BorderStyle"), nullptr);
  EXPECT_EQ(FindProperty(TForm::kClassInfo, "NoSuchThing"), nullptr);

  TForm form(nullptr);
  left->writeNumber(form, 42);
  EXPECT_EQ(form.Left(), 42);
  EXPECT_EQ(left->readNumber(form), 42);
  border->writeNumber(form, bsDialog);
  EXPECT_EQ(form.BorderStyle(), bsDialog);
  FindProperty(TForm::kClassInfo, "Caption")->writeText(form, "見出し");
  EXPECT_EQ(form.Caption(), "見出し");
  const PropertyInfo* font = FindProperty(TForm::kClassInfo, "Font");
  ASSERT_EQ(font->type, PropertyType::kObject);
  EXPECT_EQ(font->object(form), &form.Font());
  form.SetOnShow([](TPersistent*) {}, "FormShow");
  const PropertyInfo* onShow = FindProperty(TForm::kClassInfo, "OnShow");
  EXPECT_EQ(onShow->type, PropertyType::kEvent);
  EXPECT_EQ(onShow->readText(form), "FormShow");
}

TEST(ClassRegistry, ClassesAreFoundByName) {
  RegisterComponentClass(TButton::kClassInfo);
  EXPECT_EQ(FindClass("tbutton"), &TButton::kClassInfo);
  EXPECT_EQ(FindClass("TNoSuchClass"), nullptr);
  TComponent owner(nullptr);
  TComponent* made = FindClass("TButton")->create(&owner);
  EXPECT_EQ(made->Owner(), &owner);
  EXPECT_STREQ(made->ClassName(), "TButton");
  EXPECT_TRUE(made->classInfo().InheritsFrom(TWinControl::kClassInfo));
  EXPECT_TRUE(made->classInfo().HasAncestorNamed("TComponent"));
}

TEST(Exceptions, FamilyIsKnownByTheNameOfAnAncestor) {
  EXPECT_TRUE(IsExceptionFamily(EInOutError("x", 2)));
  EXPECT_TRUE(IsExceptionFamily(EReadError("x")));
  EXPECT_TRUE(EReadError("x").classInfo().InheritsFrom(EFilerError::kClassInfo));
  EXPECT_STREQ(EAbort("x").ClassName(), "EAbort");
  // One catch clause of the standard library's kind takes them, with the message.
  const std::exception& standard = EInOutError("ﾌｧｲﾙが見つかりません", 2);
  EXPECT_STREQ(standard.what(), "ﾌｧｲﾙが見つかりません");
  // A class that only looks like one: not of the family.
  static const ClassInfo kStranger{"EStranger", nullptr};
  struct EStranger : Exception {
    using Exception::Exception;
    const ClassInfo& classInfo() const override { return kStranger; }
  };
  EXPECT_FALSE(IsExceptionFamily(EStranger("x")));
  EXPECT_EQ(FormatResString(strings::kListIndexError, 7), "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (7)");
}

// ---- Controls ----

class ControlTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitializeApplication();
    form_ = new TForm(Application);
    form_->SetBounds(10, 10, 300, 200);
    form_->Font().SetName("ＭＳ Ｐゴシック");
    form_->Font().SetHeight(-15);
    button_ = new TButton(form_);
    button_->SetParent(form_);
    button_->SetBounds(5, 6, 70, 24);
    button_->SetCaption("変換");
  }
  void TearDown() override { delete form_; }
  TForm* form_;
  TButton* button_;
};

TEST_F(ControlTest, WindowsAreMadeWithTheParentsAndKeepTheControlsState) {
  EXPECT_FALSE(button_->HandleAllocated());
  HWND window = button_->Handle();  // the parent's window comes first
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(form_->HandleAllocated());
  EXPECT_EQ(GetParent(window), form_->Handle());
  EXPECT_EQ(TWinControl::FromHandle(window), button_);
  char text[32] = "";
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "変換");
  RECT bounds{};
  GetWindowRect(window, &bounds);
  MapWindowPoints(nullptr, form_->Handle(), reinterpret_cast<POINT*>(&bounds), 2);
  EXPECT_EQ(bounds.left, 5);
  EXPECT_EQ(bounds.top, 6);
  EXPECT_EQ(bounds.right - bounds.left, 70);

  button_->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(window));
  SetWindowTextA(window, "changed");  // as the window's own state
  button_->RecreateWnd();
  EXPECT_NE(button_->Handle(), nullptr);
  GetWindowTextA(button_->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "changed");
  EXPECT_FALSE(IsWindowEnabled(button_->Handle()));
  EXPECT_EQ(TWinControl::FromHandle(button_->Handle()), button_);
}

TEST_F(ControlTest, FontFollowsTheParentUntilSetOnTheControl) {
  EXPECT_TRUE(button_->ParentFont());
  EXPECT_EQ(button_->Font().Height(), -15);
  form_->Font().SetHeight(-12);
  EXPECT_EQ(button_->Font().Height(), -12);
  HWND window = button_->Handle();
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), button_->Font().Handle());
  button_->Font().SetHeight(-20);
  EXPECT_FALSE(button_->ParentFont());
  form_->Font().SetHeight(-13);
  EXPECT_EQ(button_->Font().Height(), -20);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), button_->Font().Handle());
  button_->SetParentFont(true);
  EXPECT_EQ(button_->Font().Height(), -13);
}

TEST_F(ControlTest, ParentForwardsNotificationsToTheChildTheyConcern) {
  int clicks = 0;
  button_->SetOnClick([&](TPersistent* sender) {
    EXPECT_EQ(sender, button_);
    ++clicks;
  });
  SendMessageA(button_->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  // A command from a window no control owns reaches nobody.
  SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(999, BN_CLICKED), 0);
  EXPECT_EQ(clicks, 1);
}

TEST_F(ControlTest, WithoutAnApplicationAnEscapedErrorGoesToStandardErrorNotToABox) {
  // As in a program of the framework alone, which has no application's handler.
  SetWindowExceptionHandler(nullptr);
  const auto applicationAgain =
      ScopeExit([] { SetWindowExceptionHandler([](TPersistent* sender) { Application->HandleException(sender); }); });
  button_->SetOnClick([](TPersistent*) { throw EInvalidOperation("不正な操作"); });
  MessageBoxWatcher watcher;
  testing::internal::CaptureStderr();
  SendMessageA(button_->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "不正な操作\n");
  EXPECT_TRUE(watcher.seen().empty());
}

TEST_F(ControlTest, FormClientSizeGivesTheWindowSize) {
  form_->SetBorderStyle(bsDialog);
  form_->SetClientWidth(564);
  form_->SetClientHeight(395);
  HWND window = form_->Handle();
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 564);
  EXPECT_EQ(client.bottom, 395);
  EXPECT_EQ(form_->ClientWidth(), 564);
  EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_EQ(GetWindow(window, GW_OWNER), Application->Handle());
  EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_CHILD);
}

}  // namespace

namespace {

// An owner-drawn list box that counts what its parent passes on to it.
class OwnerDrawList : public TWinControl {
public:
  using TWinControl::TWinControl;
  int measured = 0, drawn = 0, commands = 0;

protected:
  void CreateParams(WindowParams& params) override {
    TWinControl::CreateParams(params);
    params.windowClass = "LISTBOX";
    params.systemClass = true;
    params.style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | WS_VSCROLL;
  }
  void WndProc(TMessage& message) override {
    switch (message.msg) {
      case CN_MEASUREITEM:
        ++measured;
        reinterpret_cast<MEASUREITEMSTRUCT*>(message.lParam)->itemHeight = 17;
        message.result = TRUE;
        return;
      case CN_DRAWITEM:
        ++drawn;
        message.result = TRUE;
        return;
      case CN_COMMAND:
        if (HIWORD(message.wParam) == LBN_SELCHANGE) ++commands;
        return;
      default:
        TWinControl::WndProc(message);
    }
  }
};

TEST_F(ControlTest, OwnerDrawAndCommandNotificationsReachTheChild) {
  auto* list = new OwnerDrawList(form_);
  list->SetParent(form_);
  list->SetBounds(10, 40, 120, 100);
  HWND window = list->Handle();  // the item height is asked for while the window is made
  EXPECT_GE(list->measured, 1);
  EXPECT_EQ(SendMessageA(window, LB_GETITEMHEIGHT, 0, 0), 17);
  for (const char* item : {"表示", "ソフト"}) SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  form_->Show();
  UpdateWindow(window);
  EXPECT_GE(list->drawn, 2);
  // A selection made by the user sends LBN_SELCHANGE; send the same notice.
  SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(window));
  EXPECT_EQ(list->commands, 1);
  EXPECT_EQ(button_->Owner(), form_);
}

}  // namespace
