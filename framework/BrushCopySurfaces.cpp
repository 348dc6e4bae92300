// BrushCopySurfaces: the off-screen surfaces of TCanvas::BrushCopy.
#include "framework/BrushCopySurfaces.h"

#include <algorithm>

#include "framework/OutOfResources.h"

void BrushCopySurfaces::Reserve(int width, int height) {
  if (width <= width_ && height <= height_) return;
  width = std::max(width, width_);
  height = std::max(height, height_);
  if (!maskDC_) maskDC_.reset(CreateCompatibleDC(nullptr));
  if (!workDC_) workDC_.reset(CreateCompatibleDC(nullptr));
  UniqueBitmap mask(CreateBitmap(width, height, 1, 1, nullptr));
  UniqueBitmap work;
  {
    WindowDC screen = AcquireDC(nullptr);
    work.reset(CreateCompatibleBitmap(screen.get(), width, height));
  }
  if (!maskDC_ || !workDC_ || !mask || !work) ThrowNotEnoughMemory();
  // The smaller bitmaps leave their DCs before they are deleted.
  maskSelection_.reset();
  workSelection_.reset();
  mask_ = std::move(mask);
  work_ = std::move(work);
  maskSelection_ = SelectInto(maskDC_.get(), mask_.get());
  workSelection_ = SelectInto(workDC_.get(), work_.get());
  width_ = width;
  height_ = height;
}
