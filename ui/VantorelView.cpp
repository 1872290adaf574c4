#include "ui/VantorelView.h"

#include "conversion/ConversionObserver.h"
#include "document/VantorelDoc.h"
#include "image/RasterImage.h"
#include "platform/PainterDeviceContext.h"

#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

const QColor kEmptyColor(102, 107, 121);
const QColor kEmptyFrameColor(21, 22, 26);
const QColor kGridColor(224, 224, 224);
constexpr int kLineStep = 5;
constexpr int kPageStep = 20;
// The zoom steps, in halvings and doublings of 1:1.
constexpr double kMinZoom = 1.0 / 16;
constexpr double kMaxZoom = 16;
// Zooms that differ by less than this are the same step (Fit in Window lands anywhere between steps).
constexpr double kZoomTolerance = 1e-9;

// Escape and Enter would otherwise reach the main window (and close or confirm whatever listens there).
bool IsSwallowedKey(const QKeyEvent& event)
{
    const int key = event.key();
    return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Thirds lines and the TV picture's safe frames: action-safe at 90 % of each side, title-safe at 80 %,
// one pixel wide, over the picture.
void PaintGrid(QPainter& painter, const QRect& picture)
{
    painter.setPen(QPen(kGridColor, 0));
    painter.setBrush(Qt::NoBrush);
    const int w = picture.width(), h = picture.height();
    for (int third = 1; third <= 2; ++third) {
        const int x = picture.left() + w * third / 3;
        const int y = picture.top() + h * third / 3;
        painter.drawLine(x, picture.top(), x, picture.bottom());
        painter.drawLine(picture.left(), y, picture.right(), y);
    }
    for (const int insetPercent : {5, 10}) {
        const int dx = w * insetPercent / 100, dy = h * insetPercent / 100;
        // A stroked rectangle covers one pixel more than its size across and down.
        painter.drawRect(picture.adjusted(dx, dy, -dx - 1, -dy - 1));
    }
}

// Scroll range of one axis for a picture `excess` pixels larger than the window: centred at 0, from the
// picture's left (top) edge at the window's edge to its right (bottom) edge at the other. An odd excess
// puts its extra pixel on the far side, so the last column and row can still be scrolled into view.
void SetAxisRange(QScrollBar& bar, int excess, int value = 0)
{
    excess = std::max(0, excess);
    bar.setRange(-(excess / 2), excess - excess / 2);
    bar.setValue(value);
}

// The zoom step after `zoom` upwards or downwards: powers of two from 1/16 to 16.
double NextZoomStep(double zoom, bool larger)
{
    double step = larger ? kMinZoom : kMaxZoom;
    if (larger)
        while (step <= zoom * (1 + kZoomTolerance) && step < kMaxZoom) step *= 2;
    else
        while (step >= zoom * (1 - kZoomTolerance) && step > kMinZoom) step /= 2;
    return step;
}

}  // namespace

CVantorelView::CVantorelView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    // Every paint covers the whole exposed area, so the viewport needs no background of its own.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
        bar->setSingleStep(kLineStep);
        bar->setPageStep(kPageStep);
        bar->setRange(0, 0);
    }
}

CVantorelView::~CVantorelView()
{
    if (document_ != nullptr) document_->conversion.SetViewsChanged({});
}

void CVantorelView::SetDocument(CVantorelDoc* document)
{
    if (document_ != nullptr) document_->conversion.SetViewsChanged({});
    document_ = document;
    // A new conversion may leave new pixels in the same place: the averaged copies are made afresh.
    if (document_ != nullptr)
        document_->conversion.SetViewsChanged([this] {
            levels_.Clear();
            viewport()->update();
        });
    levels_.Clear();
    cachedOutputWidth_ = cachedOutputHeight_ = 0;
    if (HasSource()) {
        UpdateScrollRange();
    } else {
        const QScopedValueRollback settingRange(settingRange_, true);
        SetAxisRange(*horizontalScrollBar(), 0);
        SetAxisRange(*verticalScrollBar(), 0);
    }
    viewport()->update();
}

void CVantorelView::OnShowGrid()
{
    grid_ = !grid_;
    viewport()->update();
}

bool CVantorelView::CanPaste() const
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasImage();
}

bool CVantorelView::CanZoomIn() const { return HasSource() && zoom_ < kMaxZoom * (1 - kZoomTolerance); }

bool CVantorelView::CanZoomOut() const { return HasSource() && zoom_ > kMinZoom * (1 + kZoomTolerance); }

void CVantorelView::ZoomIn() { SetZoom(NextZoomStep(zoom_, true), QRectF(viewport()->rect()).center()); }

void CVantorelView::ZoomOut() { SetZoom(NextZoomStep(zoom_, false), QRectF(viewport()->rect()).center()); }

void CVantorelView::ActualSize() { SetZoom(1, QRectF(viewport()->rect()).center()); }

