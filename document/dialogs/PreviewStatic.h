#pragma once
// CPreviewStatic: the sunken picture box of the File Open dialog. It shows a thumbnail of a file, loaded
// with the program's own reader (so the preview shows what the program can open), fitted into the box
// and centred on grey, and remembers the file's stored pixel size for the size text.
//
// It owns the thumbnail; loading is synchronous on the user-interface thread and never reports a failure
// to the person: a file it cannot read leaves an empty grey box.

#include "image/RasterImage.h"

#include <QFrame>
#include <QImage>

#include <string>

class CPreviewStatic : public QFrame {
    Q_OBJECT
public:
    explicit CPreviewStatic(QWidget* parent = nullptr);

    // Clears the box, then loads `path` (JPEG files decoded at a reduced scale where the box allows) and
    // fits it into the box. False, with an empty box, when the path is not a plain file holding a picture
    // the program reads.
    bool LoadPreview(const std::string& path);
    // Empties the box and forgets the sizes.
    void ClearPreview();

    const CRasterImage& Thumbnail() const { return thumbnail; }
    int LoadedWidth() const { return loadedWidth; }
    int LoadedHeight() const { return loadedHeight; }
    int StoredWidth() const { return storedWidth; }
    int StoredHeight() const { return storedHeight; }
    // Where the grey area lies: the box inside its border, shrunk by one pixel on every side.
    QRect AvailableRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CRasterImage thumbnail;
    QImage thumbnailImage;  // the thumbnail as Qt draws it
    int loadedWidth = 0;
    int loadedHeight = 0;
    int storedWidth = 0;
    int storedHeight = 0;
};
