// TControl: bounds, visibility, text, colour and the font that follows the
// parent's; and the help hook that controls call.
#include "framework/Control.h"

#include "framework/WinControl.h"
#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"

namespace {

HelpHandler gHelpHandler = nullptr;

const PropertyInfo kControlProperties[] = {
    IntegerProperty<&TControl::Left, &TControl::SetLeft>("Left"),
    IntegerProperty<&TControl::Top, &TControl::SetTop>("Top"),
    IntegerProperty<&TControl::Width, &TControl::SetWidth>("Width"),
    IntegerProperty<&TControl::Height, &TControl::SetHeight>("Height"),
    BooleanProperty<&TControl::Visible, &TControl::SetVisible>("Visible", true),
    BooleanProperty<&TControl::Enabled, &TControl::SetEnabled>("Enabled", true),
    TextProperty<&TControl::Caption, &TControl::SetCaption>("Caption"),
    ObjectProperty<static_cast<TFont& (TControl::*)()>(&TControl::Font)>("Font", TFont::kClassInfo),
    BooleanProperty<&TControl::ParentFont, &TControl::SetParentFont>("ParentFont", true),
    ColorProperty<&TControl::Color, &TControl::SetColor>("Color", clBtnFace),
    EventProperty<&TControl::OnClickName, &TControl::SetOnClick>("OnClick"),
    IntegerProperty<&TControl::HelpContext, &TControl::SetHelpContext>("HelpContext", 0),
};

}  // namespace

const ClassInfo TControl::kClassInfo{"TControl", &TComponent::kClassInfo, nullptr, kControlProperties};

void SetHelpHandler(HelpHandler handler) {
  gHelpHandler = handler;
}

void ShowHelpTopic(int context) {
  if (gHelpHandler) gHelpHandler(context);
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_.OnChange = [this](TFont&) { OnFontChange(); };
}

TControl::~TControl() {
  font_.OnChange = nullptr;
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation(FormatResString(strings::kParentRequired, Name().c_str()));
  if (parent_) parent_->RemoveControl(this);
  if (parent) {
    parent->InsertControl(this);
    if (parentFont_) ParentFontChanged();
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  VisibleChanged();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  EnabledChanged();
}

void TControl::SetText(const std::string& text) {
  if (text == Text()) return;
  text_ = text;
  TextChanged();
}

void TControl::SetColor(TColor color) {
  color_ = color;
  Invalidate();
}

void TControl::SetParentFont(bool value) {
  parentFont_ = value;
  if (value && parent_) ParentFontChanged();
}

void TControl::Click() {
  if (onClick_.handler) onClick_.handler(this);
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  changingFontFromParent_ = true;
  font_.Assign(parent_->Font());
  changingFontFromParent_ = false;
}

void TControl::OnFontChange() {
  // A font set on the control itself no longer follows the parent's.
  if (!changingFontFromParent_ && !Loading()) parentFont_ = false;
  FontChanged();
  if (auto* container = dynamic_cast<TWinControl*>(this))
    for (TControl* child : container->controls_) child->ParentFontChanged();
}

TWinControl* TControl::ParentForm() const {
  const TControl* control = this;
  while (control->parent_) control = control->parent_;
  return const_cast<TWinControl*>(dynamic_cast<const TWinControl*>(control));
}
