// The image view: empty and centred painting, the centred scroll model, re-centring, keys, the hand
// cursor, dropped files and the grid, through real events on an offscreen window.
#include "ui/VantorelView.h"

#include "conversion/ConversionObserver.h"
#include "document/VantorelDoc.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

const QRgb kEmpty = qRgb(102, 107, 121);
const QRgb kEmptyFrame = qRgb(21, 22, 26);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kGrid = qRgb(224, 224, 224);

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "view_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) new QApplication(argc, argv);
}

// A colour that tells the picture pixel it came from.
QRgb PatternColor(int x, int y) { return qRgb((x * 7) & 255, (y * 5) & 255, ((x + y) * 3 + 1) & 255); }

// Fills a 24-bit picture with PatternColor, or with one colour when `flat` is given.
void FillPicture(CRasterImage& image, int width, int height, std::optional<QRgb> flat = {})
{
    ASSERT_EQ(image.Create(width, height, 24), kImageOk);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb c = flat ? *flat : PatternColor(x, y);
            std::uint8_t* p = image.Pixels() + (y * width + x) * 3;
            p[0] = qRed(c), p[1] = qGreen(c), p[2] = qBlue(c);
        }
}

struct RecordingObserver : CConversionObserver {
    int sourceRegionCalls = 0;
    void UpdateSourceRegion() override { ++sourceRegionCalls; }
    void UpdateOutputPreview() override {}
};

class ViewTest : public testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    ViewTest()
    {
        view.SetDocument(&document);
        view.SetSourceRegionObserver(&observer);
    }

    // A loaded source and an output picture of the given size (pattern, or one colour).
    void SetOutput(int width, int height, std::optional<QRgb> flat = {})
    {
        if (!document.conversion.source.HasPixels()) FillPicture(document.conversion.source, 4, 3);
        FillPicture(document.conversion.output, width, height, flat);
    }

    void Show(int width, int height)
    {
        view.resize(width, height);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.viewport()->repaint();  // a paint takes in a new output size, as after a conversion
    }

    QImage Grab() { return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    CVantorelDoc document;
    RecordingObserver observer;
    CVantorelView view;
};

}  // namespace

TEST_F(ViewTest, EmptyViewIsGreyWithADarkFrameAndNoScrollBars)
{
    // Without any document, and with a document that holds no picture.
    for (const bool withDocument : {false, true}) {
        SCOPED_TRACE(withDocument ? "empty document" : "no document");
        view.SetDocument(withDocument ? &document : nullptr);
        Show(120, 80);
        const QImage shot = Grab();
        ASSERT_EQ(shot.size(), QSize(120, 80));
        for (const QPoint edge : {QPoint(0, 0), QPoint(60, 0), QPoint(119, 40), QPoint(119, 79), QPoint(60, 79), QPoint(0, 40)})
            EXPECT_EQ(shot.pixel(edge), kEmptyFrame) << edge.x() << "," << edge.y();
        for (const QPoint inside : {QPoint(1, 1), QPoint(60, 40), QPoint(118, 78)})
            EXPECT_EQ(shot.pixel(inside), kEmpty) << inside.x() << "," << inside.y();
        EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
        EXPECT_FALSE(view.verticalScrollBar()->isVisible());
    }
}

TEST_F(ViewTest, SmallerPictureIsCentredWithBlackAround)
{
    // Odd and even differences between window and picture; the centre rounds toward the top left.
    struct Case { int width, height; };
    for (const Case c : {Case{61, 41}, Case{200, 150}, Case{1, 1}, Case{100, 149}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        SetOutput(c.width, c.height);
        Show(200, 150);
        const QImage shot = Grab();
        const int left = (200 - c.width) / 2, top = (150 - c.height) / 2;
        int mismatches = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const bool inside = x >= left && x < left + c.width && y >= top && y < top + c.height;
                const QRgb expected = inside ? PatternColor(x - left, y - top) : kBlack;
                if (shot.pixel(x, y) != expected && ++mismatches <= 3) ADD_FAILURE() << "pixel " << x << "," << y;
            }
        EXPECT_EQ(mismatches, 0);
        EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
        EXPECT_FALSE(view.verticalScrollBar()->isVisible());
    }
}

