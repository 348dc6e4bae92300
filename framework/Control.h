// TControl: a visual component with a parent, bounds, visibility, enabled
// state and a font that follows the parent's.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Graphics.h"

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
  void SetColor(TColor color);

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

// Shows help for a topic number; the application object installs it.
using HelpHandler = void (*)(int context);
void SetHelpHandler(HelpHandler handler);
void ShowHelpTopic(int context);
