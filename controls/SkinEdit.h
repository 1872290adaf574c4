#pragma once
// CSkinEdit: the panels' framed edit: a flat box with a one-pixel black frame and black text on the
// light box colour. A read-only edit is a pure display: it takes no focus, keys or clicks, so its text
// can be neither selected nor changed, and it is not greyed. Screen readers see read-only text.
//
// One class serves single-line and multi-line edits; a single-line edit neither wraps nor scrolls.

#include <QPlainTextEdit>

class CSkinEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    enum Style : unsigned { kSingleLine = 0, kMultiLine = 1, kReadOnly = 2 };

    explicit CSkinEdit(unsigned style = kSingleLine, QWidget* parent = nullptr);

    bool IsReadOnlyDisplay() const { return readOnly_; }
    void SetText(const QString& text) { setPlainText(text); }
    QString Text() const { return toPlainText(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    bool readOnly_;
};
