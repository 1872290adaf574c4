#pragma once
// CFolderProgressWindow: the window that follows a "Convert Folder..." run: a bar, how many pictures are
// done of how many, the file being converted, the time left, and Cancel.
//
// The conversion runs on its own threads; the window only looks at its progress a few times a second,
// so the program keeps repainting and answering while the files are converted. Cancel (also Escape and
// closing the window) asks the run to stop after the files under way; the window closes itself once
// the run has ended. It does not own the conversion.

#include <QDialog>

class CFolderConversion;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class CFolderProgressWindow : public QDialog {
    Q_OBJECT
public:
    CFolderProgressWindow(QWidget* owner, CFolderConversion& conversion);

    // Starts the conversion and shows the window, modal to its owner, until the run has ended.
    void Run();

    QLabel& CountText() { return *countText; }
    QLabel& FileText() { return *fileText; }
    QLabel& TimeText() { return *timeText; }
    QProgressBar& Bar() { return *bar; }
    QPushButton& CancelButton() { return *cancelButton; }

public slots:
    void reject() override;

private:
    void ShowProgress();

    CFolderConversion& conversion;
    QProgressBar* bar = nullptr;
    QLabel* countText = nullptr;
    QLabel* fileText = nullptr;
    QLabel* timeText = nullptr;
    QPushButton* cancelButton = nullptr;
    QTimer* timer = nullptr;
};
