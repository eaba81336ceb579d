#pragma once

#include "journal/diarywindow.h"

class QLabel;

namespace ql {

class DataSource;
class DBEdit;
class DBGrid;
class DBMemo;
class ToDoTables;

// The to-do window: the items by due date (items without one first), the current item's due
// date and text, and the commands that add, drop, find and filter items. It is made over the
// to-do list's holder and lives for one opening; it always starts on the first item, unfiltered.
class ToDoWindow : public DiaryWindow {
    Q_OBJECT
public:
    ToDoWindow(ToDoTables& holder, const RunContext& context, QWidget* parent = nullptr);

private:
    void buildItem(DataSource* source);
    void buildButtons();
    void layOut();

    DBGrid* m_itemList;
    QLabel* m_dueLabel;
    DBEdit* m_dueEdit;
    DBMemo* m_itemText;
    QFrame* m_duePanel;
    QFrame* m_editingPanel;
    QFrame* m_findingPanel;
    QPushButton* m_newButton;
    QPushButton* m_insertButton;
    QPushButton* m_deleteButton;
    QPushButton* m_cancelButton;
    QPushButton* m_searchButton;
    QPushButton* m_filterButton;
    QPushButton* m_unfilterButton;
    QPushButton* m_calendarButton;
    QPushButton* m_closeButton;
};

} // namespace ql
