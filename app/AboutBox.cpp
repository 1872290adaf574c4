#include "app/AboutBox.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QStyle>

namespace {

// 235 x 55 dialog units, at 1.5 and 1.625 pixels per unit.
constexpr QSize kBoxSize{353, 90};

}  // namespace

CAboutBox::CAboutBox(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About "));
    auto* icon = new QLabel;
    icon->setPixmap(QIcon(QStringLiteral(":/icons/lumatrine.png")).pixmap(32, 32));
    auto* product = new QLabel(QStringLiteral("Calvenor 1.0"));
    auto* purpose = new QLabel(QStringLiteral("Converts pictures between the 4:3 and 16:9 shapes."));
    auto* memoryNote = new QLabel(QStringLiteral("Memory: zero-filled global blocks, huge pages for large pictures, 2 GB per block at most."));
    memoryNote->setObjectName(QStringLiteral("memoryNote"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(product, 0, 1);
    layout->addWidget(purpose, 1, 1);
    layout->addWidget(memoryNote, 2, 1);
    layout->addWidget(buttons, 0, 2, 1, 1, Qt::AlignTop);
    setMinimumSize(kBoxSize);
}
