#include "controls/PanelHeader.h"

#include "controls/SkinDrawing.h"

#include <QPainter>

CPanelHeader::CPanelHeader(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    QFont headerFont(QStringLiteral("Arial"));
    headerFont.setStyleHint(QFont::SansSerif);
    headerFont.setPixelSize(10);
    headerFont.setBold(true);
    setFont(headerFont);
    setAlignment(Qt::AlignCenter);
}

void CPanelHeader::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), skin::kHeaderColor);
    painter.setPen(Qt::white);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}
