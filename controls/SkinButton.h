#pragma once
// CSkinButton: the panels' self-painted push button, check box and radio button, with gradients and a
// hover state.
//
// Check boxes and radios keep their checked state as checkable buttons, so a screen reader sees a
// check box or radio button with its text and state. A radio is not exclusive the Qt way: clicking it
// checks it and clears the other radios of its dialog group, which runs from the control marked as
// starting a group up to the next such control among the parent's children, in creation order.
// clicked() comes after the check state has changed, so a handler reads the new choice. The arrow keys
// move within a radio group, wrapping at its ends, and choose the radio they reach, as in a dialog.

#include <QAbstractButton>

class CSkinButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { PushButton, DefaultPushButton, CheckBox, RadioButton };
    // A check box's or radio's text starts this far right of its left edge: the 12-pixel box and a gap.
    static constexpr int kTextIndent = 18;

    CSkinButton(Kind kind, const QString& text, QWidget* parent = nullptr);

    Kind ButtonKind() const { return kind_; }
    bool IsCheckBox() const { return kind_ == Kind::CheckBox; }
    bool IsRadio() const { return kind_ == Kind::RadioButton; }
    // Check state 1 or 2 (indeterminate) shows checked, 0 unchecked. Push buttons ignore it.
    void SetCheck(int state);
    int GetCheck() const { return isChecked() ? 1 : 0; }
    bool IsHovering() const { return hovering_; }
    void SetTextColor(const QColor& color);

    // Marks `control` as the first of a dialog group (the radios up to the next marked control form one).
    static void SetStartsGroup(QWidget* control, bool starts);
    static bool StartsGroup(const QWidget* control);
    // The radios of this button's dialog group in order, this one included; empty for a non-radio.
    QList<CSkinButton*> GroupRadios() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void EndHover();
    void MoveFocusOn();
    void PaintCheckOrRadio(QPainter& painter);
    void PaintPushButton(QPainter& painter);

    Kind kind_;
    bool hovering_ = false;
    QColor textColor_ = Qt::black;
};
