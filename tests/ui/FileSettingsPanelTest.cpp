#include "ui/FileSettingsPanel.h"

#include "controls/SkinButton.h"
#include "controls/SkinEdit.h"
#include "conversion/ConversionObserver.h"
#include "document/VantorelDoc.h"
#include "ui/ThumbnailStatic.h"

#include "../support/WidgetTestApp.h"

#include <QAccessible>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// The main window's part: hands the conversion's notifications to the panel, and records how deeply
// crop-frame redraws nest and how many full updates reached the panel.
struct PanelForwarder : CConversionObserver {
    explicit PanelForwarder(CFileSettingsPanel& panel) : panel(panel) {}
    void UpdateSourceRegion() override
    {
        maxRegionDepth = std::max(maxRegionDepth, ++regionDepth);
        panel.UpdateSourceRegion();
        --regionDepth;
    }
    void UpdateOutputPreview() override
    {
        ++outputUpdates;
        panel.UpdateOutputPreview();
    }
    CFileSettingsPanel& panel;
    int regionDepth = 0;
    int maxRegionDepth = 0;
    int outputUpdates = 0;
};

constexpr QRgb kPictureColour = qRgb(90, 140, 200);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr int kThumbWidth = 218;
constexpr int kThumbHeight = 165;

void PostMouse(QWidget* widget, QEvent::Type type, QPoint point)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QCoreApplication::postEvent(widget, new QMouseEvent(type, point, widget->mapToGlobal(point), Qt::LeftButton,
                                                        held, Qt::NoModifier));
}

class FileSettingsPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        document.conversion.SetObserver(&forwarder);
        panel.Create();
        panel.show();
        // The area the thumbnails get from the panel's layout at 96 dpi.
        panel.SourceThumbnail()->resize(kThumbWidth, kThumbHeight);
        panel.OutputThumbnail()->resize(kThumbWidth, kThumbHeight);
    }

    // A picture of one colour, read from a file of width x height and brought to square pixels, as a
    // load does: the panel is handed the document, then the conversion runs.
    void Load(int width, int height, int direction = 0)
    {
        ConversionSettings& settings = document.conversion.settings;
        settings.direction = direction;
        CRasterImage& source = document.conversion.source;
        ASSERT_EQ(source.Create(width, height, 24), kImageOk);
        for (std::size_t at = 0; at < static_cast<std::size_t>(width) * height; ++at) {
            std::memcpy(source.Pixels() + at * 3, "\x5a\x8c\xc8", 3);
        }
        document.conversion.NormalizeNonSquareSource();
        panel.SetDocument(&document);
        document.UpdateConversion(false);
        forwarder.outputUpdates = 0;
    }

    QString FileInfo() const { return panel.FileInfoBox()->Text(); }
    QImage SourcePixels() const { return panel.SourceThumbnail()->grab().toImage(); }
    double PanX() const { return document.conversion.settings.panX; }

    CVantorelDoc document;
    CFileSettingsPanel panel;
    PanelForwarder forwarder{panel};
};

TEST(ThumbnailFitTest, FillsTheWidthUnlessTheHeightWouldOverflow)
{
    struct Case {
        std::uint32_t imageWidth, imageHeight;
        int expectedWidth, expectedHeight;
    };
    const Case cases[] = {
        {4000, 3000, 218, 163},  // trunc(0.75 x 218)
        {1000, 2000, 82, 165},   // 436 rows would overflow: trunc(165 / 2)
        {1600, 900, 218, 122},
        {218, 165, 218, 165},
        {100000, 10, 218, 1},    // a line, not nothing
        {10, 100000, 1, 165},
    };
    for (const Case& c : cases) {
        const PixelSize size = CThumbnailStatic::FitSize(c.imageWidth, c.imageHeight, kThumbWidth, kThumbHeight);
        EXPECT_EQ(size.width, c.expectedWidth) << c.imageWidth << " x " << c.imageHeight;
        EXPECT_EQ(size.height, c.expectedHeight) << c.imageWidth << " x " << c.imageHeight;
    }
}

