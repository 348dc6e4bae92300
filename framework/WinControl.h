// TWinControl: a control over a real Windows window, created when first
// needed, whose messages reach C++ through the framework's window procedure;
// it holds child controls, reflects their notifications to them, and keeps
// the tab order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/Control.h"
#include "framework/Messages.h"
#include "framework/WindowProcedure.h"

// What CreateWindowExA is called with.
struct WindowParams {
  std::string windowClass;   // a system class (LISTBOX, BUTTON, ...) or ours
  bool systemClass = false;  // subclassed after creation instead of registered by us
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;
  std::string caption;
  UINT classStyle = CS_DBLCLKS;
  HBRUSH background = nullptr;
  HICON icon = nullptr;
};

class TWinControl : public TControl, public TWindowReceiver {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // The window, created (with the parent's) when first asked for.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  // Destroys and creates the window again, keeping the control's state.
  void RecreateWnd();
  void DestroyHandle();

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  // Moves a child to another place among the children (and in the windows' z-order).
  void MoveChild(TControl* control, int position);
  TControl* Control(int index) const { return controls_[static_cast<size_t>(index)]; }

  int TabOrder() const;
  void SetTabOrder(int order);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  // Child windowed controls in tab order.
  std::vector<TWinControl*> TabList() const;

  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();
  // The next control after `current` in tab order that can take the focus,
  // searching nested containers; nullptr when none.
  TWinControl* FindNextControl(TWinControl* current, bool forward, bool checkTabStop) const;
  void SelectNext(TWinControl* current, bool forward, bool checkTabStop);

  void Invalidate() override;
  void Update();
  void SetBounds(int left, int top, int width, int height) override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetClientSize(int width, int height);

  // The control whose window this is, or nullptr.
  static TWinControl* FromHandle(HWND window);
  // The window's text while it exists.
  std::string Text() const override;

  // Offers a key to this control before it is translated; true when consumed.
  virtual bool PreProcessKey(const MSG& message);
  // A control inside this top-level window took the focus.
  virtual void ChildFocused(TWinControl*) {}
  // A button on this top-level window was clicked with a modal result.
  virtual void ButtonModalResult(int) {}
  // Closes this top-level window (a form) as its close box does.
  virtual void CloseWindow() {}

protected:
  virtual void CreateParams(WindowParams& params);
  virtual void CreateWnd();
  // After the window exists: fonts, texts and child windows.
  virtual void CreateChildren();
  virtual void DestroyWnd();
  // Every message of the window comes here, inside the error guard.
  void WndProc(TMessage& message) override;
  // What the platform does with a message: the window's own procedure.
  void DefaultHandler(TMessage& message);

  void FontChanged() override;
  void TextChanged() override;
  void EnabledChanged() override;
  void VisibleChanged() override;
  // The brush for WM_CTLCOLOR*: the control's colour.
  HBRUSH ColorBrush();

  friend class TControl;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);

  TPersistent* ErrorSender() override { return this; }
  void WindowAttached(HWND window) override;
  void WindowDetached(HWND window) override;
  // A form asked to be destroyed (CM_RELEASE).
  void ReleaseRequested() override { delete this; }

private:
  bool ReflectToChild(TMessage& message);

  HWND handle_ = nullptr;              // owned: destroyed with the control
  WNDPROC systemProcedure_ = nullptr;  // a system control's own procedure, called by DefaultHandler
  std::vector<TControl*> controls_;    // not owned: children, in order of joining
  std::vector<TWinControl*> tabList_;  // not owned: windowed children in tab order
  bool tabStop_ = false;
  std::unique_ptr<TBrush> brush_;
};
