#pragma once
// CConversionSummaryDlg: the end of a "Convert Folder..." run: the counts on top, below them every
// failure with its reason and every file written, in a list that scrolls and can be copied.

#include <QDialog>

class QLabel;
class QPlainTextEdit;

class CConversionSummaryDlg : public QDialog {
    Q_OBJECT
public:
    // `summary`: the counts on its first line, the lists after it.
    CConversionSummaryDlg(QWidget* owner, const QString& summary);

    QLabel& CountsText() { return *countsText; }
    QPlainTextEdit& ListText() { return *listText; }

private:
    QLabel* countsText = nullptr;
    QPlainTextEdit* listText = nullptr;
};
