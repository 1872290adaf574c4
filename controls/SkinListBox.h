#pragma once
// CSkinListBox: the panels' list box: a one-pixel black frame around a flat light background.

#include <QListWidget>

class CSkinListBox : public QListWidget {
    Q_OBJECT
public:
    explicit CSkinListBox(QWidget* parent = nullptr);
};
