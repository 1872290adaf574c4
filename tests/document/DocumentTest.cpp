#include "document/VantorelDoc.h"

#include "document/QualitySearch.h"
#include "document/UserPrompt.h"

#include "../support/MemoryProfile.h"
#include "../support/OrientedPhoto.h"
#include "../support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

namespace {

// Answers every question from what the test put in, and remembers what it was asked.
struct ScriptedPrompt : CUserPrompt {
    std::vector<std::string> messages;
    std::optional<SaveDialogRequest> saveRequest;
    std::optional<std::string> savePath;
    std::optional<JpegOptionsRequest> jpegRequest;
    std::optional<int> acceptQuality;  // nothing: the JPEG dialog is cancelled
    std::uint32_t jpegPictureWidth = 0, jpegPictureHeight = 0;
    bool jpegPictureCarriesMetadata = false;  // what the dialog estimated would embed metadata

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> AskSavePath(const SaveDialogRequest& request) override
    {
        saveRequest = request;
        return savePath;
    }
    bool EditJpegOptions(JpegOptionsRequest& request) override
    {
        jpegRequest = request;
        jpegPictureWidth = request.picture->width;
        jpegPictureHeight = request.picture->height;
        jpegPictureCarriesMetadata = request.picture->MetadataToWrite() != nullptr;
        if (!acceptQuality) return false;
        request.quality = *acceptQuality;
        request.enhancedSampling = false;
        return true;
    }
};

struct HostSpy : CDocumentHost {
    int documents = 0;
    int detached = 0;
    void SetDocument(CVantorelDoc* document) override { document != nullptr ? ++documents : ++detached; }
};

// Writes a w x h random picture as PNG.
std::string WritePicture(const TempFolder& folder, const std::string& name, std::uint32_t w, std::uint32_t h)
{
    CRasterImage picture;
    picture.Create(w, h, 24);
    std::mt19937 random(w + h);
    for (std::uint64_t i = 0; i < std::uint64_t{w} * h * 3; ++i) picture.Pixels()[i] = static_cast<std::uint8_t>(random());
    EXPECT_EQ(picture.Save(folder.File(name).c_str()), kImageOk);
    return folder.File(name);
}

class Document : public testing::Test {
protected:
    void SetUp() override
    {
        document.SetPrompt(&prompt);
        document.SetHost(&host);
        document.AddView([this] { ++repaints; });
        document.SetProfile(&profile, SaveSettings{});
    }
    void Open(const std::string& path)
    {
        ASSERT_TRUE(document.OnOpenDocument(path));
        document.SetPathName(path, true);
    }

    TempFolder folder;
    CVantorelDoc document;
    ScriptedPrompt prompt;
    HostSpy host;
    MemoryProfile profile;
    int repaints = 0;
};

}  // namespace

TEST_F(Document, OpeningConvertsAndTellsTheHostAndViews)
{
    Open(WritePicture(folder, "photo.png", 400, 300));
    EXPECT_EQ(document.conversion.output.width, 960u);
    EXPECT_EQ(document.conversion.settings.sourceWidth, 400);
    EXPECT_EQ(host.documents, 1);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(document.Title(), "photo.png");
}

TEST_F(Document, AFailedLoadKeepsTheOldOutputAndPath)
{
    Open(WritePicture(folder, "photo.png", 400, 300));
    const std::uint8_t* output = document.conversion.output.Pixels();
    EXPECT_FALSE(document.LoadImageFile(folder.Write("broken.png", "not a picture")));
    EXPECT_EQ(document.conversion.output.Pixels(), output);
    EXPECT_EQ(document.PathName(), folder.File("photo.png"));
    EXPECT_FALSE(document.conversion.UpdateConversion(false)) << "the source is empty after the failed load";
}

TEST_F(Document, NewDocumentEmptiesOnlyThePath)
{
    Open(WritePicture(folder, "photo.png", 400, 300));
    EXPECT_TRUE(document.OnNewDocument());
    EXPECT_EQ(document.Title(), "Untitled");
    EXPECT_FALSE(document.CanLoadNeighbourImage());
    EXPECT_TRUE(document.conversion.source.HasPixels());
}

TEST_F(Document, StepsThroughTheFolderAndSaysWhenAtTheEnd)
{
    WritePicture(folder, "a.png", 40, 30);
    Open(WritePicture(folder, "B.png", 40, 30));
    document.OnLoadNextImage();
    EXPECT_EQ(document.PathName(), folder.File("a.png"));
    document.OnLoadNextImage();
    EXPECT_EQ(prompt.messages, (std::vector<std::string>{"This is already the last file in the directory"}));
    document.OnLoadPreviousImage();
    document.OnLoadPreviousImage();
    EXPECT_EQ(prompt.messages.back(), "This is already the first file in the directory");
}

