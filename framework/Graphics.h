// Colours, fonts, brushes, pens, the drawing canvas and bitmaps, over GDI:
// one header for the lot.
#pragma once

#include "framework/Bitmap.h"
#include "framework/Brush.h"
#include "framework/Canvas.h"
#include "framework/Color.h"
#include "framework/Font.h"
#include "framework/Pen.h"
