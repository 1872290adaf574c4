#pragma once
// CPainterDeviceContext: the desktop's CDeviceContext, drawing through an active painter.
//
// A blit paints only the part of the picture that lies inside the painter's clip (or its window when
// nothing is clipped), so scrolling over a picture far larger than the window costs only the window's
// pixels: 24-bit rows are wrapped where they lie, indexed ones looked up into reused window-sized rows.
// The painter is the caller's and must stay active for the context's life. The header names the painter without including it, so
// code above the platform layer needs no toolkit header to draw a picture.

#include "platform/DeviceContext.h"

class QPainter;

namespace platform {

class CPainterDeviceContext final : public CDeviceContext {
public:
    explicit CPainterDeviceContext(QPainter& painter) : painter_(painter) {}
    bool Blit(const DeviceBitmap& bitmap, int x, int y) override;

private:
    QPainter& painter_;
};

}  // namespace platform
