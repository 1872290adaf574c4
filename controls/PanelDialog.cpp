#include "controls/PanelDialog.h"

#include "controls/PanelHeader.h"
#include "controls/PanelSlider.h"
#include "controls/SkinButton.h"
#include "controls/SkinDrawing.h"
#include "controls/SkinEdit.h"
#include "controls/SkinListBox.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <cmath>

const QColor CPanelDialog::kBackground = skin::kPanelColor;

namespace {
// One dialog unit at 96 dpi: the 6 x 13 base units of the 8-point dialog font, over 4 and 8.
constexpr double kUnitX = 1.5;
constexpr double kUnitY = 1.625;
constexpr int kResizeRepaintMs = 100;
constexpr double kDialogFontPoints = 8.0;

bool IsSkinned(const QWidget* control)
{
    return qobject_cast<const CSkinButton*>(control) != nullptr || qobject_cast<const CSkinEdit*>(control) != nullptr ||
           qobject_cast<const CSkinListBox*>(control) != nullptr || qobject_cast<const CPanelSlider*>(control) != nullptr;
}

CSkinButton::Kind ButtonKind(DialogItem::Kind kind)
{
    switch (kind) {
    case DialogItem::Kind::RadioButton: return CSkinButton::Kind::RadioButton;
    case DialogItem::Kind::CheckBox: return CSkinButton::Kind::CheckBox;
    case DialogItem::Kind::DefaultPushButton: return CSkinButton::Kind::DefaultPushButton;
    default: return CSkinButton::Kind::PushButton;
    }
}
}  // namespace

