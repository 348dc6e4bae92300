// The application object: the program's window in the taskbar, the forms it
// owns, the message loop, and the display of errors that escape a handler.
#pragma once

#include <windows.h>

#include <functional>
#include <new>
#include <string>
#include <vector>

#include "app/FormHost.h"
#include "app/Forms.h"
#include "framework/Component.h"
#include "framework/WindowProcedure.h"
#include "runtime/Exceptions.h"

// The window that would show hints; no control of the program has a hint, so
// it is never shown, but it lives from start-up to the end like the forms.
class THintWindow : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  using TWinControl::TWinControl;

protected:
  void CreateParams(WindowParams& params) override;
};

using TExceptionEvent = std::function<void(TPersistent* sender, const Exception& error)>;
using TMessageEvent = std::function<void(MSG& message, bool& handled)>;
using TIdleEvent = std::function<void(TPersistent* sender, bool& done)>;

// The application window reports to the application object through the
// framework's window procedure, as every control's window does.
class TApplication : public TComponent, public TFormHost, private TWindowReceiver {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  // Creates the application window, titled after the executable.
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  HWND Handle() const override { return handle_; }
  std::string Title() const;
  void SetTitle(const std::string& title);

  TForm* MainForm() const override { return mainForm_; }
  void ClearMainForm() override { mainForm_ = nullptr; }
  std::vector<TForm*> Forms() const override;
  THintWindow* HintWindow() const { return hintWindow_; }

  // Creates a form owned by the application. The reference is set before the
  // form is built and cleared when building fails; the first form becomes
  // the main form and gets its window, hidden.
  template <class Form>
  void CreateForm(Form*& reference) {
    void* memory = ::operator new(sizeof(Form));
    reference = static_cast<Form*>(memory);
    try {
      new (memory) Form(this);
    } catch (...) {
      ::operator delete(memory);
      reference = nullptr;
      throw;
    }
    FormCreated(reference);
  }

  // Shows the main form and handles messages until the application ends.
  void Run();
  void Terminate() override;
  bool Terminated() const override { return terminated_; }
  // Takes one message from the queue and handles it; idles when there is none.
  void HandleMessage() override;
  // Handles every message waiting, without idling.
  void ProcessMessages();

  // The error being handled now (call inside a catch): shown, unless silent.
  void HandleException(TPersistent* sender) override;
  // The error's message and a period, under the title, with a stop icon.
  void ShowException(const Exception& error);

  void Minimize();
  void Restore();

  // The application's state as its design describes it, though this program
  // changes none of it: whether the loop runs, whether the loop shows the
  // main form when it starts (always), and an error hook that would take the
  // place of the error display (none is assigned).
  bool Running() const { return running_; }
  bool ShowMainForm() const { return showMainForm_; }
  void SetOnException(TExceptionEvent handler) { onException_ = std::move(handler); }

  void SetOnMessage(TMessageEvent handler) { onMessage_ = std::move(handler); }
  void SetOnIdle(TIdleEvent handler) { onIdle_ = std::move(handler); }
  // Help for a topic number: the help hook, when one is set.
  void HelpContext(int context);
  void SetOnHelp(std::function<void(int context)> handler) { onHelp_ = std::move(handler); }

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  // The application window's messages.
  void WndProc(TMessage& message) override;
  TPersistent* ErrorSender() override { return this; }
  void WindowAttached(HWND window) override { handle_ = window; }
  void WindowDetached(HWND) override { handle_ = nullptr; }
  void FormCreated(TForm* form);
  bool ProcessMessage(MSG& message);
  void ShowError(TPersistent* sender, const std::exception& error);
  bool PreProcessKey(MSG& message);
  void Idle();
  void ShowSystemError(const char* className, const std::string& message);

  HWND handle_ = nullptr;  // owned: the application window
  std::string title_;
  TForm* mainForm_ = nullptr;          // not owned: one of the components
  THintWindow* hintWindow_ = nullptr;  // not owned: one of the components
  TControl* mouseControl_ = nullptr;   // not owned: the control under the mouse
  bool terminated_ = false;
  bool running_ = false;
  bool showMainForm_ = true;
  TExceptionEvent onException_;
  TMessageEvent onMessage_;
  TIdleEvent onIdle_;
  std::function<void(int)> onHelp_;
};

// The one application object; created by InitializeApplication().
extern TApplication* Application;

// Creates the application object before the program's entry runs; its exit
// procedure destroys it (and its window) at the end of the process.
void InitializeApplication();
