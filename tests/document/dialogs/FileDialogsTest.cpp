#include "document/OutputNaming.h"
#include "document/ProfileSettings.h"
#include "document/QualitySearch.h"
#include "document/SaveDialogFilter.h"
#include "document/VantorelDoc.h"
#include "document/dialogs/DialogPrompt.h"
#include "document/dialogs/FileOpenDialog.h"
#include "document/dialogs/JpegOptionsDlg.h"
#include "document/dialogs/NameFilters.h"
#include "document/dialogs/PrevFileDlg.h"
#include "document/dialogs/SaveFileDialog.h"
#include "image/FileType.h"

#include "DialogTestSupport.h"
#include "../../support/TempFolder.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const QStringList kOpenFilters = {
    "All Supported Image Files (*.BMP *.JPG *.PCX *.PNG *.TGA *.TIF *.PSD *.PCD *.WEBP *.HEIC *.HEIF *.AVIF)",
    "PNG Files (*.PNG)", "JPEG Files (*.JPG)", "Windows BMP Files (*.BMP)", "ZSoft PCX Files (*.PCX)",
    "Targa TGA Files (*.TGA)", "TIFF Files (*.TIF)", "Adobe Photoshop (*.PSD)", "Kodak PhotoCD (*.PCD)",
    "WebP Files (*.WEBP)", "HEIC Files (*.HEIC *.HEIF)", "AVIF Files (*.AVIF)", "Metafile (*.WMF)", "Metafile (*.EMF)", "All files (*.*)",
};

// Puts `name` into a file dialog's name field and presses Enter.
void TypeNameAndAccept(QWidget& dialog, const QString& name)
{
    auto* nameField = dialog.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(nameField, nullptr);
    nameField->setText(name);
    QTest::keyClick(nameField, Qt::Key_Return);
}

SaveDialogRequest RequestFor(const std::string& sourcePath, bool toFourThree, const std::string& folder)
{
    // Built the way the document builds it for its save dialog.
    const ProposedName proposed = ProposeOutputName(sourcePath, "Untitled", toFourThree);
    SaveDialogRequest request;
    request.defaultType = DefaultSaveType(proposed.sourceExtension);
    request.initialName = proposed.name;
    request.filter = SaveDialogFilter(request.defaultType);
    request.title = "Save image";
    request.initialFolder = folder;
    return request;
}

}  // namespace

TEST(NameFilters, ProgramFiltersBecomeQtFilters)
{
    EXPECT_EQ(QtNameFilters("Last File Extension (*.tif)|*.tif|JPG File (*.jpg)|*.jpg||"),
              (QStringList{"Last File Extension (*.tif)", "JPG File (*.jpg)"}));
    EXPECT_EQ(QtNameFilters("Pictures|*.png;*.jpg|"), (QStringList{"Pictures (*.png *.jpg)"}));
    EXPECT_EQ(FilterExtension("Tif File (*.tif)"), "tif");
    EXPECT_EQ(FilterExtension("Pictures (*.png *.jpg)"), "png");
    EXPECT_EQ(FilterExtension("All files (*.*)"), "");
}

TEST(FileOpenDialog, OkReturnsTheFileAndRemembersItsFolder)
{
    TempFolder folder;
    std::filesystem::create_directory(folder.File("sub"));
    const std::string chosen = folder.Write("sub/picture.png", "x");
    MemoryProfile profile;
    profile.WriteString(profile::kDocument, profile::kOpenFolder, folder.Path());

    AnswerNextModal([&](QWidget& modal) {
        auto* dialog = qobject_cast<CPrevFileDlg*>(&modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Load image file");
        EXPECT_EQ(dialog->nameFilters(), kOpenFilters);
        EXPECT_EQ(dialog->directory().absolutePath().toStdString(), folder.Path());
        TypeNameAndAccept(*dialog, "sub/picture.png");
    });
    // The folder is written at OK, before the caller opens the file, so a file that fails to load
    // still leaves its folder behind.
    EXPECT_EQ(RunFileOpenDialog(nullptr, profile), chosen);
    EXPECT_EQ(profile.GetString(profile::kDocument, profile::kOpenFolder, ""), folder.File("sub"));
}

TEST(FileOpenDialog, CancelReturnsNothingAndKeepsTheFolder)
{
    TempFolder folder;
    MemoryProfile profile;
    profile.WriteString(profile::kDocument, profile::kOpenFolder, folder.Path());
    AnswerNextModal([](QWidget& modal) { qobject_cast<QDialog*>(&modal)->reject(); });
    EXPECT_EQ(RunFileOpenDialog(nullptr, profile), std::nullopt);
    EXPECT_EQ(profile.GetString(profile::kDocument, profile::kOpenFolder, ""), folder.Path());
}

TEST(SaveFileDialog, ProposesNameAndTypeFromTheSource)
{
    TempFolder folder;
    const struct {
        const char* source;
        bool toFourThree;
        const char* name;
        const char* firstFilter;
        const char* suffix;
    } cases[] = {
        {"/pics/holiday.jpg", false, "holiday_16x9", "JPG File (*.jpg)", "jpg"},
        {"/scans/Scan.TIF", true, "Scan_4x3", "Last File Extension (*.tif)", "tif"},
        {"/pics/anim.gif", false, "anim_16x9", "JPG File (*.jpg)", "jpg"},
        {"", false, "Untitled_16x9", "JPG File (*.jpg)", "jpg"},
    };
    for (const auto& c : cases) {
        CSaveFileDialog dialog(nullptr, RequestFor(c.source, c.toFourThree, folder.Path()));
        EXPECT_EQ(dialog.windowTitle(), "Save image");
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog.nameFilters().constFirst(), c.firstFilter) << c.source;
        EXPECT_EQ(dialog.selectedNameFilter(), c.firstFilter) << c.source;
        EXPECT_EQ(dialog.defaultSuffix(), c.suffix) << c.source;
        EXPECT_EQ(dialog.directory().absolutePath().toStdString(), folder.Path());
        auto* nameField = dialog.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(nameField, nullptr);
        EXPECT_EQ(nameField->text(), c.name) << c.source;
    }
    // A TIFF source lists its type a second time among the program's own entries.
    CSaveFileDialog tiff(nullptr, RequestFor("/scans/Scan.TIF", true, folder.Path()));
    EXPECT_TRUE(tiff.nameFilters().contains("Tif File (*.tif)"));
}

