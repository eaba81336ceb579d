#include "commands.h"

#include "guard.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

namespace ql {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    button->setAutoDefault(false);
    return button;
}

void onClick(QWidget* window, QPushButton* button, const std::function<void()>& command)
{
    QObject::connect(button, &QPushButton::clicked, window,
                     [window, command] { guarded(window, command); });
}

QAction* addCommand(QWidget* window, QMenu* menu, const char* name, const QString& text,
                    const std::function<void()>& command, const QKeySequence& keys)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, window,
                     [window, command] { guarded(window, command); });
    window->addAction(action);
    return action;
}

} // namespace ql
