#pragma once

#include <QKeySequence>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QAction;
class QDialog;
class QGridLayout;
class QHBoxLayout;
class QMenu;
class QMenuBar;
class QPushButton;
class QVBoxLayout;
class QWidget;

// How a window declares its commands: each command once, with its handler, caption, shortcut and
// hint, and every control that runs it (its button, its main-menu and context-menu items). Every
// entry point is made from that one declaration and runs the same guarded handler, so a failure
// shows its text and ends only that command, and every one but Cancel first hands the texts still
// pending in the window's editors to the record.
namespace ql {

// A menu item that runs a command: its menu, its name and its text (the command's caption
// when empty), after a separator when asked; at the end of the menu, or before `before`.
struct MenuItem {
    QMenu* menu = nullptr;
    const char* name = nullptr;
    QString text = {};
    bool separatorBefore = false;
    QAction* before = nullptr;
};

struct Command {
    std::function<void()> handler;
    // The button's caption, and the text of menu items that have none of their own.
    QString caption;
    // The tool tip of the button and the items.
    QString hint = {};
    // Works wherever the focus is in the window; the first menu item shows it. A command has a
    // key only when its declaration gives it one.
    QKeySequence shortcut = {};
    // The button that runs the command; the declaration gives it its caption and hint.
    QPushButton* button = nullptr;
    // What a button shows in place of its caption: a sign ("...") or, when empty, nothing beside
    // its picture. Such a button takes the Alt key given here, which its tool tip names; a screen
    // reader reads its caption.
    struct Face {
        QString text;
        QKeySequence key;
    };
    std::optional<Face> face = std::nullopt;
    // The menu items that run the command.
    std::vector<MenuItem> items = {};
    // The command abandons the record being typed (Cancel): it runs without storing the
    // editors' texts first, bad dates included.
    bool abandons = false;
    // The command starts a record (New, Insert): it ends with the focus in the window's first
    // editor, where the new record is typed.
    bool startsRecord = false;
};

// A command that its button alone runs: the button, its caption and hint, what it runs and, when
// given, its key.
struct ButtonCommand {
    QPushButton* button;
    QString caption;
    QString hint;
    std::function<void()> handler;
    QKeySequence shortcut = {};
};

// Runs a command of the window: the texts still pending in its editors are handed to the record
// first (a bad date refuses with its message, keeps the focus and the command does not run); then
// the handler runs, guarded. Returns whether the handler ran and did not fail.
bool runCommand(QWidget* window, const std::function<void()>& handler);

// Makes every entry point of the command in `window`, with the key and the focus its declaration
// gives; the caption only labels the controls.
void declare(QWidget* window, const Command& command);

// Declares the commands of a window's buttons, one row each, in the order given.
void declareButtons(QWidget* window, const std::vector<ButtonCommand>& commands);

// The Help menu of a module window: the contents of the program's help, the window's own topic
// (F1) and, when `about` is given, About.
struct HelpMenu {
    QMenu* menu;
    const char* topicItem;
    QString topicCaption;
    int topic;
    std::function<void()> about = {};
    const char* aboutItem = "About1";
};
void declareHelpMenu(QWidget* window, const HelpMenu& commands);

// A menu of the window's menu bar, named `name` (its item too).
QMenu* addMenu(QMenuBar* bar, const char* name, const QString& title);

// A button of a window's command panel, named, placed where it stands in the layout and the tab
// order; the command's declaration gives it its caption and hint. It is never the default button
// (Enter belongs to the editors).
QPushButton* makeButton(QWidget* parent, const char* name);

// A button that chooses a folder: it shows the folder picture alone and takes the Alt key `key`,
// which its tool tip names after `hint`; a screen reader reads it as "Browse".
void declareFolderButton(QWidget* window, QPushButton* button, const QString& hint,
                         const QKeySequence& key, const std::function<void()>& handler);

// A button of a dialog window's foot: the button, its tool tip and what it runs.
struct FootButton {
    QPushButton* button;
    QString hint;
    std::function<void()> handler;
};

// The foot of a dialog window: About and Help (also F1) at the left, Close at the right, the
// window's own buttons of the foot (`beforeClose`) just before Close. Returns the row for the
// window's layout.
QHBoxLayout* declareFoot(QWidget* window, const FootButton& about, const FootButton& help,
                         const FootButton& close,
                         const std::vector<QPushButton*>& beforeClose = {});

// A button of a command panel: where it is kept and its name.
struct PanelButton {
    QPushButton** button;
    const char* name;
};

// Makes the buttons of a command panel in the order given, which is their tab order, and sets
// them in a grid `columns` wide, row after row.
QGridLayout* makeButtonGrid(QWidget* panel, int columns, const std::vector<PanelButton>& buttons);

// The commands of a print menu, one button each: Preview (the default), Print with its hint,
// and Close. Returns the column of the three buttons for the menu's layout.
struct PrintMenuCommands {
    QPushButton* preview;
    std::function<void()> previewHandler;
    QPushButton* print;
    std::function<void()> printHandler;
    QString printHint;
    QPushButton* close;
    std::function<void()> closeHandler;
};
QVBoxLayout* declarePrintMenu(QWidget* menu, const PrintMenuCommands& commands);

// The OK and Cancel of a small dialog: OK runs its handler and is the default button (Enter);
// Cancel closes the dialog and changes nothing.
struct OkCancelCommands {
    QPushButton* ok;
    std::function<void()> okHandler;
    QString okHint;
    QPushButton* cancel;
    QString cancelHint;
};
void declareOkCancel(QDialog* dialog, const OkCancelCommands& commands);

} // namespace ql