TEST_F(Document, SaveProposesANameAndRemembersTheFolder)
{
    Open(WritePicture(folder, "holiday.png", 400, 300));
    prompt.savePath = folder.File("holiday_16x9.png");
    ASSERT_TRUE(document.DoSave("", true));
    EXPECT_EQ(prompt.saveRequest->initialName, "holiday_16x9");
    EXPECT_EQ(prompt.saveRequest->defaultType, "*.png");
    EXPECT_EQ(prompt.saveRequest->title, "Save image");
    EXPECT_EQ(profile.GetString("Document", "outPath", ""), folder.Path());
    CRasterImage written;
    ASSERT_EQ(written.Load(folder.File("holiday_16x9.png").c_str()), kImageOk);
    EXPECT_EQ(written.width, 960u);
}

TEST_F(Document, KeepMetadataIsOnAtFirstAndRememberedInTheProfile)
{
    EXPECT_TRUE(CVantorelDoc{}.KeepMetadata()) << "without a profile";
    EXPECT_TRUE(document.KeepMetadata()) << "with an empty profile";
    document.SetKeepMetadata(false);
    EXPECT_EQ(profile.GetInt("Settings", "keepmetadata", -1), 0);
    CVantorelDoc fresh;
    fresh.SetProfile(&profile, SaveSettings{});
    EXPECT_FALSE(fresh.KeepMetadata());
    fresh.SetKeepMetadata(true);
    EXPECT_EQ(profile.GetInt("Settings", "keepmetadata", -1), 1);
}

TEST_F(Document, TheSavedPictureKeepsMetadataAsTheSwitchSays)
{
    Open(WritePicture(folder, "photo.png", 400, 300));
    struct Case {
        bool keep;
        int format;   // 1: squeezed into the D1 frame for the write
    };
    for (const Case c : {Case{false, 0}, Case{true, 0}, Case{false, 1}, Case{true, 1}}) {
        document.SetKeepMetadata(c.keep);
        document.conversion.settings.outputFormat = c.format;
        document.conversion.output.keepMetadata = !c.keep;
        ASSERT_TRUE(document.OnSaveDocument(folder.File("photo_16x9.png")));
        EXPECT_EQ(document.conversion.output.keepMetadata, c.keep) << "keep " << c.keep << " format " << c.format;
    }
}

// The JPEG dialog estimates sizes and suggests a quality from the picture it is given: that picture
// embeds metadata exactly when the file written will, also on the first save after a change.
TEST_F(Document, TheJpegDialogEstimatesWithTheMetadataTheSaveWrites)
{
    Open(WriteOrientedPhoto(folder, "shot.png", 1, "40x30"));
    ASSERT_NE(document.conversion.output.metadata, nullptr);
    prompt.acceptQuality = 80;
    prompt.savePath = folder.File("shot_16x9.jpg");
    for (const bool keep : {false, true, false}) {
        document.SetKeepMetadata(keep);
        ASSERT_TRUE(document.DoSave("", true));
        EXPECT_EQ(prompt.jpegPictureCarriesMetadata, keep) << "keep " << keep;
    }
}

TEST_F(Document, TheFixedSaveFolderIsUsedOnlyWithAFolder)
{
    Open(WritePicture(folder, "photo.png", 400, 300));
    profile.WriteString("Document", "outPath", "/old");
    prompt.savePath = folder.File("out.png");

    document.SetProfile(&profile, SaveSettings{1, "/fixed"});
    ASSERT_TRUE(document.DoSave("", true));
    EXPECT_EQ(prompt.saveRequest->initialFolder, "/fixed");
    EXPECT_EQ(profile.GetString("Document", "outPath", ""), "/old");

    document.SetProfile(&profile, SaveSettings{1, ""});
    ASSERT_TRUE(document.DoSave("", true));
    EXPECT_EQ(prompt.saveRequest->initialFolder, "/old");
    EXPECT_EQ(profile.GetString("Document", "outPath", ""), folder.Path());
}

TEST_F(Document, CancelledJpegOptionsSaveNothing)
{
    Open(WritePicture(folder, "photo.png", 400, 300));
    prompt.savePath = folder.File("photo_16x9.jpg");
    EXPECT_FALSE(document.DoSave("", true));
    EXPECT_EQ(prompt.messages, (std::vector<std::string>{"Nothing was saved!"}));
    EXPECT_FALSE(std::filesystem::exists(folder.File("photo_16x9.jpg")));
}

