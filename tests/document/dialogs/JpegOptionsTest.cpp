#include "document/JpegOptions.h"
#include "document/QualitySearch.h"
#include "document/dialogs/JpegOptionsDlg.h"
#include "document/dialogs/ProgressWindow.h"

#include "DialogTestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The JPEG options dialog on a 720 x 540 picture, shown without a loop of its own.
class JpegOptions : public testing::Test {
protected:
    void SetUp() override
    {
        FillTestPicture(picture, 720, 540);
        request.picture = &picture;
        dialog = std::make_unique<CJpegOptionsDlg>(nullptr, request);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    // Puts `text` into the quality field at once, as a paste does.
    void PasteQuality(const QString& text)
    {
        dialog->QualityEdit().selectAll();
        dialog->QualityEdit().insert(text);
    }
    // Runs Suggest Quality by a click; `during` runs once inside the search, while the progress window shows.
    int SuggestWithClick(int targetKilobytes, std::function<void(CProgressWindow&)> during = {})
    {
        dialog->TargetEdit().setText(QString::number(targetKilobytes));
        if (during) {
            QTimer::singleShot(0, dialog.get(), [this, during] {
                auto* progress = dialog->findChild<CProgressWindow*>();
                ASSERT_NE(progress, nullptr);
                during(*progress);
            });
        }
        QTest::mouseClick(&dialog->SuggestButton(), Qt::LeftButton);
        return dialog->Quality();
    }

    CRasterImage picture;
    JpegOptionsRequest request;
    std::unique_ptr<CJpegOptionsDlg> dialog;
};

// Cancels the search after a number of probes, as a person pressing Cancel would.
struct CancelAfter : CQualitySearchProgress {
    int probesLeft;
    explicit CancelAfter(int probes) : probesLeft(probes) {}
    void ShowProbe(int) override { --probesLeft; }
    bool Cancelled() const override { return probesLeft <= 0; }
};

}  // namespace

TEST_F(JpegOptions, StartsFromTheRequest)
{
    EXPECT_EQ(dialog->windowTitle(), "JPEG Options");
    EXPECT_EQ(dialog->InfoText().text(), "Image 720 x 540 , uncompressed size 1.48 MB");
    EXPECT_EQ(dialog->QualityEdit().text(), "92");
    EXPECT_EQ(dialog->QualitySlider().value(), 92);
    EXPECT_EQ(dialog->QualitySlider().minimum(), 40);
    EXPECT_EQ(dialog->QualitySlider().maximum(), 100);
    EXPECT_TRUE(dialog->SamplingCheck().isChecked());
    EXPECT_EQ(dialog->TargetEdit().text(), "250");
}

TEST_F(JpegOptions, TypedQualityIsHeldTo40To100)
{
    const struct {
        const char* typed;
        const char* shown;
        int slider;
    } cases[] = {
        {"150", "100", 100}, {"7", "40", 40}, {"-5", "100", 100}, {"", "40", 40}, {"55", "55", 55}, {"50x", "50x", 50},
    };
    for (const auto& c : cases) {
        PasteQuality(c.typed);
        EXPECT_EQ(dialog->QualityEdit().text(), c.shown) << c.typed;
        EXPECT_EQ(dialog->QualitySlider().value(), c.slider) << c.typed;
        EXPECT_EQ(dialog->Quality(), c.slider) << c.typed;
        // A replaced value is left selected, so the next key types over it.
        if (std::string(c.typed) != c.shown) {
            EXPECT_EQ(dialog->QualityEdit().selectedText(), c.shown) << c.typed;
        }
    }
}

