// Forms: top-level windows owned by the application window, with border
// styles, position, client size, show and close handlers, and modal showing.
#pragma once

#include <functional>
#include <string>

#include "framework/ModalResult.h"
#include "framework/WinControl.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = unsigned;  // bit (1 << TBorderIcon)
constexpr TBorderIcons kAllBorderIcons = (1u << biSystemMenu) | (1u << biMinimize) | (1u << biMaximize);
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };

class TForm : public TWinControl {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TForm(TComponent* owner);
  ~TForm() override;

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons icons);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle style) { formStyle_ = style; }

  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetClientWidth(int width);
  void SetClientHeight(int height);

  bool Scaled() const { return scaled_; }
  void SetScaled(bool scaled) { scaled_ = scaled; }
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int value) { pixelsPerInch_ = value; }
  // The font's line height the layout was made with (stored, not published).
  int TextHeight() const { return textHeight_; }
  bool ReadExtraProperty(std::string_view name, LayoutDecoder& decoder) override;

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result) { modalResult_ = result; }
  bool Modal() const { return modal_; }

  // The control that gets the focus when the form is active.
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);

  void SetOnShow(TNotifyEvent handler, std::string name = {}) { onShow_ = {std::move(name), std::move(handler)}; }
  void SetOnClose(TCloseEvent handler, std::string name = {}) { onClose_ = {std::move(name), std::move(handler)}; }
  void SetOnCloseQuery(TCloseQueryEvent handler, std::string name = {}) {
    onCloseQuery_ = {std::move(name), std::move(handler)};
  }
  std::string OnShowName() const { return onShow_.name; }
  std::string OnCloseName() const { return onClose_.name; }
  std::string OnCloseQueryName() const { return onCloseQuery_.name; }

  void SetVisible(bool visible) override;
  // Closes the form as its close box does: the close query, the close handler,
  // then hide (or, for the main form, the end of the application).
  void Close();
  // Shows the form modally and returns its modal result once it is closed.
  TModalResult ShowModal();
  // Destroys the form once the messages queued before are processed.
  void Release();
  bool CloseQuery();

  // Keys the form handles itself (Tab, Shift+Tab); true when consumed.
  virtual bool DialogKey(const MSG& message);
  // Runs the close steps of a modal form whose result was set.
  void CloseModal();
  // After the layout is read: scales a form designed at another resolution.
  void Loaded() override;

protected:
  // Builds the form and its controls from the layout resource named after
  // its class; form classes with a layout call it from their constructor.
  void ReadLayout();
  void CreateParams(WindowParams& params) override;
  void CreateWnd() override;
  void WndProc(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;
  void VisibleChanged() override {}
  void ChildFocused(TWinControl* control) override;
  void ButtonModalResult(int result) override { modalResult_ = result; }
  void CloseWindow() override { Close(); }
  virtual void DoShow();
  virtual void DoClose(TCloseAction& action);

private:
  void ApplyPosition();
  void FocusActiveControl();

  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_ = kAllBorderIcons;
  TPosition position_ = poDesigned;
  TFormStyle formStyle_ = fsNormal;
  int clientWidth_ = 0, clientHeight_ = 0;  // the designed client size, until the window exists
  bool scaled_ = true;
  int pixelsPerInch_ = 96;
  int textHeight_ = 0;
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  bool positioned_ = false;
  TWinControl* activeControl_ = nullptr;  // not owned
  TEvent<TNotifyEvent> onShow_;
  TEvent<TCloseEvent> onClose_;
  TEvent<TCloseQueryEvent> onCloseQuery_;
};
