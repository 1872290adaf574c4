#pragma once
// Dialog layouts are laid out in dialog units of the 8-point dialog font: one unit is 1.5 pixels across
// and 1.625 pixels down at 96 dots per inch, scaled with the screen's resolution.

#include <QRect>
#include <QSize>

class QWidget;

// The pixel rectangle of (x, y, width, height) dialog units on the screen of `widget`.
QRect DialogUnitRect(const QWidget* widget, int x, int y, int width, int height);
QSize DialogUnitSize(const QWidget* widget, int width, int height);
// Gives `widget` and its children the 8-point dialog font the units are measured in.
void UseDialogFont(QWidget* widget);
// Places `child` at (x, y, width, height) dialog units inside its parent.
void PlaceInDialogUnits(QWidget* child, int x, int y, int width, int height);
