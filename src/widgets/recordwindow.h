#pragma once

#include "widgets/commands.h"
#include "widgets/modulewindow.h"

#include <QKeySequence>
#include <QString>
#include <optional>
#include <vector>

class QMenu;
class QMenuBar;
class QPushButton;

namespace ql {

class Table;

// The commands every window over a list of records has.
enum class RecordCommand { New, Insert, Cancel, Delete, Search, Filter, Unfilter };

// What a window calls one of the records it lists, and several: the commands' hints name them.
struct RecordNoun {
    const char* one;
    const char* many;
};

// Where a window shows a record command: its button, its item in one of the window's menus and
// its item in the context menu (none when not named), each item after a separator when asked.
// The caption with its Alt letter, the key, the hint and the items' text come from the command,
// the same in every window.
struct RecordRow {
    RecordCommand command;
    QPushButton* button;
    QMenu* menu;
    const char* menuItem;
    const char* popupItem = nullptr;
    bool separatorInMenu = false;
    bool separatorInPopup = false;
};

// What a search or a filter asks for: the input box's caption and prompt.
struct KeyQuestion {
    QString caption;
    QString prompt;
};

// A window over a list of records: it carries the record commands. New and Insert start a
// record and put the focus in the first editor; Cancel abandons the record being typed; Delete
// asks first; Search makes current the first record at or after a typed key of the sort order
// and Filter shows only the records whose key equals it, both within the list's sort order;
// Unfilter shows every record again. Each command has the key every record window gives it:
// New Ctrl+N, Insert Ctrl+I, Cancel Ctrl+Z, Delete Ctrl+Del, Search Ctrl+F, Filter Ctrl+L,
// Unfilter Ctrl+Shift+L.
class RecordWindow : public ModuleWindow {
    Q_OBJECT
public:
    static QKeySequence key(RecordCommand command);

protected:
    // Makes the window's menu bar (MainMenu1), which starts with the File (File1) and Edit
    // (Edit1) menus, and its context menu (PopupMenu1); keeps the run's context and serves its
    // services as every window of the run does.
    RecordWindow(QWidget* parent, const RunContext& context, const WindowDesign& design);
    QMenuBar* menuBar() const { return m_menuBar; }
    QMenu* fileMenu() const { return m_fileMenu; }
    QMenu* editMenu() const { return m_editMenu; }
    QMenu* contextMenu() const { return m_contextMenu; }

    // The table the record commands act on; none while the window shows no list.
    virtual Table* recordTable() const = 0;
    Table* pendingTable() const override { return recordTable(); }
    // The index the list is sorted by, under which search and filter read the key.
    virtual QString sortIndex() const = 0;
    virtual KeyQuestion searchQuestion() const = 0;
    virtual KeyQuestion filterQuestion() const { return searchQuestion(); }
    // How the caption names what a filter compares ("due date").
    virtual QString filterSubject() const { return {}; }
    // What Delete asks before it deletes the current record: by default the question about "this
    // record" that most lists ask.
    virtual QString deleteQuestion() const;

    // The record commands at the window's controls, each with the handler every record window
    // gives it.
    void declareRecordCommands(const RecordNoun& noun, const std::vector<RecordRow>& rows);
    // A record command as every record window declares it (caption, hint, key, focus), with the
    // window's own handler, button and items still to be given.
    static Command recordCommand(RecordCommand command, const RecordNoun& noun);

    // The record commands' work, for windows that run it from elsewhere too.
    void addRecord();
    void cancelRecord();
    void deleteRecord();
    void searchRecords();
    void filterRecords();
    void unfilterRecords();

    // Makes current the first record at or after `key` in the sort order; the list stays in the
    // order it is in, within its filter when that is under the sort order.
    void findUnderSortIndex(const QString& key);
    // Shows only the records whose key in the sort order equals `key`, sorted by it.
    void filterUnderSortIndex(const QString& key);

private:
    QMenuBar* m_menuBar;
    QMenu* m_fileMenu;
    QMenu* m_editMenu;
    QMenu* m_contextMenu;

    std::optional<QString> askForKey(const KeyQuestion& question);
    static void (RecordWindow::*work(RecordCommand command))();
};

} // namespace ql
