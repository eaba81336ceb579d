#include "widgets/commands.h"

#include "core/guard.h"
#include "core/help.h"
#include "core/seams.h"
#include "widgets/dbcontrols.h"

#include <QAction>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace ql {
namespace {

// A new record is typed at once: the focus goes to its first editor in the tab order.
void focusFirstEditor(QWidget* window)
{
    for (QWidget* widget = window->nextInFocusChain(); widget != window;
         widget = widget->nextInFocusChain()) {
        const bool editor = qobject_cast<DBEdit*>(widget) || qobject_cast<DBMemo*>(widget);
        if (editor && widget->window() == window && widget->isVisible() && widget->isEnabled() &&
            !widget->property("readOnly").toBool() && widget->focusPolicy() & Qt::TabFocus) {
            widget->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

} // namespace

QPushButton* makeButton(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QGridLayout* makeButtonGrid(QWidget* panel, int columns, const std::vector<PanelButton>& buttons)
{
    auto* grid = new QGridLayout(panel);
    for (int i = 0; i < int(buttons.size()); ++i) {
        const PanelButton& place = buttons[size_t(i)];
        *place.button = makeButton(panel, place.name);
        grid->addWidget(*place.button, i / columns, i % columns);
    }
    return grid;
}

void declareFolderButton(QWidget* window, QPushButton* button, const QString& hint,
                         const QKeySequence& key, const std::function<void()>& handler)
{
    declare(window, {.handler = handler,
                     .caption = QStringLiteral("Browse"),
                     .hint = hint,
                     .button = button,
                     .face = Command::Face{QString(), key}});
    button->setIcon(window->style()->standardIcon(QStyle::SP_DirOpenIcon));
}

void declareButtons(QWidget* window, const std::vector<ButtonCommand>& commands)
{
    for (const ButtonCommand& command : commands)
        declare(window, {.handler = command.handler,
                         .caption = command.caption,
                         .hint = command.hint,
                         .shortcut = command.shortcut,
                         .button = command.button});
}

QHBoxLayout* declareFoot(QWidget* window, const FootButton& about, const FootButton& help,
                         const FootButton& close, const std::vector<QPushButton*>& beforeClose)
{
    declareButtons(window, {{about.button, QStringLiteral("&About"), about.hint, about.handler},
                            {help.button, QStringLiteral("&Help"), help.hint, help.handler,
                             QKeySequence(Qt::Key_F1)},
                            {close.button, QStringLiteral("&Close"), close.hint, close.handler}});
    auto* row = new QHBoxLayout;
    row->addWidget(about.button);
    row->addWidget(help.button);
    row->addStretch();
    for (QPushButton* button : beforeClose)
        row->addWidget(button);
    row->addWidget(close.button);
    return row;
}

QVBoxLayout* declarePrintMenu(QWidget* menu, const PrintMenuCommands& commands)
{
    declare(menu, {.handler = commands.previewHandler,
                   .caption = QStringLiteral("Pre&view"),
                   .hint = QStringLiteral("Show the pages on screen before printing them"),
                   .button = commands.preview});
    commands.preview->setDefault(true);
    declare(menu, {.handler = commands.printHandler,
                   .caption = QStringLiteral("&Print"),
                   .hint = commands.printHint,
                   .button = commands.print});
    declare(menu, {.handler = commands.closeHandler,
                   .caption = QStringLiteral("&Close"),
                   .hint = QStringLiteral("Close this menu"),
                   .button = commands.close});
    auto* column = new QVBoxLayout;
    for (QPushButton* button : {commands.preview, commands.print, commands.close})
        column->addWidget(button);
    column->addStretch(1);
    return column;
}

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& title)
{
    QMenu* menu = bar->addMenu(title);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

bool runCommand(QWidget* window, const std::function<void()>& handler)
{
    return commitEditors(window) && guarded(window, handler);
}

void declare(QWidget* window, const Command& command)
{
    const std::function<void()> run = [window, handler = command.handler,
                                       abandons = command.abandons,
                                       startsRecord = command.startsRecord] {
        const bool ran = abandons ? guarded(window, handler) : runCommand(window, handler);
        if (ran && startsRecord)
            focusFirstEditor(window);
    };
    if (QPushButton* button = command.button) {
        button->setText(command.face ? command.face->text : command.caption);
        button->setToolTip(command.hint);
        button->setAccessibleName(QString(command.caption).remove(QLatin1Char('&')));
        if (command.face) {
            button->setShortcut(command.face->key);
            button->setToolTip(QStringLiteral("%1 (%2)").arg(
                command.hint, command.face->key.toString(QKeySequence::NativeText)));
        }
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

void declareHelpMenu(QWidget* window, const HelpMenu& commands)
{
    declare(window,
            {.handler = [window] { help::showMainContents(Services::of(window).helpViewer()); },
             .caption = QStringLiteral("&Contents"),
             .items = {{commands.menu, "Contents1"}}});
    declare(window, {.handler =
                         [window, topic = commands.topic] {
                             help::showMainTopic(Services::of(window).helpViewer(), topic);
                         },
                     .caption = commands.topicCaption,
                     .shortcut = QKeySequence::HelpContents,
                     .items = {{commands.menu, commands.topicItem}}});
    if (commands.about)
        declare(window, {.handler = commands.about,
                         .caption = QStringLiteral("&About..."),
                         .items = {{commands.menu, commands.aboutItem, {}, true}}});
}

void declareOkCancel(QDialog* dialog, const OkCancelCommands& commands)
{
    declareButtons(dialog,
                   {{commands.ok, QStringLiteral("OK"), commands.okHint, commands.okHandler},
                    {commands.cancel, QStringLiteral("Cancel"), commands.cancelHint,
                     [dialog] { dialog->reject(); }}});
    commands.ok->setDefault(true);
}

} // namespace ql
