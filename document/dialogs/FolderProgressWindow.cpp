#include "document/dialogs/FolderProgressWindow.h"

#include "document/FolderConversion.h"
#include "document/dialogs/DialogUnits.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kPollMilliseconds = 100;

QString TimeLeftText(double secondsLeft)
{
    if (secondsLeft < 0) return QStringLiteral("Time left: estimating...");
    const long long seconds = std::llround(std::ceil(secondsLeft));
    return QStringLiteral("Time left: about %1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

CFolderProgressWindow::CFolderProgressWindow(QWidget* owner, CFolderConversion& conversion)
    : QDialog(owner), conversion(conversion)
{
    setWindowModality(Qt::WindowModal);
    setWindowTitle(QStringLiteral("Convert Folder"));
    UseDialogFont(this);

    countText = new QLabel(this);
    fileText = new QLabel(this);
    fileText->setMinimumWidth(DialogUnitSize(this, 220, 9).width());
    timeText = new QLabel(this);
    bar = new QProgressBar(this);
    bar->setTextVisible(false);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    connect(cancelButton, &QPushButton::clicked, this, &CFolderProgressWindow::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(countText);
    layout->addWidget(bar);
    layout->addWidget(fileText);
    layout->addWidget(timeText);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    layout->addLayout(buttons);
    setFixedHeight(sizeHint().height());

    timer = new QTimer(this);
    timer->setInterval(kPollMilliseconds);
    connect(timer, &QTimer::timeout, this, &CFolderProgressWindow::ShowProgress);
    ShowProgress();
}

void CFolderProgressWindow::Run()
{
    conversion.Start();
    timer->start();
    exec();
    timer->stop();
    conversion.Wait();
}

void CFolderProgressWindow::reject()
{
    conversion.Cancel();
    cancelButton->setEnabled(false);
    cancelButton->setText(QStringLiteral("Stopping..."));
    fileText->setText(QStringLiteral("Finishing the pictures under way..."));
}

void CFolderProgressWindow::ShowProgress()
{
    const CFolderConversion::Progress progress = conversion.CurrentProgress();
    if (progress.done) {
        done(QDialog::Accepted);
        return;
    }
    bar->setRange(0, static_cast<int>(progress.total));
    bar->setValue(static_cast<int>(progress.finished));
    countText->setText(QStringLiteral("%1 of %2 pictures done").arg(progress.finished).arg(progress.total));
    if (cancelButton->isEnabled()) {
        const QString name = QFileInfo(QString::fromStdString(progress.currentFile)).fileName();
        fileText->setText(QStringLiteral("Current file: %1").arg(name));
    }
    timeText->setText(TimeLeftText(progress.secondsLeft));
}
