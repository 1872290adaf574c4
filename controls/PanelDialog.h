#pragma once
// CPanelDialog: the common base of the three settings panels. The panel object lives as long as the
// main window; its controls (the panel's "window") are built the first time its dock is shown.

#include <QWidget>

class CPanelDialog : public QWidget {
    Q_OBJECT
public:
    explicit CPanelDialog(QWidget* parent = nullptr);

    // Builds the panel's controls and fills them from the document, once; later calls do nothing.
    bool Create();
    // Whether the controls exist; before that, document changes are only remembered.
    bool IsCreated() const { return created_; }

protected:
    // Creates the controls of the panel's template and initialises them from the document.
    virtual bool OnInitDialog() = 0;

private:
    bool created_ = false;
};
