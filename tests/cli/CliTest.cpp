#include "cli/CliMain.h"
#include "cli/ConvertOptions.h"
#include "document/FolderConversion.h"
#include "document/Recipe.h"
#include "document/UserPrompt.h"
#include "document/VantorelDoc.h"

#include "image/RasterImage.h"
#include "tests/cli/CliRun.h"
#include "tests/codec/support/MetafileBuilder.h"
#include "tests/codec/support/PhotoMetadata.h"

#include "../support/OrientedPhoto.h"
#include "../support/PeerTool.h"
#include "../support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>
#include <random>

namespace {

std::string WritePicture(const TempFolder& folder, const std::string& name, std::uint32_t w, std::uint32_t h)
{
    CRasterImage picture;
    picture.Create(w, h, 24);
    std::mt19937 random(w * h);
    for (std::uint64_t i = 0; i < std::uint64_t{w} * h * 3; ++i) picture.Pixels()[i] = static_cast<std::uint8_t>(random() % 32 + i % 200);
    EXPECT_EQ(picture.Save(folder.File(name).c_str()), kImageOk);
    return folder.File(name);
}

PixelSize SizeOf(const std::string& path)
{
    CRasterImage image;
    if (image.Load(path.c_str()) != kImageOk) return {};
    return {static_cast<int>(image.width), static_cast<int>(image.height)};
}

}  // namespace

TEST(Cli, UsageErrorsExitWithTwo)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"convert"},
        {"convert", "--ratio", "101", "a.png"},
        {"convert", "--mode", "sideways", "a.png"},
        {"convert", "--pan", "0.5", "a.png"},
        {"convert", "--quality", "39", "a.png"},
        {"convert", "--jobs"},
        {"convert", "-o", "not-a-folder", "a.png", "b.png"},
        {"info"},
        {"transcode", "only-one"},
        {"transcode", "--quality", "101", "a.png", "b.jpg"},
        {"transcode", "--ratio", "50", "a.png", "b.jpg"},
        {"transcode", "--lossless=yes", "a.png", "b.webp"},
    };
    for (const auto& args : cases) {
        const CliRun run = RunCommand(args);
        EXPECT_EQ(run.exitCode, 2) << (args.empty() ? "" : args[0]) << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_NE(run.err.find("usage"), std::string::npos) << run.err;
    }
}

