#include "commands.h"

#include "dbcontrols.h"
#include "guard.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace ql {

QPushButton* makeButton(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& title)
{
    QMenu* menu = bar->addMenu(title);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

void runCommand(QWidget* window, const std::function<void()>& handler)
{
    if (commitEditors(window))
        guarded(window, handler);
}

void declare(QWidget* window, const Command& command)
{
    const std::function<void()> run = [window, handler = command.handler,
                                       discards = command.discards] {
        if (discards)
            guarded(window, handler);
        else
            runCommand(window, handler);
    };
    if (QPushButton* button = command.button) {
        button->setText(command.caption);
        button->setToolTip(command.hint);
        button->setAccessibleName(QString(command.caption).remove(QLatin1Char('&')));
        QObject::connect(button, &QPushButton::clicked, window, run);
    }
    bool shortcutPlaced = false;
    for (const MenuItem& item : command.items) {
        if (item.separatorBefore)
            item.menu->insertSeparator(item.before);
        auto* action = new QAction(item.text.isEmpty() ? command.caption : item.text, item.menu);
        item.menu->insertAction(item.before, action);
        action->setObjectName(QString::fromLatin1(item.name));
        action->setToolTip(command.hint);
        QObject::connect(action, &QAction::triggered, window, run);
        if (!shortcutPlaced && !command.shortcut.isEmpty()) {
            // The window holds the item too, so its shortcut works wherever the focus is.
            action->setShortcut(command.shortcut);
            action->setShortcutContext(Qt::WindowShortcut);
            window->addAction(action);
            shortcutPlaced = true;
        }
    }
    if (!shortcutPlaced && !command.shortcut.isEmpty()) {
        auto* action = new QAction(window);
        action->setShortcut(command.shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, window, run);
        window->addAction(action);
    }
}

} // namespace ql