TEST_F(ViewTest, WiderPictureScrollsAroundItsCentre)
{
    // 1000 wide in 600: -200..200. 1001 wide: its extra column lies on the right, so both edges can be
    // reached.
    struct Case { int width; int minimum, maximum; };
    for (const Case c : {Case{1000, -200, 200}, Case{1001, -200, 201}}) {
        SCOPED_TRACE(c.width);
        SetOutput(c.width, 300);
        Show(600, 400);
        QScrollBar& bar = *view.horizontalScrollBar();
        ASSERT_EQ(view.viewport()->width(), 600);
        EXPECT_EQ(bar.minimum(), c.minimum);
        EXPECT_EQ(bar.maximum(), c.maximum);
        EXPECT_EQ(bar.value(), 0);
        EXPECT_EQ(bar.singleStep(), 5);
        EXPECT_EQ(bar.pageStep(), 20);
        EXPECT_TRUE(bar.isVisible());
        EXPECT_FALSE(view.verticalScrollBar()->isVisible());

        // Arrow and page steps move from where the bar stands, clamped to the range; each scroll tells
        // the observer.
        struct Step { QAbstractSlider::SliderAction action; int value; };
        const Step steps[] = {
            {QAbstractSlider::SliderSingleStepAdd, 5},   {QAbstractSlider::SliderPageStepAdd, 25},
            {QAbstractSlider::SliderSingleStepSub, 20},  {QAbstractSlider::SliderPageStepSub, 0},
            {QAbstractSlider::SliderPageStepSub, -20},   {QAbstractSlider::SliderToMinimum, c.minimum},
            {QAbstractSlider::SliderSingleStepSub, c.minimum},
        };
        for (const Step& step : steps) {
            const int before = observer.sourceRegionCalls;
            bar.triggerAction(step.action);
            EXPECT_EQ(bar.value(), step.value);
            if (bar.value() != step.value || step.value == c.minimum) continue;
            EXPECT_EQ(observer.sourceRegionCalls, before + 1);
        }

        // At the minimum the picture's left edge is at the window's left edge; at the maximum its right
        // edge is at the window's right edge.
        const int top = (view.viewport()->height() - 300) / 2;
        bar.setValue(c.minimum);
        EXPECT_EQ(Grab().pixel(0, top + 10), PatternColor(0, 10));
        bar.setValue(c.maximum);
        EXPECT_EQ(Grab().pixel(599, top + 10), PatternColor(c.width - 1, 10));
    }
}

TEST_F(ViewTest, NewOutputSizeOrWindowSizeRecentresAndSameSizeKeepsTheScroll)
{
    SetOutput(1000, 900);
    Show(600, 400);
    view.horizontalScrollBar()->setValue(100);
    view.verticalScrollBar()->setValue(-50);

    SetOutput(1000, 900, qRgb(9, 9, 9));  // another conversion of the same size
    Grab();
    EXPECT_EQ(view.horizontalScrollBar()->value(), 100);
    EXPECT_EQ(view.verticalScrollBar()->value(), -50);

    SetOutput(1400, 900);  // another output size
    Grab();
    EXPECT_EQ(view.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), (1400 - view.viewport()->width()) / 2);

    view.horizontalScrollBar()->setValue(120);
    const int before = observer.sourceRegionCalls;
    view.resize(700, 450);
    QApplication::processEvents();
    EXPECT_EQ(view.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), (1400 - view.viewport()->width()) / 2);
    EXPECT_GT(observer.sourceRegionCalls, before);
}

TEST_F(ViewTest, ConversionUpdatesRepaintUntilTheViewIsGone)
{
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    SetOutput(40, 30);
    Show(200, 150);
    view.viewport()->installEventFilter(&counter);
    QApplication::processEvents();
    counter.paints = 0;
    ASSERT_TRUE(document.UpdateConversion(false));
    QApplication::processEvents();
    EXPECT_GE(counter.paints, 1);

    // A view that has gone (or shows another document) is no longer called by the conversion.
    {
        CVantorelView second;
        second.SetDocument(&document);
    }
    EXPECT_TRUE(document.UpdateConversion(false));
    CVantorelDoc other;
    view.SetDocument(&other);
    counter.paints = 0;
    QApplication::processEvents();
    counter.paints = 0;
    EXPECT_TRUE(document.UpdateConversion(false));
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
    // `other` ends with this test; the view lives on in the fixture.
    view.SetDocument(nullptr);
}

TEST_F(ViewTest, WithoutASourceNothingIsToldAndNothingScrolls)
{
    Show(300, 200);
    view.resize(320, 220);
    QApplication::processEvents();
    EXPECT_EQ(observer.sourceRegionCalls, 0);
    EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
}

