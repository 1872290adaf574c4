#include "document/dialogs/MessageBox.h"

#include <QMessageBox>
#include <QString>

void ShowProgramMessage(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, QStringLiteral("Lumatrine NR"), text, QMessageBox::Ok);
}
