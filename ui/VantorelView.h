#pragma once
// CVantorelView: the main window's picture: the document's output image at one screen pixel per image
// pixel, centred, with scroll bars when it is larger than the window; image files can be dropped on it.
//
// Scroll positions are offsets from the centred place: 0 centres the picture on that axis, and the range
// runs from -(excess / 2) to the rest of the excess, in steps of 5 pixels (arrows) and 20 (page). A new
// output size or a new window size centres the picture again. Only the exposed part is painted: black
// where the picture does not reach, the empty view's grey with a dark frame while there is no picture.
// The view never changes the document; a dropped file goes to the open handler, and it tells the
// observer when the part of the picture in the window changed. It does not own the document.

#include <QAbstractScrollArea>

#include <functional>
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
    // Paste (57637) does nothing; it is enabled while the clipboard holds a picture. Copy (57634) does
    // nothing either and stays enabled.
    bool CanPaste() const;

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
    // Where the output picture lies in the window for the current scroll positions.
    QRect PictureRect() const;
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
};
