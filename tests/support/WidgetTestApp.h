#pragma once
// The QApplication that widget tests need, made once per test program before its first test (tests
// run with QT_QPA_PLATFORM=offscreen), and small helpers for reading grabbed pixels.

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

// Made in SetUp, before the first test's widgets, and deleted in TearDown, after the last test's:
// a QApplication left to the exit handlers outlives parts of Qt it still needs.
class WidgetTestEnvironment : public testing::Environment {
public:
    void SetUp() override { app_ = new QApplication(argc_, argv_); }
    void TearDown() override
    {
        delete app_;
        app_ = nullptr;
    }

private:
    int argc_ = 1;
    char name_[24] = "lumatrine-widget-tests";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
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
