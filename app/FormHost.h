// What forms need of the program that runs them: the window that owns theirs,
// the main form, the message loop and the display of errors. The application
// object provides it; forms reach it only through this, so that the
// dependency runs one way, from the application to the forms.
#pragma once

#include <windows.h>

#include <vector>

class TForm;
class TPersistent;

class TFormHost {
public:
  // The window that owns every form's window (forms are never child windows).
  virtual HWND Handle() const = 0;
  virtual TForm* MainForm() const = 0;
  // The main form is being destroyed.
  virtual void ClearMainForm() = 0;
  // The forms the host owns, oldest first.
  virtual std::vector<TForm*> Forms() const = 0;
  // Ends the message loop once the messages before are handled.
  virtual void Terminate() = 0;
  virtual bool Terminated() const = 0;
  // Takes one message from the queue and handles it; idles when there is none.
  virtual void HandleMessage() = 0;
  // The error being handled now (call inside a catch): shown, unless silent.
  virtual void HandleException(TPersistent* sender) = 0;

protected:
  TFormHost() = default;
  ~TFormHost() = default;
};

// The host of the forms: the application object while it exists, else nullptr.
TFormHost* FormHost();
void SetFormHost(TFormHost* host);
