#pragma once

#include "core/context.h"
#include "formats/icalendar.h"
#include "widgets/recordwindow.h"

#include <QList>
#include <memory>

class QFrame;
class QMenu;
class QPushButton;

namespace ql {

class DataSource;
class DBGrid;
class DBMemo;

namespace report {
class Report;
}

// What the journal's and the to-do list's windows have in common: a list of dated records with
// the record commands, a File menu that prints them, writes them and reads them as iCalendar and
// CSV, a calendar for reference, and a Help menu with the module's topic. `module` tells which of
// the two the window is; each adds its own controls and places them beside each other.
class DiaryWindow : public RecordWindow {
    Q_OBJECT
protected:
    DiaryWindow(formats::CalendarModule module, Table& table, const RunContext& context,
                QWidget* parent);

    // The buttons that run the record commands; a window without filtering has no Filter and
    // Unfilter buttons, and the Filter menu only comes with them.
    struct RecordButtons {
        QPushButton* add;
        QPushButton* insert;
        QPushButton* remove;
        QPushButton* cancel;
        QPushButton* search;
        QPushButton* filter = nullptr;
        QPushButton* unfilter = nullptr;
    };
    // The list of records (DBGrid1), its last column as wide as the rest of it.
    DBGrid* makeList(DataSource* source, const QStringList& columns, const QStringList& titles);
    // A text of the record, named `title` for the screen reader and in its tool tip; a right
    // click on it shows the window's context menu.
    DBMemo* makeText(DataSource* source, const char* name, const char* field, const QString& title);
    // Menus and buttons: each command declared once with every control that runs it.
    void declareCommands(const RecordButtons& records, QPushButton* calendar, QPushButton* close);
    // The two sides of the window beside each other below the rule, sharing its width by
    // `stretch` and first as wide as `widths`.
    void layOut(QWidget* left, QWidget* right, const QList<int>& stretch, const QList<int>& widths);

    Table* recordTable() const override;
    QString sortIndex() const override;
    KeyQuestion searchQuestion() const override;
    KeyQuestion filterQuestion() const override;
    QString filterSubject() const override;
    QString deleteQuestion() const override;

private:
    void declarePrintCommands(QMenu* file);
    void declareRecordRows(const RecordButtons& buttons, QMenu* filter);
    // Of two names, texts or items, the one of this window's module.
    const char* pick(const char* toDo, const char* journal) const;
    QString text(const char* toDo, const char* journal) const;
    std::unique_ptr<report::Report> makeReport();

    formats::CalendarModule m_module;
    Table& m_table;
    QFrame* m_topRule;
};

} // namespace ql
