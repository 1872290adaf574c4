#pragma once
// CVantorelView: the main window's picture: the document's output image, centred, with scroll bars when
// it is larger than the window; image files can be dropped on it.
//
// It shows the picture at one screen pixel per image pixel until zoomed: the zoom runs in steps of two
// from 1/16 to 16 (Fit in Window may choose any zoom between them). Zoomed out, the picture is drawn
// from averaged half-size copies, so it is smooth; zoomed in, each image pixel is a block. Only the
// exposed part of the window is scaled and painted, whatever the zoom.
//
// Scroll positions are offsets from the centred place, in screen pixels: 0 centres the shown picture on
// that axis, and the range runs from -(excess / 2) to the rest of the excess, in steps of 5 pixels
// (arrows) and 20 (page). A new output size or a new window size centres the picture again; a zoom keeps
// the picture point under the mouse (Ctrl+wheel) or at the window's centre (the commands) where it is.
// Black where the picture does not reach, the empty view's grey with a dark frame while there is no
// picture.
// The view never changes the document; a dropped file goes to the open handler, and it tells the
// observer when the part of the picture in the window changed. It does not own the document.

#include "ui/ZoomLevels.h"

#include <QAbstractScrollArea>

#include <functional>
#include <optional>
#include <string>

class CConversionObserver;
class CRasterImage;
class CVantorelDoc;

class CVantorelView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CVantorelView(QWidget* parent = nullptr);
    ~CVantorelView() override;

    // Shows this document's output image (null: the empty view) and repaints whenever its conversion
    // finishes an update (the view takes the conversion's views-changed call).
    void SetDocument(CVantorelDoc* document);
    // Told after the view scrolls or changes size (the file panel's crop frame follows).
    void SetSourceRegionObserver(CConversionObserver* observer) { observer_ = observer; }
    // Opens a dropped file as File Open would.
    void SetOpenFileHandler(std::function<bool(const std::string&)> open) { open_ = std::move(open); }

    // "Show Grid" (32787): toggles the grid; IsGridShown gives its check mark.
    void OnShowGrid();
    bool IsGridShown() const { return grid_; }
    // Paste (57637) is enabled while the clipboard holds a picture.
    bool CanPaste() const;

    // Zoom: 1 shows one image pixel per screen pixel. Zoom In and Zoom Out go to the next step about the
    // window's centre; Fit in Window shows the whole picture, never larger than 1:1; Actual Size is 1:1.
    double Zoom() const { return zoom_; }
    void ZoomIn();
    void ZoomOut();
    void FitInWindow();
    void ActualSize();
    // Zoom In and Zoom Out are possible while a picture is shown and the zoom is not at that end.
    bool CanZoomIn() const;
    bool CanZoomOut() const;
    // Zoom to `zoom` (kept within 1/16 .. 16) keeping the picture point at `viewPoint` (viewport
    // coordinates) where it is, as far as the scroll ranges allow.
    void SetZoom(double zoom, QPointF viewPoint);
    // Where the output picture lies in the window for the current zoom and scroll positions.
    QRect PictureRect() const;

signals:
    void ZoomChanged(double zoom);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Sets the scroll ranges for the output image and the window and centres the picture; nothing
    // while no source picture is loaded.
    void UpdateScrollRange();
    // True for the file names a drop opens: ending in .jpg, .png, .bmp, .tif, .tga or .pcx, in any case.
    static bool IsDroppableFile(const QString& path);
    bool HasSource() const;
    const CRasterImage* Output() const;
    // The output picture's size on the screen at the current zoom.
    QSize ShownSize() const;
    // The scroll position of one axis that puts the zoom anchor's picture point under its view point;
    // 0 (centred) without an anchor.
    int AnchoredScroll(int viewSize, int shownSize, double viewPoint, double picturePoint) const;
    void PaintScaled(QPainter& painter, const QRect& picture, const QRect& exposed);
    // Keeps the zoom anchor until the scroll bars have settled.
    void HoldAnchorUntilSettled();
    void NotifySourceRegion();

    CVantorelDoc* document_ = nullptr;
    CConversionObserver* observer_ = nullptr;
    std::function<bool(const std::string&)> open_;
    bool buttonHeld_ = false;
    bool grid_ = false;
    // Output size the scroll ranges were last set for.
    int cachedOutputWidth_ = 0;
    int cachedOutputHeight_ = 0;
    // True while UpdateScrollRange moves the scroll bars, which is not a scroll by the user.
    bool settingRange_ = false;
    double zoom_ = 1.0;
    // While a zoom settles (the scroll bars it shows or hides resize the window later), the picture point
    // and the window point that must stay together; dropped once the bars have settled.
    struct ZoomAnchor {
        QPointF picturePoint;
        QPointF viewPoint;
    };
    std::optional<ZoomAnchor> anchor_;
    // Counts the holds of the anchor: only the last one lets it go.
    int anchorHolds_ = 0;
    // Ctrl+wheel turn not yet a whole notch (eighths of a degree, as the wheel reports them).
    int wheelTurn_ = 0;
    CZoomLevels levels_;
};
