#pragma once
// CPanelDialog: the common base of the three settings panels. The panel object lives as long as the
// main window; its controls (the panel's "window") are built the first time its dock is shown.
//
// A panel describes its controls as a template of DialogItems placed in dialog units (1.5 px across
// and 1.625 px down at 96 dpi, scaled with the screen). The base creates each button, framed edit,
// slider and list box as its skinned class (CSkinButton, CSkinEdit, CPanelSlider, CSkinListBox), the
// section headers as CPanelHeaders and the static texts as transparent labels, over a flat panel colour.
// The controls are children of the panel and live as long as it does.
//
// The panel code reaches its controls by their template ids through the find-by-id helpers, which do
// nothing for an id without a control. Button clicks arrive in OnButtonClicked, slider notifications in
// OnHScroll, both keyed by the control's id. Escape and Enter never leave the panel.

#include <QList>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <span>
#include <utility>

class CPanelSlider;
class CSkinButton;

// One control of a panel's template.
struct DialogItem {
    enum class Kind {
        Header,             // CPanelHeader
        Static,             // transparent label
        Picture,            // picture `pictureId`, from CPanelDialog::TemplatePicture
        RadioButton,        // CSkinButton radio
        CheckBox,           // CSkinButton check box
        PushButton,         // CSkinButton push button
        DefaultPushButton,  // CSkinButton push button that Enter would press in a dialog
        Edit,               // CSkinEdit, style from `flags`
        ListBox,            // CSkinListBox
        Slider,             // CPanelSlider
    };
    // flags
    static constexpr unsigned kStartsGroup = 1;   // first control of a radio group
    static constexpr unsigned kReadOnly = 2;      // edit: a display only
    static constexpr unsigned kMultiLine = 4;     // edit: several lines

    Kind kind;
    int id;                  // the template id; CPanelDialog::kNoId for controls the code never addresses
    const char* text;        // label or button text; may be empty
    int x, y, width, height; // dialog units
    unsigned flags = 0;
    int pictureId = 0;       // Picture only
};

class CPanelDialog : public QWidget {
    Q_OBJECT
public:
    static constexpr int kNoId = -1;
    static const QColor kBackground;

    explicit CPanelDialog(QWidget* parent = nullptr);

    // Builds the panel's controls and fills them from the document, once; later calls do nothing.
    bool Create();
    // Whether the controls exist; before that, document changes are only remembered.
    bool IsCreated() const { return created_; }

    // Dialog units to pixels for this panel's screen: each edge is converted on its own, as a template
    // places them.
    QRect MapDialogRect(const QRect& dialogUnits) const;

    // The control with that template id: a skinned wrapper (FindControl) or any control (GetControl);
    // null when there is none.
    QWidget* FindControl(int id) const;
    QWidget* GetControl(int id) const;
    template <typename T>
    T* Control(int id) const { return qobject_cast<T*>(GetControl(id)); }

    // Slider helpers: nothing when `id` is not a slider; GetSliderPos then gives -1.
    void SetSliderRange(int id, int minimum, int maximum, int position);
    void SetSliderPos(int id, int position);
    int GetSliderPos(int id) const;
    void SetSliderEnabled(int id, bool enabled);
    // Window enabling of any control with that id.
    void EnableControl(int id, bool enabled);
    void SetControlText(int id, const QString& text);

    // Check boxes and radios by id: 0 unchecked, 1 checked (SetButtonCheck also takes 2, shown checked).
    int GetButtonCheck(int id) const;
    void SetButtonCheck(int id, int state);
    // The radio group that starts at `firstId`: index of its checked radio (-1 when none), or check the
    // radio at `index` and clear the others (none checked for an index outside the group).
    int GetRadioGroupIndex(int firstId) const;
    void SetRadioGroupIndex(int firstId, int index);

    QSize sizeHint() const override;

protected:
    // Creates the controls of the panel's template and initialises them from the document.
    virtual bool OnInitDialog() = 0;
    // A button of the panel was clicked (after a check box or radio took its new state).
    virtual void OnButtonClicked(int id) { (void)id; }
    // A slider of the panel sent a notification.
    virtual void OnHScroll(int sliderId, int code, int position) { (void)sliderId, (void)code, (void)position; }
    // The picture with that id at the given pixel size, for the template's Picture items.
    virtual QPixmap TemplatePicture(int pictureId, const QSize& size) const;

    // Creates the template's controls in order; `width` x `height` dialog units is the panel's size.
    void BuildTemplate(std::span<const DialogItem> items, int width, int height);
    // Creates one control of a template.
    QWidget* AddItem(const DialogItem& item);
    // Places a control of the panel's own class (a thumbnail, say) like a template item.
    void AddControl(int id, QWidget* control, const QRect& dialogUnits);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int WidthForText(const QWidget* control, const QString& text, const QRect& place) const;

    bool created_ = false;
    QSize templateSize_;                        // dialog units
    QList<std::pair<int, QWidget*>> controls_;  // in template order
    QSize lastPaintedSize_;                     // the size at the last background paint
    QTimer repaintTimer_;                       // the whole panel repaints 100 ms after an enlargement
};
