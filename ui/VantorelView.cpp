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

namespace {

const QColor kEmptyColor(102, 107, 121);
const QColor kEmptyFrameColor(21, 22, 26);
const QColor kGridColor(224, 224, 224);
constexpr int kLineStep = 5;
constexpr int kPageStep = 20;

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
void SetAxisRange(QScrollBar& bar, int excess)
{
    excess = std::max(0, excess);
    bar.setRange(-(excess / 2), excess - excess / 2);
    bar.setValue(0);
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
    if (document_ != nullptr) document_->conversion.SetViewsChanged([this] { viewport()->update(); });
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
    SetAxisRange(*horizontalScrollBar(), cachedOutputWidth_ - viewport()->width());
    SetAxisRange(*verticalScrollBar(), cachedOutputHeight_ - viewport()->height());
    viewport()->update();
}

QRect CVantorelView::PictureRect() const
{
    const CRasterImage& output = *Output();
    const int w = static_cast<int>(output.width), h = static_cast<int>(output.height);
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
    platform::CPainterDeviceContext dc(painter);
    output->Draw(dc, picture.x(), picture.y());
    if (grid_) PaintGrid(painter, picture);
}

void CVantorelView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
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
    // The wheel neither scrolls nor zooms the picture.
    event->ignore();
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
