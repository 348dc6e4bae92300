// TPen: a pen description and the HPEN made from it.
#pragma once

#include <windows.h>

#include "framework/Color.h"
#include "runtime/UniqueHandle.h"

// A solid pen description; its HPEN (CreatePen) made on demand.
class TPen {
public:
  TPen() = default;
  TPen(const TPen&) = delete;
  TPen& operator=(const TPen&) = delete;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Width() const { return width_; }
  void SetWidth(int width);

  HPEN Handle();
  bool HandleAllocated() const { return handle_ && !handleStale_; }

private:
  // A change leaves the handle stale; the next Handle() makes a new one.
  void Changed();

  TColor color_ = clBlack;
  int width_ = 1;
  UniquePen handle_;  // kept while stale, as for TFont
  bool handleStale_ = false;
};