TEST_F(Document, AcceptedJpegOptionsAreWhatIsWrittenOnTheD1Frame)
{
    Open(WritePicture(folder, "photo.png", 400, 300));
    document.conversion.settings.outputFormat = 1;  // NTSC D1
    document.conversion.UpdateConversion(false);
    prompt.savePath = folder.File("photo_16x9.jpg");
    prompt.acceptQuality = 50;
    ASSERT_TRUE(document.DoSave("", true));
    EXPECT_EQ(prompt.jpegPictureWidth, 720u);
    EXPECT_EQ(prompt.jpegPictureHeight, 480u);
    EXPECT_EQ(document.conversion.output.width, 960u) << "the display output is restored after the save";

    CRasterImage squeezed;
    ASSERT_EQ(squeezed.CopyFrom(document.conversion.output), kImageOk);
    document.conversion.ApplyOutputFormat();
    const auto size = static_cast<std::uintmax_t>(ProbeJpegSize(document.conversion.output, 50, false));
    EXPECT_EQ(std::filesystem::file_size(folder.File("photo_16x9.jpg")), size);
}

// The JPEG dialog starts from the writer's settings (92 and full chroma, or what a recipe brought) and
// what it accepts becomes them, for the next save, a recipe and a folder conversion.
TEST_F(Document, JpegOptionsStartFromTheWriterSettingsAndTheAnswerIsKept)
{
    Open(WritePicture(folder, "photo.png", 400, 300));
    prompt.savePath = folder.File("photo_16x9.jpg");
    prompt.acceptQuality = 70;
    ASSERT_TRUE(document.DoSave("", true));
    EXPECT_EQ(prompt.jpegRequest->quality, 92);
    EXPECT_TRUE(prompt.jpegRequest->enhancedSampling);
    EXPECT_EQ(document.jpegChoice.quality, 70);
    EXPECT_FALSE(document.jpegChoice.fullChroma);

    document.jpegChoice.targetBytes = 5000;
    document.jpegChoice.progressive = true;
    prompt.acceptQuality = 65;
    ASSERT_TRUE(document.DoSave("", true));
    EXPECT_EQ(prompt.jpegRequest->quality, 70);
    EXPECT_FALSE(prompt.jpegRequest->enhancedSampling);
    EXPECT_EQ(document.jpegChoice.targetBytes, 0) << "the person chose a quality";
    EXPECT_TRUE(document.jpegChoice.progressive);
}

TEST_F(Document, ReadOnlyAndFailedTargetsAreReportedAndUntouched)
{
    Open(WritePicture(folder, "photo.png", 400, 300));
    const std::string target = folder.Write("locked.png", "keep me");
    std::filesystem::permissions(target, std::filesystem::perms::owner_read);
    EXPECT_FALSE(document.OnSaveDocument(target));
    EXPECT_EQ(prompt.messages.back(), "The existing file is read only and it can't be overwritten.");
    EXPECT_EQ(ReadFileBytes(target), "keep me");
    const std::string unwritable = folder.Write("photo.gif", "old gif");
    EXPECT_FALSE(document.OnSaveDocument(unwritable));
    EXPECT_EQ(prompt.messages.back().rfind("The image could not be saved.", 0), 0u);
    EXPECT_EQ(ReadFileBytes(unwritable), "old gif");
}

// ----- turns and pasted pictures ------------------------------------------------------------------

namespace {

std::vector<std::uint8_t> SourceBytes(const CVantorelDoc& document)
{
    const CRasterImage& source = document.conversion.source;
    return {source.Pixels(), source.Pixels() + CRasterImage::GetBufferSize(source.width, source.height, source.bitsPerPixel)};
}

}  // namespace

TEST_F(Document, TurnsConvertAgainAndFourGiveThePictureBack)
{
    Open(WritePicture(folder, "portrait.png", 40, 30));
    const std::vector<std::uint8_t> stored = SourceBytes(document);
    const std::uint8_t topLeft = stored[0];
    for (const bool clockwise : {true, false}) {
        SCOPED_TRACE(clockwise ? "clockwise" : "counter-clockwise");
        repaints = 0;
        ASSERT_TRUE(document.RotateSource(clockwise));
        EXPECT_EQ(document.conversion.source.width, 30u);
        EXPECT_EQ(document.conversion.settings.sourceWidth, 30);
        EXPECT_EQ(document.conversion.settings.sourceHeight, 40);
        // The top-left pixel goes to the top right (clockwise) or the bottom left.
        const std::size_t corner = clockwise ? 29 * 3 : std::size_t{39} * 30 * 3;
        EXPECT_EQ(SourceBytes(document)[corner], topLeft);
        EXPECT_EQ(repaints, 1) << "converted and shown again";
        for (int turn = 1; turn < 4; ++turn) ASSERT_TRUE(document.RotateSource(clockwise));
        EXPECT_EQ(SourceBytes(document), stored);
        EXPECT_EQ(document.PathName(), folder.File("portrait.png")) << "the file stays the document's";
    }
    EXPECT_TRUE(document.CanRotateSource());
    CVantorelDoc empty;
    EXPECT_FALSE(empty.CanRotateSource());
    EXPECT_FALSE(empty.RotateSource(true));
}

