// The application object, its window, the message loop and error display.
#include "app/Application.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <typeinfo>

#include "app/MessageBox.h"
#include "runtime/MbcsText.h"
#include "runtime/ResourceStrings.h"
#include "runtime/ScopeExit.h"

TApplication* Application = nullptr;

namespace {

constexpr char kApplicationWindowClass[] = "TApplication";

// The executable's name without folder, cut at its first period, from the OEM
// code page, every character but the first in lower case.
std::string TitleFromExecutable() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string name(FileNamePart(path));
  const size_t period = name.find('.');  // a period is never a trail byte in Shift-JIS
  if (period != std::string::npos) name.resize(period);
  std::string converted(name.size() + 1, '\0');
  OemToCharBuffA(name.c_str(), converted.data(), static_cast<DWORD>(name.size()));
  converted.resize(name.size());
  if (!converted.empty()) {
    const size_t first = IsLeadByte(converted[0]) && converted.size() > 1 ? 2 : 1;
    if (converted.size() > first)
      CharLowerBuffA(converted.data() + first, static_cast<DWORD>(converted.size() - first));
  }
  return converted;
}

std::string DemangledName(const std::type_info& type) {
  int status = 0;
  char* readable = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  std::string name = status == 0 && readable ? readable : type.name();
  std::free(readable);
  return name;
}

void ApplicationHelpHandler(int context) {
  if (Application) Application->HelpContext(context);
}

void ApplicationExceptionHandler(TPersistent* sender) {
  if (Application) Application->HandleException(sender);
}

// Run's exit procedure: the forms vanish, then every component the
// application owns is destroyed, the newest first.
void ApplicationExitProcedure() {
  if (!Application) return;
  if (Application->Handle()) ShowOwnedPopups(Application->Handle(), FALSE);
  Application->DestroyComponents();
}

void DestroyApplication() {
  TApplication* application = Application;
  Application = nullptr;
  delete application;
}

const PropertyInfo kApplicationProperties[] = {
    TextProperty<&TApplication::Title, &TApplication::SetTitle>("Title"),
};

}  // namespace

const ClassInfo TApplication::kClassInfo{"TApplication", &TComponent::kClassInfo, nullptr, kApplicationProperties};
const ClassInfo THintWindow::kClassInfo{"THintWindow", &TWinControl::kClassInfo};

void THintWindow::CreateParams(WindowParams& params) {
  TWinControl::CreateParams(params);
  params.style = WS_POPUP | WS_BORDER;
  params.exStyle = WS_EX_TOOLWINDOW;
  params.parent = Application ? Application->Handle() : nullptr;
}

// ---- TApplication ----

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass = {};
  windowClass.hIcon = LoadIconA(instance, "MAINICON");
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.lpszClassName = kApplicationWindowClass;
  RegisterReceiverClass(windowClass);

  title_ = TitleFromExecutable();
  // The window is linked to this object at WM_NCCREATE (WindowAttached sets handle_).
  CreateWindowExA(0, kApplicationWindowClass, title_.c_str(),
                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                  GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr,
                  instance, static_cast<TWindowReceiver*>(this));
  if (handle_) {
    ShowWindow(handle_, SW_SHOWNORMAL);
    HMENU menu = GetSystemMenu(handle_, FALSE);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);
  }
  SetWindowExceptionHandler(ApplicationExceptionHandler);
  SetHelpHandler(ApplicationHelpHandler);
  hintWindow_ = new THintWindow(this);
  SetFormHost(this);
}

TApplication::~TApplication() {
  SetFormHost(nullptr);
  DestroyComponents();
  SetWindowExceptionHandler(nullptr);
  // WindowDetached clears handle_ with the window's last message.
  if (handle_) DestroyWindow(handle_);
}

std::string TApplication::Title() const {
  if (!handle_) return title_;
  char text[256] = "";
  GetWindowTextA(handle_, text, sizeof text);
  return text;
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_) SetWindowTextA(handle_, title.c_str());
}

void TApplication::FormCreated(TForm* form) {
  if (!mainForm_) {
    form->HandleNeeded();
    mainForm_ = form;
  }
}

std::vector<TForm*> TApplication::Forms() const {
  std::vector<TForm*> forms;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* form = dynamic_cast<TForm*>(Component(i))) forms.push_back(form);
  return forms;
}

void TApplication::Run() {
  const ScopedAssign running(running_, true);
  static bool exitProcedureRegistered = false;
  if (!exitProcedureRegistered) {
    exitProcedureRegistered = true;
    std::atexit(ApplicationExitProcedure);
  }
  if (!mainForm_) return;
  if (showMainForm_) mainForm_->Show();
  do {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  } while (!terminated_);
}

void TApplication::Terminate() {
  PostQuitMessage(0);
}

void TApplication::HandleMessage() {
  MSG message;
  if (!ProcessMessage(message)) Idle();
}

void TApplication::ProcessMessages() {
  MSG message;
  while (ProcessMessage(message)) {}
}

