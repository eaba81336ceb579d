#pragma once

#include "core/context.h"
#include "widgets/modulewindow.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

namespace ql {

class DBGrid;
class DBMemo;
class DBText;
class Table;

// The journal window: the entries by their stamp, the current entry's stamp and two texts, and
// the commands that add, drop and find entries. It is made while the journal's holder is open
// (DataModule2) and lives for one opening; it always starts on the oldest entry.
class TJournalForm : public ModuleWindow {
    Q_OBJECT
public:
    explicit TJournalForm(const RunContext& context, QWidget* parent = nullptr);

    DBGrid* DBGrid1;
    QLabel* Label1;
    DBText* DBText1;
    DBMemo* DBMemo1;
    DBMemo* DBMemo2;
    QFrame* Panel1;
    QFrame* Panel2;
    QPushButton* NewBtn;
    QPushButton* InsertBtn;
    QPushButton* CancelBtn;
    QPushButton* DeleteBtn;
    QPushButton* SearchBtn;
    QPushButton* ExitBtn;
    QPushButton* CalendarBtn1;
    QMenuBar* MainMenu1;
    QMenu* PopupMenu1;

    // The commands, each run by its button and its menu items.
    void NewBtnClick();
    void InsertBtnClick();
    void CancelBtnClick();
    void DeleteBtnClick();
    void SearchBtnClick();
    void PrintPreview1Click();
    void Print1Click();
    void PrintAll1Click();
    void ExitBtnClick();
    // Opens the reference calendar.
    void CalendarBtn1Click();
    void Contents1Click();
    void Journal1Click();
    void About1Click();

protected:
    Table* pendingTable() const override { return table(); }

private:
    Table* table() const;
    const RunContext& m_context;
};

// The journal window while it is open.
inline TJournalForm* JournalForm = nullptr;

} // namespace ql
