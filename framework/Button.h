// TButton: a push button over the system's BUTTON class; the base of the
// bitmap button.
#pragma once

#include "framework/ModalResult.h"
#include "framework/WinControl.h"

class TButton : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TButton(TComponent* owner);

  // Enter presses the default button of a window, unless another button has the focus.
  bool Default() const { return default_; }
  void SetDefault(bool value);
  // Esc presses a cancel button.
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  // Given to the button's form when the button is clicked.
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  bool RespondsToEnter() const { return respondsToEnter_; }

  // Sets the form's modal result, then fires OnClick.
  void Click() override;
  // The window's focused control changed to `focused`.
  void FocusedControlChanged(TWinControl* focused);
  // Shows the button as the one Enter presses.
  virtual void ShowAsActive(bool active);
  // The character after the first "&" of the caption, or 0.
  char Mnemonic() const;

protected:
  void CreateParams(WindowParams& params) override;
  void CreateWnd() override;
  void WndProc(TMessage& message) override;

  bool respondsToEnter_ = false;

private:
  bool default_ = false;
  bool cancel_ = false;
  TModalResult modalResult_ = mrNone;
};