TEST_F(ViewTest, EscapeAndEnterAreSwallowed)
{
    // The keys reach neither the window's shortcuts nor the window itself; another key still does.
    struct Window : QWidget {
        int keysReached = 0;
        void keyPressEvent(QKeyEvent*) override { ++keysReached; }
    } window;
    auto* layout = new QVBoxLayout(&window);
    auto* inWindow = new CVantorelView;
    layout->addWidget(inWindow);
    window.resize(200, 150);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    inWindow->setFocus();

    struct Case { Qt::Key key; bool swallowed; };
    for (const Case c : {Case{Qt::Key_Escape, true}, Case{Qt::Key_Return, true}, Case{Qt::Key_Enter, true},
                         Case{Qt::Key_F7, false}}) {
        SCOPED_TRACE(c.key);
        int shortcutRuns = 0;
        QShortcut shortcut(QKeySequence(c.key), &window);
        QObject::connect(&shortcut, &QShortcut::activated, [&] { ++shortcutRuns; });
        QTest::keyClick(inWindow, c.key);
        EXPECT_EQ(shortcutRuns, c.swallowed ? 0 : 1);
    }
    window.keysReached = 0;
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(inWindow, key);
    EXPECT_EQ(window.keysReached, 0);
}

TEST_F(ViewTest, HandShowsWhileTheLeftButtonIsHeldAndNeitherMouseNorWheelMoves)
{
    SetOutput(1000, 800);
    Show(400, 300);
    QWidget* area = view.viewport();
    view.horizontalScrollBar()->setValue(30);

    QTest::mousePress(area, Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_FALSE(area->testAttribute(Qt::WA_SetCursor));
    QTest::mouseRelease(area, Qt::RightButton, {}, QPoint(50, 50));

    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(area->cursor().shape(), Qt::OpenHandCursor);
    QTest::mouseMove(area, QPoint(150, 120));
    QWheelEvent wheel(QPointF(150, 120), area->mapToGlobal(QPointF(150, 120)), {}, QPoint(0, -120), Qt::LeftButton, {},
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(area, &wheel);
    EXPECT_EQ(area->cursor().shape(), Qt::OpenHandCursor);
    EXPECT_EQ(view.horizontalScrollBar()->value(), 30);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(150, 120));
    EXPECT_FALSE(area->testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(area->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ViewTest, DroppedFilesOpenByTheirEnding)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString jpeg = folder.filePath("PICTURE.JPG");
    {
        CRasterImage picture;
        FillPicture(picture, 32, 24);
        ASSERT_EQ(picture.Save(QFile::encodeName(jpeg).constData()), kImageOk);
    }
    std::vector<std::string> opened;
    view.SetOpenFileHandler([&](const std::string& path) {
        opened.push_back(path);
        return document.LoadImageFile(path);
    });
    Show(200, 150);

    struct Case { std::vector<QString> names; QString opens; };
    const Case cases[] = {
        {{jpeg}, jpeg},                                            // upper-case ending
        {{folder.filePath("photo.jpeg")}, {}},
        {{folder.filePath("layers.psd")}, {}},
        {{folder.filePath("scan.tiff")}, {}},
        {{folder.filePath("first.Png"), jpeg, folder.filePath("third.bmp")}, folder.filePath("first.Png")},
        {{folder.filePath("notes.txt"), jpeg}, {}},                // only the first file counts
        {{folder.filePath("web.webp")}, folder.filePath("web.webp")},
        {{folder.filePath("phone.HEIC")}, folder.filePath("phone.HEIC")},
        {{folder.filePath("still.avif")}, folder.filePath("still.avif")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.names.front().toStdString());
        opened.clear();
        QList<QUrl> urls;
        for (const QString& name : c.names) urls << QUrl::fromLocalFile(name);
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(view.viewport(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(view.viewport(), &drop);
        if (c.opens.isEmpty()) {
            EXPECT_TRUE(opened.empty());
        } else {
            ASSERT_EQ(opened.size(), 1u);
            EXPECT_EQ(opened.front(), QFile::encodeName(c.opens).toStdString());
        }
    }
    // The upper-case .JPG was read into the document, and the view shows it.
    EXPECT_TRUE(document.conversion.output.HasPixels());
    EXPECT_NE(Grab().pixel(100, 75), kBlack);
}

TEST_F(ViewTest, GridDrawsThirdsAndSafeFramesOverThePicture)
{
    const QRgb navy = qRgb(0, 0, 80);
    SetOutput(90, 60, navy);
    Show(190, 160);
    const int left = 50, top = 50;  // (190 - 90) / 2, (160 - 60) / 2

    // Thirds at 30 and 60 across, 20 and 40 down; action-safe frame 4 and 3 pixels in (90 %), title-safe
    // 9 and 6 pixels in (80 %).
    const QPoint onGrid[] = {{30, 10}, {60, 50}, {15, 20}, {80, 40}, {4, 3}, {85, 56}, {4, 30}, {45, 3},
                             {9, 6}, {80, 53}, {45, 6}, {80, 30}};
    const QPoint offGrid[] = {{1, 1}, {31, 10}, {15, 21}, {5, 4}, {10, 7}, {88, 58}};
    EXPECT_FALSE(view.IsGridShown());
    for (const bool shown : {false, true}) {
        SCOPED_TRACE(shown ? "grid on" : "grid off");
        const QImage shot = Grab();
        for (const QPoint p : onGrid) EXPECT_EQ(shot.pixel(left + p.x(), top + p.y()), shown ? kGrid : navy) << p.x() << "," << p.y();
        for (const QPoint p : offGrid) EXPECT_EQ(shot.pixel(left + p.x(), top + p.y()), navy) << p.x() << "," << p.y();
        EXPECT_EQ(shot.pixel(left - 1, top + 20), kBlack);
        view.OnShowGrid();
        EXPECT_EQ(view.IsGridShown(), !shown);
    }
}

TEST_F(ViewTest, AccessibilitySeesTheScrollAreaAndItsScrollBars)
{
    SetOutput(1000, 800);
    Show(400, 300);
    QAccessibleInterface* area = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(area, nullptr);
    EXPECT_TRUE(area->state().focusable);
    // Both scroll bars are found below the view, with their role and their value.
    std::vector<QAccessibleInterface*> scrollBars;
    const std::function<void(QAccessibleInterface*)> collect = [&](QAccessibleInterface* node) {
        for (int i = 0; i < node->childCount(); ++i) {
            QAccessibleInterface* child = node->child(i);
            if (child->role() == QAccessible::ScrollBar) scrollBars.push_back(child);
            collect(child);
        }
    };
    collect(area);
    ASSERT_EQ(scrollBars.size(), 2u);
    view.horizontalScrollBar()->setValue(-150);
    int horizontal = 0;
    for (QAccessibleInterface* bar : scrollBars)
        horizontal += bar->valueInterface() != nullptr && bar->valueInterface()->currentValue().toInt() == -150;
    EXPECT_EQ(horizontal, 1);
}

TEST_F(ViewTest, PasteIsOfferedOnlyForAPictureOnTheClipboard)
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);
    EXPECT_TRUE(view.CanPaste());
    QGuiApplication::clipboard()->setText("not a picture");
    EXPECT_FALSE(view.CanPaste());
}

// ----- zoom ---------------------------------------------------------------------------------------

TEST_F(ViewTest, ZoomStepsByTwoBetweenItsLimits)
{
    SetOutput(100, 80);
    Show(400, 300);
    std::vector<double> seen;
    QObject::connect(&view, &CVantorelView::ZoomChanged, [&](double zoom) { seen.push_back(zoom); });
    EXPECT_EQ(view.Zoom(), 1.0);
    while (view.CanZoomOut()) view.ZoomOut();
    EXPECT_EQ(seen, (std::vector<double>{0.5, 0.25, 0.125, 0.0625}));
    view.ZoomOut();  // at the lower end nothing changes
    EXPECT_EQ(view.Zoom(), 1.0 / 16);
    seen.clear();
    while (view.CanZoomIn()) view.ZoomIn();
    EXPECT_EQ(seen, (std::vector<double>{0.125, 0.25, 0.5, 1, 2, 4, 8, 16}));
    view.ZoomIn();
    EXPECT_EQ(view.Zoom(), 16.0);
    EXPECT_EQ(view.PictureRect().size(), QSize(1600, 1280));

    // From a zoom between steps (a fit), the next step up and down.
    view.SetZoom(0.3, QPointF(200, 150));
    view.ZoomIn();
    EXPECT_EQ(view.Zoom(), 0.5);
    view.SetZoom(0.3, QPointF(200, 150));
    view.ZoomOut();
    EXPECT_EQ(view.Zoom(), 0.25);
    // Without a picture there is nothing to zoom.
    view.SetDocument(nullptr);
    EXPECT_FALSE(view.CanZoomIn());
    EXPECT_FALSE(view.CanZoomOut());
}

TEST_F(ViewTest, FitShowsTheWholePictureAndActualSizeGoesBackToOneToOne)
{
    // The window is 400 x 300 without scroll bars; a picture that fits already stays at 1:1.
    struct Case { int width, height; double fit; QSize shown; };
    for (const Case c : {Case{1000, 500, 0.4, {400, 200}}, Case{600, 1000, 0.3, {180, 300}}, Case{100, 50, 1, {100, 50}},
                         Case{400, 300, 1, {400, 300}}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        SetOutput(c.width, c.height);
        Show(400, 300);
        view.ZoomIn();
        view.FitInWindow();
        QApplication::processEvents();
        EXPECT_DOUBLE_EQ(view.Zoom(), c.fit);
        EXPECT_EQ(view.PictureRect().size(), c.shown);
        EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
        EXPECT_FALSE(view.verticalScrollBar()->isVisible());
        EXPECT_EQ(view.PictureRect().center(), view.viewport()->rect().center());

        view.ActualSize();
        QApplication::processEvents();
        EXPECT_EQ(view.Zoom(), 1.0);
        EXPECT_EQ(view.PictureRect().size(), QSize(c.width, c.height));
        EXPECT_EQ(view.horizontalScrollBar()->maximum(), std::max(0, c.width - view.viewport()->width()) / 2 +
                                                             std::max(0, c.width - view.viewport()->width()) % 2);
    }
}

TEST_F(ViewTest, ScrollRangesAndPixelsFollowTheZoom)
{
    // A 1000 x 300 picture in 600 x 400: at 2:1 it is 2000 x 600 and scrolls both ways, each image pixel
    // a 2 x 2 block; at 1:2 it is 500 x 150 and centred without scroll bars.
    SetOutput(1000, 300);
    Show(600, 400);
    view.ZoomIn();
    QApplication::processEvents();
    const QSize window = view.viewport()->size();
    EXPECT_TRUE(view.verticalScrollBar()->isVisible());
    EXPECT_EQ(view.horizontalScrollBar()->minimum(), -((2000 - window.width()) / 2));
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), (2000 - window.width()) - (2000 - window.width()) / 2);
    EXPECT_EQ(view.verticalScrollBar()->minimum(), -((600 - window.height()) / 2));
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->minimum());
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->minimum());
    QImage shot = Grab();
    for (const QPoint block : {QPoint(0, 0), QPoint(3, 2), QPoint(40, 17)})
        for (const QPoint inside : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
            EXPECT_EQ(shot.pixel(block * 2 + inside), PatternColor(block.x(), block.y())) << block.x() << "," << block.y();

    view.ActualSize();
    view.ZoomOut();
    QApplication::processEvents();
    EXPECT_EQ(view.PictureRect(), QRect((600 - 500) / 2, (400 - 150) / 2, 500, 150));
    EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
    EXPECT_FALSE(view.verticalScrollBar()->isVisible());
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
}

