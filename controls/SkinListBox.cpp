#include "controls/SkinListBox.h"

#include "controls/SkinDrawing.h"

CSkinListBox::CSkinListBox(QWidget* parent) : QListWidget(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    QPalette colors = palette();
    colors.setColor(QPalette::Base, skin::kBoxColor);
    colors.setColor(QPalette::Text, Qt::black);
    colors.setColor(QPalette::WindowText, Qt::black);
    setPalette(colors);
}
