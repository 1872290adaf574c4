#include "controls/SkinDrawing.h"

#include <QPainter>

namespace skin {

void FillVerticalGradient(QPainter& painter, const QRect& rect, const QColor& top, const QColor& bottom)
{
    const int rows = rect.height();
    for (int row = 0; row < rows; ++row) {
        // Linear between the two colours, the last row exactly `bottom`.
        const double t = rows > 1 ? double(row) / (rows - 1) : 0.0;
        const auto mix = [t](int from, int to) { return int(from + (to - from) * t + 0.5); };
        painter.fillRect(rect.left(), rect.top() + row, rect.width(), 1,
                         QColor(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()),
                                mix(top.blue(), bottom.blue())));
    }
}

void DrawOutline(QPainter& painter, const QRect& rect, const QColor& color, bool roundCorners)
{
    if (rect.width() < 2 || rect.height() < 2) return;
    const int cut = roundCorners ? 1 : 0;
    painter.fillRect(rect.left() + cut, rect.top(), rect.width() - 2 * cut, 1, color);
    painter.fillRect(rect.left() + cut, rect.bottom(), rect.width() - 2 * cut, 1, color);
    painter.fillRect(rect.left(), rect.top() + 1, 1, rect.height() - 2, color);
    painter.fillRect(rect.right(), rect.top() + 1, 1, rect.height() - 2, color);
}

void FillWithoutCorners(QPainter& painter, const QRect& rect, const QColor& color)
{
    if (rect.width() < 2 || rect.height() < 2) return;
    painter.fillRect(rect.adjusted(1, 0, -1, 0), color);
    painter.fillRect(rect.left(), rect.top() + 1, 1, rect.height() - 2, color);
    painter.fillRect(rect.right(), rect.top() + 1, 1, rect.height() - 2, color);
}

}  // namespace skin
