#include "controls/SkinEdit.h"

#include "controls/SkinDrawing.h"

#include <QKeyEvent>
#include <QMouseEvent>

CSkinEdit::CSkinEdit(unsigned style, QWidget* parent) : QPlainTextEdit(parent), readOnly_((style & kReadOnly) != 0)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    QPalette colors = palette();
    colors.setColor(QPalette::Base, skin::kBoxColor);
    colors.setColor(QPalette::Text, Qt::black);
    colors.setColor(QPalette::WindowText, Qt::black);   // the frame
    setPalette(colors);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(1);
    if ((style & kMultiLine) == 0) {
        setLineWrapMode(QPlainTextEdit::NoWrap);
        setTabChangesFocus(true);
    }
    if (readOnly_) {
        setReadOnly(true);
        setTextInteractionFlags(Qt::NoTextInteraction);
        setFocusPolicy(Qt::NoFocus);
        viewport()->setCursor(Qt::ArrowCursor);
    }
}

void CSkinEdit::keyPressEvent(QKeyEvent* event)
{
    if (readOnly_) return event->accept();
    // A single-line edit leaves Enter to the panel, which swallows it.
    if (lineWrapMode() == NoWrap && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        return event->ignore();
    QPlainTextEdit::keyPressEvent(event);
}

void CSkinEdit::keyReleaseEvent(QKeyEvent* event)
{
    if (readOnly_) return event->accept();
    QPlainTextEdit::keyReleaseEvent(event);
}

void CSkinEdit::mousePressEvent(QMouseEvent* event)
{
    if (readOnly_) return event->accept();
    QPlainTextEdit::mousePressEvent(event);
}

void CSkinEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (readOnly_) return event->accept();
    QPlainTextEdit::mouseDoubleClickEvent(event);
}

void CSkinEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (readOnly_) return;
    QPlainTextEdit::inputMethodEvent(event);
}
