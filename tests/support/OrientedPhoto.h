#pragma once
// Photographs with an Orientation tag, written by the peer tools, and the upright pixels ImageMagick
// makes of them: the oracle of the orientation tests of the image layer, the command line and the
// document.

#include "PeerTool.h"
#include "TempFolder.h"

#include <array>
#include <string>

// ImageMagick's names of the Orientation tag values 1..8.
inline constexpr std::array<const char*, 9> kPeerOrientationNames = {
    "Undefined", "TopLeft", "TopRight", "BottomRight", "BottomLeft", "LeftTop", "RightTop", "RightBottom", "LeftBottom"};

// A picture of random colours (all differ, so a pixel in the wrong place shows) in the format `name`'s
// extension names, tagged by exiftool with `orientation` 1..8; 0 leaves it untagged.
inline std::string WriteOrientedPhoto(const TempFolder& folder, const std::string& name, int orientation,
                                      const std::string& size = "7x4")
{
    const std::string path = folder.File(name);
    RunPeer("convert -size " + size + " xc: -seed 3 +noise Random -type TrueColor -depth 8 '" + path + "'");
    if (orientation != 0)
        RunPeer("exiftool -q -q -overwrite_original -Orientation#=" + std::to_string(orientation) + " -n '" + path + "'");
    return path;
}

// The pixels of the picture at `path` turned upright by `orientation` as ImageMagick turns them, packed
// RGB rows; orientation 1 gives the picture as stored.
inline std::string PeerUprightPixels(const std::string& path, int orientation)
{
    return RunPeer("convert '" + path + "' -orient " + kPeerOrientationNames[static_cast<std::size_t>(orientation)] +
                   " -auto-orient -depth 8 rgb:-");
}
