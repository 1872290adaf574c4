#include "ui/ToolbarImages.h"

#include <QBitmap>
#include <QPixmap>

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Standard colour in the drawing -> colour on the dark bars. The first matching row wins.
constexpr std::array<std::pair<QRgb, QRgb>, 10> kToolbarColours = {{
    {qRgb(0, 128, 0), qRgb(0, 151, 94)},
    {qRgb(255, 0, 0), qRgb(172, 83, 164)},
    {qRgb(128, 0, 0), qRgb(123, 1, 126)},
    {qRgb(0, 0, 255), qRgb(58, 123, 252)},
    {qRgb(0, 0, 128), qRgb(1, 81, 205)},
    {qRgb(128, 128, 128), qRgb(100, 100, 100)},
    {qRgb(128, 128, 0), qRgb(8, 167, 228)},
    {qRgb(192, 192, 192), qRgb(205, 198, 187)},
    {qRgb(255, 255, 0), qRgb(33, 218, 255)},
    {qRgb(0, 255, 0), qRgb(56, 218, 255)},
}};

constexpr int kRemappedEntries = 16;
constexpr int kPaneIconSize = 16;

std::vector<QIcon> SplitStrip(const QPixmap& strip, int imageWidth)
{
    std::vector<QIcon> icons;
    for (int x = 0; x + imageWidth <= strip.width(); x += imageWidth)
        icons.emplace_back(strip.copy(x, 0, imageWidth, strip.height()));
    return icons;
}

}  // namespace

void RemapToolbarColours(QImage& image)
{
    QList<QRgb> table = image.colorTable();
    const int count = std::min<int>(table.size(), kRemappedEntries);
    for (int i = 0; i < count; ++i) {
        if (qAlpha(table[i]) != 255) continue;   // the transparent colour
        const auto row = std::find_if(kToolbarColours.begin(), kToolbarColours.end(),
                                      [&](const auto& entry) { return entry.first == table[i]; });
        if (row != kToolbarColours.end()) table[i] = row->second;
    }
    image.setColorTable(table);
}

std::vector<QIcon> LoadToolbarIcons(const QString& resource, int buttonWidth)
{
    QImage strip(resource);
    if (strip.isNull()) return {};
    if (strip.format() != QImage::Format_Indexed8) strip = strip.convertToFormat(QImage::Format_Indexed8);
    RemapToolbarColours(strip);
    return SplitStrip(QPixmap::fromImage(strip), buttonWidth);
}

std::vector<QIcon> LoadPaneIcons(const QString& resource)
{
    QPixmap strip(resource);
    if (strip.isNull()) return {};
    strip.setMask(strip.createMaskFromColor(QColor(0, 255, 0)));
    return SplitStrip(strip, kPaneIconSize);
}
