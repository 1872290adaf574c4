#pragma once
// A document with a small 4:3 picture loaded from disk, the aspect and stretch panels on it, and a host
// that refreshes the panels on a reload as the main window does. Every full conversion is recorded
// with the settings it ran with.

#include "controls/PanelSlider.h"
#include "document/UserPrompt.h"
#include "document/VantorelDoc.h"
#include "image/RasterImage.h"
#include "ui/RatioPanel.h"
#include "ui/StretchPanel.h"

#include "../support/TempFolder.h"
#include "../support/WidgetTestApp.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

class PanelHost : public CDocumentHost {
public:
    void SetDocument(CVantorelDoc* document) override
    {
        ++refreshes;
        if (aspect != nullptr) aspect->SetDocument(document);
        if (stretch != nullptr) stretch->SetDocument(document);
    }
    CAspectPanel* aspect = nullptr;
    CStretchPanel* stretch = nullptr;
    int refreshes = 0;
};

class PanelHarness : public testing::Test {
protected:
    PanelHarness()
    {
        CRasterImage picture;
        picture.Create(64, 48, 24);
        for (std::size_t i = 0; i < std::size_t{64} * 48 * 3; ++i) picture.Pixels()[i] = std::uint8_t(i * 7);
        path = folder.File("picture.png");
        EXPECT_EQ(picture.Save(path.c_str()), kImageOk);

        window.resize(420, 340);
        aspect = new CAspectPanel(&window);
        stretch = new CStretchPanel(&window);
        aspect->SetStretchPanel(stretch);
        host.aspect = aspect;
        host.stretch = stretch;
        document.SetHost(&host);
        document.conversion.SetViewsChanged([this] { conversions.push_back(document.conversion.settings); });
        EXPECT_TRUE(document.LoadImageFile(path));
        document.SetPathName(path, true);
    }

    // Creates both panels' controls on the document, side by side, after the settings were prepared.
    void ShowPanels()
    {
        aspect->Create();
        stretch->Create();
        aspect->setGeometry(QRect(QPoint(0, 0), aspect->sizeHint()));
        stretch->setGeometry(QRect(QPoint(aspect->width() + 4, 0), stretch->sizeHint()));
        host.SetDocument(&document);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        conversions.clear();
        host.refreshes = 0;
    }

    ConversionSettings& Settings() { return document.conversion.settings; }

    // The smallest x whose press selects `position`, from the slider's hit-test rule: trunc((x - 10) /
    // ((width - 19) / n)) + minimum + 5.
    static int XFor(const CPanelSlider& slider, int position)
    {
        const double unit = double(slider.width() - 19) / (slider.maximum() + 1 - slider.minimum());
        return 10 + int(std::ceil((position - 5 - slider.minimum()) * unit));
    }

    TempFolder folder;
    std::string path;
    QWidget window;
    PanelHost host;
    CVantorelDoc document;
    CAspectPanel* aspect = nullptr;
    CStretchPanel* stretch = nullptr;
    std::vector<ConversionSettings> conversions;   // settings of each full conversion, in order
};
