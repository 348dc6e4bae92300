// TBitmapCanvas: the canvas of a TBitmap, over a memory DC of its own.
#pragma once

#include <windows.h>

#include <utility>

#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "framework/OutOfResources.h"
#include "runtime/UniqueHandle.h"

// The canvas of a bitmap: its own memory DC, made when first drawn on and
// given up whenever the bitmap must be selected nowhere.
class TBitmapCanvas final : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap& owner) : owner_(owner) {}
  ~TBitmapCanvas() override { FreeContext(); }

  // Puts the DC's own objects back, then deletes the DC.
  void FreeContext() {
    SetHandle(nullptr);
    bitmapSelection_.reset();
    memoryDC_.reset();
  }

protected:
  void CreateHandle() override {
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc) ThrowNotEnoughMemory();
    if (owner_.bitmap_) bitmapSelection_ = SelectInto(dc.get(), owner_.bitmap_.get());
    memoryDC_ = std::move(dc);
    SetHandle(memoryDC_.get());
  }

private:
  TBitmap& owner_;  // not owned: the bitmap owns this canvas
  UniqueMemoryDC memoryDC_;
  ScopedSelectObject bitmapSelection_;
};
