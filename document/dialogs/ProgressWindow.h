#pragma once
// CProgressWindow: the small window that shows the probes of a running quality search: a bar, the
// percent text, a message ("Quality Probe: 76") and Cancel.
//
// It is shown without running a loop of its own; while it exists its owner takes no input (the window is
// modal to it). Each probe lets pending events through, so the windows repaint and Cancel is seen.
// Cancel (also Escape and closing the window) only marks the search as cancelled: the search ends with
// the best quality found so far, and its caller destroys the window.

#include "document/QualitySearch.h"

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

class CProgressWindow : public QDialog, public CQualitySearchProgress {
    Q_OBJECT
public:
    // The title starts as "Processing Full Image".
    explicit CProgressWindow(QWidget* owner);

    void SetRange(int lower, int upper);
    void SetMessageText(const QString& text);
    // Moves the bar and the percent text, then lets pending events through; the previous position.
    int SetProgressPos(int position);

    // The quality search's view: each probe is shown as "Quality Probe: %d" at its quality.
    void ShowProbe(int quality) override;
    bool Cancelled() const override { return cancelled; }

    QPushButton& CancelButton() { return *cancelButton; }
    QLabel& PercentText() { return *percentText; }
    QLabel& MessageText() { return *messageText; }
    QProgressBar& Bar() { return *bar; }

public slots:
    void reject() override;

private:
    bool cancelled = false;
    int lower = 0;
    int upper = 100;
    QProgressBar* bar = nullptr;
    QLabel* percentText = nullptr;
    QLabel* messageText = nullptr;
    QPushButton* cancelButton = nullptr;
};
