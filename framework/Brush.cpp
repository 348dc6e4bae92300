// TBrush: a brush description and the HBRUSH made from it.
#include "framework/Brush.h"

#include "framework/OutOfResources.h"

void TBrush::Changed() {
  if (handle_) handleStale_ = true;
}

void TBrush::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (!HandleAllocated()) {
    handle_.reset();
    // A hollow brush is the stock NULL_BRUSH; deleting a stock object does nothing, so owning it is harmless.
    LOGBRUSH brush{style_ == bsClear ? static_cast<UINT>(BS_HOLLOW) : static_cast<UINT>(BS_SOLID), ColorToRGB(color_),
                   0};
    handle_.reset(CreateBrushIndirect(&brush));
    handleStale_ = false;
    if (!handle_) ThrowNotEnoughMemory();
  }
  return handle_.get();
}
