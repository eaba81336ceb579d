#pragma once

#include <QKeySequence>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QPushButton;
class QWidget;

// How a module window wires its commands: every button and menu item runs its command through
// the guard, so a failure shows its text and ends only that command.
namespace ql {

// A button of a window's command panel: named, with its hint and a name for screen readers, and
// never the default button (Enter belongs to the editors).
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint);
// Runs the command, guarded, whenever the button is clicked.
void onClick(QWidget* window, QPushButton* button, const std::function<void()>& command);
// Adds a menu item named `name` that runs the command, guarded. The window holds the item too,
// so its shortcut works wherever the focus is in the window.
QAction* addCommand(QWidget* window, QMenu* menu, const char* name, const QString& text,
                    const std::function<void()>& command, const QKeySequence& keys = {});

} // namespace ql
