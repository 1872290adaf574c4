#pragma once
// CPanelSlider: the settings panels' horizontal slider. It paints itself over the panel's background,
// keeps its own range and position, and reports to its panel with the trackbar notification codes.
//
// The panels act only on EndTrack: it is sent when a drag that moved the thumb ends and when a step key
// is released, so a conversion runs once per interaction, not per pixel of a drag. Stepping past either
// end with the keys wraps around to the other end.
//
// "Enabled" is the slider's own flag (SetEnabled): while it is off the slider is greyed and ignores the
// mouse, but the keys still step it. Window enabling (QWidget::setEnabled) blocks all input as usual.
// The slider is a QAbstractSlider, so screen readers see a slider with its range and value; a value
// set from outside (a screen reader's "set value", QAbstractSlider::setValue) is a finished interaction
// and reports ThumbTrack then EndTrack, like a key step and its release. SetPos and SetRange do not.

#include <QAbstractSlider>

class CPanelSlider : public QAbstractSlider {
    Q_OBJECT
public:
    // The notification codes, numbered like the standard trackbar's.
    enum class Code : int { LineUp = 0, LineDown = 1, PageUp = 2, PageDown = 3, ThumbTrack = 5, EndTrack = 8 };
    Q_ENUM(Code)

    static constexpr int kThumbWidth = 20;
    static const QColor kFillColor;   // the track left of the thumb

    explicit CPanelSlider(QWidget* parent = nullptr);

    // Stores the range, then the position (clamped into it). Page size follows the range: (max - min) / 5.
    void SetRange(int minimum, int maximum, int position);
    // The position clamped to the range; repaints at once and sends no notification.
    void SetPos(int position);
    int GetPos() const { return value(); }
    void SetEnabled(bool enabled);
    bool IsSliderEnabled() const { return enabled_; }
    int PageSize() const { return pageStep(); }
    int LineSize() const { return singleStep(); }

    // Left edge of the thumb for `position`, in client pixels: trunc((width - 19) / n * (position - min))
    // with n = max + 1 - min.
    int ThumbLeft(int position) const;
    // The position a press or drag at client x selects (includes the plus-5 offset of the hit test).
    int PositionAt(int x) const;

    QSize sizeHint() const override { return {120, 18}; }

signals:
    // Every notification, with the position at the time it was sent.
    void Scrolled(CPanelSlider::Code code, int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void sliderChange(SliderChange change) override;

private:
    int TrackLength() const { return width() - 19; }
    int RangeCount() const { return maximum() + 1 - minimum(); }
    // Moves to the position under x; true when the position changed.
    bool TrackTo(int x);
    // position + step, wrapped into the range from the other end.
    int Wrapped(int position) const;
    void Notify(Code code) { emit Scrolled(code, value()); }

    bool tracking_ = false;
    bool moved_ = false;
    bool enabled_ = true;
    bool settingPosition_ = false;   // inside SetPos or SetRange: the value change is the slider's own
};
