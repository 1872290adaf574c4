// lumatrine: the desktop program. The main window arrives with the application object.
#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    return 0;
}
