#pragma once
// What the metafile player library hands the program: one C entry point that returns its functions.
// The program (MetafilePlayer.cpp) and the library are built from the same sources, so the functions
// take the player's own types; the version guards against a library left over from another build.

#include "platform/MetafilePlayer.h"

#include <cstdint>
#include <span>

namespace platform {

inline constexpr std::uint32_t kMetafilePluginVersion = 1;
inline constexpr char kMetafilePluginEntryName[] = "LumatrineMetafilePlugin";

struct MetafilePluginEntry {
    std::uint32_t version;
    MetafileStatus (*readHeader)(std::span<const std::uint8_t> file, MetafileHeader& header);
    MetafileStatus (*play)(std::span<const std::uint8_t> file, const MetafileHeader& header, int width, int height,
                           std::uint32_t background, std::uint8_t* rgb);
    // Makes the headless GUI application object text needs; main thread only.
    void (*makeHeadlessApplication)();
};

}  // namespace platform

extern "C" const platform::MetafilePluginEntry* LumatrineMetafilePlugin();