TEST_F(Document, ReloadBringsBackThePictureAsStored)
{
    Open(WritePicture(folder, "scan.png", 40, 30));
    const std::vector<std::uint8_t> stored = SourceBytes(document);
    const std::uint32_t outputWidth = document.conversion.output.width;
    ASSERT_TRUE(document.RotateSource(true));
    ASSERT_NE(SourceBytes(document), stored);
    document.OnReloadFile();
    EXPECT_EQ(document.conversion.source.width, 40u);
    EXPECT_EQ(SourceBytes(document), stored);
    EXPECT_EQ(document.conversion.output.width, outputWidth);
}

TEST_F(Document, APastedPictureIsAnUntitledSourceNamedPasted)
{
    Open(WritePicture(folder, "before.png", 40, 30));
    const auto paint = [](std::uint8_t* rows) {
        for (int i = 0; i < 8 * 6 * 3; ++i) rows[i] = static_cast<std::uint8_t>(i);
        return true;
    };
    host.documents = 0;
    ASSERT_TRUE(document.PasteImage(8, 6, paint));
    EXPECT_EQ(document.conversion.source.width, 8u);
    EXPECT_EQ(SourceBytes(document)[100], 100);
    EXPECT_TRUE(document.conversion.output.HasPixels());
    EXPECT_EQ(document.conversion.settings.sourceWidth, 8);
    EXPECT_EQ(document.PathName(), "");
    EXPECT_EQ(document.Title(), "Pasted");
    EXPECT_EQ(host.documents, 1);
    EXPECT_FALSE(document.CanLoadNeighbourImage());

    // The save proposal carries the direction's ending.
    for (const int direction : {0, 1}) {
        document.conversion.settings.direction = direction;
        EXPECT_FALSE(document.DoSave("", true));  // the save dialog is cancelled
        EXPECT_EQ(prompt.saveRequest->initialName, direction == 0 ? "Pasted_16x9" : "Pasted_4x3");
    }
}

TEST_F(Document, APastedPictureOverThePixelBudgetIsRefusedWithAMessage)
{
    Open(WritePicture(folder, "kept.png", 40, 30));
    const std::vector<std::uint8_t> kept = SourceBytes(document);
    struct Size { std::uint32_t width, height; };
    for (const Size size : {Size{20000, 20000}, Size{1'000'001, 1}, Size{0, 10}}) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        prompt.messages.clear();
        bool copied = false;
        EXPECT_FALSE(document.PasteImage(size.width, size.height, [&](std::uint8_t*) { return copied = true; }));
        EXPECT_FALSE(copied);
        ASSERT_EQ(prompt.messages.size(), 1u);
        EXPECT_EQ(prompt.messages[0].rfind("Cannot paste the picture: ", 0), 0u) << prompt.messages[0];
        EXPECT_EQ(SourceBytes(document), kept);
        EXPECT_EQ(document.Title(), "kept.png");
    }
    // A picture that cannot be copied in (its colour copy failed) changes nothing either.
    prompt.messages.clear();
    EXPECT_FALSE(document.PasteImage(8, 6, [](std::uint8_t*) { return false; }));
    EXPECT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(SourceBytes(document), kept);
    EXPECT_EQ(document.Title(), "kept.png");
}

// A photograph tagged 8 opens upright, and the converted picture saved from it carries its Exif with the
// orientation upright: loaded again it is not turned a second time.
TEST_F(Document, APhotographOpensUprightAndSavesWithItsExifUpright)
{
    const std::string path = WriteOrientedPhoto(folder, "shot.png", 8, "40x30");
    Open(path);
    const CRasterImage& source = document.conversion.source;
    ASSERT_EQ(source.width, 30u);
    ASSERT_EQ(source.height, 40u);
    const std::string upright = PeerUprightPixels(path, 8);
    EXPECT_TRUE(std::string(source.Pixels(), source.Pixels() + upright.size()) == upright);

    const std::string saved = folder.File("saved.png");
    ASSERT_TRUE(document.OnSaveDocument(saved));
    CRasterImage reloaded;
    ASSERT_EQ(reloaded.Load(saved.c_str()), kImageOk);
    EXPECT_EQ(reloaded.storedOrientation, 1);
    EXPECT_EQ(reloaded.width, document.conversion.output.width);
    const CRasterImage& output = document.conversion.output;
    EXPECT_EQ(std::memcmp(reloaded.Pixels(), output.Pixels(), std::size_t{output.width} * output.height * 3), 0);
}
