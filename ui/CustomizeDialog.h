#pragma once
// CCustomizeDialog: "Customize" of the View menu's "Toolbars": shows or hides the toolbars, and adds
// commands to a toolbar or removes them, picked by category: one per menu, then "All Commands",
// "Built-in Menus" (whole menus as drop-down buttons) and "New Menu" (an empty drop-down). It changes
// the toolbars in place; the actions themselves stay owned by the main window.

#include <QDialog>
#include <QList>

class QAction;
class QComboBox;
class QListWidget;
class QMenuBar;
class QToolBar;

class CCustomizeDialog : public QDialog {
    Q_OBJECT
public:
    CCustomizeDialog(QMenuBar* menuBar, const QList<QToolBar*>& toolbars, QWidget* parent);

    // The category names, in the order listed.
    QStringList Categories() const;
    // The commands of a category, as listed.
    QList<QAction*> CategoryCommands(int category) const;
    // Adds the command (or menu) to the toolbar; "New Menu" adds a fresh empty menu.
    void AddToToolBar(QToolBar* toolbar, QAction* command);

private:
    struct Category {
        QString name;
        QList<QAction*> commands;
    };
    void ShowCategory(int row);
    void ShowToolBarButtons();
    QToolBar* ChosenToolBar() const;

    QList<QToolBar*> toolbars_;
    QList<Category> categories_;
    QAction* newMenuCommand_;
    QListWidget* toolbarList_;
    QListWidget* categoryList_;
    QListWidget* commandList_;
    QComboBox* toolbarChoice_;
    QListWidget* buttonList_;
};
