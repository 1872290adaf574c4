#pragma once
// Drawing a CRasterImage with Qt: a 24-bit QImage copy of its pixels (palette and 1-bit pictures looked up).

#include <QImage>

class CRasterImage;

// A null QImage when the picture holds no pixels or cannot be widened to 24 bits.
QImage PictureToQImage(const CRasterImage& picture);
