#include "controls/SkinButton.h"

#include "controls/SkinDrawing.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>

namespace {
constexpr const char* kStartsGroupProperty = "lumatrineStartsGroup";
constexpr int kBoxSize = 12;

struct BoxColors {
    QColor top, bottom, outline, mark;   // mark invalid: no mark
};

BoxColors BoxColorsFor(bool disabled, bool checked, bool hovering)
{
    if (disabled) return {{132, 137, 150}, {132, 137, 150}, {108, 113, 132}, {}};
    if (!checked && hovering) return {{204, 207, 216}, {157, 161, 173}, {70, 71, 72}, {}};
    if (!checked) return {{179, 182, 191}, {132, 136, 148}, {30, 31, 32}, {}};
    if (hovering) return {{209, 242, 255}, {108, 160, 223}, {70, 71, 72}, {70, 71, 72}};
    return {{169, 202, 243}, {68, 121, 183}, {30, 31, 32}, {30, 31, 32}};
}

struct FaceColors {
    QColor top, bottom, outline, inner;
};

FaceColors FaceColorsFor(bool disabled, bool pressed, bool hovering, bool focused)
{
    if (disabled) return {{151, 155, 167}, {111, 116, 130}, {63, 67, 76}, {128, 133, 148}};
    const FaceColors pressedColors{{192, 216, 239}, {98, 140, 176}, {30, 31, 32}, {140, 188, 230}};
    if (pressed) return pressedColors;
    if (hovering) return {{174, 205, 224}, {68, 120, 183}, {30, 31, 32}, {106, 165, 236}};
    if (focused) return pressedColors;
    return {{205, 207, 213}, {125, 129, 139}, {30, 31, 32}, {159, 163, 176}};
}

// The tick of a check box: columns 2 to 8 from the box's corner plus one, three pixels each.
constexpr int kTickFirstRow[] = {3, 4, 5, 4, 3, 2, 1};

// What a screen reader is told about a skinned button: its kind, text and checked state.
class SkinButtonAccessible : public QAccessibleWidget {
public:
    explicit SkinButtonAccessible(CSkinButton* button) : QAccessibleWidget(button, RoleOf(button)) {}

    QString text(QAccessible::Text which) const override
    {
        if (which != QAccessible::Name) return QAccessibleWidget::text(which);
        const auto* button = static_cast<const CSkinButton*>(widget());
        return button->accessibleName().isEmpty() ? button->text() : button->accessibleName();
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        const auto* button = static_cast<const CSkinButton*>(widget());
        if (button->isCheckable()) {
            state.checkable = true;
            state.checked = button->isChecked();
        }
        state.pressed = button->isDown();
        return state;
    }

    QStringList actionNames() const override
    {
        const auto* button = static_cast<const CSkinButton*>(widget());
        if (!widget()->isEnabled()) return {};
        return {button->isCheckable() ? toggleAction() : pressAction()};
    }

    void doAction(const QString& action) override
    {
        if (!widget()->isEnabled()) return;
        if (action == pressAction() || action == toggleAction()) static_cast<CSkinButton*>(widget())->click();
    }

private:
    static QAccessible::Role RoleOf(const CSkinButton* button)
    {
        if (button->IsRadio()) return QAccessible::RadioButton;
        if (button->IsCheckBox()) return QAccessible::CheckBox;
        return QAccessible::Button;
    }
};

QAccessibleInterface* SkinButtonAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("CSkinButton"))
        if (auto* button = qobject_cast<CSkinButton*>(object)) return new SkinButtonAccessible(button);
    return nullptr;
}
}  // namespace

CSkinButton::CSkinButton(Kind kind, const QString& text, QWidget* parent) : QAbstractButton(parent), kind_(kind)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(SkinButtonAccessibleFactory);
        return true;
    }();
    (void)factoryInstalled;
    setText(text);
    setCheckable(kind == Kind::CheckBox || kind == Kind::RadioButton);
    setAutoExclusive(false);
    setFocusPolicy(Qt::StrongFocus);
}

void CSkinButton::SetCheck(int state)
{
    if (!isCheckable()) return;
    setChecked(state == 1 || state == 2);
    update();
}

void CSkinButton::SetTextColor(const QColor& color)
{
    textColor_ = color;
    update();
}

void CSkinButton::SetStartsGroup(QWidget* control, bool starts) { control->setProperty(kStartsGroupProperty, starts); }

bool CSkinButton::StartsGroup(const QWidget* control) { return control->property(kStartsGroupProperty).toBool(); }

QList<CSkinButton*> CSkinButton::GroupRadios() const
{
    if (!IsRadio()) return {};
    QList<QWidget*> siblings;
    if (parentWidget() == nullptr) return {const_cast<CSkinButton*>(this)};
    for (QObject* child : parentWidget()->children())
        if (auto* widget = qobject_cast<QWidget*>(child)) siblings.append(widget);
    qsizetype first = siblings.indexOf(const_cast<CSkinButton*>(this));
    while (first > 0 && !StartsGroup(siblings[first])) --first;
    QList<CSkinButton*> radios;
    for (qsizetype i = first; i < siblings.size(); ++i) {
        if (i > first && StartsGroup(siblings[i])) break;
        auto* button = qobject_cast<CSkinButton*>(siblings[i]);
        if (button != nullptr && button->IsRadio()) radios.append(button);
    }
    return radios;
}