CPanelDialog::CPanelDialog(QWidget* parent) : QWidget(parent)
{
    QPalette colors = palette();
    colors.setColor(QPalette::Window, kBackground);
    colors.setColor(QPalette::WindowText, Qt::black);
    setPalette(colors);
    // Dialog units are measured in the 8-point dialog font: texts in that size keep the template's
    // proportions.
    QFont dialogFont = font();
    dialogFont.setPointSizeF(kDialogFontPoints);
    setFont(dialogFont);
    // Growing exposes only the new strips, which paintEvent and resizeEvent look after.
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    repaintTimer_.setSingleShot(true);
    repaintTimer_.setInterval(kResizeRepaintMs);
    connect(&repaintTimer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

bool CPanelDialog::Create()
{
    if (created_) return true;
    created_ = true;
    return OnInitDialog();
}

QRect CPanelDialog::MapDialogRect(const QRect& dialogUnits) const
{
    const double scaleX = kUnitX * logicalDpiX() / 96.0;
    const double scaleY = kUnitY * logicalDpiY() / 96.0;
    const int left = int(std::lround(dialogUnits.x() * scaleX));
    const int top = int(std::lround(dialogUnits.y() * scaleY));
    const int right = int(std::lround((dialogUnits.x() + dialogUnits.width()) * scaleX));
    const int bottom = int(std::lround((dialogUnits.y() + dialogUnits.height()) * scaleY));
    return {left, top, right - left, bottom - top};
}

QSize CPanelDialog::sizeHint() const
{
    if (templateSize_.isEmpty()) return QWidget::sizeHint();
    return MapDialogRect(QRect(QPoint(0, 0), templateSize_)).size();
}

void CPanelDialog::BuildTemplate(std::span<const DialogItem> items, int width, int height)
{
    templateSize_ = QSize(width, height);
    for (const DialogItem& item : items) AddItem(item);
    setMinimumSize(sizeHint());
}

QWidget* CPanelDialog::AddItem(const DialogItem& item)
{
    using Kind = DialogItem::Kind;
    const QString text = QString::fromUtf8(item.text != nullptr ? item.text : "");
    QRect place = MapDialogRect(QRect(item.x, item.y, item.width, item.height));
    QWidget* control = nullptr;
    switch (item.kind) {
    case Kind::Header: control = new CPanelHeader(text, this); break;
    case Kind::Static: {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        control = label;
        break;
    }
    case Kind::Picture: {
        auto* picture = new QLabel(this);
        picture->setPixmap(TemplatePicture(item.pictureId, place.size()));
        control = picture;
        break;
    }
    case Kind::RadioButton:
    case Kind::CheckBox:
    case Kind::PushButton:
    case Kind::DefaultPushButton: {
        auto* button = new CSkinButton(ButtonKind(item.kind), text, this);
        const int id = item.id;
        connect(button, &QAbstractButton::clicked, this, [this, id] { OnButtonClicked(id); });
        control = button;
        break;
    }
    case Kind::Edit: {
        unsigned style = CSkinEdit::kSingleLine;
        if (item.flags & DialogItem::kMultiLine) style |= CSkinEdit::kMultiLine;
        if (item.flags & DialogItem::kReadOnly) style |= CSkinEdit::kReadOnly;
        auto* edit = new CSkinEdit(style, this);
        edit->SetText(text);
        place.setHeight(place.height() - 1);   // the flat frame is thinner than the sunken one it replaces
        control = edit;
        break;
    }
    case Kind::ListBox: control = new CSkinListBox(this); break;
    case Kind::Slider: {
        auto* slider = new CPanelSlider(this);
        const int id = item.id;
        connect(slider, &CPanelSlider::Scrolled, this,
                [this, id](CPanelSlider::Code code, int position) { OnHScroll(id, int(code), position); });
        control = slider;
        break;
    }
    }
    CSkinButton::SetStartsGroup(control, (item.flags & DialogItem::kStartsGroup) != 0);
    if (!text.isEmpty() && (item.kind == Kind::Static || item.kind == Kind::RadioButton || item.kind == Kind::CheckBox))
        place.setWidth(WidthForText(control, text, place));
    control->setGeometry(place);
    control->show();
    controls_.append({item.id, control});
    return control;
}

int CPanelDialog::WidthForText(const QWidget* control, const QString& text, const QRect& place) const
{
    // The template was laid out for one font; where this screen's font sets a label wider, the label
    // grows to the right, up to the panel's edge, instead of breaking or cutting its words.
    const int boxWidth = qobject_cast<const CSkinButton*>(control) != nullptr ? CSkinButton::kTextIndent : 0;
    const int wanted = boxWidth + control->fontMetrics().horizontalAdvance(text) + 2;
    const int panelRight = templateSize_.isEmpty() ? place.right() : MapDialogRect(QRect(QPoint(0, 0), templateSize_)).right();
    return std::max(place.width(), std::min(wanted, panelRight + 1 - place.left()));
}

void CPanelDialog::AddControl(int id, QWidget* control, const QRect& dialogUnits)
{
    control->setParent(this);
    control->setGeometry(MapDialogRect(dialogUnits));
    control->show();
    controls_.append({id, control});
}

QPixmap CPanelDialog::TemplatePicture(int, const QSize&) const { return {}; }

QWidget* CPanelDialog::FindControl(int id) const
{
    if (id == kNoId) return nullptr;
    for (const auto& [controlId, control] : controls_)
        if (controlId == id && IsSkinned(control)) return control;
    return nullptr;
}

QWidget* CPanelDialog::GetControl(int id) const
{
    if (id == kNoId) return nullptr;
    for (const auto& [controlId, control] : controls_)
        if (controlId == id) return control;
    return nullptr;
}

void CPanelDialog::SetSliderRange(int id, int minimum, int maximum, int position)
{
    if (auto* slider = qobject_cast<CPanelSlider*>(FindControl(id))) slider->SetRange(minimum, maximum, position);
}

void CPanelDialog::SetSliderPos(int id, int position)
{
    if (auto* slider = qobject_cast<CPanelSlider*>(FindControl(id))) slider->SetPos(position);
}

int CPanelDialog::GetSliderPos(int id) const
{
    const auto* slider = qobject_cast<const CPanelSlider*>(FindControl(id));
    return slider != nullptr ? slider->GetPos() : -1;
}

void CPanelDialog::SetSliderEnabled(int id, bool enabled)
{
    if (auto* slider = qobject_cast<CPanelSlider*>(FindControl(id))) slider->SetEnabled(enabled);
}

void CPanelDialog::EnableControl(int id, bool enabled)
{
    if (QWidget* control = FindControl(id)) control->setEnabled(enabled);
}

void CPanelDialog::SetControlText(int id, const QString& text)
{
    QWidget* control = FindControl(id);
    if (auto* button = qobject_cast<CSkinButton*>(control)) button->setText(text);
    else if (auto* edit = qobject_cast<CSkinEdit*>(control)) edit->SetText(text);
}

int CPanelDialog::GetButtonCheck(int id) const
{
    const auto* button = qobject_cast<const CSkinButton*>(FindControl(id));
    return button != nullptr ? button->GetCheck() : 0;
}

void CPanelDialog::SetButtonCheck(int id, int state)
{
    if (auto* button = qobject_cast<CSkinButton*>(FindControl(id))) button->SetCheck(state);
}

int CPanelDialog::GetRadioGroupIndex(int firstId) const
{
    const auto* first = qobject_cast<const CSkinButton*>(FindControl(firstId));
    if (first == nullptr) return -1;
    const QList<CSkinButton*> radios = first->GroupRadios();
    for (qsizetype i = 0; i < radios.size(); ++i)
        if (radios[i]->isChecked()) return int(i);
    return -1;
}

void CPanelDialog::SetRadioGroupIndex(int firstId, int index)
{
    const auto* first = qobject_cast<const CSkinButton*>(FindControl(firstId));
    if (first == nullptr) return;
    const QList<CSkinButton*> radios = first->GroupRadios();
    for (qsizetype i = 0; i < radios.size(); ++i) radios[i]->SetCheck(i == index ? 1 : 0);
}

void CPanelDialog::paintEvent(QPaintEvent* event)
{
    lastPaintedSize_ = size();
    QPainter painter(this);
    painter.fillRect(event->rect(), kBackground);
}

void CPanelDialog::resizeEvent(QResizeEvent* event)
{
    const int cx = event->size().width(), cy = event->size().height();
    const int lastWidth = lastPaintedSize_.width(), lastHeight = lastPaintedSize_.height();
    if (cx > lastWidth || cy > lastHeight) {
        // The newly uncovered strips, with a margin into the old area where controls may have been
        // drawn up to the old edge, repaint at once; everything repaints once the resizing settles.
        QRegion strips(QRect(QPoint(lastWidth - 30, 0), QPoint(cx, cy - 1)));
        strips += QRect(QPoint(0, lastHeight - 40), QPoint(cx - 1, cy));
        update(strips);
    }
    QWidget::resizeEvent(event);
    repaintTimer_.start();
}

void CPanelDialog::keyPressEvent(QKeyEvent* event)
{
    // The panel never closes or passes these on like a dialog would.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return event->accept();
    QWidget::keyPressEvent(event);
}
