// Controls: visual components with a parent, bounds, visibility, enabled
// state and a font that follows the parent's; windowed controls over real
// Windows windows, created when first needed, whose messages reach C++.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Graphics.h"
#include "framework/Messages.h"

class TWinControl;

class TControl : public TComponent {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
  void SetTop(int value) { SetBounds(left_, value, width_, height_); }
  void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
  void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  virtual int ClientWidth() const { return width_; }
  virtual int ClientHeight() const { return height_; }

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  const std::string& Caption() const { return text_; }
  void SetCaption(const std::string& text) { SetText(text); }
  virtual std::string Text() const { return text_; }
  virtual void SetText(const std::string& text);

  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  TColor Color() const { return color_; }
  virtual void SetColor(TColor color);

  const TEvent<TNotifyEvent>& OnClick() const { return onClick_; }
  void SetOnClick(TNotifyEvent handler, std::string name = {}) { onClick_ = {std::move(name), std::move(handler)}; }
  std::string OnClickName() const { return onClick_.name; }

  // The help topic of the control; 0 for none.
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }

  // Runs the click handler, if any.
  virtual void Click();
  // Repaints the control.
  virtual void Invalidate() {}

  // The form this control is placed on (following parents), or nullptr.
  TWinControl* ParentForm() const;

protected:
  // The parent's font changed; controls with ParentFont take it.
  virtual void ParentFontChanged();
  virtual void FontChanged() {}
  virtual void TextChanged() {}
  virtual void EnabledChanged() {}
  virtual void VisibleChanged() {}
  virtual void BoundsChanged() {}

  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  std::string text_;
  TColor color_ = clBtnFace;
  int helpContext_ = 0;

private:
  friend class TWinControl;
  void OnFontChange();

  TWinControl* parent_ = nullptr;  // not owned
  TFont font_;
  bool parentFont_ = true;
  bool changingFontFromParent_ = false;
  TEvent<TNotifyEvent> onClick_;
};

// What CreateWindowExA is called with.
struct WindowParams {
  std::string windowClass;  // a system class (LISTBOX, BUTTON, ...) or ours
  bool systemClass = false; // subclassed after creation instead of registered by us
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;
  std::string caption;
  UINT classStyle = CS_DBLCLKS;
  HBRUSH background = nullptr;
  HICON icon = nullptr;
};

class TWinControl : public TControl {
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
  virtual void WndProc(TMessage& message);
  // What the platform does with a message: the window's own procedure.
  void DefaultHandler(TMessage& message);

  void FontChanged() override;
  void TextChanged() override;
  void EnabledChanged() override;
  void VisibleChanged() override;
  void SetColor(TColor color) override;
  // The brush for WM_CTLCOLOR*: the control's colour.
  HBRUSH ColorBrush();

  friend class TControl;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);

private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  // The procedure of system controls (LISTBOX, BUTTON ...), in front of their own.
  static LRESULT CALLBACK SubclassProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT Dispatch(TWinControl* control, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  bool ReflectToChild(TMessage& message);
  void RegisterWindowClass(const WindowParams& params);

  HWND handle_ = nullptr;            // owned: destroyed with the control
  WNDPROC systemProcedure_ = nullptr;  // a system control's own procedure, called by DefaultHandler
  bool recreating_ = false;
  std::vector<TControl*> controls_;  // not owned: children, in order of joining
  std::vector<TWinControl*> tabList_;  // not owned: windowed children in tab order
  bool tabStop_ = false;
  std::unique_ptr<TBrush> brush_;
};

// Shows help for a topic number; the application object installs it.
using HelpHandler = void (*)(int context);
void SetHelpHandler(HelpHandler handler);
void ShowHelpTopic(int context);

// Called with every error that escapes a window message; the application
// object installs its handler.
using ExceptionHandler = void (*)(TPersistent* sender);
void SetWindowExceptionHandler(ExceptionHandler handler);
// Runs the installed handler for the error being handled now (inside a catch).
void HandleWindowException(TPersistent* sender);
