#pragma once
// CPanelHeader: a section header of a settings panel: its text in white bold centred on a blue bar.
// A label, so screen readers read it as static text; clicks do nothing.

#include <QLabel>

class CPanelHeader : public QLabel {
    Q_OBJECT
public:
    explicit CPanelHeader(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