TEST_F(FileSettingsPanelTest, SourcePictureIsCentredOnBlack)
{
    Load(4000, 3000);
    EXPECT_EQ(panel.SourceThumbnail()->Picture().width, 218u);
    EXPECT_EQ(panel.SourceThumbnail()->Picture().height, 163u);
    // Direction 0 at ratio 0 frames the whole picture; look at columns away from the frame.
    const QImage pixels = SourcePixels();
    for (const int x : {10, 109, 207}) {
        EXPECT_EQ(pixels.pixel(x, 0), kBlack) << x;
        EXPECT_EQ(pixels.pixel(x, 10), kPictureColour) << x;
        EXPECT_EQ(pixels.pixel(x, 153), kPictureColour) << x;
        EXPECT_EQ(pixels.pixel(x, 164), kBlack) << x;
    }

    Load(1000, 2000);
    const QImage tall = SourcePixels();
    // 82 columns centred in 218: 68 black columns on each side.
    EXPECT_EQ(tall.pixel(67, 80), kBlack);
    EXPECT_EQ(tall.pixel(70, 80), kPictureColour);
    EXPECT_EQ(tall.pixel(147, 80), kPictureColour);
    EXPECT_EQ(tall.pixel(150, 80), kBlack);
}

TEST_F(FileSettingsPanelTest, CropWindowGetsATwoPixelRedFrame)
{
    // A 16:9 picture made 4:3: the crop window is 1200 x 900 in the middle of 1600 x 900.
    Load(1600, 900, 1);
    ASSERT_EQ(document.conversion.settings.cropRect, (PixelRect{200, 0, 1400, 900}));
    // 218 x 122 picture, 21 black rows above; the window scaled by 218 / 1600 is columns 27..189.
    EXPECT_EQ(panel.SourceThumbnail()->Region(), (PixelRect{27, 0, 190, 122}));
    const QImage pixels = SourcePixels();
    const int middle = 21 + 61;
    struct Pixel {
        int x, y;
        QRgb colour;
    };
    const Pixel expected[] = {
        // Left edge, across the middle row: two red columns inside the window's edge.
        {26, middle, kPictureColour}, {27, middle, kRed}, {28, middle, kRed}, {29, middle, kPictureColour},
        // Right edge: right is exclusive, so the frame ends at column 189.
        {187, middle, kPictureColour}, {188, middle, kRed}, {189, middle, kRed}, {190, middle, kPictureColour},
        // Top and bottom, on the picture's first and last rows.
        {100, 20, kBlack}, {100, 21, kRed}, {100, 22, kRed}, {100, 23, kPictureColour},
        {100, 140, kPictureColour}, {100, 141, kRed}, {100, 142, kRed}, {100, 143, kBlack},
    };
    for (const Pixel& p : expected) EXPECT_EQ(pixels.pixel(p.x, p.y), p.colour) << p.x << ", " << p.y;
    // The output thumbnail never has a frame.
    const QImage output = panel.OutputThumbnail()->grab().toImage();
    EXPECT_EQ(output.pixel(0, 21), kPictureColour);
    EXPECT_EQ(output.pixel(1, 22), kPictureColour);
}

TEST_F(FileSettingsPanelTest, FileInfoGivesTheFileSizeAndTheOutputLine)
{
    struct Case {
        int width, height, format;
        const char* expected;
    };
    const Case cases[] = {
        {720, 480, 0, "Source: 720 x 480\nConverted RectPx->SquarePx\nOutput: 960 x 540"},
        {720, 480, 1, "Source: 720 x 480\nConverted RectPx->SquarePx\nOutput: 720 x 480 - non-square px"},
        {720, 576, 2, "Source: 720 x 576\nConverted RectPx->SquarePx\nOutput: 720 x 576 - non-square px"},
        {720, 576, 3, "Source: 720 x 576\nConverted RectPx->SquarePx\nOutput: 960 x 540"},
        {800, 600, 1, "Source: 800 x 600\nOutput: 720 x 480 - non-square px"},
        {800, 600, 0, "Source: 800 x 600\nOutput: 960 x 540"},
        {800, 600, 3, "Source: 800 x 600\nOutput: 1066 x 600"},
    };
    for (const Case& c : cases) {
        document.conversion.settings.outputFormat = c.format;
        Load(c.width, c.height);
        EXPECT_EQ(FileInfo().toStdString(), c.expected) << c.width << " x " << c.height << " format " << c.format;
    }
}

TEST_F(FileSettingsPanelTest, PanelCreatedAfterAConversionShowsItsSourceAndOutput)
{
    Load(720, 480);
    CFileSettingsPanel late;
    late.SetDocument(&document);
    late.Create();
    const std::string text = late.FileInfoBox()->Text().toStdString();
    EXPECT_EQ(text.rfind("Source: 720 x 480\nConverted RectPx->SquarePx\n", 0), 0u) << text;
    EXPECT_NE(text.find("960 x 540"), std::string::npos) << text;
    EXPECT_TRUE(late.SourceThumbnail()->Picture().HasPixels());
    EXPECT_TRUE(late.OutputThumbnail()->Picture().HasPixels());
}

