// TPen: a pen description and the HPEN made from it.
#include "framework/Pen.h"

#include "framework/OutOfResources.h"

void TPen::Changed() {
  if (handle_) handleStale_ = true;
}

void TPen::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TPen::SetWidth(int width) {
  if (width == width_) return;
  width_ = width;
  Changed();
}

HPEN TPen::Handle() {
  if (!HandleAllocated()) {
    handle_.reset();
    handle_.reset(CreatePen(PS_SOLID, width_, ColorToRGB(color_)));
    handleStale_ = false;
    if (!handle_) ThrowNotEnoughMemory();
  }
  return handle_.get();
}