TEST_F(JpegOptions, KeysInTheQualityField)
{
    // Emptying the field with Backspace gives 40, selected; typing digit by digit starts over it.
    dialog->QualityEdit().setFocus();
    dialog->QualityEdit().selectAll();
    QTest::keyClick(&dialog->QualityEdit(), Qt::Key_Backspace);
    EXPECT_EQ(dialog->QualityEdit().text(), "40");
    QTest::keyClicks(&dialog->QualityEdit(), "8");
    EXPECT_EQ(dialog->QualityEdit().text(), "40");
    // A digit added to a valid number beyond 100 gives 100.
    dialog->QualityEdit().setText("75");
    dialog->QualityEdit().end(false);
    QTest::keyClicks(&dialog->QualityEdit(), "0");
    EXPECT_EQ(dialog->QualityEdit().text(), "100");
}

TEST_F(JpegOptions, TheSliderWritesAPlainInteger)
{
    dialog->QualitySlider().setFocus();
    QTest::keyClick(&dialog->QualitySlider(), Qt::Key_Left);
    EXPECT_EQ(dialog->QualityEdit().text(), "91");
    QTest::keyClick(&dialog->QualitySlider(), Qt::Key_Home);
    EXPECT_EQ(dialog->QualityEdit().text(), "40");
    EXPECT_EQ(dialog->Quality(), 40);
}

TEST_F(JpegOptions, OkWithoutAnIntegerAsksForOneAndStaysOpen)
{
    PasteQuality("50x");
    std::string message, title;
    AnswerNextModal([&](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr);
        message = box->text().toStdString();
        title = box->windowTitle().toStdString();
        box->accept();
    });
    QTest::keyClick(&dialog->QualityEdit(), Qt::Key_Return);
    EXPECT_EQ(message, "Please enter an integer.");
    EXPECT_EQ(title, "Lumatrine NR");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);

    // Corrected, OK answers with the quality, the sampling and the target.
    PasteQuality("64");
    QTest::mouseClick(&dialog->SamplingCheck(), Qt::LeftButton);
    dialog->TargetEdit().setText("180");
    QTest::keyClick(&dialog->QualityEdit(), Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    JpegOptionsRequest answer;
    dialog->FillAnswer(answer);
    EXPECT_EQ(answer.quality, 64);
    EXPECT_FALSE(answer.enhancedSampling);
    EXPECT_EQ(answer.targetKilobytes, 180);
}

TEST_F(JpegOptions, ExpectedSizeFollowsTheNewestSetting)
{
    // The size at the starting setting arrives without anything being touched.
    const QString first = "Expected file size: " + QString::fromStdString(FormatByteSize(ProbeJpegSize(picture, 92, true), 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->ExpectedSizeText().text() == first; }, 5000))
        << dialog->ExpectedSizeText().text().toStdString();
    // Two settings in a row: only the newest is reported, the older result is dropped.
    QSignalSpy shown(dialog.get(), &CJpegOptionsDlg::ExpectedSizeShown);
    dialog->QualitySlider().setValue(50);
    QTest::mouseClick(&dialog->SamplingCheck(), Qt::LeftButton);
    ASSERT_TRUE(shown.wait(5000));
    QTest::qWait(100);
    ASSERT_EQ(shown.count(), 1);
    const qint64 bytes = shown.constFirst().constFirst().toLongLong();
    EXPECT_EQ(bytes, ProbeJpegSize(picture, 50, false));
    EXPECT_EQ(dialog->ExpectedSizeText().text().toStdString(), "Expected file size: " + FormatByteSize(bytes, 2));
}

TEST_F(JpegOptions, SuggestQualityMatchesTheSearch)
{
    // Targets below every probe, above every probe, and in between.
    const qint64 at76 = ProbeJpegSize(picture, 76, true);
    for (const int kilobytes : {1, 100000, static_cast<int>(at76 / 1024 + 1), static_cast<int>(at76 / 1024)}) {
        const int suggested = SuggestWithClick(kilobytes);
        EXPECT_EQ(suggested, SuggestQuality(picture, true, std::int64_t{kilobytes} * 1024, nullptr)) << kilobytes;
        EXPECT_GE(suggested, 59);
        EXPECT_LE(suggested, 92);
        EXPECT_EQ(dialog->QualityEdit().text(), QString::number(suggested));
        EXPECT_EQ(dialog->QualitySlider().value(), suggested);
    }
    EXPECT_EQ(SuggestWithClick(1), 59);
    EXPECT_EQ(SuggestWithClick(100000), 91);
    EXPECT_EQ(dialog->findChild<CProgressWindow*>(), nullptr) << "the progress window goes with the search";
}