TEST_F(ViewTest, ZoomedOutPicturesAreAveragedNotSampled)
{
    // Single-pixel black and white stripes across: any sampling shows black or white, averaging grey.
    SetOutput(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) std::fill_n(document.conversion.output.Pixels() + (y * 640 + x) * 3, 3, x % 2 ? 255 : 0);
    Show(700, 500);
    for (const double zoom : {0.5, 0.25, 0.3, 1.0 / 16}) {
        SCOPED_TRACE(zoom);
        view.SetZoom(zoom, QPointF(350, 250));
        const QRect picture = view.PictureRect();
        const QImage shot = Grab();
        for (const QPoint p : {picture.center(), picture.topLeft() + QPoint(1, 1), picture.center() + QPoint(1, 3)})
            EXPECT_NEAR(qRed(shot.pixel(p)), 128, 12) << p.x() << "," << p.y();
    }
}

TEST_F(ViewTest, CtrlWheelZoomsAboutThePictureUnderTheMouse)
{
    SetOutput(1000, 800);
    Show(400, 300);
    view.horizontalScrollBar()->setValue(-150);
    const auto wheel = [&](QPointF at, int turn, Qt::KeyboardModifiers keys) {
        QWheelEvent event(at, view.viewport()->mapToGlobal(at), {}, QPoint(0, turn), Qt::NoButton, keys, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view.viewport(), &event);
        QApplication::processEvents();  // the scroll bars settle
    };
    const auto underMouse = [&](QPointF at) { return (at - QPointF(view.PictureRect().topLeft())) / view.Zoom(); };

    // Wheel turns with Ctrl: in, in, out, out; each keeps the picture point under the mouse.
    struct Turn { QPointF at; int turn; double zoom; };
    for (const Turn t : {Turn{{120, 90}, 120, 2}, Turn{{300, 50}, 120, 4}, Turn{{60, 250}, -120, 2},
                         Turn{{200, 150}, -120, 1}}) {
        SCOPED_TRACE(testing::Message() << t.at.x() << "," << t.at.y() << " turn " << t.turn);
        const QPointF before = underMouse(t.at);
        wheel(t.at, t.turn, Qt::ControlModifier);
        EXPECT_EQ(view.Zoom(), t.zoom);
        const QPointF after = underMouse(t.at);
        EXPECT_NEAR(after.x(), before.x(), 1 / t.zoom);
        EXPECT_NEAR(after.y(), before.y(), 1 / t.zoom);
    }
    // Where the range ends, the picture's edge stops at the window's edge: scrolled to its left edge and
    // zoomed out about the window's centre, the picture keeps its left edge at the window's.
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->minimum());
    ASSERT_EQ(view.PictureRect().left(), 0);
    wheel(QRectF(view.viewport()->rect()).center(), -120, Qt::ControlModifier);
    EXPECT_EQ(view.Zoom(), 0.5);
    EXPECT_EQ(view.PictureRect().left(), 0);
    // Without Ctrl the wheel does not zoom; a fine wheel's small turns zoom once they make a notch, and
    // a turn of two notches takes two steps.
    struct Fine { int turn; Qt::KeyboardModifiers keys; double zoom; };
    for (const Fine f : {Fine{120, Qt::NoModifier, 0.5}, Fine{60, Qt::ControlModifier, 0.5}, Fine{60, Qt::ControlModifier, 1},
                         Fine{-240, Qt::ControlModifier, 0.25}}) {
        wheel({100, 100}, f.turn, f.keys);
        EXPECT_EQ(view.Zoom(), f.zoom) << f.turn;
    }

    // A zoom that brings the scroll bars (which narrow the window after the zoom) keeps the point too.
    SetOutput(300, 200);
    view.ActualSize();
    view.viewport()->repaint();
    QApplication::processEvents();
    ASSERT_FALSE(view.horizontalScrollBar()->isVisible());
    const QPointF before = underMouse({150, 120});
    wheel({150, 120}, 120, Qt::ControlModifier);
    ASSERT_TRUE(view.horizontalScrollBar()->isVisible());
    EXPECT_NEAR(underMouse({150, 120}).x(), before.x(), 0.5);
    EXPECT_NEAR(underMouse({150, 120}).y(), before.y(), 0.5);
}

