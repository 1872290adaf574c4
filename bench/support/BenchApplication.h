#pragma once
// The one QApplication of a Qt benchmark, made on first use and never destroyed: the exit handlers
// would run its destructor after parts of Qt it still needs are gone. Unless QT_QPA_PLATFORM names a
// platform, the widgets paint off screen.

#include <QApplication>

inline QApplication& BenchApplication()
{
    static int argc = 1;
    static char name[] = "lumatrine-bench";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *application;
}