void CVantorelView::FitInWindow()
{
    const CRasterImage* output = Output();
    if (output == nullptr || !output->HasPixels()) return;
    // The whole picture fits without scroll bars, so the window counts without them.
    const QSize room = maximumViewportSize();
    const double fit = std::min(double(room.width()) / output->width, double(room.height()) / output->height);
    SetZoom(std::min(fit, 1.0), QRectF(viewport()->rect()).center());
    // A picture that fits is centred.
    anchor_.reset();
    UpdateScrollRange();
}

void CVantorelView::SetZoom(double zoom, QPointF viewPoint)
{
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (HasSource() && Output()->HasPixels()) {
        const QRect picture = PictureRect();
        const QPointF picturePoint = (viewPoint - QPointF(picture.topLeft())) / zoom_;
        anchor_ = ZoomAnchor{picturePoint, viewPoint};
    }
    zoom_ = zoom;
    UpdateScrollRange();
    if (anchor_) HoldAnchorUntilSettled();
    viewport()->update();
    emit ZoomChanged(zoom_);
}

// The scroll bars a zoom shows or hides resize the window only when their change is laid out, from an
// event already posted; that resize may show or hide the other bar, from another posted event. The
// anchor goes with a posted call after them, unless a later resize has held it again.
void CVantorelView::HoldAnchorUntilSettled()
{
    const int hold = ++anchorHolds_;
    QMetaObject::invokeMethod(
        this,
        [this, hold] {
            if (hold == anchorHolds_) anchor_.reset();
        },
        Qt::QueuedConnection);
}

QSize CVantorelView::ShownSize() const
{
    const CRasterImage& output = *Output();
    if (zoom_ == 1) return {static_cast<int>(output.width), static_cast<int>(output.height)};
    return {std::max(1, static_cast<int>(std::lround(output.width * zoom_))),
            std::max(1, static_cast<int>(std::lround(output.height * zoom_)))};
}

int CVantorelView::AnchoredScroll(int viewSize, int shownSize, double viewPoint, double picturePoint) const
{
    if (!anchor_) return 0;
    // The picture's edge goes where the anchor's picture point lands on its view point.
    const double edge = viewPoint - picturePoint * zoom_;
    return static_cast<int>(std::lround((viewSize - shownSize) / 2 - edge));
}

bool CVantorelView::HasSource() const { return document_ != nullptr && document_->conversion.source.HasPixels(); }

const CRasterImage* CVantorelView::Output() const { return document_ != nullptr ? &document_->conversion.output : nullptr; }

void CVantorelView::UpdateScrollRange()
{
    if (!HasSource()) return;
    const CRasterImage& output = *Output();
    cachedOutputWidth_ = static_cast<int>(output.width);
    cachedOutputHeight_ = static_cast<int>(output.height);
    // Showing or hiding one scroll bar resizes the window, which comes back here; each range is taken
    // from the window's size at the moment it is set.
    const QScopedValueRollback settingRange(settingRange_, true);
    const QSize shown = ShownSize();
    const int across = viewport()->width(), down = viewport()->height();
    const ZoomAnchor anchor = anchor_.value_or(ZoomAnchor{});
    SetAxisRange(*horizontalScrollBar(), shown.width() - across,
                 AnchoredScroll(across, shown.width(), anchor.viewPoint.x(), anchor.picturePoint.x()));
    SetAxisRange(*verticalScrollBar(), shown.height() - down,
                 AnchoredScroll(down, shown.height(), anchor.viewPoint.y(), anchor.picturePoint.y()));
    viewport()->update();
}

QRect CVantorelView::PictureRect() const
{
    const QSize shown = ShownSize();
    const int w = shown.width(), h = shown.height();
    const int x = (viewport()->width() - w) / 2 - horizontalScrollBar()->value();
    const int y = (viewport()->height() - h) / 2 - verticalScrollBar()->value();
    return {x, y, w, h};
}

void CVantorelView::NotifySourceRegion()
{
    if (observer_ != nullptr && HasSource()) observer_->UpdateSourceRegion();
}

bool CVantorelView::IsDroppableFile(const QString& path)
{
    const QString name = path.toLower();
    for (const char* accepted : {".jpg", ".png", ".bmp", ".tif", ".tga", ".pcx", ".webp", ".heic", ".heif", ".avif"})
        if (name.endsWith(QLatin1String(accepted))) return true;
    return false;
}

