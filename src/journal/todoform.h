#pragma once

#include "core/context.h"
#include "widgets/modulewindow.h"
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

namespace ql {

class DBEdit;
class DBGrid;
class DBMemo;
class Table;

// The to-do window: the items by due date (items without one first), the current item's due
// date and text, and the commands that add, drop, find and filter items. It is made while the
// to-do list's holder is open (DataModule4) and lives for one opening; it always starts on the
// first item, unfiltered.
class TToDoForm : public ModuleWindow {
    Q_OBJECT
public:
    explicit TToDoForm(const RunContext& context, QWidget* parent = nullptr);

    DBGrid* DBGrid1;
    DBEdit* DBEdit1;
    DBMemo* DBMemo1;
    QLabel* Label1;
    QFrame* Panel1;
    QFrame* Panel2;
    QFrame* Panel3;
    QFrame* Panel4;
    QPushButton* NewBtn;
    QPushButton* InsertBtn;
    QPushButton* DeleteBtn;
    QPushButton* CancelBtn;
    QPushButton* SearchBtn;
    QPushButton* FilterBtn;
    QPushButton* UnFilterBtn;
    QPushButton* CalendarBtn1;
    QPushButton* ExitBtn;
    QMenuBar* MainMenu1;
    QMenu* PopupMenu1;

    // The commands, each run by its button and its menu items.
    void NewBtnClick();
    void InsertBtnClick();
    void CancelBtnClick();
    void DeleteBtnClick();
    void SearchBtnClick();
    void FilterBtnClick();
    void UnFilterBtnClick();
    void Button1Click();
    void PrintSelected1Click();
    void PrintSelected2Click();
    void PrintAll1Click();
    void ExitBtnClick();
    // Opens the reference calendar.
    void CalendarBtn1Click();
    void Contents1Click();
    void ToDoHelp1Click();
    void About1Click();

protected:
    Table* pendingTable() const override { return table(); }

private:
    Table* table() const;
    std::optional<QString> askForDate(const QString& caption);
    const RunContext& m_context;
};

// The to-do window while it is open.
inline TToDoForm* ToDoForm = nullptr;

} // namespace ql
