// lumatrine: the desktop program. lumatrine [FILE]: opens FILE, or starts with an empty document.
#include "app/VantorelApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumatrine NR"));
    QApplication::setOrganizationName(QStringLiteral("VantorelDCE"));
    QApplication::setDesktopFileName(QStringLiteral("lumatrine"));
    CVantorelApp app;
    return RunVantorelApp(app, QApplication::arguments().mid(1));
}
