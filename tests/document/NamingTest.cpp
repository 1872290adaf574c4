#include "document/JpegOptions.h"
#include "document/NeighbourFiles.h"
#include "document/OutputNaming.h"
#include "document/SaveDialogFilter.h"

#include "../support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

struct NamingCase {
    const char* name;
    const char* pathName;
    bool toFourThree;
    const char* proposed;
    const char* defaultType;
    const char* filterStart;
};

class SaveNaming : public testing::TestWithParam<NamingCase> {};

TEST_P(SaveNaming, ProposedNameAndFirstFilterEntry)
{
    const NamingCase& c = GetParam();
    const ProposedName proposed = ProposeOutputName(c.pathName, "Untitled", c.toFourThree);
    EXPECT_EQ(proposed.name, c.proposed);
    const std::string type = DefaultSaveType(proposed.sourceExtension);
    EXPECT_EQ(type, c.defaultType);
    const std::string filter = SaveDialogFilter(type);
    EXPECT_EQ(filter.rfind(c.filterStart, 0), 0u) << filter;
    EXPECT_EQ(filter.back(), '|');
}

const NamingCase kNamingCases[] = {
    {"jpeg_source", "/pics/holiday.jpg", false, "holiday_16x9", "*.jpg", "JPG File (*.jpg)|*.jpg|Portable Graphics"},
    {"tiff_source_to_4x3", "/scans/Scan.TIF", true, "Scan_4x3", "*.tif", "Last File Extension (*.tif)|*.tif|Portable Graphics"},
    {"gif_source_gets_jpeg", "/pics/anim.gif", false, "anim_16x9", "*.jpg", "JPG File (*.jpg)|*.jpg|"},
    {"no_extension_no_suffix", "/pics/noext", false, "noext", "*.jpg", "JPG File (*.jpg)|*.jpg|"},
    {"nothing_open", "", false, "Untitled_16x9", "*.jpg", "JPG File (*.jpg)|*.jpg|"},
    {"png_source", "/pics/a.png", false, "a_16x9", "*.png", "Portable Graphics (*.png)|*.png|JPG File"},
    {"bmp_source", "/pics/a.BMP", true, "a_4x3", "*.bmp", "Windows Bitmap (*.bmp)|*.bmp|Portable Graphics"},
    {"webp_source", "/pics/a.webp", false, "a_16x9", "*.webp", "Last File Extension (*.webp)|*.webp|Portable Graphics"},
    {"heic_source_gets_jpeg", "/phone/IMG_0001.HEIC", false, "IMG_0001_16x9", "*.jpg", "JPG File (*.jpg)|*.jpg|"},
    {"avif_source_gets_jpeg", "/pics/a.avif", false, "a_16x9", "*.jpg", "JPG File (*.jpg)|*.jpg|"},
};
INSTANTIATE_TEST_SUITE_P(Document, SaveNaming, testing::ValuesIn(kNamingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SaveNamingRules, TitleIsCutBeforeCharactersANameCannotCarry)
{
    EXPECT_EQ(ProposeOutputName("", "My picture#2", false).name, "My_16x9");
    EXPECT_EQ(SaveDialogFilter("*.psd"), "Adobe Photoshop (*.psd)|*.psd|Portable Graphics (*.png)|*.png|JPG File (*.jpg)|*.jpg|"
                                         "Windows Bitmap (*.bmp)|*.bmp|Tif File (*.tif)|*.tif|Targa File (*.tga)|*.tga|"
                                         "WebP Image (*.webp)|*.webp||");
}

class NeighbourFolder : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"a.jpg", "B.jpg", "c_16x9.jpg", "d.JPG", "e.jpeg", "notes.txt"}) folder.Write(name);
        std::filesystem::create_directory(folder.File("sub.jpg"));
    }
    TempFolder folder;
};

TEST_F(NeighbourFolder, ListsPicturesByteWiseSkippingOutputs)
{
    const std::vector<std::string> want = {folder.File("B.jpg"), folder.File("a.jpg"), folder.File("d.JPG")};
    EXPECT_EQ(ListNeighbourFiles(folder.File("a.jpg")), want);
}

TEST_F(NeighbourFolder, StepsAndStopsAtBothEnds)
{
    const struct { const char* current; bool forward; NeighbourStep step; const char* next; } cases[] = {
        {"a.jpg", true, NeighbourStep::Found, "d.JPG"},
        {"a.jpg", false, NeighbourStep::Found, "B.jpg"},
        {"d.JPG", true, NeighbourStep::AlreadyLast, ""},
        {"B.jpg", false, NeighbourStep::AlreadyFirst, ""},
        {"A.JPG", true, NeighbourStep::Found, "d.JPG"},   // the current file matches whatever its case
        {"gone.jpg", true, NeighbourStep::NotListed, ""},
    };
    for (const auto& c : cases) {
        const std::string current = folder.File(c.current);
        const NeighbourResult result = FindNeighbour(ListNeighbourFiles(current), current, c.forward);
        EXPECT_EQ(result.step, c.step) << c.current;
        if (c.step == NeighbourStep::Found) {
            EXPECT_EQ(result.path, folder.File(c.next)) << c.current;
        }
    }
}

TEST(NeighbourFiles, WebpHeicAndAvifAreSteppedThrough)
{
    TempFolder folder;
    for (const char* name : {"p.webp", "q.HEIC", "r.avif", "s.heif", "t.jpg", "u.txt", "v.webpx", "wwebp"}) folder.Write(name);
    const std::vector<std::string> want = {folder.File("p.webp"), folder.File("q.HEIC"), folder.File("r.avif"),
                                           folder.File("s.heif"), folder.File("t.jpg")};
    EXPECT_EQ(ListNeighbourFiles(folder.File("t.jpg")), want);
}

TEST_F(NeighbourFolder, AnOutputOpenedByHandStaysInTheList)
{
    const std::string current = folder.File("c_16x9.jpg");
    const NeighbourResult result = FindNeighbour(ListNeighbourFiles(current), current, true);
    EXPECT_EQ(result.step, NeighbourStep::Found);
    EXPECT_EQ(result.path, folder.File("d.JPG"));
}

TEST(JpegOptionsRules, TypedQualityIsHeldToItsRange)
{
    const struct { const char* typed; int quality; const char* replacement; } cases[] = {
        {"150", 100, "100"}, {"7", 40, "40"}, {"-5", 100, "100"}, {"", 40, "40"}, {"75", 75, nullptr}, {"50x", 50, nullptr},
    };
    for (const auto& c : cases) {
        const TypedQuality typed = ReadTypedQuality(c.typed);
        EXPECT_EQ(typed.quality, c.quality) << c.typed;
        EXPECT_EQ(typed.replacement.has_value(), c.replacement != nullptr) << c.typed;
        if (c.replacement != nullptr && typed.replacement) {
            EXPECT_EQ(*typed.replacement, c.replacement);
        }
    }
}

TEST(JpegOptionsRules, SizeLineAndPercentText)
{
    EXPECT_EQ(PictureSizeLine(720, 540), "Image 720 x 540 , uncompressed size 1.48 MB");
    EXPECT_EQ(ProgressPercentText(76, 60, 100), "40%");
    EXPECT_EQ(ProgressPercentText(100, 60, 100), "100%");
}
