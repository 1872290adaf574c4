#include "document/dialogs/DialogUnits.h"

#include <QFont>
#include <QWidget>

#include <cmath>

namespace {

constexpr double kPixelsAcross = 1.5;
constexpr double kPixelsDown = 1.625;

int Across(const QWidget* widget, int units)
{
    return static_cast<int>(std::lround(units * kPixelsAcross * widget->logicalDpiX() / 96.0));
}

int Down(const QWidget* widget, int units)
{
    return static_cast<int>(std::lround(units * kPixelsDown * widget->logicalDpiY() / 96.0));
}

}  // namespace

QRect DialogUnitRect(const QWidget* widget, int x, int y, int width, int height)
{
    // Both corners are converted, so neighbouring controls meet without gaps from rounding.
    const int left = Across(widget, x), top = Down(widget, y);
    return QRect(left, top, Across(widget, x + width) - left, Down(widget, y + height) - top);
}

QSize DialogUnitSize(const QWidget* widget, int width, int height)
{
    return QSize(Across(widget, width), Down(widget, height));
}

void UseDialogFont(QWidget* widget)
{
    QFont font = widget->font();
    font.setPointSize(8);
    widget->setFont(font);
}

void PlaceInDialogUnits(QWidget* child, int x, int y, int width, int height)
{
    child->setGeometry(DialogUnitRect(child, x, y, width, height));
}
