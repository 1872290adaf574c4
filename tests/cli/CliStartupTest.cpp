// What the command line loads. Its own program so that nothing another test did is already loaded: the
// toolkit must stay out of a process that reads no metafile, and come in with the first one.
#include "image/RasterImage.h"
#include "tests/cli/CliRun.h"
#include "tests/codec/support/MetafileBuilder.h"

#include "../support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// The toolkit's libraries mapped into this process, one line of /proc/self/maps each.
std::string LoadedToolkit()
{
    std::ifstream maps("/proc/self/maps");
    std::string found, line;
    while (std::getline(maps, line)) {
        if (line.find("libQt") != std::string::npos) found += line + "\n";
    }
    return found;
}

int ExitCodeOf(const std::vector<std::string>& args)
{
    const CliRun run = RunCommand(args);
    EXPECT_EQ(run.err, "");
    return run.exitCode;
}

}  // namespace

TEST(CliStartup, ToolkitLoadedOnlyForTheFirstMetafile)
{
    TempFolder folder;
    CRasterImage picture;
    picture.Create(64, 48, 24);
    const std::string jpeg = folder.File("photo.jpg");
    ASSERT_EQ(picture.Save(jpeg.c_str()), kImageOk);
    ASSERT_EQ(LoadedToolkit(), "");

    EXPECT_EQ(ExitCodeOf({"--help"}), 0);
    EXPECT_EQ(ExitCodeOf({"info", jpeg}), 0);
    EXPECT_EQ(ExitCodeOf({"convert", "-j", "2", jpeg}), 0);
    EXPECT_EQ(LoadedToolkit(), "") << "after converting a JPEG";

    const codec_test::Bytes wmf = codec_test::WmfBuilder().Record(0x041B, {40, 80, 5, 5}).Placeable(0, 0, 100, 50, 96);
    const std::string metafile = folder.File("drawing.wmf");
    std::ofstream(metafile, std::ios::binary).write(reinterpret_cast<const char*>(wmf.data()), static_cast<std::streamsize>(wmf.size()));
    EXPECT_EQ(ExitCodeOf({"convert", metafile}), 0);
    EXPECT_NE(LoadedToolkit(), "") << "after converting a metafile";
    CRasterImage converted;
    EXPECT_EQ(converted.Load(folder.File("drawing_16x9.jpg").c_str()), kImageOk);
}
