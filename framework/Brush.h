// TBrush: a brush description and the HBRUSH made from it.
#pragma once

#include <windows.h>

#include "framework/Color.h"
#include "runtime/UniqueHandle.h"

enum TBrushStyle { bsSolid, bsClear };

// A brush description; its HBRUSH (CreateSolidBrush, or a hollow brush) made on demand.
class TBrush {
public:
  TBrush() = default;
  TBrush(const TBrush&) = delete;
  TBrush& operator=(const TBrush&) = delete;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);

  HBRUSH Handle();
  bool HandleAllocated() const { return handle_ && !handleStale_; }

private:
  // A change leaves the handle stale; the next Handle() makes a new one.
  void Changed();

  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  UniqueBrush handle_;  // kept while stale, as for TFont
  bool handleStale_ = false;
};
