// The program's entry: the application object, the main window and the about
// box from their layouts, and the message loop.
#include <windows.h>

#include "about/AboutForm.h"
#include "app/Application.h"
#include "main/MainForm.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitializeApplication();
  try {
    Application->SetTitle("Quorvel for Word97");
    {
      // The main window's two drive boxes are filled as its windows are made.
      const SharedDriveReading oneDriveReading;
      Application->CreateForm(Form1);
    }
    Application->CreateForm(Form2);
    Application->Run();
  } catch (const Exception& error) {
    Application->ShowException(error);
  }
  return 0;
}
