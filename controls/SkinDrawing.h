#pragma once
// Drawing shared by the panels' self-painted controls: the flat panel colour, per-row gradients and the
// boxes with their corner pixels left out that the buttons and the slider's thumb are made of.

#include <QColor>
#include <QRect>

class QPainter;

namespace skin {
inline const QColor kPanelColor(132, 137, 150);     // the panels' flat background
inline const QColor kBoxColor(203, 207, 218);       // edits and list boxes
inline const QColor kHeaderColor(86, 152, 233);     // section headers
inline const QColor kDisabledText(156, 160, 170);   // text of a disabled button

// Fills `rect` row by row, from `top` in its first row to `bottom` in its last.
void FillVerticalGradient(QPainter& painter, const QRect& rect, const QColor& top, const QColor& bottom);
// A one-pixel outline along the inside of `rect`; with `roundCorners` its four corner pixels are left out.
void DrawOutline(QPainter& painter, const QRect& rect, const QColor& color, bool roundCorners);
// Fills `rect` without its four corner pixels.
void FillWithoutCorners(QPainter& painter, const QRect& rect, const QColor& color);
}  // namespace skin
