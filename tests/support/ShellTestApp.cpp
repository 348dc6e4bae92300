// A program built like the real one (application object, two forms, the
// message loop) that logs how it ends, for the application tests:
//   shell-test-app LOGFILE
// Logs "FormClose" when the main form's close handler runs, and the name of
// each of Form2, Form1 and the hint window as it is destroyed.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/Application.h"
#include "framework/StdCtrls.h"

namespace {

std::string gLogPath;

void Log(const std::string& line) {
  HANDLE file = CreateFileA(gLogPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// Not owned by the application, so that it outlives everything it watches.
class DestructionLog : public TComponent {
public:
  DestructionLog() : TComponent(nullptr) {}
  void Watch(TComponent* component) {
    // Named now: by the time the notice comes, only the base part is left.
    labels_.emplace_back(component, component->Name().empty() ? component->ClassName() : component->Name());
    FreeNotification(component);
  }

protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (operation != opRemove) return;
    for (const auto& [watched, label] : labels_)
      if (watched == component) Log(label);
  }

private:
  std::vector<std::pair<TComponent*, std::string>> labels_;
};

class TForm1 : public TForm {
public:
  static inline const ClassInfo kClassInfo{"TForm1", &TForm::kClassInfo};
  const ClassInfo& classInfo() const override { return kClassInfo; }
  explicit TForm1(TComponent* owner) : TForm(owner) {
    SetName("Form1");
    SetCaption("Quorvel for Word97 -> HelpWorkshop v4.01");
    SetBorderStyle(bsDialog);
    SetPosition(poDefault);
    SetClientWidth(300);
    SetClientHeight(120);
    auto* exitButton = new TButton(this);
    exitButton->SetName("ExitButton");
    exitButton->SetParent(this);
    exitButton->SetBounds(200, 80, 80, 30);
    exitButton->SetCaption("Exit");
    exitButton->SetOnClick([this](TPersistent*) { Close(); });
    SetOnClose([](TPersistent*, TCloseAction&) { Log("FormClose"); });
  }
};

class TForm2 : public TForm {
public:
  static inline const ClassInfo kClassInfo{"TForm2", &TForm::kClassInfo};
  const ClassInfo& classInfo() const override { return kClassInfo; }
  explicit TForm2(TComponent* owner) : TForm(owner) {
    SetName("Form2");
    SetCaption("バージョン情報");
    SetBorderStyle(bsDialog);
    SetClientWidth(200);
    SetClientHeight(80);
  }
};

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitializeApplication();
  gLogPath = __argc > 1 ? __argv[1] : "shell-test-app.log";
  try {
    Application->SetTitle("Quorvel for Word97");
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    auto* log = new DestructionLog;  // lives to the end of the process
    log->Watch(Form2);
    log->Watch(Form1);
    log->Watch(Application->HintWindow());
    Application->Run();
  } catch (const Exception& error) {
    Application->ShowException(error);
  }
  return 0;
}