TEST_F(FileSettingsPanelTest, OnlyAChangeOfOutputSizeRerunsTheConversion)
{
    struct Case {
        int from, to;
        bool reruns;
    };
    const Case cases[] = {
        {0, 1, false}, {1, 2, false}, {2, 0, false}, {1, 1, false}, {3, 3, false}, {4, 4, false}, {5, 5, false},
        {0, 3, true},  {3, 0, true},  {2, 3, true},  {3, 1, true},  {0, 4, true},  {4, 5, true},  {5, 3, true},
        {3, 4, true},  {5, 2, true},
    };
    Load(800, 600);
    for (const Case& c : cases) {
        QTest::mouseClick(panel.FormatRadio(c.from), Qt::LeftButton);
        forwarder.outputUpdates = 0;
        QTest::mouseClick(panel.FormatRadio(c.to), Qt::LeftButton);
        const std::string where = std::to_string(c.from) + " -> " + std::to_string(c.to);
        EXPECT_EQ(document.conversion.settings.outputFormat, c.to) << where;
        EXPECT_EQ(forwarder.outputUpdates, c.reruns ? 1 : 0) << where;
        for (int format = 0; format < kOutputFormatCount; ++format) {
            EXPECT_EQ(panel.FormatRadio(format)->isChecked(), format == c.to) << where << " radio " << format;
        }
        const QString outputLine = FileInfo().section('\n', -1);
        const char* const expectedLines[] = {"Output: 960 x 540", "Output: 720 x 480 - non-square px",
                                             "Output: 720 x 576 - non-square px", "Output: 1066 x 600",
                                             "Output: 1920 x 1080", "Output: 3840 x 2160"};
        EXPECT_EQ(outputLine.toStdString(), expectedLines[c.to]) << where;
    }
}

TEST_F(FileSettingsPanelTest, HdRadiosGiveTheFrameOfTheDirectionAndTakeOverAnOwnFrame)
{
    struct Case {
        int direction, format;
        const char* outputLine;
    };
    const Case cases[] = {
        {0, 4, "Output: 1920 x 1080"}, {0, 5, "Output: 3840 x 2160"},
        {1, 4, "Output: 1440 x 1080"}, {1, 5, "Output: 2880 x 2160"},
    };
    for (const Case& c : cases) {
        // A frame of its own size (from a recipe) is replaced by the radio's.
        document.conversion.settings.ChooseOwnFrame(800, 450);
        Load(1600, 1000, c.direction);
        QTest::mouseClick(panel.FormatRadio(c.format), Qt::LeftButton);
        const std::string where = std::to_string(c.direction) + "/" + std::to_string(c.format);
        EXPECT_EQ(document.conversion.settings.outputFormat, c.format) << where;
        EXPECT_FALSE(document.conversion.settings.HasOwnFrame()) << where;
        EXPECT_EQ(FileInfo().section('\n', -1).toStdString(), c.outputLine) << where;
        EXPECT_EQ(FileInfo().section('\n', 0, 0).toStdString(), "Source: 1600 x 1000") << where;
    }
}

TEST_F(FileSettingsPanelTest, HdRadiosLineUpWithTheOtherFormatsInsideThePanel)
{
    const QRect original = panel.FormatRadio(3)->geometry();
    for (const int format : {4, 5}) {
        const QRect radio = panel.FormatRadio(format)->geometry();
        const QRect above = panel.FormatRadio(format - 1)->geometry();
        EXPECT_EQ(radio.left(), original.left()) << format;
        EXPECT_NEAR(radio.height(), original.height(), 1) << format;   // dialog units round to 16 or 17 pixels
        EXPECT_GT(radio.top(), above.bottom()) << format;
        EXPECT_LE(radio.top() - above.top(), original.top() - panel.FormatRadio(2)->geometry().top() + 1) << format;
        EXPECT_GE(radio.width(), panel.FormatRadio(format)->sizeHint().width()) << format << ": the text is cut";
        EXPECT_LT(radio.bottom(), panel.minimumHeight()) << format;
    }
}