bool TApplication::ProcessMessage(MSG& message) {
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
  if (message.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  if (onMessage_) onMessage_(message, handled);
  if (!handled && !PreProcessKey(message)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return true;
}

// A key goes first to the control it is meant for, then to its form.
bool TApplication::PreProcessKey(MSG& message) {
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  TWinControl* target = nullptr;
  for (HWND window = message.hwnd; window && !target; window = GetParent(window))
    target = TWinControl::FromHandle(window);
  if (!target) return false;
  if (target->PreProcessKey(message)) return true;
  if (auto* form = dynamic_cast<TForm*>(target->ParentForm())) return form->DialogKey(message);
  return false;
}

void TApplication::Idle() {
  POINT cursor{};
  GetCursorPos(&cursor);
  TWinControl* under = TWinControl::FromHandle(WindowFromPoint(cursor));
  if (under != mouseControl_) {
    if (mouseControl_) {
      auto* previous = static_cast<TWinControl*>(mouseControl_);
      if (previous->HandleAllocated()) SendMessageA(previous->Handle(), CM_MOUSELEAVE, 0, 0);
      RemoveFreeNotification(previous);
    }
    mouseControl_ = under;
    if (under) {
      FreeNotification(under);
      SendMessageA(under->Handle(), CM_MOUSEENTER, 0, 0);
    }
  }
  bool done = true;
  if (onIdle_) onIdle_(this, done);
  if (done) WaitMessage();
}

void TApplication::HandleException(TPersistent* sender) {
  if (HWND captured = GetCapture()) SendMessageA(captured, WM_CANCELMODE, 0, 0);
  try {
    throw;
  } catch (const std::exception& error) {
    ShowError(sender, error);
  } catch (...) {
    // Thrown as a value of no exception class at all.
    ShowSystemError("(unknown)", "");
  }
}

void TApplication::ShowError(TPersistent* sender, const std::exception& error) {
  if (dynamic_cast<const EAbort*>(&error)) return;  // the silent one
  const auto* exception = dynamic_cast<const Exception*>(&error);
  if (!exception)
    ShowSystemError(DemangledName(typeid(error)).c_str(), error.what());
  else if (!IsExceptionFamily(*exception))
    ShowSystemError(exception->ClassName(), error.what());
  else if (onException_)
    onException_(sender, *exception);
  else
    ShowException(*exception);
}

void TApplication::ShowException(const Exception& error) {
  // The period comes always, also after one that is there already.
  ShowMessageBox(error.Message() + ".", Title(), MB_OK | MB_ICONSTOP);
}

void TApplication::ShowSystemError(const char* className, const std::string& message) {
  char modulePath[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
  const std::string module(FileNamePart(modulePath));
  const char* period = !message.empty() && message.back() != '.' ? "." : "";
  const std::string text =
      FormatResString(strings::kExceptionInModule, className, module.c_str(), nullptr, message.c_str(), period);
  ShowMessageBox(text, LoadResString(strings::kApplicationError), MB_TASKMODAL | MB_ICONSTOP);
}

void TApplication::HelpContext(int context) {
  // The program has no help file: only a help hook shows anything.
  if (onHelp_) onHelp_(context);
}

void TApplication::Minimize() {
  if (!handle_ || IsIconic(handle_)) return;
  SetActiveWindow(handle_);
  // Without the platform's animation, as the forms vanish with the window.
  ANIMATIONINFO animation = {};
  animation.cbSize = sizeof animation;
  SystemParametersInfoA(SPI_GETANIMATION, sizeof animation, &animation, 0);
  const BOOL animated = animation.iMinAnimate;
  if (animated) {
    animation.iMinAnimate = FALSE;
    SystemParametersInfoA(SPI_SETANIMATION, sizeof animation, &animation, 0);
  }
  ShowWindow(handle_, SW_MINIMIZE);
  // The platform hides the windows a minimised window owns; say so, for the
  // systems that leave it to the program.
  ShowOwnedPopups(handle_, FALSE);
  if (animated) {
    animation.iMinAnimate = TRUE;
    SystemParametersInfoA(SPI_SETANIMATION, sizeof animation, &animation, 0);
  }
}

void TApplication::Restore() {
  if (!handle_ || !IsIconic(handle_)) return;
  SetActiveWindow(handle_);
  ShowWindow(handle_, SW_RESTORE);
  ShowOwnedPopups(handle_, TRUE);
  if (mainForm_ && mainForm_->ActiveControl() && mainForm_->ActiveControl()->CanFocus())
    mainForm_->ActiveControl()->SetFocus();
}

void TApplication::WndProc(TMessage& message) {
  switch (message.msg) {
    case WM_CLOSE:
      if (mainForm_) mainForm_->Close();
      return;
    case WM_SYSCOMMAND:
      switch (message.wParam & 0xFFF0) {
        case SC_MINIMIZE:
          Minimize();
          return;
        case SC_RESTORE:
          if (IsIconic(handle_)) {
            Restore();
            return;
          }
          break;
        default:
          break;
      }
      break;
    case WM_QUERYENDSESSION:
      message.result = TRUE;
      return;
    case WM_ENDSESSION:
      // Logging off or shutting down: the program ends now, through its exit
      // procedures, without closing the main form (its close handler does not run).
      if (message.wParam) std::exit(0);
      return;
    default:
      break;
  }
  message.result = DefWindowProcA(handle_, message.msg, message.wParam, message.lParam);
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == mouseControl_) mouseControl_ = nullptr;
  if (component == mainForm_) mainForm_ = nullptr;
  if (component == hintWindow_) hintWindow_ = nullptr;
}

void InitializeApplication() {
  if (Application) return;
  Application = new TApplication(nullptr);
  std::atexit(DestroyApplication);
}
