#pragma once
// Plays the records of an enhanced metafile onto a painter. Internal to the metafile player.

#include <QPainter>

#include <cstdint>
#include <span>

namespace platform::metafile {

// Draws the records of `file`, whose header record has been checked, so that its frame covers the
// painter's width x height.
void PlayEnhancedMetafile(QPainter& painter, std::span<const std::uint8_t> file, int width, int height);

}  // namespace platform::metafile
