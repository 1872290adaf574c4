#include "ui/ThumbnailStatic.h"

#include "document/VantorelDoc.h"
#include "document/dialogs/PictureImage.h"
#include "ui/ZoomLevels.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>

#include <algorithm>

namespace {

const QColor kFrameRed(255, 0, 0);

// A one-pixel outline along the inside of `rect`, as a GDI frame: right and bottom exclusive.
void DrawOutline(QPainter& painter, const QRect& rect)
{
    if (rect.width() <= 0 || rect.height() <= 0) return;
    painter.fillRect(rect.left(), rect.top(), rect.width(), 1, kFrameRed);
    painter.fillRect(rect.left(), rect.bottom(), rect.width(), 1, kFrameRed);
    painter.fillRect(rect.left(), rect.top(), 1, rect.height(), kFrameRed);
    painter.fillRect(rect.right(), rect.top(), 1, rect.height(), kFrameRed);
}

QAccessibleInterface* ThumbnailAccessible(const QString& className, QObject* object)
{
    if (className != QLatin1String("CThumbnailStatic") || !object->isWidgetType()) return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
}

}  // namespace

CThumbnailStatic::CThumbnailStatic(QWidget* parent) : QWidget(parent)
{
    static const bool accessibleRegistered = (QAccessible::installFactory(ThumbnailAccessible), true);
    (void)accessibleRegistered;
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PixelSize CThumbnailStatic::FitSize(std::uint32_t imageWidth, std::uint32_t imageHeight, int clientWidth,
                                   int clientHeight)
{
    if (imageWidth == 0 || imageHeight == 0) return {};
    const double ratio = static_cast<double>(imageHeight) / static_cast<double>(imageWidth);
    int width = clientWidth;
    int height = static_cast<int>(ratio * width);
    if (height > clientHeight) {
        height = clientHeight;
        width = static_cast<int>(height / ratio);
    }
    // A very wide or very tall picture still shows as a line rather than as nothing.
    return {std::max(width, 1), std::max(height, 1)};
}

void CThumbnailStatic::ShowPicture(const CRasterImage& image)
{
    if (!image.HasPixels()) return;
    const PixelSize size = FitSize(image.width, image.height, width(), height());
    const auto fittedWidth = static_cast<std::uint32_t>(size.width);
    const auto fittedHeight = static_cast<std::uint32_t>(size.height);
    if (fittedWidth > image.width || fittedHeight > image.height) {
        thumbnail_.Resample(image, fittedWidth, fittedHeight, kResampleAverage);
    } else {
        // A large picture is first halved by 2 x 2 averages down to the level just above the thumbnail's
        // size, then area-averaged to it: as smooth as averaging the whole picture by area in one step,
        // in a fraction of the time for a 6000 x 4000 source.
        CZoomLevels levels;
        const CRasterImage* fitted = levels.AtSize(image, fittedWidth, fittedHeight);
        if (fitted == nullptr || thumbnail_.CopyFrom(*fitted) != kImageOk) thumbnail_.FreePixels();
    }
    shown_ = PictureToQImage(thumbnail_);
    update();
}

void CThumbnailStatic::RedrawNow()
{
    repaint();
    if (dispatching_) return;
    const QScopedValueRollback<bool> dispatching(dispatching_, true);
    QCoreApplication::processEvents();
}

void CThumbnailStatic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (shown_.isNull()) return;
    const QPoint origin((width() - shown_.width()) / 2, (height() - shown_.height()) / 2);
    painter.drawImage(origin, shown_);
    const QRect frame = QRect(region_.left, region_.top, region_.Width(), region_.Height()).translated(origin);
    DrawOutline(painter, frame);
    DrawOutline(painter, frame.adjusted(1, 1, -1, -1));
}

// The mouse events a drag uses are accepted here; the others go on to the panel as usual.
void CThumbnailStatic::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !draggable_ || document_ == nullptr) {
        return QWidget::mousePressEvent(event);
    }
    dragging_ = true;
    lastPoint_ = event->position().toPoint();
    event->accept();
}

void CThumbnailStatic::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_ || document_ == nullptr || !draggable_) return QWidget::mouseMoveEvent(event);
    const QPoint point = event->position().toPoint();
    const int dx = point.x() - lastPoint_.x();
    const int dy = point.y() - lastPoint_.y();
    // Remembered before panning: the pan's redraw dispatches queued moves, which measure from here.
    lastPoint_ = point;
    document_->PanCrop(2.0 * dx / width(), 2.0 * dy / height());
    update();
    event->accept();
}

void CThumbnailStatic::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !draggable_ || !dragging_) return QWidget::mouseReleaseEvent(event);
    dragging_ = false;
    if (document_ != nullptr) document_->UpdateConversion(false);
    event->accept();
}
