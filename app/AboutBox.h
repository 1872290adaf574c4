#pragma once
// CAboutBox: the About box of Help "About Calvenor": the program's icon, name and version, one line on
// what it does, a note on how it manages memory, and OK.

#include <QDialog>

class CAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit CAboutBox(QWidget* parent);
};
