#pragma once
// Plays the records of a Windows metafile (plain or after a placeable header) onto a painter.
// Internal to the metafile player.

#include <QPainter>
#include <QRectF>

#include <cstdint>
#include <optional>
#include <span>

namespace platform::metafile {

// Bytes of the Windows metafile header that starts every record list.
inline constexpr std::size_t kWindowsHeaderBytes = 18;

// True when a valid Windows metafile header starts at `offset`.
bool IsWindowsHeader(std::span<const std::uint8_t> file, std::size_t offset);

// The window extent (x, y) set by the first window-extent record, if any.
std::optional<QSizeF> FirstWindowExtent(std::span<const std::uint8_t> file, std::size_t headerOffset);

// Draws the records that follow the header at `headerOffset`, with `window` (logical units) covering
// the painter's width x height until the records set their own window.
void PlayWindowsMetafile(QPainter& painter, std::span<const std::uint8_t> file, std::size_t headerOffset,
                         const QRectF& window, int width, int height);

}  // namespace platform::metafile
