// What the owner-drawn list and combo boxes share: the drawing of one item.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/Graphics.h"

// Paints one owner-drawn item (WM_DRAWITEM): attaches the canvas to the
// item's DC with the control's font and the item's colours, lets `draw` paint
// the item (the empty space is filled when the box has no item), frames the
// focused item and detaches the canvas again.
void PaintOwnerDrawItem(TCanvas& canvas, const TFont& font, TColor color, const DRAWITEMSTRUCT& item,
                        const std::function<void(int index, const RECT& rect, UINT state)>& draw);

// An item's default face: its text on the item's colours.
void DefaultItemFace(TCanvas& canvas, const RECT& rect, const std::string& text);
