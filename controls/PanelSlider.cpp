#include "controls/PanelSlider.h"

#include "controls/SkinDrawing.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>

const QColor CPanelSlider::kFillColor(86, 152, 223);

namespace {
// A key that steps the slider: the notification it sends, whether it steps a page or a line, and which way.
struct StepKey {
    CPanelSlider::Code code;
    bool page;
    int sign;
};

bool StepKeyFor(int key, StepKey& step)
{
    using Code = CPanelSlider::Code;
    switch (key) {
    case Qt::Key_PageUp: step = {Code::PageUp, true, -1}; return true;
    case Qt::Key_PageDown: step = {Code::PageDown, true, +1}; return true;
    case Qt::Key_Left:
    case Qt::Key_Up: step = {Code::LineUp, false, -1}; return true;
    case Qt::Key_Right:
    case Qt::Key_Down: step = {Code::LineDown, false, +1}; return true;
    default: return false;
    }
}
}  // namespace

CPanelSlider::CPanelSlider(QWidget* parent) : QAbstractSlider(parent)
{
    setOrientation(Qt::Horizontal);
    setFocusPolicy(Qt::StrongFocus);
    setSingleStep(1);
    SetRange(0, 255, 255);
}

void CPanelSlider::SetRange(int minimum, int maximum, int position)
{
    const QScopedValueRollback<bool> own(settingPosition_, true);
    setRange(minimum, maximum);
    setPageStep((this->maximum() - this->minimum()) / 5);   // setRange keeps maximum >= minimum
    SetPos(position);
    update();
}

void CPanelSlider::SetPos(int position)
{
    const QScopedValueRollback<bool> own(settingPosition_, true);
    setValue(std::clamp(position, minimum(), maximum()));
    repaint();
}

void CPanelSlider::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    update();
}

int CPanelSlider::ThumbLeft(int position) const
{
    const int limited = std::clamp(position, minimum(), maximum() + 1);
    return int(std::trunc(double(TrackLength()) / RangeCount() * (limited - minimum())));
}

int CPanelSlider::PositionAt(int x) const
{
    // x - 10 takes the thumb's half width into account; the rule then adds 5 units, so a press on the
    // middle of the thumb selects 5 units to the right of the thumb's position.
    const double unit = double(TrackLength()) / RangeCount();
    if (!(unit > 0.0)) return value();   // a slider too narrow for a track has nowhere to move
    const double position = std::trunc((x - 10) / unit + minimum()) + 5;
    return int(std::clamp(position, double(minimum()), double(maximum()) + 1));
}

bool CPanelSlider::TrackTo(int x)
{
    const int before = value();
    const int position = PositionAt(x);
    if (position == before) return false;
    SetPos(position);
    // A press right of the last position asks for maximum + 1, which the clamp turns back into the
    // maximum: that is no change and must not start a conversion.
    return value() != before;
}

int CPanelSlider::Wrapped(int position) const
{
    const int count = RangeCount();
    while (position < minimum()) position += count;
    while (position >= maximum() + 1) position -= count;
    return position;
}

void CPanelSlider::mousePressEvent(QMouseEvent* event)
{
    if (!enabled_ || event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    if (tracking_) return;
    tracking_ = true;
    moved_ = false;
    setFocus(Qt::MouseFocusReason);
    if (TrackTo(int(event->position().x()))) {
        moved_ = true;
        Notify(Code::ThumbTrack);
    }
    update();
}

void CPanelSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!enabled_ || !tracking_) return;
    if (TrackTo(int(event->position().x()))) {
        moved_ = true;
        Notify(Code::ThumbTrack);
        update();
    }
}

void CPanelSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (!tracking_ || event->button() != Qt::LeftButton) return;
    tracking_ = false;
    if (!enabled_) {
        // Switched off during the drag: the drag ends here without a notification, and the next press
        // starts a new one.
        moved_ = false;
        return;
    }
    if (TrackTo(int(event->position().x()))) {
        Notify(Code::ThumbTrack);
        moved_ = true;
    }
    if (moved_) {
        Notify(Code::EndTrack);
        moved_ = false;
    }
    update();
}

void CPanelSlider::keyPressEvent(QKeyEvent* event)
{
    StepKey step;
    if (!StepKeyFor(event->key(), step)) {
        // Home and End do nothing; other keys go to the panel.
        if (event->key() == Qt::Key_Home || event->key() == Qt::Key_End) event->accept();
        else event->ignore();
        return;
    }
    const int size = step.page ? PageSize() : LineSize();
    SetPos(Wrapped(value() + step.sign * size));
    Notify(step.code);
}

void CPanelSlider::keyReleaseEvent(QKeyEvent* event)
{
    StepKey step;
    if (StepKeyFor(event->key(), step)) {
        // Held keys repeat their presses; the step sequence ends with the real release.
        if (!event->isAutoRepeat()) Notify(Code::EndTrack);
        return;
    }
    if (event->key() == Qt::Key_Home || event->key() == Qt::Key_End) event->accept();
    else event->ignore();
}

void CPanelSlider::wheelEvent(QWheelEvent* event)
{
    // The wheel does not move the slider: only drags and the step keys change it, each ending with
    // EndTrack. Let the panel scroll instead.
    event->ignore();
}

void CPanelSlider::sliderChange(SliderChange change)
{
    QAbstractSlider::sliderChange(change);
    if (change == SliderValueChange && !settingPosition_) {
        Notify(Code::ThumbTrack);
        Notify(Code::EndTrack);
    }
}

void CPanelSlider::paintEvent(QPaintEvent*)
{
    // The panel's background shows through around the shapes: nothing here fills the whole control.
    QPainter painter(this);
    const int e = enabled_ ? 0 : 30;
    const int w = width();
    const QColor grooveColor(98 + e, 105 + e, 121 + e);
    const QColor lowerEdge(185 - e, 188 - e, 200 - e);
    painter.fillRect(0, 10, w, 5, grooveColor);
    painter.fillRect(0, 10, w, 1, enabled_ ? QColor(61, 66, 78) : QColor(155, 158, 170));
    painter.fillRect(0, 14, w, 1, lowerEdge);

    const int thumbLeft = ThumbLeft(value());
    if (enabled_) painter.fillRect(0, 11, thumbLeft + 1, 3, kFillColor);

    const QRect thumb(thumbLeft, 7, kThumbWidth, 11);
    if (!enabled_) {
        skin::FillWithoutCorners(painter, thumb, grooveColor);
        skin::DrawOutline(painter, thumb, lowerEdge, true);
        return;
    }
    skin::FillWithoutCorners(painter, thumb, QColor(224, 230, 236));
    skin::DrawOutline(painter, thumb, QColor(28, 25, 25), true);
    skin::FillVerticalGradient(painter, thumb.adjusted(2, 3, -2, -1), QColor(211, 217, 223), QColor(177, 186, 194));
    for (const int grip : {6, 9, 12}) {
        painter.fillRect(thumbLeft + grip, 10, 1, 5, QColor(99, 105, 124));
        painter.fillRect(thumbLeft + grip + 1, 11, 1, 5, QColor(184, 193, 202));
    }
}
