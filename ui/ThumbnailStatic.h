#pragma once
// CThumbnailStatic: one picture of the "File Properties" panel, shrunk to fit its area and centred on
// black, with a two-pixel red frame around a region (the crop window on the source picture). Dragging
// on a draggable thumbnail moves the document's crop window.
//
// It owns its small copy of the picture, rebuilt only when the panel hands it a changed image; the
// document is not owned. Painting only copies that small picture, so a drag step stays cheap.

#include "image/PixelRect.h"
#include "image/RasterImage.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

class CVantorelDoc;

class CThumbnailStatic : public QWidget {
    Q_OBJECT
public:
    explicit CThumbnailStatic(QWidget* parent = nullptr);

    // The size an image of imageWidth x imageHeight is shown at in a clientWidth x clientHeight area:
    // the full width when the height fits, else the full height; never below 1 x 1.
    static PixelSize FitSize(std::uint32_t imageWidth, std::uint32_t imageHeight, int clientWidth, int clientHeight);

    void SetDocument(CVantorelDoc* document) { document_ = document; }
    // A thumbnail that is not draggable ignores the mouse.
    void SetDraggable(bool draggable) { draggable_ = draggable; }
    bool IsDragging() const { return dragging_; }

    // Shows `image` resized to FitSize of this control's area. An image without pixels changes nothing.
    void ShowPicture(const CRasterImage& image);
    const CRasterImage& Picture() const { return thumbnail_; }

    // The red frame, in picture pixels (right and bottom exclusive); all zero draws none.
    void SetRegion(const PixelRect& region) { region_ = region; }
    const PixelRect& Region() const { return region_; }

    // Paints the control now and dispatches what waits in the event queue, so a frame moved inside a
    // long operation shows at once. Called again while it dispatches, it only paints: the running
    // dispatch goes on with the queue, and nesting stays one level deep.
    void RedrawNow();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CRasterImage thumbnail_;
    QImage shown_;  // thumbnail_ as the painter draws it, converted once per picture
    PixelRect region_;
    bool dragging_ = false;
    QPoint lastPoint_;
    CVantorelDoc* document_ = nullptr;
    bool draggable_ = true;
    bool dispatching_ = false;
};
