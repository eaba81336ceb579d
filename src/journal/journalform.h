#pragma once

#include "journal/diarywindow.h"

class QLabel;

namespace ql {

class DataSource;
class DBGrid;
class DBMemo;
class DBText;
class JournalTables;

// The journal window: the entries by their stamp, the current entry's stamp and two texts, and
// the commands that add, drop and find entries. It is made over the journal's holder and lives
// for one opening; it always starts on the oldest entry.
class JournalWindow : public DiaryWindow {
    Q_OBJECT
public:
    JournalWindow(JournalTables& holder, const RunContext& context, QWidget* parent = nullptr);

private:
    void buildEntry(DataSource* source);
    void buildButtons();
    void layOut();

    DBGrid* m_entryList;
    QLabel* m_stampLabel;
    DBText* m_stampText;
    DBMemo* m_upperText;
    DBMemo* m_lowerText;
    QFrame* m_commandPanel;
    QPushButton* m_newButton;
    QPushButton* m_insertButton;
    QPushButton* m_cancelButton;
    QPushButton* m_deleteButton;
    QPushButton* m_searchButton;
    QPushButton* m_closeButton;
    QPushButton* m_calendarButton;
};

} // namespace ql
