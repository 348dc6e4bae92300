// BrushCopySurfaces: the off-screen surfaces of TCanvas::BrushCopy.
#pragma once

#include <windows.h>

#include "runtime/UniqueHandle.h"

// BrushCopy's two off-screen surfaces, kept by a canvas from one call to the
// next: list boxes draw an image per item, and making the memory DCs and the
// screen-compatible bitmap each time costs many times more than the blits.
// The bitmaps grow to the largest image asked for; a call uses their top-left
// width x height only.
class BrushCopySurfaces {
public:
  // Room for an image of width x height at least; EOutOfResources when the
  // DCs or the bitmaps cannot be made.
  void Reserve(int width, int height);
  // A monochrome bitmap selected.
  HDC MaskDC() const { return maskDC_.get(); }
  // A bitmap compatible with the screen selected.
  HDC WorkDC() const { return workDC_.get(); }

private:
  // Declared in this order so that the selections are undone before the DCs
  // go, and the DCs before the bitmaps.
  UniqueBitmap mask_, work_;
  UniqueMemoryDC maskDC_, workDC_;
  ScopedSelectObject maskSelection_, workSelection_;
  int width_ = 0, height_ = 0;
};