TEST(SaveFileDialog, TypedNamesKeepTheirExtensionOrGetTheChosenTypes)
{
    TempFolder folder;
    const struct {
        const char* typed;
        const char* filter;  // chosen before typing; empty keeps the preselected one
        const char* chosen;
    } cases[] = {
        {"holiday_16x9", "", "holiday_16x9.jpg"},
        {"holiday_16x9", "Portable Graphics (*.png)", "holiday_16x9.png"},
        {"frame.pcx", "", "frame.pcx"},
        {"frame.jpeg", "", "frame.jpeg"},
        {"frame.wbmp", "Tif File (*.tif)", "frame.wbmp"},
    };
    for (const auto& c : cases) {
        CSaveFileDialog dialog(nullptr, RequestFor("/pics/holiday.jpg", false, folder.Path()));
        dialog.show();
        if (*c.filter != '\0') {
            dialog.selectNameFilter(c.filter);
            emit dialog.filterSelected(c.filter);
        }
        TypeNameAndAccept(dialog, c.typed);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.typed;
        EXPECT_EQ(dialog.ChosenPath(), folder.File(c.chosen)) << c.typed;
    }
}

TEST(DialogPrompt, MessagesAreWarningsTitledWithTheProgramName)
{
    CDialogPrompt prompt(nullptr);
    AnswerNextModal([](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "Lumatrine NR");
        EXPECT_EQ(box->text(), "Nothing was saved!");
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->accept();
    });
    prompt.ShowMessage("Nothing was saved!");
}

TEST(DialogPrompt, SavesTheSampleAsJpegThroughTheDialogs)
{
    TempFolder folder;
    MemoryProfile profile;
    profile.WriteString(profile::kDocument, profile::kOutFolder, folder.Path());
    profile.WriteInt(profile::kSettings, profile::kJpegTarget, 120);
    CDialogPrompt prompt(nullptr);
    CVantorelDoc document;
    document.SetPrompt(&prompt);
    document.SetProfile(&profile, SaveSettings{});
    ASSERT_TRUE(document.LoadImageFile(LUMATRINE_SAMPLE));
    document.SetPathName(LUMATRINE_SAMPLE, true);  // as opening a file through the program does

    std::string sizeLine;
    int targetShown = 0;
    AnswerNextModal([&](QWidget& saveDialog) {
        ASSERT_NE(qobject_cast<CSaveFileDialog*>(&saveDialog), nullptr);
        AnswerNextModal([&](QWidget& modal) {
            auto* options = qobject_cast<CJpegOptionsDlg*>(&modal);
            ASSERT_NE(options, nullptr);
            sizeLine = options->InfoText().text().toStdString();
            targetShown = options->TargetEdit().text().toInt();
            options->QualityEdit().setText("77");
            QTest::keyClick(&options->QualityEdit(), Qt::Key_Return);
        });
        QTest::keyClick(saveDialog.findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Return);
    });
    EXPECT_TRUE(document.DoSave("", true));

    const std::string written = folder.File("sample-4x3_16x9.jpg");
    ASSERT_TRUE(std::filesystem::exists(written));
    EXPECT_EQ(CRasterImage::DetectFileType(written.c_str()), kFileJpeg);
    const CRasterImage& output = document.conversion.output;
    EXPECT_EQ(sizeLine, "Image " + std::to_string(output.width) + " x " + std::to_string(output.height) +
                            " , uncompressed size " + FormatByteSize(std::int64_t{output.width} * output.height * 4, 2));
    EXPECT_EQ(targetShown, 120);
    EXPECT_EQ(profile.GetString(profile::kDocument, profile::kOutFolder, ""), folder.Path());
}