TEST_F(JpegOptions, ProgressWindowShowsTheProbesAndBlocksTheDialog)
{
    std::string title, message, percent;
    int position = 0;
    bool blocking = false;
    int clicksThrough = -1;
    SuggestWithClick(1, [&](CProgressWindow& progress) {
        title = progress.windowTitle().toStdString();
        message = progress.MessageText().text().toStdString();
        percent = progress.PercentText().text().toStdString();
        position = progress.Bar().value();
        blocking = QApplication::activeModalWidget() == &progress;
        // A click on the dialog's window while the search runs does not reach its button.
        QSignalSpy clicked(&dialog->SuggestButton(), &QPushButton::clicked);
        QPushButton& button = dialog->SuggestButton();
        QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, {}, button.mapTo(dialog.get(), button.rect().center()));
        QCoreApplication::processEvents();
        clicksThrough = static_cast<int>(clicked.count());
    });
    EXPECT_EQ(title, "Estimating best quality for size");
    EXPECT_EQ(message, "Quality Probe: 76");
    EXPECT_EQ(percent, "40%");
    EXPECT_EQ(position, 76);
    EXPECT_TRUE(blocking);
    EXPECT_EQ(clicksThrough, 0);
    EXPECT_EQ(dialog->Quality(), 59);
}

TEST_F(JpegOptions, CancelKeepsTheBestQualityFoundSoFar)
{
    // After the first probe (76), Cancel: the search ends with what it knew then.
    for (const int kilobytes : {1, 100000}) {
        bool stillOpen = false;
        const int suggested = SuggestWithClick(kilobytes, [&](CProgressWindow& progress) {
            QTest::mouseClick(&progress.CancelButton(), Qt::LeftButton);
            stillOpen = progress.isVisible();
        });
        CancelAfter cancel(1);
        EXPECT_EQ(suggested, SuggestQuality(picture, true, std::int64_t{kilobytes} * 1024, &cancel)) << kilobytes;
        EXPECT_TRUE(stillOpen) << "Cancel leaves the window to the search";
    }
    EXPECT_EQ(SuggestWithClick(100000, [](CProgressWindow& progress) { QTest::keyClick(&progress, Qt::Key_Escape); }), 75);
}

TEST(JpegOptionsDialog, PalettePictureIsEstimatedAtTwentyFourBits)
{
    CRasterImage palette;
    palette.Create(64, 48, 8);
    palette.paletteCount = 256;
    for (int i = 0; i < 256; ++i) palette.palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 40, 0};
    for (std::uint32_t i = 0; i < 64 * 48; ++i) palette.Pixels()[i] = static_cast<std::uint8_t>(i * 7);
    CRasterImage widened;
    ASSERT_EQ(palette.ConvertTo24(widened), kImageOk);

    JpegOptionsRequest request;
    request.picture = &palette;
    CJpegOptionsDlg dialog(nullptr, request);
    QSignalSpy shown(&dialog, &CJpegOptionsDlg::ExpectedSizeShown);
    ASSERT_TRUE(shown.wait(5000));
    EXPECT_EQ(shown.constFirst().constFirst().toLongLong(), ProbeJpegSize(widened, 92, true));
    EXPECT_TRUE(dialog.SuggestButton().isEnabled());
}

TEST(JpegOptionsDialog, WithoutAPictureThereIsNothingToEstimate)
{
    JpegOptionsRequest request;
    CJpegOptionsDlg dialog(nullptr, request);
    EXPECT_EQ(dialog.InfoText().text(), "Image 0 x 0 , uncompressed size 0.00 bytes");
    EXPECT_FALSE(dialog.SuggestButton().isEnabled());
    EXPECT_EQ(dialog.ExpectedSizeText().text(), "");
}
