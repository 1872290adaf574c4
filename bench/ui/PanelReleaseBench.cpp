// Releasing the aspect panel's slider on a 6000 x 4000 photograph, up to the repainted view: the mouse
// press, move and release on the slider, the panel writing the ratio into the document, the full
// conversion, and the view repainting the 960 x 540 output. Beside it, the same conversions alone
// (UpdateConversion with the same ratios) and the repaint alone.
//
// The view here is a stand-in that paints the output picture centred at one screen pixel per image
// pixel, as the program's view does, under the offscreen platform.

#include "controls/PanelSlider.h"
#include "document/VantorelDoc.h"
#include "ui/RatioPanel.h"

#include "../support/BenchApplication.h"
#include "../support/PhotoLike.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

// Paints the document's output picture centred on a dark ground.
class StandInView : public QWidget {
public:
    explicit StandInView(const CVantorelDoc& document) : document_(document) { resize(1200, 700); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(40, 42, 48));
        const CRasterImage& output = document_.conversion.output;
        if (!output.HasPixels()) return;
        const QImage picture(output.Pixels(), int(output.width), int(output.height), output.GetStride(),
                             QImage::Format_RGB888);
        painter.drawImage((width() - picture.width()) / 2, (height() - picture.height()) / 2, picture);
    }

private:
    const CVantorelDoc& document_;
};

// The document with the photograph, its view and the aspect panel, as the main window joins them.
struct Desk {
    Desk()
    {
        FillPhotoLike(document.conversion.source, 6000, 4000);
        document.AddView([this] { view.repaint(); });
        document.conversion.SetViewsChanged([this] { document.UpdateAllViews(); });
        panel.SetDocument(&document);
        panel.Create();
        panel.resize(panel.sizeHint());
        panel.show();
        view.show();
        (void)QTest::qWaitForWindowExposed(&panel);
        (void)QTest::qWaitForWindowExposed(&view);
        document.UpdateConversion(false);
    }

    QApplication& app = BenchApplication();   // before the first widget
    CVantorelDoc document;
    StandInView view{document};
    CAspectPanel panel;
};

// The x that selects `position` on the slider, by its hit-test rule.
int XFor(const CPanelSlider& slider, int position)
{
    const double unit = double(slider.width() - 19) / (slider.maximum() + 1 - slider.minimum());
    return 10 + int(std::ceil((position - 5 - slider.minimum()) * unit));
}

constexpr int kRatios[2] = {20, 30};

void BM_SliderReleaseToRepaintedView(benchmark::State& state)
{
    Desk desk;
    auto* slider = desk.panel.Control<CPanelSlider>(CAspectPanel::kRatioSliderId);
    slider->SetPos(kRatios[0]);
    int turn = 0;
    for (auto _ : state) {
        const int from = kRatios[turn % 2], to = kRatios[(turn + 1) % 2];
        ++turn;
        QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(XFor(*slider, from), 8));
        QTest::mouseMove(slider, QPoint(XFor(*slider, to), 8));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(XFor(*slider, to), 8));
    }
    if (desk.document.conversion.settings.stretchCropRatio != kRatios[turn % 2]) state.SkipWithError("the release did not reach the document");
}
BENCHMARK(BM_SliderReleaseToRepaintedView)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UpdateConversionAlone(benchmark::State& state)
{
    Desk desk;
    int turn = 0;
    for (auto _ : state) {
        desk.document.conversion.SetViewsChanged(nullptr);
        desk.document.conversion.settings.stretchCropRatio = kRatios[++turn % 2];
        desk.document.UpdateConversion(false);
    }
}
BENCHMARK(BM_UpdateConversionAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ViewRepaintAlone(benchmark::State& state)
{
    Desk desk;
    for (auto _ : state) desk.view.repaint();
}
BENCHMARK(BM_ViewRepaintAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
