#pragma once
// The small pictures beside the panels' controls, drawn at run time: a frame stretched and a frame
// cropped at the ends of the aspect panel's slider, and one picture per stretch mode showing which part
// of the picture is widened (blue, wider grid) and which keeps its proportions (grey, even grid).

#include <QPixmap>

namespace panel_pictures {
inline constexpr int kStretchPicture = 162;
inline constexpr int kCropPicture = 163;
inline constexpr int kFirstModePicture = 164;   // 164 to 169: stretch modes 0 to 5

// The picture with that id at `size`; a null pixmap for an unknown id.
QPixmap Draw(int pictureId, const QSize& size);
}  // namespace panel_pictures