TEST(Cli, ConvertHelpExplainsEveryOption)
{
    const CliRun run = RunCommand({"convert", "--help"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* option : {"--output", "--to", "--ratio", "--mode", "--split", "--sharpen", "--format", "--size",
                               "--pan", "--quality", "--target-size", "--subsample", "--progressive", "--lossless", "--force",
                               "--jobs", "--recipe", "--no-auto-orient", "--strip"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
}

TEST(Cli, ConvertWritesTheProposedNameBesideTheInput)
{
    TempFolder folder;
    const std::string input = WritePicture(folder, "Photo.PNG", 400, 300);
    const CliRun run = RunCommand({"convert", "--ratio", "50", "--sharpen", "30", input});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const PixelSize size = SizeOf(folder.File("Photo_16x9.png"));
    EXPECT_EQ(size.width, 960);
    EXPECT_EQ(size.height, 540);

    EXPECT_EQ(RunCommand({"convert", "--to", "4x3", "--format", "pal", input}).exitCode, 0);
    EXPECT_EQ(SizeOf(folder.File("Photo_4x3.png")).height, 576);
}

// The output size options: each accepted value with the settings it gives, each refused one with the
// start of its message.
struct OutputSizeCase {
    const char* name;
    std::vector<std::string> args;
    int format, frameWidth, frameHeight;  // when accepted
    const char* error;                    // null: accepted
};
const OutputSizeCase kOutputSizeCases[] = {
    {"hd_by_name", {"--format", "hd"}, 4, 0, 0, nullptr},
    {"uhd_by_name", {"--format=uhd"}, 5, 0, 0, nullptr},
    {"hd_by_number", {"--format", "4"}, 4, 0, 0, nullptr},
    {"uhd_by_number", {"--format", "5"}, 5, 0, 0, nullptr},
    {"own_frame", {"--size", "1280x720"}, 0, 1280, 720, nullptr},
    {"own_frame_4x3", {"--size=1024x768", "--to", "4x3"}, 0, 1024, 768, nullptr},
    {"own_frame_odd_width", {"--size", "1366x768"}, 0, 1366, 768, nullptr},
    {"format_beyond_the_known", {"--format", "6"}, 0, 0, 0, "invalid value for --format: wysiwyg, ntsc, pal, original, hd, uhd or 0..5"},
    {"size_without_height", {"--size", "1280"}, 0, 0, 0, "invalid value for --size: WxH in pixels"},
    {"size_zero", {"--size", "0x0"}, 0, 0, 0, "invalid value for --size: WxH in pixels"},
    {"size_with_spaces", {"--size", "1280 x 720"}, 0, 0, 0, "invalid value for --size: WxH in pixels"},
    {"size_over_the_budget", {"--size", "30000x16875"}, 0, 0, 0, "invalid value for --size: WxH in pixels"},
    {"size_not_16x9", {"--size", "1000x1000"}, 0, 0, 0, "invalid value for --size: 1000x1000 is not a 16:9 frame"},
    {"size_not_4x3", {"--to", "4x3", "--size", "1920x1080"}, 0, 0, 0, "invalid value for --size: 1920x1080 is not a 4:3 frame"},
    {"size_and_format", {"--size", "1280x720", "--format", "hd"}, 0, 0, 0, "--format and --size both choose the output size"},
};

class CliOutputSize : public testing::TestWithParam<OutputSizeCase> {};

TEST_P(CliOutputSize, ParsesOrNamesTheProblem)
{
    const OutputSizeCase& c = GetParam();
    std::vector<std::string> args = c.args;
    args.push_back("in.png");
    std::string error;
    const std::optional<ConvertOptions> options = ParseConvertOptions(args, error);
    if (c.error != nullptr) {
        EXPECT_FALSE(options);
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        return;
    }
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->settings.outputFormat, c.format);
    EXPECT_EQ(options->settings.frameWidth, c.frameWidth);
    EXPECT_EQ(options->settings.frameHeight, c.frameHeight);
}
INSTANTIATE_TEST_SUITE_P(Cli, CliOutputSize, testing::ValuesIn(kOutputSizeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Cli, OutputSizeOptionsOverrideTheRecipesOutputSize)
{
    TempFolder folder;
    const std::string hd = folder.Write("hd.lumrecipe", "format = hd\n");
    const std::string own = folder.Write("own.lumrecipe", "size = 1280x720\n");
    std::string error;
    std::optional<ConvertOptions> options = ParseConvertOptions({"--recipe", hd, "--size", "854x480", "x.png"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->settings.ComputeOutputSize().width, 854);
    options = ParseConvertOptions({"--format", "uhd", "--recipe", own, "x.png"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_FALSE(options->settings.HasOwnFrame());
    EXPECT_EQ(options->settings.outputFormat, 5);
}

TEST(Cli, ConvertedFileHasTheChosenFrame)
{
    TempFolder folder;
    const std::string input = WritePicture(folder, "shot.png", 400, 300);
    struct Case {
        std::vector<std::string> args;
        const char* output;
        int width, height;
    };
    const Case cases[] = {
        {{"--format", "hd"}, "hd.png", 1920, 1080},
        {{"--format", "uhd", "--to", "4x3"}, "uhd43.png", 2880, 2160},
        {{"--size", "1280x720"}, "own.png", 1280, 720},
        {{"--size", "640x480", "--to", "4x3"}, "own43.png", 640, 480},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"convert", "-o", folder.File(c.output)};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(input);
        const CliRun run = RunCommand(args);
        ASSERT_EQ(run.exitCode, 0) << c.output << ": " << run.err;
        const PixelSize size = SizeOf(folder.File(c.output));
        EXPECT_EQ(size.width, c.width) << c.output;
        EXPECT_EQ(size.height, c.height) << c.output;
    }
    const CliRun refused = RunCommand({"convert", "--size", "-5x9", input});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("invalid value for --size"), std::string::npos) << refused.err;
}

TEST(Cli, ExistingOutputsFailUnlessForced)
{
    TempFolder folder;
    const std::string input = WritePicture(folder, "a.png", 40, 30);
    const std::string existing = folder.Write("a_16x9.png", "precious");
    const CliRun refused = RunCommand({"convert", input});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("a.png"), std::string::npos);
    EXPECT_NE(refused.err.find("exists"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(existing), "precious");
    EXPECT_EQ(RunCommand({"convert", "--force", input}).exitCode, 0);
    EXPECT_EQ(SizeOf(existing).width, 960);
}

TEST(Cli, FailuresNameTheFileAndTheReasonAndLeaveNoOutput)
{
    TempFolder folder;
    const std::string good = WritePicture(folder, "good.png", 40, 30);
    const std::string broken = folder.Write("broken.png", "\x89PNG\r\n\x1a\n garbage");
    const std::string out = folder.File("out");
    std::filesystem::create_directory(out);
    const CliRun run = RunCommand({"convert", "-j", "2", "-o", out, good, broken, folder.File("missing.png")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("broken.png: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("missing.png: the file could not be opened"), std::string::npos) << run.err;
    EXPECT_TRUE(std::filesystem::exists(out + "/good_16x9.png"));
    EXPECT_FALSE(std::filesystem::exists(out + "/broken_16x9.png"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 1) << "no temporary is left behind";
}

TEST(Cli, InputsProposingOneNameDoNotOverwriteEachOther)
{
    TempFolder folder;
    WritePicture(folder, "x.bmp", 40, 30);
    // Neither extension has a writer, so both propose x_16x9.jpg.
    std::filesystem::copy_file(folder.File("x.bmp"), folder.File("x.gif"));
    std::filesystem::copy_file(folder.File("x.bmp"), folder.File("x.pcd"));
    const CliRun run = RunCommand({"convert", folder.File("x.gif"), folder.File("x.pcd")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("x.pcd: " + folder.File("x_16x9.jpg") + " is also the output of " + folder.File("x.gif")),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(std::filesystem::exists(folder.File("x_16x9.jpg")));
}

TEST(Cli, TargetSizeKeepsTheJpegBelowIt)
{
    TempFolder folder;
    const std::string input = WritePicture(folder, "big.png", 800, 600);
    ASSERT_EQ(RunCommand({"convert", "-o", folder.File("q92.jpg"), input}).exitCode, 0);
    const auto target = std::filesystem::file_size(folder.File("q92.jpg")) * 4 / 5;
    ASSERT_EQ(RunCommand({"convert", "--target-size", std::to_string(target), "-o", folder.File("small.jpg"), input}).exitCode, 0);
    EXPECT_LT(std::filesystem::file_size(folder.File("small.jpg")), target);
}

TEST(Cli, InfoDescribesFilesAsJson)
{
    TempFolder folder;
    const std::string input = WritePicture(folder, "info.png", 64, 48);
    const std::string junk = folder.Write("junk.bin", "nothing");
    const CliRun run = RunCommand({"info", "--json", input, junk});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("{\"path\":\"" + input + "\",\"type\":6,\"format\":\"PNG\",\"width\":64,\"height\":48,\"bits\":24,"
                           "\"file_width\":64,\"file_height\":48,\"orientation\":0}"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("{\"path\":\"" + junk + "\",\"error\":"), std::string::npos) << run.out;
}

TEST(Cli, TranscodeRewritesInAnotherFormat)
{
    TempFolder folder;
    const std::string input = WritePicture(folder, "t.png", 33, 17);
    ASSERT_EQ(RunCommand({"transcode", input, folder.File("t.bmp")}).exitCode, 0);
    CRasterImage original, copy;
    ASSERT_EQ(original.Load(input.c_str()), kImageOk);
    ASSERT_EQ(copy.Load(folder.File("t.bmp").c_str()), kImageOk);
    ASSERT_EQ(copy.width, 33u);
    EXPECT_EQ(std::memcmp(original.Pixels(), copy.Pixels(), 33 * 17 * 3), 0);
    EXPECT_EQ(RunCommand({"transcode", input, folder.File("t.bmp")}).exitCode, 1) << "exists without --force";
    EXPECT_EQ(RunCommand({"transcode", input, folder.File("t.gif")}).exitCode, 1) << "no writer";
    EXPECT_FALSE(std::filesystem::exists(folder.File("t.gif")));
}

// A transcode writes JPEG files as the desktop program saves them, quality 92 with full chroma, and takes
// the JPEG options convert takes.
TEST(Cli, TranscodeWritesJpegWithTheProgramsSettings)
{
    TempFolder folder;
    const std::string input = WritePicture(folder, "j.png", 64, 48);
    const struct {
        std::vector<std::string> options;
        const char* file;
        const char* want;   // quality, sampling factors, interlace as the peer reports them
    } cases[] = {
        {{}, "default.jpg", "92 1x1,1x1,1x1 None"},
        {{"--quality", "60"}, "q60.jpg", "60 1x1,1x1,1x1 None"},
        {{"--quality=70", "--subsample", "--progressive"}, "all.jpg", "70 2x2,1x1,1x1 JPEG"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"transcode"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {input, folder.File(c.file)});
        const CliRun run = RunCommand(args);
        ASSERT_EQ(run.exitCode, 0) << c.file << ": " << run.err;
        EXPECT_EQ(RunPeer("identify -format '%Q %[jpeg:sampling-factor] %[interlace]' '" + folder.File(c.file) + "'"), c.want);
    }
}

// WebP is written lossy at --quality or lossless with --lossless, by transcode and convert alike; a WebP
// input converts to a WebP beside it, and info names the format.
TEST(Cli, WebpIsWrittenLossyOrLossless)
{
    TempFolder folder;
    const std::string input = WritePicture(folder, "w.png", 64, 48);
    const auto format = [&](const char* file) {
        const std::string text = RunPeer("webpinfo '" + folder.File(file) + "'");
        return text.find("Format: Lossless") != std::string::npos ? "lossless"
               : text.find("Format: Lossy") != std::string::npos  ? "lossy"
                                                                   : "?";
    };
    ASSERT_EQ(RunCommand({"transcode", "--lossless", input, folder.File("exact.webp")}).exitCode, 0);
    ASSERT_EQ(RunCommand({"transcode", "--quality", "50", input, folder.File("q50.webp")}).exitCode, 0);
    ASSERT_EQ(RunCommand({"transcode", input, folder.File("q92.webp")}).exitCode, 0);
    EXPECT_STREQ(format("exact.webp"), "lossless");
    EXPECT_STREQ(format("q50.webp"), "lossy");
    EXPECT_LT(std::filesystem::file_size(folder.File("q50.webp")), std::filesystem::file_size(folder.File("q92.webp")));
    CRasterImage original, copy;
    ASSERT_EQ(original.Load(input.c_str()), kImageOk);
    ASSERT_EQ(copy.Load(folder.File("exact.webp").c_str()), kImageOk);
    ASSERT_EQ(copy.width, 64u);
    EXPECT_EQ(std::memcmp(original.Pixels(), copy.Pixels(), 64 * 48 * 3), 0);

    const CliRun convert = RunCommand({"convert", "--lossless", folder.File("exact.webp")});
    ASSERT_EQ(convert.exitCode, 0) << convert.err;
    EXPECT_STREQ(format("exact_16x9.webp"), "lossless");

    const CliRun info = RunCommand({"info", folder.File("q50.webp")});
    EXPECT_NE(info.out.find("type 22 (WebP), 64 x 48"), std::string::npos) << info.out;
}

namespace {

// A placeable metafile: a filled rectangle and two lines of text.
codec_test::Bytes TextMetafile(int seed)
{
    using codec_test::Bytes;
    using codec_test::Words;
    using codec_test::operator+;
    const auto textOut = [](const std::string& text, int x, int y) {
        Bytes tail(text.begin(), text.end());
        if (tail.size() % 2 != 0) tail.push_back(0);
        for (const int value : {y, x}) {
            tail.push_back(static_cast<std::uint8_t>(value));
            tail.push_back(static_cast<std::uint8_t>(value >> 8));
        }
        return std::pair{Words{static_cast<int>(text.size())}, tail};
    };
    const auto [firstWords, firstTail] = textOut("Line " + std::to_string(seed), 10, 10);
    const auto [secondWords, secondTail] = textOut("Second line", 10, 50);
    codec_test::WmfBuilder wmf;
    wmf.Record(0x02FC, Words{0} + codec_test::Dword(0x00336699u + static_cast<std::uint32_t>(seed)) + Words{0})   // brush
        .Record(0x012D, {0})
        .Record(0x041B, {90, 190, 5, 5})   // rectangle: bottom, right, top, left
        .Record(0x0102, {1})               // transparent background
        .Record(0x0521, firstWords, firstTail)
        .Record(0x0521, secondWords, secondTail);
    return wmf.Placeable(0, 0, 200, 100, 96);
}

// Runs a shell command; its wait status and what it wrote to stdout and stderr together.
std::pair<int, std::string> RunShell(const std::string& command)
{
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return {-1, "the shell could not be started"};
    std::string output;
    std::array<char, 4096> buffer;
    while (const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), count);
    return {pclose(pipe), output};
}

// An enhanced metafile: a font of its own and a line of text.
codec_test::Bytes TextEnhancedMetafile(int seed)
{
    constexpr std::uint32_t kEmrSelectObject = 37, kEmrExtCreateFont = 82, kEmrExtTextOutW = 84;
    const std::u16string text = u"Enhanced " + std::u16string(1, static_cast<char16_t>(u'0' + seed));
    codec_test::Bytes face = codec_test::Utf16(u"DejaVu Sans");
    face.resize(64, 0);
    const std::int32_t one = codec_test::FloatBits(1);
    // The text record: no bounds, scales of 1, the reference point, the count, the text right after the
    // record's 76 fixed bytes, no options, no box and no spacing table.
    return codec_test::EmfBuilder()
        .Record(kEmrExtCreateFont, {3, -24, 0, 0, 0, 700, 0, 0}, face)
        .Record(kEmrSelectObject, {3})
        .Record(kEmrExtTextOutW, {0, 0, 0, 0, 1, one, one, 10, 20, static_cast<std::int32_t>(text.size()), 76, 0, 0, 0, 0, 0, 0},
                codec_test::Utf16(text))
        .Build(0, 0, 5000, 2500);
}

}  // namespace

// Text in metafiles of both kinds converted two at a time: the toolkit's application object the text
// needs is made on the main thread, so every run ends well, and the toolkit's own diagnostics stay off
// the output. The real program runs, a few times over, as a user would start it.
TEST(Cli, MetafilesWithTextConvertInParallel)
{
    TempFolder folder;
    std::string inputs;
    const auto write = [&](const std::string& name, const codec_test::Bytes& bytes) {
        std::ofstream(folder.File(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                                 static_cast<std::streamsize>(bytes.size()));
        inputs += " '" + folder.File(name) + "'";
    };
    for (int i = 0; i < 8; ++i) {
        write("text" + std::to_string(i) + ".wmf", TextMetafile(i));
        write("enhanced" + std::to_string(i) + ".emf", TextEnhancedMetafile(i));
    }
    const std::string out = folder.File("out");
    std::filesystem::create_directory(out);
    // Without XDG_RUNTIME_DIR the toolkit has something to say. In a sanitizer build the leak checker
    // would add its suppression statistics at exit: they are the checker's, not the program's.
    const std::string command = "env -u XDG_RUNTIME_DIR LSAN_OPTIONS=\"${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0\" '"
                                LUMATRINE_CLI_PATH "' convert --force -j 2 -o '" + out + "'" + inputs;
    for (int run = 0; run < 10; ++run) {
        const auto [status, output] = RunShell(command);
        ASSERT_TRUE(WIFEXITED(status)) << "run " << run << " ended by a signal";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "run " << run << ": " << output;
        EXPECT_EQ(output, "") << "run " << run;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 16);
    for (const char* name : {"/text0_16x9.jpg", "/enhanced0_16x9.jpg"}) {
        CRasterImage converted;
        EXPECT_EQ(converted.Load((out + name).c_str()), kImageOk) << name;
    }
}

// Stopped while it writes a large PNG, the program removes the temporary files of every output under way
// and exits with 128 + the signal; the output it finished before stays, the target it was about to
// replace is untouched. One file at a time and two at once.
TEST(Cli, InterruptedConversionLeavesNothingBehind)
{
    TempFolder folder;
    // PNG output of a noisy picture at its own size: a write that lasts long enough to be caught.
    const std::string small = WritePicture(folder, "a_small.png", 40, 30);
    const std::string large = WritePicture(folder, "b_large.png", 4000, 3000);
    const std::string secondLarge = folder.File("c_large.png");
    std::filesystem::create_hard_link(large, secondLarge);
    const std::string out = folder.File("out");
    std::filesystem::create_directory(out);
    const std::string finished = out + "/a_small_16x9.png";
    const std::string target = out + "/b_large_16x9.png";
    const std::string secondOutput = out + "/c_large_16x9.png";
    for (const auto& [signal, jobs] : {std::pair{SIGTERM, "1"}, std::pair{SIGINT, "2"}}) {
        std::filesystem::remove(finished);
        std::filesystem::remove(secondOutput);
        const std::string before = "the target as it was";
        std::ofstream(target, std::ios::binary) << before;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::freopen("/dev/null", "w", stderr);
            execl(LUMATRINE_CLI_PATH, "lumatrine-cli", "convert", "--force", "--format", "original", "-j", jobs, "-o",
                  out.c_str(), small.c_str(), large.c_str(), secondLarge.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // Waits for the large output's temporary to have bytes in it, for at most a minute.
        const auto writing = [&] {
            for (const auto& entry : std::filesystem::directory_iterator(out)) {
                std::error_code error;
                if (entry.path().filename().string().starts_with(".b_large_16x9.png.") && entry.file_size(error) > 0) return true;
            }
            return false;
        };
        int status = 0;
        bool caught = false, ended = false;
        for (int wait = 0; wait < 60000 && !caught && !ended; ++wait) {
            ended = waitpid(child, &status, WNOHANG) == child;
            caught = !ended && writing();
            if (!caught && !ended) usleep(1000);
        }
        if (!ended) {
            kill(child, caught ? signal : SIGKILL);
            waitpid(child, &status, 0);
        }
        ASSERT_TRUE(caught) << "signal " << signal << ": the large output was never seen being written";
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal;
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        // The second large output has only begun, if at all; were it finished, it would be whole.
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(out)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        if (std::filesystem::exists(secondOutput)) {
            EXPECT_EQ(SizeOf(secondOutput).height, 3000);
            names.pop_back();
        }
        EXPECT_EQ(names, (std::vector<std::string>{"a_small_16x9.png", "b_large_16x9.png"})) << "signal " << signal;
        EXPECT_EQ(ReadFileBytes(target), before) << "signal " << signal;
        EXPECT_GT(SizeOf(finished).width, 0) << "signal " << signal;
    }
}

// A program away from the build tree, as installed, loads the metafile player from beside itself and
// never from where it was built: without one there, a metafile fails with the reason and nothing else.
TEST(Cli, MetafilePlayerIsLoadedFromBesideAnInstalledProgram)
{
    TempFolder folder;
    const std::string program = folder.File("lumatrine-cli");
    std::filesystem::copy_file(LUMATRINE_CLI_PATH, program);
    const codec_test::Bytes wmf = TextMetafile(1);
    std::ofstream(folder.File("drawing.wmf"), std::ios::binary)
        .write(reinterpret_cast<const char*>(wmf.data()), static_cast<std::streamsize>(wmf.size()));
    const std::string command = "'" + program + "' convert --force '" + folder.File("drawing.wmf") + "'";
    const auto [withoutStatus, withoutOutput] = RunShell(command);
    EXPECT_EQ(WEXITSTATUS(withoutStatus), 1);
    EXPECT_NE(withoutOutput.find("the metafile player library could not be loaded"), std::string::npos) << withoutOutput;
    EXPECT_FALSE(std::filesystem::exists(folder.File("drawing_16x9.jpg")));

    std::filesystem::copy_file(LUMATRINE_METAFILE_PLUGIN_PATH,
                               folder.File(std::filesystem::path(LUMATRINE_METAFILE_PLUGIN_PATH).filename()));
    const auto [besideStatus, besideOutput] = RunShell(command);
    EXPECT_EQ(WEXITSTATUS(besideStatus), 0) << besideOutput;
    EXPECT_TRUE(std::filesystem::exists(folder.File("drawing_16x9.jpg")));
}

namespace {

// Answers the save dialog with one path and accepts the JPEG options as they are offered.
class SavingPrompt : public CUserPrompt {
public:
    explicit SavingPrompt(std::string path) : path_(std::move(path)) {}
    void ShowMessage(const std::string& text) override { ADD_FAILURE() << text; }
    std::optional<std::string> AskSavePath(const SaveDialogRequest&) override { return path_; }
    bool EditJpegOptions(JpegOptionsRequest&) override { return true; }

private:
    std::string path_;
};

}  // namespace

// One recipe, three ways to convert: the folder conversion, a single Save in the desktop program and
// the command line give the same bytes.
TEST(Cli, RecipeGivesTheSameBytesInTheFolderConversionASaveAndTheCommandLine)
{
    TempFolder folder;
    const std::string input = WritePicture(folder, "shot.png", 640, 480);
    const std::string recipe =
        folder.Write("look.lumrecipe", "ratio = 40\nmode = edges\nsplit = 0.35\nsharpen = 60\nformat = pal\n"
                                       "pan = 0.2,0.9\nquality = 83\nsubsample = yes\nprogressive = yes\n");
    // BMP rather than PNG: the PNG writer stamps the time of writing, so two PNG files differ by it.
    for (const char* extension : {".jpg", ".bmp"}) {
        SCOPED_TRACE(extension);
        const std::string fromCli = folder.File(std::string("cli") + extension);
        const CliRun run = RunCommand({"convert", "--recipe", recipe, "-o", fromCli, input});
        ASSERT_EQ(run.exitCode, 0) << run.err;

        ConversionRunSettings settings;
        std::string error;
        ASSERT_TRUE(ReadRecipeFile(recipe, settings.settings, settings.jpeg, error)) << error;
        std::vector<ConversionJob> jobs(1);
        jobs[0].input = input;
        jobs[0].output = folder.File(std::string("folder") + extension);
        RunConversionJobs(jobs, settings);
        ASSERT_EQ(jobs[0].state, ConversionJob::State::kWritten) << jobs[0].failure;

        const std::string fromSave = folder.File(std::string("save") + extension);
        SavingPrompt prompt(fromSave);
        CVantorelDoc document;
        document.SetPrompt(&prompt);
        ASSERT_TRUE(document.LoadImageFile(input));
        ASSERT_TRUE(document.LoadRecipe(recipe));
        ASSERT_TRUE(document.DoSave("", true));

        const std::string bytes = ReadFileBytes(fromCli);
        EXPECT_GT(bytes.size(), 1000u);
        EXPECT_EQ(ReadFileBytes(jobs[0].output), bytes);
        EXPECT_EQ(ReadFileBytes(fromSave), bytes);
    }
}

TEST(Cli, CommandLineOptionsOverrideTheRecipeWhereverTheyStand)
{
    TempFolder folder;
    const std::string recipe = folder.Write("r.lumrecipe", "quality = 90\nratio = 30\nsharpen = 50\nprogressive = yes\n");
    std::string error;
    const std::optional<ConvertOptions> options =
        ParseConvertOptions({"--quality", "60", "--recipe", recipe, "--sharpen", "off", "x.png"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->jpeg.quality, 60);
    EXPECT_EQ(options->settings.stretchCropRatio, 30);
    EXPECT_EQ(options->settings.sharpenOn, 0);
    EXPECT_TRUE(options->jpeg.progressive);

    folder.Write("bad.lumrecipe", "quality = 90\nratio = 300\n");
    const CliRun refused = RunCommand({"convert", "--recipe", folder.File("bad.lumrecipe"), "x.png"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("bad.lumrecipe: line 2: invalid value for ratio"), std::string::npos) << refused.err;
}

// "Copy as Command Line" gives a line the command line reads back as the same settings.
TEST(Cli, CopiedCommandLineReadsBackAsTheSameSettings)
{
    ConversionSettings settings;
    settings.direction = 1;
    settings.stretchMode = 5;
    settings.sharpenOn = 1;
    settings.sharpenAmount = 7;
    settings.splitOn = 1;
    settings.splitPosition = 0.123456789;
    settings.panX = 0.0;
    settings.panY = 1.0;
    settings.outputFormat = 3;
    const JpegChoice jpeg{55, false, true, 9999};
    const std::string line = ConvertCommandLine(settings, jpeg, "in.png");
    std::vector<std::string> args;
    std::istringstream words(line);
    for (std::string word; words >> word;) args.push_back(word);
    ASSERT_GT(args.size(), 2u);
    args.erase(args.begin(), args.begin() + 2);  // "lumatrine-cli convert"
    std::string error;
    const std::optional<ConvertOptions> options = ParseConvertOptions(args, error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(RecipeText(options->settings, options->jpeg), RecipeText(settings, jpeg));
    EXPECT_EQ(options->inputs, std::vector<std::string>{"in.png"});
}

namespace {

// The pixels of a picture file as this program loads it.
std::vector<std::uint8_t> LoadedPixels(const std::string& path, int& width)
{
    CRasterImage image;
    if (image.Load(path.c_str()) != kImageOk) return {};
    width = static_cast<int>(image.width);
    return {image.Pixels(), image.Pixels() + std::uint64_t{image.width} * image.height * 3};
}

}  // namespace

// A photograph tagged 6 (stored 40 x 30, upright 30 x 40) converts as its upright copy without the tag
// converts, and info reports the upright size and the tag; --no-auto-orient converts the stored rows.
TEST(Cli, OrientedPhotosConvertAndMeasureUpright)
{
    TempFolder folder;
    const std::string tagged = WriteOrientedPhoto(folder, "tagged.png", 6, "40x30");
    RunPeer("convert '" + tagged + "' -orient RightTop -auto-orient -strip '" + folder.File("upright.png") + "'");
    RunPeer("convert '" + tagged + "' -strip '" + folder.File("stored.png") + "'");

    const CliRun info = RunCommand({"info", tagged});
    EXPECT_NE(info.out.find(": type 6 (PNG), 30 x 40, 24 bits per pixel, stored 30 x 40, orientation 6 (turned upright)\n"),
              std::string::npos)
        << info.out;
    EXPECT_NE(RunCommand({"info", "--json", tagged}).out.find("\"width\":30,\"height\":40,"), std::string::npos);

    const struct { std::vector<std::string> options; const char* reference; } cases[] = {
        {{}, "upright.png"},
        {{"--no-auto-orient"}, "stored.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reference);
        std::vector<std::string> args = {"convert", "--ratio", "30", "--force"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        for (const std::string input : {tagged, folder.File(c.reference)}) {
            std::vector<std::string> one = args;
            one.insert(one.end(), {"-o", input + ".out.png", input});
            ASSERT_EQ(RunCommand(one).exitCode, 0);
        }
        int width = 0, referenceWidth = 0;
        const std::vector<std::uint8_t> converted = LoadedPixels(tagged + ".out.png", width);
        EXPECT_FALSE(converted.empty());
        EXPECT_TRUE(converted == LoadedPixels(folder.File(c.reference) + ".out.png", referenceWidth));
    }
}

// A photograph's colour profile, Exif and XMP go into what is written from it: the profile byte for
// byte, the Exif with the camera and the time kept, the orientation upright, the pixel dimensions the
// written size and no thumbnail. --strip writes none of them.
struct CarriedCase {
    const char* name;
    const char* command;
    const char* input;
    const char* output;
    const char* writtenSize;  // Exif pixel dimensions as exiftool prints them
};
void PrintTo(const CarriedCase& c, std::ostream* out)
{
    *out << c.name;
}
const CarriedCase kCarriedCases[] = {
    {"jpeg_to_jpeg", "convert", "shot.jpg", "out.jpg", "960 540"},
    {"png_to_png", "convert", "shot.png", "out.png", "960 540"},
    {"tiff_to_tiff", "convert", "shot.tif", "out.tif", "960 540"},
    {"jpeg_to_png", "transcode", "shot.jpg", "out.png", "30 40"},
};

class CarriedMetadata : public testing::TestWithParam<CarriedCase> {};

TEST_P(CarriedMetadata, GoesIntoTheWrittenFileUnlessStripped)
{
    const CarriedCase& c = GetParam();
    TempFolder folder;
    const codec_test::Bytes profile = codec_test::TestIccProfile();
    folder.Write("profile.icc", std::string(profile.begin(), profile.end()));
    const std::string input = folder.File(c.input);
    RunPeer("convert -size 40x30 xc: -seed 3 +noise Random -type TrueColor -depth 8 -profile '" + folder.File("profile.icc") +
            "' '" + input + "'");
    RunPeer("convert -size 8x6 gradient: '" + folder.File("thumb.jpg") + "'");
    RunPeer("exiftool -q -q -overwrite_original -Make=Lumacam '-Model=L 1' '-DateTimeOriginal=2026:12:11 06:00:00' "
            "-Orientation#=6 -ExifImageWidth=40 -ExifImageHeight=30 -XMP-dc:Title=shot '-ThumbnailImage<=" +
            folder.File("thumb.jpg") + "' '" + input + "'");

    const auto write = [&](const std::vector<std::string>& options, const std::string& output) {
        std::vector<std::string> args = {c.command};
        args.insert(args.end(), options.begin(), options.end());
        if (args[0] == "convert") args.push_back("-o");
        args.insert(args.end(), {args[0] == "convert" ? output : input, args[0] == "convert" ? input : output});
        return RunCommand(args).exitCode;
    };
    const std::string output = folder.File(c.output);
    ASSERT_EQ(write({}, output), 0);
    EXPECT_EQ(RunPeer("exiftool -b -ICC_Profile '" + output + "'"), std::string(profile.begin(), profile.end()));
    EXPECT_EQ(RunPeer("exiftool -s3 -n -EXIF:Make -EXIF:Model -EXIF:DateTimeOriginal -EXIF:Orientation '" + output + "'"),
              "Lumacam\nL 1\n2026:12:11 06:00:00\n1\n");
    EXPECT_EQ(RunPeer("exiftool -p '$ExifImageWidth $ExifImageHeight' '" + output + "'"), std::string(c.writtenSize) + "\n");
    const std::string tags = RunPeer("exiftool -j -G '" + output + "'");
    EXPECT_EQ(tags.find("Thumbnail"), std::string::npos) << tags;
    EXPECT_NE(tags.find("\"XMP:Title\": \"shot\""), std::string::npos) << tags;

    const std::string stripped = folder.File(std::string("stripped-") + c.output);
    ASSERT_EQ(write({"--strip"}, stripped), 0);
    const std::string strippedTags = RunPeer("exiftool -j -G '" + stripped + "'");
    for (const char* group : {"\"ICC_Profile:", "\"XMP:", "\"EXIF:Make", "\"EXIF:DateTimeOriginal"})
        EXPECT_EQ(strippedTags.find(group), std::string::npos) << group << "\n" << strippedTags;
}

INSTANTIATE_TEST_SUITE_P(Photos, CarriedMetadata, testing::ValuesIn(kCarriedCases),
                         [](const auto& info) { return std::string(info.param.name); });
