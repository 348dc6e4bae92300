// The program's entry: the application object, the main window and the about
// box from their layouts, and the message loop.
#include <windows.h>

#include <optional>

#include "about/AboutForm.h"
#include "app/Application.h"
#include "main/MainForm.h"
#include "main/ProgramTitle.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The main window's two drive boxes fill from one reading of the drives.
  std::optional<SharedDriveReading> oneDriveReading(std::in_place);
  InitializeApplication();
  try {
    Application->SetTitle(kProgramTitle);
    Application->CreateForm(Form1);
    oneDriveReading.reset();
    Application->CreateForm(Form2);
    Application->Run();
  } catch (const Exception& error) {
    Application->ShowException(error);
  }
  return 0;
}
