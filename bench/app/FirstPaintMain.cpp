// lumatrine_first_paint FILE: starts the desktop program exactly as lumatrine does, opens FILE and quits
// once the view has painted the converted picture for the first time. The start-up benchmark times
// this whole process.
#include "app/VantorelApp.h"
#include "ui/MainFrame.h"
#include "ui/VantorelView.h"

#include <QApplication>
#include <QTimer>

namespace {

// Quits the program when the view's first paint with a converted picture is done.
class FirstPaintWatch : public QObject {
public:
    explicit FirstPaintWatch(const CVantorelDoc& document) : document_(document) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && document_.conversion.output.HasPixels() && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, qApp, &QApplication::quit);   // after this paint has finished
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const CVantorelDoc& document_;
    bool seen_ = false;
};

}  // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    CVantorelApp app;
    if (!app.InitInstance(QApplication::arguments().mid(1))) return 1;
    FirstPaintWatch watch(app.Document());
    app.MainFrame()->View()->viewport()->installEventFilter(&watch);
    return app.ExitInstance(QApplication::exec());
}
