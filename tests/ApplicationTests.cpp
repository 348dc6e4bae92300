// The application object with real windows under Wine: its window and title,
// errors escaping handlers, message boxes, modal forms, closing, keyboard,
// and (in a child program) how the program ends.
#include "app/Application.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/MessageBox.h"
#include "framework/StdCtrls.h"
#include "framework/ThreadWindows.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/TestFiles.h"

namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
  void SetUp() override { InitializeApplication(); }
};
const auto* gEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// Handles messages until the condition holds or about two seconds pass.
template <class Condition>
bool PumpUntil(Condition condition) {
  for (int i = 0; i < 2000 && !condition(); ++i) {
    Application->ProcessMessages();
    Sleep(1);
  }
  return condition();
}

class TestForm : public TForm {
public:
  explicit TestForm(TComponent* owner, const std::string& name = "TestForm") : TForm(owner) {
    SetName(name);
    SetCaption(name);
    SetBorderStyle(bsDialog);
    SetClientWidth(240);
    SetClientHeight(120);
    button = AddButton("Button1", 10, 10);
  }
  TButton* AddButton(const std::string& name, int left, int top) {
    auto* added = new TButton(this);
    added->SetName(name);
    added->SetParent(this);
    added->SetBounds(left, top, 80, 26);
    added->SetCaption(name);
    return added;
  }
  TButton* button;
};

// A form owned by the application, destroyed at the end of the test.
struct FormFixture {
  TestForm* form;
  explicit FormFixture(const std::string& name = "TestForm") : form(new TestForm(Application, name)) {}
  ~FormFixture() {
    delete form;
    Application->ProcessMessages();
  }
};

std::string ClassNameOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

TEST(ApplicationWindow, ClassSizePlaceAndTitle) {
  HWND window = Application->Handle();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ClassNameOf(window), "TApplication");
  // Titled after the executable until the program names itself.
  // The first character keeps its case; here it is lower case already.
  EXPECT_EQ(Application->Title(), "test_application");
  Application->SetTitle("Quorvel for Word97");
  EXPECT_EQ(Application->Title(), "Quorvel for Word97");
  char text[64] = "";
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "Quorvel for Word97");

  RECT bounds{};
  GetWindowRect(window, &bounds);
  EXPECT_EQ(bounds.right - bounds.left, 0);
  EXPECT_EQ(bounds.bottom - bounds.top, 0);
  EXPECT_EQ(bounds.left, GetSystemMetrics(SM_CXSCREEN) / 2);
  EXPECT_EQ(bounds.top, GetSystemMetrics(SM_CYSCREEN) / 2);
  EXPECT_TRUE(IsWindowVisible(window));
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  HMENU menu = GetSystemMenu(window, FALSE);
  EXPECT_EQ(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_NE(GetClassLongPtrA(window, GCLP_HICON), 0u);  // MAINICON
}

// ---- Errors that escape a handler ----

class ErrorDisplayTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->SetTitle("Quorvel for Word97");
    fixture_.form->Show();
  }
  // Clicks the form's button, whose handler does `action`; returns the boxes shown.
  std::vector<SeenMessageBox> ClickRaising(std::function<void()> action) {
    MessageBoxWatcher watcher;
    fixture_.form->button->SetOnClick([action](TPersistent*) { action(); });
    SendMessageA(fixture_.form->button->Handle(), BM_CLICK, 0, 0);
    return watcher.seen();
  }
  FormFixture fixture_;
};

