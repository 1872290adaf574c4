// The program's side of the metafile player. Playback draws with QtGui, which costs every start of the
// command line its load time although most runs never read a metafile: the player is a library of its
// own (MetafilePlugin.cpp), loaded here the first time a metafile is read. This file has no Qt in it.
#include "platform/MetafilePlayer.h"

#include "platform/MetafilePlugin.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <mutex>
#include <string>
#include <thread>

// The font configuration loaded for text is kept for the life of the process and fontconfig does not
// free its caches at exit: leak checkers in sanitizer builds are told so. (The checker reads this from
// the program, not from a library loaded later, so it lives here.)
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

namespace platform {
namespace {

// Static initialisers run on the main thread, before main.
const std::thread::id kMainThread = std::this_thread::get_id();

std::string ExecutableFolder()
{
    std::array<char, 4096> path{};
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) return {};
    const std::string executable(path.data(), static_cast<std::size_t>(length));
    return executable.substr(0, executable.find_last_of('/'));
}

// Looked for beside the program, then in the installed program's library folder, then, for a program
// that runs from the build tree (the tests, the programs before installation), where the build put it.
// An installed program never loads code from where it was once built.
const MetafilePluginEntry* LoadPlugin()
{
    const std::string folder = ExecutableFolder();
    const std::string buildTree = LUMATRINE_BUILD_TREE "/";
    const bool inBuildTree = (folder + "/").starts_with(buildTree);
    for (const std::string& path : {folder + "/" LUMATRINE_METAFILE_PLUGIN_NAME,
                                    folder + "/" LUMATRINE_METAFILE_PLUGIN_INSTALLED,
                                    inBuildTree ? std::string(LUMATRINE_METAFILE_PLUGIN_BUILT) : std::string()}) {
        if (path.empty() || access(path.c_str(), R_OK) != 0) continue;
        // Never closed: the toolkit it loads stays for the life of the process.
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) continue;
        const auto entryPoint = reinterpret_cast<decltype(&LumatrineMetafilePlugin)>(dlsym(library, kMetafilePluginEntryName));
        const MetafilePluginEntry* entry = entryPoint != nullptr ? entryPoint() : nullptr;
        if (entry != nullptr && entry->version == kMetafilePluginVersion) return entry;
    }
    return nullptr;
}

const MetafilePluginEntry* Plugin()
{
    static const MetafilePluginEntry* const entry = LoadPlugin();
    return entry;
}

}  // namespace

void PrepareMetafileText()
{
    if (std::this_thread::get_id() != kMainThread) return;
    if (const MetafilePluginEntry* plugin = Plugin()) plugin->makeHeadlessApplication();
}

MetafileStatus ReadMetafileHeader(std::span<const std::uint8_t> file, MetafileHeader& header)
{
    header = MetafileHeader{};
    const MetafilePluginEntry* plugin = Plugin();
    return plugin != nullptr ? plugin->readHeader(file, header) : MetafileStatus::kNoPlayer;
}

MetafileStatus PlayMetafile(std::span<const std::uint8_t> file, const MetafileHeader& header, int width,
                            int height, std::uint32_t background, std::uint8_t* rgb)
{
    // Text is drawn with the GUI application object: on the main thread one is made if there is none.
    PrepareMetafileText();
    const MetafilePluginEntry* plugin = Plugin();
    return plugin != nullptr ? plugin->play(file, header, width, height, background, rgb) : MetafileStatus::kNoPlayer;
}

}  // namespace platform
