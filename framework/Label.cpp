// TLabel: a caption, and a canvas for measuring its text.
#include "framework/Label.h"

namespace {

const PropertyInfo kLabelProperties[] = {
    BooleanProperty<&TLabel::AutoSize, &TLabel::SetAutoSize>("AutoSize", true),
};

}  // namespace

const ClassInfo TLabel::kClassInfo{"TLabel", &TWinControl::kClassInfo, CreateComponent<TLabel>, kLabelProperties};

TLabel::TLabel(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 65, 17);
}

TLabel::~TLabel() {
  canvas_.reset();
}

void TLabel::CreateParams(WindowParams& params) {
  TWinControl::CreateParams(params);
  params.windowClass = "STATIC";
  params.systemClass = true;
  params.style |= SS_LEFT | SS_NOPREFIX;
}

TCanvas& TLabel::Canvas() {
  if (!canvas_) {
    measureDC_.reset(CreateCompatibleDC(nullptr));
    canvas_ = std::make_unique<TCanvas>();
    canvas_->SetHandle(measureDC_.get());
  }
  canvas_->Font().Assign(Font());
  return *canvas_;
}