void CSkinButton::nextCheckState()
{
    if (IsRadio()) {
        for (CSkinButton* radio : GroupRadios()) radio->SetCheck(radio == this ? 1 : 0);
        setFocus(Qt::OtherFocusReason);
    } else if (IsCheckBox()) {
        setChecked(!isChecked());
    }
    EndHover();
}

QSize CSkinButton::sizeHint() const
{
    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
    if (isCheckable()) return {kTextIndent + textSize.width() + 2, std::max(16, textSize.height() + 2)};
    return {textSize.width() + 16, textSize.height() + 10};
}

void CSkinButton::enterEvent(QEnterEvent* event)
{
    if (!hovering_ && isEnabled()) {
        hovering_ = true;
        update();
    }
    QAbstractButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event)
{
    EndHover();
    QAbstractButton::leaveEvent(event);
}

void CSkinButton::focusOutEvent(QFocusEvent* event)
{
    EndHover();
    QAbstractButton::focusOutEvent(event);
}

void CSkinButton::keyPressEvent(QKeyEvent* event)
{
    const bool back = event->key() == Qt::Key_Up || event->key() == Qt::Key_Left;
    const bool forward = event->key() == Qt::Key_Down || event->key() == Qt::Key_Right;
    if (!IsRadio() || (!back && !forward)) return QAbstractButton::keyPressEvent(event);
    const QList<CSkinButton*> radios = GroupRadios();
    const qsizetype count = radios.size();
    const qsizetype self = radios.indexOf(this);
    for (qsizetype step = 1; step < count; ++step) {
        CSkinButton* next = radios[(self + (forward ? step : count - step)) % count];
        if (next->isEnabled()) {
            next->setFocus(Qt::TabFocusReason);
            next->click();
            break;
        }
    }
    event->accept();
}

void CSkinButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        // A disabled button keeps neither the focus nor the hover look.
        if (hasFocus()) MoveFocusOn();
        EndHover();
    }
    QAbstractButton::changeEvent(event);
}

void CSkinButton::MoveFocusOn()
{
    // The next control of the tab order that can take the focus, else the parent.
    for (QWidget* next = nextInFocusChain(); next != this; next = next->nextInFocusChain()) {
        if (next->isEnabled() && next->isVisibleTo(window()) && (next->focusPolicy() & Qt::TabFocus)) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    if (parentWidget() != nullptr) parentWidget()->setFocus(Qt::OtherFocusReason);
}

void CSkinButton::EndHover()
{
    if (!hovering_) return;
    hovering_ = false;
    update();
}

void CSkinButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (isCheckable()) PaintCheckOrRadio(painter);
    else PaintPushButton(painter);
}

void CSkinButton::PaintCheckOrRadio(QPainter& painter)
{
    const QRect item = rect();
    painter.fillRect(item, skin::kPanelColor);
    const bool disabled = !isEnabled();
    const BoxColors colors = BoxColorsFor(disabled, isChecked(), hovering_);
    QRect box(0, 2, kBoxSize, kBoxSize);
    if (IsRadio()) box.adjust(1, 1, -1, -1);
    skin::FillVerticalGradient(painter, box.adjusted(1, 1, -1, -1), colors.top, colors.bottom);
    skin::DrawOutline(painter, box, colors.outline, IsRadio());
    if (colors.mark.isValid()) {
        if (IsRadio()) {
            skin::FillWithoutCorners(painter, box.adjusted(3, 3, -3, -3), colors.mark);
        } else {
            const QPoint origin = box.topLeft() + QPoint(1, 1);
            for (int column = 0; column < 7; ++column)
                painter.fillRect(origin.x() + 2 + column, origin.y() + kTickFirstRow[column], 1, 3, colors.mark);
        }
    }
    const QRect textRect(kTextIndent, 1, item.width() - kTextIndent, item.height());
    painter.setPen(disabled ? skin::kDisabledText : textColor_);
    painter.setFont(font());
    const int align = disabled ? Qt::AlignHCenter : Qt::AlignLeft;
    painter.drawText(textRect, align | Qt::AlignTop | Qt::TextWordWrap, text());
}

void CSkinButton::PaintPushButton(QPainter& painter)
{
    // Outside the face the panel shows through.
    const bool disabled = !isEnabled();
    const FaceColors colors = FaceColorsFor(disabled, isDown(), hovering_, hasFocus());
    const QRect face = rect().adjusted(0, 3, 0, -3);
    skin::FillVerticalGradient(painter, face.adjusted(2, 2, -2, -2), colors.top, colors.bottom);
    skin::DrawOutline(painter, face, colors.outline, false);
    skin::DrawOutline(painter, face.adjusted(1, 1, -1, -1), colors.inner, false);
    painter.setPen(disabled ? skin::kDisabledText : textColor_);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, text());
}
