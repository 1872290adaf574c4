#pragma once
// Playback of Windows metafiles into an RGB raster: the stand-in for the system's metafile player.
// The player is a library of its own, loaded the first time one of these functions is called, so a
// process that never reads a metafile never loads the toolkit it draws with.
//
// Three kinds are told apart by their first bytes: enhanced metafiles (a header record whose signature
// is " EMF"), placeable Windows metafiles (a 22-byte header with key 0x9AC6CDD7, a bounding box and its
// units per inch, then a Windows metafile) and plain Windows metafiles. ReadMetafileHeader reports what
// the header says about the picture's size; the caller decides the output size and PlayMetafile draws
// the records into it. The file is untrusted: a record whose size is zero or reaches past the end ends
// playback, records the player does not know are skipped, object indices are bounded by the table the
// header declares, and embedded bitmaps are validated before use. No Qt type appears here.

#include <cstdint>
#include <span>

namespace platform {

enum class MetafileKind { kUnknown, kEnhanced, kPlaceable, kWindows };

struct MetafileHeader {
    MetafileKind kind = MetafileKind::kUnknown;
    // Enhanced: the frame in hundredths of a millimetre. Placeable: the bounding box in its units.
    // Windows: 0, 0 and the window extent of its first window-extent record, in logical units.
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::uint32_t unitsPerInch = 0;    // placeable only
    bool hasWindowExtent = false;      // Windows only: whether a window-extent record was found
};

enum class MetafileStatus {
    kOk,
    kNotMetafile,          // none of the three kinds
    kBadEnhancedHeader,    // an enhanced metafile whose header record cannot be used
    kBadWindowsHeader,     // a Windows metafile (placeable or not) whose headers cannot be used
    kNoSurface,            // the output image could not be created
    kNoPlayer,             // the player library could not be loaded
};

MetafileStatus ReadMetafileHeader(std::span<const std::uint8_t> file, MetafileHeader& header);

// Fills a width x height picture with `background` (0x00BBGGRR), plays the records so that the
// picture's frame (enhanced) or bounding box (placeable) or window (Windows) covers it, and writes it
// to `rgb` as packed 24-bit red-green-blue rows, top row first. `header` comes from ReadMetafileHeader
// for the same bytes.
MetafileStatus PlayMetafile(std::span<const std::uint8_t> file, const MetafileHeader& header, int width,
                            int height, std::uint32_t background, std::uint8_t* rgb);

// Makes text in metafiles drawable on every thread. Text needs a GUI application object, which may
// only be made on the main thread: when the process has none (the command line, the tests), this makes a
// headless one, kept for the life of the process, whose toolkit diagnostics are discarded. Called on any
// other thread it does nothing. The main thread calls it before starting threads that play metafiles;
// a thread that plays one without it draws the text only when an application object exists.
void PrepareMetafileText();

}  // namespace platform
