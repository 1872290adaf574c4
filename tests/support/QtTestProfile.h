#pragma once
// For widget tests: the one QApplication of the test program, and a settings profile in a temporary
// folder, so the program's QSettings-backed profile never touches the user's own.

#include "TempFolder.h"

#include <QApplication>
#include <QSettings>

// The test program's QApplication, created on first use (offscreen when QT_QPA_PLATFORM says so).
inline QApplication& TestApplication()
{
    static int argc = 1;
    static char name[] = "lumatrine-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

// While it lives, the profile "VantorelDCE" / "Lumatrine NR" is a file in a fresh temporary folder.
class TempProfile {
public:
    TempProfile()
    {
        TestApplication();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(folder_.Path()));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(folder_.Path()));
    }
    // The profile's values, as the program reads and writes them ("Section/entry").
    static QVariant Value(const QString& key)
    {
        return QSettings(QStringLiteral("VantorelDCE"), QStringLiteral("Lumatrine NR")).value(key);
    }
    static void SetValue(const QString& key, const QVariant& value)
    {
        QSettings(QStringLiteral("VantorelDCE"), QStringLiteral("Lumatrine NR")).setValue(key, value);
    }
    const TempFolder& Folder() const { return folder_; }

private:
    TempFolder folder_;
};
