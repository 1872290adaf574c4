// The metafile player proper, built as a library of its own that the program loads the first time it reads
// a metafile (see MetafilePlayer.cpp): QtGui, which it draws with, is loaded only then.
#include "platform/MetafilePlugin.h"

#include "platform/EmfPlayer.h"
#include "platform/MetafileBytes.h"
#include "platform/WmfPlayer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <mutex>

namespace platform {

namespace {

using metafile::RecordBytes;

constexpr std::uint32_t kEnhancedHeaderType = 1;
constexpr std::uint32_t kEnhancedSignature = 0x464D4520;   // " EMF"
constexpr std::size_t kEnhancedHeaderMinBytes = 88;
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableHeaderBytes = 22;

MetafileStatus ReadEnhancedHeader(const RecordBytes& file, MetafileHeader& header)
{
    const std::uint32_t recordBytes = file.U32(4);
    if (recordBytes < kEnhancedHeaderMinBytes || !file.Has(0, recordBytes)) return MetafileStatus::kBadEnhancedHeader;
    header.kind = MetafileKind::kEnhanced;
    header.left = file.I32(24);
    header.top = file.I32(28);
    header.right = file.I32(32);
    header.bottom = file.I32(36);
    // The frame is what sizes the picture: an empty or inverted one leaves nothing to draw into.
    if (std::int64_t{header.right} <= header.left || std::int64_t{header.bottom} <= header.top)
        return MetafileStatus::kBadEnhancedHeader;
    return MetafileStatus::kOk;
}

MetafileStatus ReadPlaceableHeader(std::span<const std::uint8_t> bytes, MetafileHeader& header)
{
    const RecordBytes file(bytes);
    if (!file.Has(0, kPlaceableHeaderBytes)) return MetafileStatus::kBadWindowsHeader;
    header.kind = MetafileKind::kPlaceable;
    header.left = file.I16(6);
    header.top = file.I16(8);
    header.right = file.I16(10);
    header.bottom = file.I16(12);
    header.unitsPerInch = file.U16(14);
    if (header.unitsPerInch == 0 || header.right == header.left || header.bottom == header.top ||
        !metafile::IsWindowsHeader(bytes, kPlaceableHeaderBytes))
        return MetafileStatus::kBadWindowsHeader;
    return MetafileStatus::kOk;
}

MetafileStatus ReadPlainHeader(std::span<const std::uint8_t> bytes, MetafileHeader& header)
{
    header.kind = MetafileKind::kWindows;
    if (!metafile::IsWindowsHeader(bytes, 0)) return MetafileStatus::kBadWindowsHeader;
    if (const std::optional<QSizeF> extent = metafile::FirstWindowExtent(bytes, 0)) {
        header.right = static_cast<std::int32_t>(extent->width());
        header.bottom = static_cast<std::int32_t>(extent->height());
        header.hasWindowExtent = true;
    }
    return MetafileStatus::kOk;
}

void DiscardToolkitMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

// Called on the main thread only (the program's side of the player sees to that).
void MakeHeadlessApplication()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (QCoreApplication::instance() != nullptr) return;
        // The headless application's messages ("XDG_RUNTIME_DIR not set") are not the program's.
        qInstallMessageHandler(DiscardToolkitMessage);
        static int argc = 3;
        static char name[] = "lumatrine", option[] = "-platform", platformName[] = "offscreen";
        static char* argv[] = {name, option, platformName, nullptr};
        // Qt's own state is gone by the time static objects are destroyed: the object is never deleted.
        static QGuiApplication* const application = new QGuiApplication(argc, argv);
        (void)application;
    });
}

MetafileStatus ReadHeader(std::span<const std::uint8_t> bytes, MetafileHeader& header)
{
    header = MetafileHeader{};
    const RecordBytes file(bytes);
    if (file.U32(0) == kEnhancedHeaderType && file.U32(40) == kEnhancedSignature) return ReadEnhancedHeader(file, header);
    // A Windows metafile starts with its type (1 in memory, 2 on disk) and a header of 9 words.
    if ((file.U16(0) == 1 || file.U16(0) == 2) && file.U16(2) == 9) return ReadPlainHeader(bytes, header);
    if (file.U32(0) == kPlaceableKey) return ReadPlaceableHeader(bytes, header);
    return MetafileStatus::kNotMetafile;
}

MetafileStatus Play(std::span<const std::uint8_t> file, const MetafileHeader& header, int width,
                    int height, std::uint32_t background, std::uint8_t* rgb)
{
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) return MetafileStatus::kNoSurface;
    image.fill(QColor(static_cast<int>(background & 0xFF), static_cast<int>(background >> 8 & 0xFF),
                      static_cast<int>(background >> 16 & 0xFF)));
    {
        QPainter painter;
        if (!painter.begin(&image)) return MetafileStatus::kNoSurface;
        switch (header.kind) {
        case MetafileKind::kEnhanced: metafile::PlayEnhancedMetafile(painter, file, width, height); break;
        case MetafileKind::kPlaceable:
            metafile::PlayWindowsMetafile(painter, file, kPlaceableHeaderBytes,
                                          QRectF(QPointF(header.left, header.top), QPointF(header.right, header.bottom)),
                                          width, height);
            break;
        case MetafileKind::kWindows:
            metafile::PlayWindowsMetafile(painter, file, 0, QRectF(0, 0, width, height), width, height);
            break;
        case MetafileKind::kUnknown: return MetafileStatus::kNotMetafile;
        }
    }
    for (int y = 0; y < height; ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* target = rgb + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3;
        for (int x = 0; x < width; ++x) {
            target[3 * x] = static_cast<std::uint8_t>(qRed(source[x]));
            target[3 * x + 1] = static_cast<std::uint8_t>(qGreen(source[x]));
            target[3 * x + 2] = static_cast<std::uint8_t>(qBlue(source[x]));
        }
    }
    return MetafileStatus::kOk;
}

}  // namespace

}  // namespace platform

extern "C" __attribute__((visibility("default"))) const platform::MetafilePluginEntry* LumatrineMetafilePlugin()
{
    static constexpr platform::MetafilePluginEntry kEntry{platform::kMetafilePluginVersion, platform::ReadHeader,
                                                          platform::Play, platform::MakeHeadlessApplication};
    return &kEntry;
}
