// One drag step on the source thumbnail of the "File Properties" panel: the mouse move, the pan-only
// update and the crop frame's redraw. Beside it, the pan-only update alone and the thumbnail rebuild
// that a drag step must not pay for; and the panel's share of a full update.
#include "conversion/ConversionObserver.h"
#include "document/VantorelDoc.h"
#include "ui/FileSettingsPanel.h"
#include "ui/ThumbnailStatic.h"

#include "../support/BenchApplication.h"
#include "../support/PhotoLike.h"

#include <QApplication>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

// The main window's part: the conversion's notifications go to the panel.
struct PanelForwarder : CConversionObserver {
    explicit PanelForwarder(CFileSettingsPanel& panel) : panel(panel) {}
    void UpdateSourceRegion() override { panel.UpdateSourceRegion(); }
    void UpdateOutputPreview() override { panel.UpdateOutputPreview(); }
    CFileSettingsPanel& panel;
};

// A 6000 x 4000 photograph converted once, shown in a visible panel.
struct LoadedPanel {
    LoadedPanel()
    {
        FillPhotoLike(document.conversion.source, 6000, 4000);
        document.conversion.NormalizeNonSquareSource();
        document.conversion.SetObserver(&forwarder);
        panel.Create();
        panel.show();
        panel.SetDocument(&document);
        document.UpdateConversion(false);
    }
    QApplication& application = BenchApplication();   // before the first widget
    CVantorelDoc document;
    CFileSettingsPanel panel;
    PanelForwarder forwarder{panel};
};

void BM_DragStep(benchmark::State& state)
{
    LoadedPanel loaded;
    CThumbnailStatic* source = loaded.panel.SourceThumbnail();
    const QPoint start = source->rect().center();
    QTest::mousePress(source, Qt::LeftButton, {}, start);
    int step = 1;
    for (auto _ : state) {
        QTest::mouseMove(source, start + QPoint(step, step));
        step = -step;
    }
    QTest::mouseRelease(source, Qt::LeftButton, {}, start);
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);

// Reference: the pan-only update of the same picture with nobody watching.
void BM_PanOnlyUpdateAlone(benchmark::State& state)
{
    CVantorelDoc document;
    FillPhotoLike(document.conversion.source, 6000, 4000);
    document.conversion.NormalizeNonSquareSource();
    double step = 0.01;
    for (auto _ : state) {
        document.PanCrop(step, step);
        step = -step;
    }
}
BENCHMARK(BM_PanOnlyUpdateAlone)->Unit(benchmark::kMicrosecond);

// What a drag step would cost if it rebuilt the source thumbnail from the picture.
void BM_SourceThumbnailRebuild(benchmark::State& state)
{
    LoadedPanel loaded;
    for (auto _ : state) loaded.panel.UpdateSourcePreview();
}
BENCHMARK(BM_SourceThumbnailRebuild)->Unit(benchmark::kMicrosecond);

// The panel's share of a full update: the output thumbnail and text rebuilt from the 960 x 540 output.
void BM_OutputPreview(benchmark::State& state)
{
    LoadedPanel loaded;
    for (auto _ : state) loaded.panel.UpdateOutputPreview();
}
BENCHMARK(BM_OutputPreview)->Unit(benchmark::kMicrosecond);

}  // namespace
