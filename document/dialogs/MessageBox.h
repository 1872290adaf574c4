#pragma once
// The program's messages: a warning with an OK button, titled "Lumatrine NR".

class QString;
class QWidget;

void ShowProgramMessage(QWidget* parent, const QString& text);