TEST_F(FileSettingsPanelTest, DraggingTheSourcePansWithPanOnlyUpdatesAndConvertsAtRelease)
{
    Load(1600, 900, 1);
    CThumbnailStatic* source = panel.SourceThumbnail();
    QTest::mousePress(source, Qt::LeftButton, {}, QPoint(100, 80));
    QTest::mouseMove(source, QPoint(110, 83));
    EXPECT_DOUBLE_EQ(PanX(), 0.5 + 20.0 / kThumbWidth);
    // A 4:3 window in a 16:9 picture has no spare height: the frame only moves across.
    const PixelRect crop = document.conversion.settings.cropRect;
    EXPECT_GT(crop.left, 200);
    EXPECT_EQ(source->Region().left, static_cast<int>(crop.left * 218.0 / 1600));
    EXPECT_EQ(forwarder.outputUpdates, 0);

    QTest::mouseMove(source, QPoint(90, 80));
    EXPECT_DOUBLE_EQ(PanX(), 0.5 - 20.0 / kThumbWidth);
    EXPECT_EQ(forwarder.outputUpdates, 0);
    QTest::mouseRelease(source, Qt::LeftButton, {}, QPoint(90, 80));
    EXPECT_EQ(forwarder.outputUpdates, 1);
    EXPECT_FALSE(source->IsDragging());

    // Moves after the release pan nothing.
    QTest::mouseMove(source, QPoint(150, 80));
    EXPECT_DOUBLE_EQ(PanX(), 0.5 - 20.0 / kThumbWidth);
}

TEST_F(FileSettingsPanelTest, PanStopsAtTheEdgesOfTheSpareRoom)
{
    struct Case {
        int dx, dy;
        double panX, panY;
    };
    const Case cases[] = {
        {55, 0, 1.0, 0.5},     // a quarter of the width and a pixel more: to the right edge
        {-55, 0, 0.0, 0.5},
        {54, 0, 0.5 + 108.0 / kThumbWidth, 0.5},
        {200, 100, 1.0, 1.0},
        {0, -60, 0.5, 0.0},
    };
    Load(1600, 900, 1);
    CThumbnailStatic* source = panel.SourceThumbnail();
    for (const Case& c : cases) {
        document.conversion.settings.panX = 0.5;
        document.conversion.settings.panY = 0.5;
        // From the middle; a drag may leave the thumbnail while the button is held.
        const QPoint start(109, 82);
        QTest::mousePress(source, Qt::LeftButton, {}, start);
        QTest::mouseMove(source, start + QPoint(c.dx, c.dy));
        QTest::mouseRelease(source, Qt::LeftButton, {}, start + QPoint(c.dx, c.dy));
        EXPECT_DOUBLE_EQ(PanX(), c.panX) << c.dx << ", " << c.dy;
        EXPECT_DOUBLE_EQ(document.conversion.settings.panY, c.panY) << c.dx << ", " << c.dy;
    }
    document.conversion.settings.panX = 1.0;
    document.UpdateConversion(false);
    EXPECT_EQ(document.conversion.settings.cropRect.right, 1600);
}

TEST_F(FileSettingsPanelTest, OutputThumbnailDoesNotDrag)
{
    Load(1600, 900, 1);
    CThumbnailStatic* output = panel.OutputThumbnail();
    QTest::mousePress(output, Qt::LeftButton, {}, QPoint(100, 80));
    QTest::mouseMove(output, QPoint(150, 100));
    QTest::mouseRelease(output, Qt::LeftButton, {}, QPoint(150, 100));
    EXPECT_DOUBLE_EQ(PanX(), 0.5);
    EXPECT_FALSE(output->IsDragging());
    EXPECT_EQ(forwarder.outputUpdates, 0);
    EXPECT_EQ(output->Region(), PixelRect{});
}

TEST_F(FileSettingsPanelTest, CropFrameIsPaintedBeforeTheUpdateReturns)
{
    Load(1600, 900, 1);
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    panel.SourceThumbnail()->installEventFilter(&counter);
    document.conversion.settings.panX = 0.0;
    document.UpdateConversion(true);
    EXPECT_GE(counter.paints, 1);
    EXPECT_EQ(panel.SourceThumbnail()->Region().left, 0);
}

// The crop frame's redraw dispatches waiting input in the middle of an update: drag steps and the
// release that arrive then run inside it, and the dispatch never nests more than once however many
// of them wait.
TEST_F(FileSettingsPanelTest, InputArrivingDuringAnUpdateRunsInsideIt)
{
    Load(1600, 900, 1);
    CThumbnailStatic* source = panel.SourceThumbnail();
    QTest::mousePress(source, Qt::LeftButton, {}, QPoint(50, 80));
    // Timers that are due when the update starts fire from the redraw's dispatch, one after another.
    QTimer::singleShot(1, Qt::PreciseTimer, source, [source] { QTest::mouseMove(source, QPoint(60, 80)); });
    QTimer::singleShot(1, Qt::PreciseTimer, source, [source] { QTest::mouseMove(source, QPoint(70, 80)); });
    QTimer::singleShot(1, Qt::PreciseTimer, source,
                       [source] { QTest::mouseRelease(source, Qt::LeftButton, {}, QPoint(70, 80)); });
    QThread::msleep(5);
    // Another panel's change: a full update.
    EXPECT_TRUE(document.UpdateConversion(false));

    EXPECT_DOUBLE_EQ(PanX(), 0.5 + 40.0 / kThumbWidth);
    EXPECT_EQ(forwarder.maxRegionDepth, 2);
    EXPECT_EQ(forwarder.outputUpdates, 2);  // the release's update inside, then the outer one
    EXPECT_FALSE(source->IsDragging());
    const PixelRect crop = document.conversion.settings.cropRect;
    EXPECT_EQ(source->Region().left, static_cast<int>(crop.left * 218.0 / 1600));
    EXPECT_EQ(document.conversion.output.width, 720u);
}

