#include "ui/PanelPictures.h"

#include "conversion/ConversionSettings.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace panel_pictures {
namespace {
const QColor kFrame(30, 31, 32);
const QColor kPlain(203, 207, 218);      // a part that keeps its proportions
const QColor kStretched(120, 170, 235);  // a widened part
const QColor kLines(60, 66, 80);
const QColor kSubject(230, 120, 60);

// How much a mode widens the picture at x (0..1 across the output): 1 keeps the proportions.
double ModeWidening(int mode, double x)
{
    const double fromCentre = std::abs(x - 0.5) * 2;   // 0 in the middle, 1 at the edges
    const auto outside = [fromCentre](double band) {   // 0 inside the undistorted band, rising to 1
        return fromCentre <= band ? 0.0 : (fromCentre - band) / (1 - band);
    };
    switch (StretchMode(mode)) {
    case StretchMode::Uniform: return 1.33;
    case StretchMode::RightSide: return x < 0.5 ? 1.0 : 1.0 + 2 * (x - 0.5) * 1.3;
    case StretchMode::LeftSide: return x > 0.5 ? 1.0 : 1.0 + 2 * (0.5 - x) * 1.3;
    case StretchMode::BothSides: return 1.0 + outside(0.1) * 1.6;
    case StretchMode::Edges: return 1.0 + outside(0.5) * 2.2;
    case StretchMode::ExtremeEdges: return 1.0 + outside(0.85) * 4.0;
    }
    return 1.0;
}

// Vertical grid lines whose spacing follows the widening; widened strips are tinted.
QPixmap DrawMode(int mode, const QSize& size)
{
    QPixmap picture(size);
    picture.fill(kPlain);
    QPainter painter(&picture);
    const int width = size.width(), height = size.height();
    for (int x = 1; x < width - 1; ++x)
        if (ModeWidening(mode, (x + 0.5) / width) > 1.05) painter.fillRect(x, 1, 1, height - 2, kStretched);
    const double baseSpacing = std::max(2.0, width / 12.0);
    for (double x = baseSpacing / 2; x < width - 1; x += baseSpacing * ModeWidening(mode, x / width))
        painter.fillRect(int(x), 1, 1, height - 2, kLines);
    painter.fillRect(1, height / 2, width - 2, 1, kLines);
    painter.setPen(kFrame);
    painter.drawRect(0, 0, width - 1, height - 1);
    return picture;
}

// A frame with a round subject: stretched, the subject turns into a wide ellipse filling the frame;
// cropped, it stays round and the frame cuts the top and bottom of the picture.
QPixmap DrawEnd(bool cropped, const QSize& size)
{
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    painter.fillRect(frame, kPlain);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSubject);
    const double diameter = cropped ? frame.height() * 1.2 : frame.height() * 0.8;
    const double across = cropped ? diameter : frame.width() * 0.8;
    painter.setClipRect(frame);
    painter.drawEllipse(frame.center(), across / 2, diameter / 2);
    painter.setClipping(false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kFrame, 1));
    painter.drawRect(frame);
    return picture;
}
}  // namespace

QPixmap Draw(int pictureId, const QSize& size)
{
    if (size.isEmpty()) return {};
    if (pictureId == kStretchPicture) return DrawEnd(false, size);
    if (pictureId == kCropPicture) return DrawEnd(true, size);
    const int mode = pictureId - kFirstModePicture;
    if (mode >= 0 && mode < kStretchModeCount) return DrawMode(mode, size);
    return {};
}

}  // namespace panel_pictures
