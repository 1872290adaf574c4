#pragma once
// CVantorelView: the main window's picture: the document's output image at one screen pixel per image
// pixel, centred, with scroll bars when it is larger than the window; image files can be dropped on it.

#include <QAbstractScrollArea>

#include <functional>
#include <string>

class CConversionObserver;
class CVantorelDoc;

class CVantorelView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CVantorelView(QWidget* parent = nullptr);

    void SetDocument(CVantorelDoc* document);
    // Told after the view scrolls or changes size (the file panel's crop frame follows).
    void SetSourceRegionObserver(CConversionObserver* observer) { observer_ = observer; }
    // Opens a dropped file as File Open would.
    void SetOpenFileHandler(std::function<bool(const std::string&)> open) { open_ = std::move(open); }

    // "Show Grid" (32787): toggles the grid; IsGridShown gives its check mark.
    void OnShowGrid();
    bool IsGridShown() const { return grid_; }
    // Paste (57637) does nothing; it is enabled while the clipboard holds a picture.
    bool CanPaste() const;

private:
    CVantorelDoc* document_ = nullptr;
    CConversionObserver* observer_ = nullptr;
    std::function<bool(const std::string&)> open_;
    bool grid_ = false;
};