TEST_F(FileSettingsPanelTest, DragStepsQueuedBehindAMoveAddUp)
{
    Load(1600, 900, 1);
    CThumbnailStatic* source = panel.SourceThumbnail();
    QTest::mousePress(source, Qt::LeftButton, {}, QPoint(50, 80));
    PostMouse(source, QEvent::MouseMove, QPoint(70, 80));
    PostMouse(source, QEvent::MouseMove, QPoint(80, 80));
    QTest::mouseMove(source, QPoint(60, 80));
    EXPECT_DOUBLE_EQ(PanX(), 0.5 + 60.0 / kThumbWidth);
    EXPECT_EQ(forwarder.maxRegionDepth, 2);
    QTest::mouseRelease(source, Qt::LeftButton, {}, QPoint(80, 80));
    EXPECT_EQ(forwarder.outputUpdates, 1);
}

TEST_F(FileSettingsPanelTest, WithoutAPictureNothingIsShownAndDragsStillPan)
{
    panel.SetDocument(&document);
    panel.UpdateSourceRegion();
    panel.UpdateOutputPreview();
    EXPECT_FALSE(panel.SourceThumbnail()->Picture().HasPixels());
    EXPECT_EQ(panel.SourceThumbnail()->Region(), PixelRect{});
    EXPECT_EQ(FileInfo(), QString());
    EXPECT_EQ(SourcePixels().pixel(109, 82), kBlack);

    CThumbnailStatic* source = panel.SourceThumbnail();
    QTest::mousePress(source, Qt::LeftButton, {}, QPoint(100, 80));
    QTest::mouseMove(source, QPoint(120, 80));
    QTest::mouseRelease(source, Qt::LeftButton, {}, QPoint(120, 80));
    EXPECT_DOUBLE_EQ(PanX(), 0.5 + 40.0 / kThumbWidth);
    EXPECT_EQ(forwarder.outputUpdates, 0);

    // The document closed: the operations, the radios and a drag do nothing.
    panel.SetDocument(nullptr);
    panel.UpdateSourcePreview();
    panel.UpdateSourceRegion();
    QTest::mouseClick(panel.FormatRadio(3), Qt::LeftButton);
    EXPECT_EQ(document.conversion.settings.outputFormat, 0);
    QTest::mousePress(source, Qt::LeftButton, {}, QPoint(100, 80));
    QTest::mouseMove(source, QPoint(120, 80));
    QTest::mouseRelease(source, Qt::LeftButton, {}, QPoint(120, 80));
    EXPECT_DOUBLE_EQ(PanX(), 0.5 + 40.0 / kThumbWidth);
}

TEST_F(FileSettingsPanelTest, ScreenReadersSeePicturesTextAndRadios)
{
    Load(720, 480);
    struct Case {
        QWidget* widget;
        QAccessible::Role role;
        const char* name;
    };
    const Case cases[] = {
        {panel.SourceThumbnail(), QAccessible::Graphic, "Source picture"},
        {panel.OutputThumbnail(), QAccessible::Graphic, "Output picture"},
        {panel.FormatRadio(1), QAccessible::RadioButton, "NTSC D1 (720x480)"},
    };
    for (const Case& c : cases) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(c.widget);
        ASSERT_NE(accessible, nullptr) << c.name;
        EXPECT_EQ(accessible->role(), c.role) << c.name;
        EXPECT_EQ(accessible->text(QAccessible::Name).toStdString(), c.name);
    }
    QAccessibleInterface* info = QAccessible::queryAccessibleInterface(panel.FileInfoBox());
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->state().readOnly);
    EXPECT_EQ(info->text(QAccessible::Name).toStdString(), "File Info");
    ASSERT_NE(info->textInterface(), nullptr);
    EXPECT_EQ(info->textInterface()->text(0, info->textInterface()->characterCount()), FileInfo());
}

}  // namespace
