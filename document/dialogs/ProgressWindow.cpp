#include "document/dialogs/ProgressWindow.h"

#include "document/JpegOptions.h"
#include "document/dialogs/DialogUnits.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

CProgressWindow::CProgressWindow(QWidget* owner) : QDialog(owner)
{
    // Modal to its owner: the owner takes no input while the search runs, and this window stays usable.
    setWindowModality(Qt::WindowModal);
    setWindowTitle(QStringLiteral("Processing Full Image"));
    UseDialogFont(this);
    setFixedSize(DialogUnitSize(this, 186, 79));

    messageText = new QLabel(this);
    PlaceInDialogUnits(messageText, 7, 7, 172, 9);
    bar = new QProgressBar(this);
    bar->setTextVisible(false);
    PlaceInDialogUnits(bar, 7, 20, 172, 12);
    percentText = new QLabel(QStringLiteral(" 0 %"), this);
    percentText->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    PlaceInDialogUnits(percentText, 7, 36, 172, 9);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    PlaceInDialogUnits(cancelButton, 68, 56, 50, 14);
    connect(cancelButton, &QPushButton::clicked, this, &CProgressWindow::reject);
    SetRange(lower, upper);
    bar->setValue(lower);
}

void CProgressWindow::reject()
{
    cancelled = true;
}

void CProgressWindow::SetRange(int newLower, int newUpper)
{
    lower = newLower;
    upper = newUpper;
    bar->setRange(lower, upper);
}

void CProgressWindow::SetMessageText(const QString& text)
{
    messageText->setText(text);
}

int CProgressWindow::SetProgressPos(int position)
{
    const int previous = bar->value();
    bar->setValue(position);
    const QString percent = QString::fromStdString(ProgressPercentText(position, lower, upper));
    if (percentText->text() != percent) percentText->setText(percent);
    QCoreApplication::processEvents();
    return previous;
}

void CProgressWindow::ShowProbe(int quality)
{
    SetMessageText(QStringLiteral("Quality Probe: %1").arg(quality));
    SetProgressPos(quality);
}
