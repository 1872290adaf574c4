#include "ui/CustomizeDialog.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// The commands under a menu, submenus included, without separators or submenu entries.
void CollectCommands(const QMenu* menu, QList<QAction*>& commands)
{
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        if (action->menu() != nullptr) CollectCommands(action->menu(), commands);
        else if (!commands.contains(action)) commands.append(action);
    }
}

QString PlainText(const QAction* action)
{
    QString text = action->text();
    text = text.left(text.indexOf(QLatin1Char('\t')) < 0 ? text.size() : text.indexOf(QLatin1Char('\t')));
    return text.remove(QLatin1Char('&'));
}

}  // namespace

CCustomizeDialog::CCustomizeDialog(QMenuBar* menuBar, const QList<QToolBar*>& toolbars, QWidget* parent)
    : QDialog(parent), toolbars_(toolbars), newMenuCommand_(new QAction(QStringLiteral("New Menu"), this))
{
    setWindowTitle(QStringLiteral("Customize"));

    // Categories: each menu, then every command, the menus themselves and an empty new menu.
    Category all{QStringLiteral("All Commands"), {}};
    Category builtIn{QStringLiteral("Built-in Menus"), {}};
    for (QAction* top : menuBar->actions()) {
        if (top->menu() == nullptr) continue;
        Category category{PlainText(top), {}};
        CollectCommands(top->menu(), category.commands);
        categories_.append(category);
        for (QAction* command : category.commands)
            if (!all.commands.contains(command)) all.commands.append(command);
        builtIn.commands.append(top);
    }
    for (const QToolBar* toolbar : toolbars_)
        for (QAction* command : toolbar->actions())
            if (!command->isSeparator() && command->menu() == nullptr && !all.commands.contains(command))
                all.commands.append(command);
    categories_.append(all);
    categories_.append(builtIn);
    categories_.append(Category{QStringLiteral("New Menu"), {newMenuCommand_}});

    auto* tabs = new QTabWidget(this);

    // "Toolbars": a check box per toolbar.
    toolbarList_ = new QListWidget;
    for (QToolBar* toolbar : toolbars_) {
        auto* item = new QListWidgetItem(toolbar->windowTitle(), toolbarList_);
        item->setCheckState(toolbar->isVisible() ? Qt::Checked : Qt::Unchecked);
    }
    connect(toolbarList_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        toolbars_[toolbarList_->row(item)]->setVisible(item->checkState() == Qt::Checked);
    });
    tabs->addTab(toolbarList_, QStringLiteral("Toolbars"));

    // "Commands": category, its commands, and the chosen toolbar's buttons.
    auto* commandsPage = new QWidget;
    categoryList_ = new QListWidget;
    for (const Category& category : categories_) categoryList_->addItem(category.name);
    commandList_ = new QListWidget;
    toolbarChoice_ = new QComboBox;
    for (const QToolBar* toolbar : toolbars_) toolbarChoice_->addItem(toolbar->windowTitle());
    buttonList_ = new QListWidget;
    auto* addButton = new QPushButton(QStringLiteral("&Add"));
    auto* removeButton = new QPushButton(QStringLiteral("&Remove"));

    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Categories:")));
    left->addWidget(categoryList_);
    auto* middle = new QVBoxLayout;
    middle->addWidget(new QLabel(QStringLiteral("Commands:")));
    middle->addWidget(commandList_);
    middle->addWidget(addButton);
    auto* right = new QVBoxLayout;
    right->addWidget(toolbarChoice_);
    right->addWidget(buttonList_);
    right->addWidget(removeButton);
    lists->addLayout(left);
    lists->addLayout(middle);
    lists->addLayout(right);
    commandsPage->setLayout(lists);
    tabs->addTab(commandsPage, QStringLiteral("Commands"));

    connect(categoryList_, &QListWidget::currentRowChanged, this, &CCustomizeDialog::ShowCategory);
    connect(toolbarChoice_, &QComboBox::currentIndexChanged, this, &CCustomizeDialog::ShowToolBarButtons);
    connect(addButton, &QPushButton::clicked, this, [this] {
        const int category = categoryList_->currentRow(), command = commandList_->currentRow();
        if (ChosenToolBar() == nullptr || category < 0 || command < 0) return;
        AddToToolBar(ChosenToolBar(), categories_[category].commands[command]);
    });
    connect(removeButton, &QPushButton::clicked, this, [this] {
        QListWidgetItem* item = buttonList_->currentItem();
        if (ChosenToolBar() == nullptr || item == nullptr) return;
        ChosenToolBar()->removeAction(item->data(Qt::UserRole).value<QAction*>());
        ShowToolBarButtons();
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);

    categoryList_->setCurrentRow(0);
    ShowToolBarButtons();
}

QStringList CCustomizeDialog::Categories() const
{
    QStringList names;
    for (const Category& category : categories_) names.append(category.name);
    return names;
}

QList<QAction*> CCustomizeDialog::CategoryCommands(int category) const { return categories_.value(category).commands; }

void CCustomizeDialog::AddToToolBar(QToolBar* toolbar, QAction* command)
{
    if (command == newMenuCommand_) {
        auto* menu = new QMenu(QStringLiteral("New Menu"), toolbar);
        toolbar->addAction(menu->menuAction());
    } else {
        toolbar->addAction(command);
    }
    if (toolbar == ChosenToolBar()) ShowToolBarButtons();
}

void CCustomizeDialog::ShowCategory(int row)
{
    commandList_->clear();
    for (const QAction* command : categories_.value(row).commands) {
        auto* item = new QListWidgetItem(command->icon(), PlainText(command), commandList_);
        item->setToolTip(command->statusTip());
    }
    commandList_->setCurrentRow(0);
}

void CCustomizeDialog::ShowToolBarButtons()
{
    buttonList_->clear();
    if (ChosenToolBar() == nullptr) return;
    for (QAction* button : ChosenToolBar()->actions()) {
        if (button->isSeparator()) continue;
        auto* item = new QListWidgetItem(button->icon(), PlainText(button), buttonList_);
        item->setData(Qt::UserRole, QVariant::fromValue(button));
    }
}

QToolBar* CCustomizeDialog::ChosenToolBar() const { return toolbars_.value(toolbarChoice_->currentIndex()); }
