#pragma once
// The QApplication that widget tests need, made once per test program before its first test (tests
// run with QT_QPA_PLATFORM=offscreen), and small helpers for reading grabbed pixels.

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

inline QApplication& WidgetTestApp()
{
    static int argc = 1;
    static char name[] = "lumatrine-widget-tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's own statics go first, and an application destroyed after them
    // crashes the test program.
    static QApplication* const app = new QApplication(argc, argv);
    return *app;
}

class WidgetTestEnvironment : public testing::Environment {
public:
    void SetUp() override { WidgetTestApp(); }
};
inline testing::Environment* const kWidgetTestEnvironment = testing::AddGlobalTestEnvironment(new WidgetTestEnvironment);

// The widget as it paints itself now, one image pixel per widget pixel.
inline QImage GrabPixels(QWidget& widget)
{
    QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(1.0);
    return image;
}

// Colours as "r,g,b" text, so a failed comparison prints both colours.
inline std::string Rgb(int red, int green, int blue)
{
    return std::to_string(red) + "," + std::to_string(green) + "," + std::to_string(blue);
}
inline std::string Rgb(const QColor& color) { return Rgb(color.red(), color.green(), color.blue()); }
inline std::string RgbAt(const QImage& image, int x, int y) { return Rgb(image.pixelColor(x, y)); }