bool CVantorelView::event(QEvent* event)
{
    // Claiming the key before shortcuts are looked up keeps it from the window's shortcuts as well.
    if (event->type() == QEvent::ShortcutOverride && IsSwallowedKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void CVantorelView::keyPressEvent(QKeyEvent* event)
{
    if (IsSwallowedKey(*event)) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CVantorelView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const CRasterImage* output = Output();
    if (output == nullptr || !output->HasPixels()) {
        const QRect client = viewport()->rect();
        painter.fillRect(client, kEmptyColor);
        painter.setPen(QPen(kEmptyFrameColor, 0));
        painter.drawRect(client.adjusted(0, 0, -1, -1));
        return;
    }
    // A new output size (another file, other settings) centres the picture again; the same size keeps
    // the place the user scrolled to.
    if (static_cast<int>(output->width) != cachedOutputWidth_ || static_cast<int>(output->height) != cachedOutputHeight_)
        UpdateScrollRange();

    const QRect picture = PictureRect();
    for (const QRect& uncovered : QRegion(event->rect()).subtracted(picture)) painter.fillRect(uncovered, Qt::black);
    // The picture is copied only where the window is being repainted.
    painter.setClipRect(event->rect());
    if (zoom_ == 1) {
        platform::CPainterDeviceContext dc(painter);
        output->Draw(dc, picture.x(), picture.y());
    } else {
        PaintScaled(painter, picture, event->rect() & picture);
    }
    if (grid_) PaintGrid(painter, picture);
}

void CVantorelView::PaintScaled(QPainter& painter, const QRect& picture, const QRect& exposed)
{
    if (exposed.isEmpty()) return;
    if (zoom_ < 1) {
        // Zoomed out, the picture is averaged to its shown size once (per conversion and zoom) and then
        // copied where exposed, like the picture at 1:1.
        const CRasterImage* shown = levels_.AtSize(*Output(), static_cast<std::uint32_t>(picture.width()),
                                                   static_cast<std::uint32_t>(picture.height()));
        if (shown == nullptr) return;
        platform::CPainterDeviceContext dc(painter);
        shown->Draw(dc, picture.x(), picture.y());
        return;
    }
    // Zoomed in, each image pixel is a block. Only the image pixels under the exposed part are scaled,
    // to their place on the screen, so a 16-fold zoom of a large picture never asks for a huge surface.
    const CRasterImage* source = levels_.Level(*Output(), 0);
    if (source == nullptr) return;
    const QImage pixels(source->Pixels(), static_cast<int>(source->width), static_cast<int>(source->height),
                        static_cast<qsizetype>(source->width) * 3, QImage::Format_RGB888);
    const QRect sourcePart =
        QRect(QPoint(static_cast<int>(std::floor((exposed.left() - picture.left()) / zoom_)),
                     static_cast<int>(std::floor((exposed.top() - picture.top()) / zoom_))),
              QPoint(static_cast<int>(std::ceil((exposed.right() + 1 - picture.left()) / zoom_)) - 1,
                     static_cast<int>(std::ceil((exposed.bottom() + 1 - picture.top()) / zoom_)) - 1)) &
        pixels.rect();
    const QRectF target(picture.left() + sourcePart.left() * zoom_, picture.top() + sourcePart.top() * zoom_,
                        sourcePart.width() * zoom_, sourcePart.height() * zoom_);
    painter.drawImage(target, pixels, sourcePart);
}

void CVantorelView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
    if (anchor_) HoldAnchorUntilSettled();
    NotifySourceRegion();
}

void CVantorelView::scrollContentsBy(int, int)
{
    viewport()->update();
    if (!settingRange_) NotifySourceRegion();
}

void CVantorelView::mousePressEvent(QMouseEvent* event)
{
    // The picture does not follow the mouse: the hand only shows that the button is held.
    if (event->button() == Qt::LeftButton) {
        buttonHeld_ = true;
        viewport()->setCursor(Qt::OpenHandCursor);
    }
    event->accept();
}

void CVantorelView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && buttonHeld_) {
        buttonHeld_ = false;
        viewport()->unsetCursor();
    }
    event->accept();
}

void CVantorelView::wheelEvent(QWheelEvent* event)
{
    // With Ctrl the wheel zooms about the mouse, one step a notch (a fine wheel's small turns add up to
    // notches); otherwise it neither scrolls nor zooms the picture.
    if (!(event->modifiers() & Qt::ControlModifier) || !HasSource()) {
        wheelTurn_ = 0;
        event->ignore();
        return;
    }
    event->accept();
    wheelTurn_ += event->angleDelta().y();
    const int notches = wheelTurn_ / QWheelEvent::DefaultDeltasPerStep;
    if (notches == 0) return;
    wheelTurn_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    double zoom = zoom_;
    for (int notch = 0; notch < std::abs(notches); ++notch) zoom = NextZoomStep(zoom, notches > 0);
    SetZoom(zoom, event->position());
}

void CVantorelView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CVantorelView::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CVantorelView::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty()) return;
    event->acceptProposedAction();
    // Only the first file counts; other endings (.jpeg, .tiff, .psd, ...) are ignored without a word.
    const QString path = urls.first().toLocalFile();
    if (path.isEmpty() || !IsDroppableFile(path) || !open_) return;
    open_(QFile::encodeName(path).toStdString());
}