TEST_F(ErrorDisplayTest, MessageFollowedByAPeriodUnderTheTitle) {
  const std::vector<SeenMessageBox> seen = ClickRaising([] { throw Exception("abc"); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "abc.");
  EXPECT_EQ(seen[0].caption, "Quorvel for Word97");
  EXPECT_TRUE(seen[0].hasIcon);
  EXPECT_EQ(seen[0].buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(seen[0].owner, Application->Handle());

  // The program goes on: the next click runs its handler.
  int clicks = 0;
  fixture_.form->button->SetOnClick([&clicks](TPersistent*) { ++clicks; });
  SendMessageA(fixture_.form->button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(IsWindowEnabled(fixture_.form->Handle()));
}

TEST_F(ErrorDisplayTest, PeriodIsAppendedAlways) {
  EXPECT_EQ(ClickRaising([] { throw Exception("x."); }).at(0).text, "x..");
  EXPECT_EQ(ClickRaising([] { throw Exception(""); }).at(0).text, ".");
  EXPECT_EQ(ClickRaising([] { throw EInvalidOperation("不正な操作"); }).at(0).text, "不正な操作.");
}

TEST_F(ErrorDisplayTest, AbortIsSilent) {
  EXPECT_TRUE(ClickRaising([] { throw EAbort("quiet"); }).empty());
}

TEST_F(ErrorDisplayTest, ErrorsOutsideTheFamilyGetTheSystemDisplay) {
  const std::vector<SeenMessageBox> seen = ClickRaising([] { throw std::runtime_error("boom"); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ");
  EXPECT_EQ(seen[0].text.rfind("std::runtime_errorがﾓｼﾞｭｰﾙ test_application.exe の\n", 0), 0u) << seen[0].text;
  EXPECT_NE(seen[0].text.find("で発生しました。\nboom.\n"), std::string::npos) << seen[0].text;
  EXPECT_EQ(seen[0].owner, nullptr);
  EXPECT_TRUE(seen[0].hasIcon);
}

TEST_F(ErrorDisplayTest, MessageBoxDisablesTheThreadsWindowsAndEnablesExactlyThose) {
  TestForm* form = fixture_.form;
  FormFixture other("OtherForm");
  other.form->Show();
  other.form->SetEnabled(false);  // disabled before: stays disabled after
  EnableWindow(other.form->Handle(), FALSE);

  MessageBoxWatcher watcher;
  bool formEnabledDuring = true, applicationEnabledDuring = true;
  watcher.set_on_show([&](HWND) {
    formEnabledDuring = IsWindowEnabled(form->Handle());
    applicationEnabledDuring = IsWindowEnabled(Application->Handle());
  });
  HWND activeBefore = GetActiveWindow();
  EXPECT_EQ(ShowMessageBox("text", "caption", MB_OK), IDOK);
  EXPECT_FALSE(formEnabledDuring);
  EXPECT_FALSE(applicationEnabledDuring);
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  EXPECT_TRUE(IsWindowEnabled(Application->Handle()));
  EXPECT_FALSE(IsWindowEnabled(other.form->Handle()));
  EXPECT_EQ(GetActiveWindow(), activeBefore);
}

TEST(ThreadWindows, AnErrorStopsTheEnumerationAndArrivesAfterTheCall) {
  FormFixture fixture;
  fixture.form->HandleNeeded();  // with the application window, two windows of the thread
  int visited = 0;
  EXPECT_THROW(ForEachThreadWindow([&](HWND) {
                 ++visited;
                 throw std::runtime_error("stop");
               }),
               std::runtime_error);
  EXPECT_EQ(visited, 1);
}

// ---- Modal forms ----

TEST(ModalForm, ShowModalOnAVisibleFormRaises) {
  FormFixture fixture;
  fixture.form->Show();
  try {
    fixture.form->ShowModal();
    FAIL() << "no error";
  } catch (const EInvalidOperation& error) {
    EXPECT_EQ(error.Message(), "表示されているｳｨﾝﾄﾞｳをﾓｰﾀﾞﾙにすることはできません");
  }
}

// Runs `step` once from the modal loop, through a thread timer.
struct ModalStep {
  static inline std::function<void()> step;
  static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto run = std::move(step);
    if (run) run();
  }
  explicit ModalStep(std::function<void()> action) {
    step = std::move(action);
    SetTimer(nullptr, 0, 20, Fire);
  }
};

TEST(ModalForm, OwnerTakesNoInputWhileUpAndIsActiveAfterwards) {
  FormFixture owner("OwnerForm");
  FormFixture about("AboutForm");
  owner.form->Show();
  ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == owner.form->Handle(); }));
  int okClicks = 0;
  about.form->button->SetOnClick([&](TPersistent*) {
    ++okClicks;
    about.form->Close();  // modal: sets the cancel result
  });

  for (int round = 0; round < 2; ++round) {
    bool ownerEnabled = true, aboutVisible = false;
    ModalStep step([&] {
      ownerEnabled = IsWindowEnabled(owner.form->Handle());
      aboutVisible = IsWindowVisible(about.form->Handle());
      SendMessageA(about.form->button->Handle(), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(about.form->ShowModal(), mrCancel);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(aboutVisible);
    EXPECT_FALSE(IsWindowVisible(about.form->Handle()));
    EXPECT_FALSE(about.form->Modal());
    EXPECT_TRUE(IsWindowEnabled(owner.form->Handle()));
    EXPECT_EQ(GetActiveWindow(), owner.form->Handle());
  }
  EXPECT_EQ(okClicks, 2);
}

TEST(ModalForm, ModalResultEndsTheLoopAndCloseHandlersCanKeepItOpen) {
  FormFixture fixture;
  int closeCalls = 0;
  fixture.form->SetOnClose([&](TPersistent*, TCloseAction& action) {
    if (++closeCalls == 1) action = caNone;  // the first time it stays up
  });
  ModalStep step([&] {
    fixture.form->SetModalResult(mrOk);
    ModalStep again([&] { fixture.form->SetModalResult(mrYes); });
  });
  EXPECT_EQ(fixture.form->ShowModal(), mrYes);
  EXPECT_EQ(closeCalls, 2);
}

// ---- Closing forms that are not the main form ----

TEST(FormClose, ActionsOfTheCloseHandler) {
  FormFixture fixture;
  TestForm* form = fixture.form;
  form->Show();
  form->Close();  // no handler: hide
  EXPECT_FALSE(IsWindowVisible(form->Handle()));

  form->Show();
  bool mayClose = false;
  form->SetOnCloseQuery([&](TPersistent*, bool& canClose) { canClose = mayClose; });
  int closeCalls = 0;
  form->SetOnClose([&](TPersistent*, TCloseAction&) { ++closeCalls; });
  form->Close();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(closeCalls, 0);
  mayClose = true;
  form->SetOnClose([&](TPersistent*, TCloseAction& action) {
    ++closeCalls;
    action = caNone;
  });
  form->Close();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(closeCalls, 1);

  // Free: destroyed once the messages queued before are handled.
  auto* freed = new TestForm(Application, "FreedForm");
  freed->Show();
  freed->SetOnClose([](TPersistent*, TCloseAction& action) { action = caFree; });
  freed->Close();
  EXPECT_NE(Application->FindComponent("FreedForm"), nullptr);
  EXPECT_TRUE(PumpUntil([] { return Application->FindComponent("FreedForm") == nullptr; }));
}

TEST(FormClose, CloseBoxRunsClose) {
  FormFixture fixture;
  fixture.form->Show();
  int closeCalls = 0;
  fixture.form->SetOnClose([&](TPersistent*, TCloseAction&) { ++closeCalls; });
  SendMessageA(fixture.form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(closeCalls, 1);
  EXPECT_FALSE(IsWindowVisible(fixture.form->Handle()));
}

TEST(FormShow, ShowHandlerRunsBeforeTheWindowIsVisible) {
  FormFixture fixture;
  bool visibleInHandler = true;
  int shows = 0;
  fixture.form->SetOnShow([&](TPersistent*) {
    ++shows;
    visibleInHandler = IsWindowVisible(fixture.form->Handle());
  });
  fixture.form->Show();
  EXPECT_EQ(shows, 1);
  EXPECT_FALSE(visibleInHandler);
  EXPECT_TRUE(IsWindowVisible(fixture.form->Handle()));
}

// ---- Keyboard ----

TEST(Keyboard, TabMovesTheFocusInTabOrderAndKeysGoFirstToTheControl) {
  FormFixture fixture;
  TestForm* form = fixture.form;
  TButton* second = form->AddButton("Button2", 100, 10);
  TButton* third = form->AddButton("Button3", 100, 50);
  third->SetTabOrder(1);  // before Button2
  form->Show();
  ASSERT_TRUE(PumpUntil([&] { return form->button->Focused(); }));

  auto pressTab = [&](bool shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    Application->ProcessMessages();
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
  };
  pressTab(false);
  EXPECT_TRUE(third->Focused());
  pressTab(false);
  EXPECT_TRUE(second->Focused());
  pressTab(false);
  EXPECT_TRUE(form->button->Focused());  // round again
  pressTab(true);
  EXPECT_TRUE(second->Focused());
  EXPECT_EQ(form->ActiveControl(), second);
}

// ---- How the program ends (a child program built like the real one) ----

struct ShellRun {
  unsigned long exitCode = 99;
  std::string log;
};

struct WindowSearch {
  DWORD process;
  std::string className;
  HWND found = nullptr;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == search->process && ClassNameOf(window) == search->className &&
      (search->className == "TApplication" || IsWindowVisible(window))) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForWindow(DWORD process, const std::string& className) {
  WindowSearch search{process, className};
  for (int i = 0; i < 1000 && !search.found; ++i) {
    EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(10);
  }
  return search.found;
}

// Starts the child, waits until its main form is up, lets `end` end it.
ShellRun RunShell(const std::function<void(HWND application, HWND mainForm)>& end) {
  ScratchFolder folder("shell");
  const std::string logPath = folder / "log.txt";
  std::string commandLine = Quoted(ProgramFolder() + "\\shell-test-app.exe") + " " + Quoted(logPath);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ShellRun run;
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "cannot start shell-test-app";
    return run;
  }
  HWND application = WaitForWindow(process.dwProcessId, "TApplication");
  HWND mainForm = WaitForWindow(process.dwProcessId, "TForm1");
  EXPECT_NE(application, nullptr);
  EXPECT_NE(mainForm, nullptr);
  if (application && mainForm) {
    char caption[128] = "";
    GetWindowTextA(mainForm, caption, sizeof caption);
    EXPECT_STREQ(caption, "Quorvel for Word97 -> HelpWorkshop v4.01");
    EXPECT_EQ(GetWindow(mainForm, GW_OWNER), application);
    end(application, mainForm);
  }
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "shell-test-app did not end";
    TerminateProcess(process.hProcess, 98);
    WaitForSingleObject(process.hProcess, 5000);
  }
  GetExitCodeProcess(process.hProcess, &run.exitCode);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  if (PathExists(logPath)) run.log = ReadFileBytes(logPath);
  return run;
}

TEST(ProgramEnd, ExitButtonRunsTheCloseHandlerOnceThenDestroysNewestFirst) {
  const ShellRun run = RunShell([](HWND, HWND mainForm) {
    HWND exitButton = FindWindowExA(mainForm, nullptr, "BUTTON", "Exit");
    ASSERT_NE(exitButton, nullptr);
    PostMessageA(exitButton, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.log, "FormClose\nForm2\nForm1\nTHintWindow\n");
}

TEST(ProgramEnd, CloseBoxAndTaskbarCloseBehaveLikeTheExitButton) {
  ShellRun run = RunShell([](HWND, HWND mainForm) { PostMessageA(mainForm, WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.log, "FormClose\nForm2\nForm1\nTHintWindow\n");
  run = RunShell([](HWND application, HWND) { PostMessageA(application, WM_CLOSE, 0, 0); });
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.log, "FormClose\nForm2\nForm1\nTHintWindow\n");
}

TEST(ProgramEnd, EndOfSessionEndsWithoutTheCloseHandler) {
  const ShellRun run = RunShell([](HWND application, HWND) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(application, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer);
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    PostMessageA(application, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  });
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.log, "Form2\nForm1\nTHintWindow\n");
}

}  // namespace

namespace {

// ---- Minimise and restore through the application window ----

TEST(ApplicationWindow, MinimiseHidesTheFormsAndRestoreBringsThemBack) {
  FormFixture fixture;
  fixture.form->Show();
  ASSERT_TRUE(IsWindowVisible(fixture.form->Handle()));
  SendMessageA(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(IsIconic(Application->Handle()));
  EXPECT_FALSE(IsWindowVisible(fixture.form->Handle()));
  SendMessageA(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  Application->ProcessMessages();
  EXPECT_FALSE(IsIconic(Application->Handle()));
  EXPECT_TRUE(IsWindowVisible(fixture.form->Handle()));
}

// ---- Creating forms (last: the first form created becomes the main form) ----

class CheckedForm;
CheckedForm* gCheckedForm = nullptr;
bool gReferenceSetDuringConstruction = false;

class CheckedForm : public TForm {
public:
  explicit CheckedForm(TComponent* owner) : TForm(owner) {
    gReferenceSetDuringConstruction = gCheckedForm == this;
    SetName("CheckedForm");
  }
};

class FailingForm : public TForm {
public:
  explicit FailingForm(TComponent* owner) : TForm(owner) { throw EResNotFound("TFAILINGFORM ﾘｿｰｽが見つかりません"); }
};
FailingForm* gFailingForm = nullptr;

TEST(CreateForm, TheReferenceIsSetWhileBuildingAndClearedOnFailure) {
  ASSERT_EQ(Application->MainForm(), nullptr);
  gFailingForm = reinterpret_cast<FailingForm*>(1);
  try {
    Application->CreateForm(gFailingForm);
    ADD_FAILURE() << "no error";
  } catch (const EResNotFound&) {
  } catch (const Exception& error) {
    ADD_FAILURE() << error.ClassName() << ": " << error.Message();
  }
  EXPECT_EQ(gFailingForm, nullptr);
  EXPECT_EQ(Application->MainForm(), nullptr);

  try {
    Application->CreateForm(gCheckedForm);
  } catch (const Exception& error) {
    FAIL() << error.ClassName() << ": " << error.Message();
  }
  EXPECT_TRUE(gReferenceSetDuringConstruction);
  ASSERT_NE(gCheckedForm, nullptr);
  EXPECT_EQ(gCheckedForm->Owner(), Application);
  // The first form is the main form, and has its window, hidden.
  EXPECT_EQ(Application->MainForm(), gCheckedForm);
  EXPECT_TRUE(gCheckedForm->HandleAllocated());
  EXPECT_FALSE(IsWindowVisible(gCheckedForm->Handle()));
  TestForm* second = nullptr;
  Application->CreateForm(second);
  EXPECT_EQ(Application->MainForm(), gCheckedForm);
  EXPECT_FALSE(second->HandleAllocated());  // made when first shown
  delete second;
  delete gCheckedForm;
  EXPECT_EQ(Application->MainForm(), nullptr);
}

}  // namespace

namespace {

TEST(MessageLoop, TheMessageHookMayTakeAMessageBeforeItIsDispatched) {
  FormFixture fixture;
  fixture.form->Show();
  int clicks = 0;
  fixture.form->button->SetOnClick([&](TPersistent*) { ++clicks; });
  int seen = 0;
  Application->SetOnMessage([&](MSG& message, bool& handled) {
    if (message.message == BM_CLICK) {
      ++seen;
      handled = seen == 1;  // the first one goes no further
    }
  });
  PostMessageA(fixture.form->button->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  PostMessageA(fixture.form->button->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  Application->SetOnMessage(nullptr);
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(clicks, 1);
}

TEST(FormScaling, LayoutsDesignedAtAnotherResolutionAreScaledUnlessTurnedOff) {
  HDC screen = GetDC(nullptr);
  const int screenPixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  for (bool scaled : {true, false}) {
    FormFixture fixture;
    TestForm* form = fixture.form;
    form->SetScaled(scaled);
    form->SetPixelsPerInch(screenPixelsPerInch * 2);  // designed at twice the screen's resolution
    form->Font().SetHeight(-30);
    form->SetLoading(true);
    form->Loaded();
    EXPECT_EQ(form->button->Width(), scaled ? 40 : 80);
    EXPECT_EQ(form->button->Left(), scaled ? 5 : 10);
    EXPECT_EQ(form->Font().Height(), scaled ? -15 : -30);
    EXPECT_EQ(form->ClientWidth(), scaled ? 120 : 240);
  }
}

}  // namespace

namespace {

// A button that counts the mouse notices the idle step sends it.
class MouseButton : public TButton {
public:
  using TButton::TButton;
  int entered = 0, left = 0;

protected:
  void WndProc(TMessage& message) override {
    if (message.msg == CM_MOUSEENTER) ++entered;
    if (message.msg == CM_MOUSELEAVE) ++left;
    TButton::WndProc(message);
  }
};

TEST(MessageLoop, IdleStepTellsControlsWhenTheMouseComesAndGoes) {
  FormFixture fixture;
  auto* button = new MouseButton(fixture.form);
  button->SetParent(fixture.form);
  button->SetBounds(100, 60, 80, 30);
  fixture.form->Show();
  Application->ProcessMessages();
  bool idled = false;
  // No waiting in the idle step: the test drives it.
  Application->SetOnIdle([&](TPersistent*, bool& done) {
    idled = true;
    done = false;
  });
  auto idleOnce = [&] {
    Application->ProcessMessages();
    idled = false;
    Application->HandleMessage();  // the queue is empty: the idle step runs
    EXPECT_TRUE(idled);
  };
  POINT over{140, 75};
  ClientToScreen(fixture.form->Handle(), &over);
  ASSERT_TRUE(SetCursorPos(over.x, over.y));
  idleOnce();
  EXPECT_EQ(button->entered, 1);
  EXPECT_EQ(button->left, 0);
  idleOnce();  // still there: no new notice
  EXPECT_EQ(button->entered, 1);
  POINT away{5, 5};
  ClientToScreen(fixture.form->Handle(), &away);
  SetCursorPos(away.x, away.y);
  idleOnce();
  EXPECT_EQ(button->left, 1);
  Application->SetOnIdle(nullptr);
}

}  // namespace