TEST_F(ViewTest, GridFollowsTheZoomedPicture)
{
    // 90 x 60 at 2:1 is 180 x 120, at (110, 90) in 400 x 300: thirds at 60 and 120 across, 40 and 80 down.
    const QRgb navy = qRgb(0, 0, 80);
    SetOutput(90, 60, navy);
    Show(400, 300);
    view.OnShowGrid();
    view.ZoomIn();
    ASSERT_EQ(view.PictureRect(), QRect(110, 90, 180, 120));
    const QImage shot = Grab();
    for (const QPoint p : {QPoint(170, 100), QPoint(230, 150), QPoint(150, 130), QPoint(200, 170)})
        EXPECT_EQ(shot.pixel(p), kGrid) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(171, 100), QPoint(140, 100), QPoint(150, 131)}) EXPECT_EQ(shot.pixel(p), navy) << p.x() << "," << p.y();
}

TEST_F(ViewTest, ZoomedOutViewShowsEachNewConversion)
{
    // The averaged copies belong to one conversion: a new one of the same size is shown, not the old.
    Show(400, 300);
    for (const QRgb colour : {qRgb(200, 0, 0), qRgb(0, 0, 200)}) {
        FillPicture(document.conversion.source, 400, 300, colour);
        ASSERT_TRUE(document.UpdateConversion(false));
        if (colour == qRgb(200, 0, 0)) view.SetZoom(0.5, QPointF(200, 150));
        EXPECT_EQ(Grab().pixel(view.PictureRect().center()), colour);
    }
}
