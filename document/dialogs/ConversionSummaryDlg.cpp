#include "document/dialogs/ConversionSummaryDlg.h"

#include "document/dialogs/DialogUnits.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

CConversionSummaryDlg::CConversionSummaryDlg(QWidget* owner, const QString& summary) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Convert Folder"));
    UseDialogFont(this);
    const qsizetype lineEnd = summary.indexOf(QLatin1Char('\n'));
    countsText = new QLabel(summary.left(lineEnd), this);
    listText = new QPlainTextEdit(lineEnd < 0 ? QString() : summary.mid(lineEnd + 1).trimmed(), this);
    listText->setReadOnly(true);
    // A reason can be long: it wraps, so the whole of it shows without scrolling sideways.
    listText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    listText->setMinimumSize(DialogUnitSize(this, 340, 140));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(countsText);
    layout->addWidget(listText);
    layout->addWidget(buttons);
}
