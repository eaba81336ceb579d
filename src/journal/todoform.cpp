#include "journal/todoform.h"

#include "journal/journaltables.h"
#include "widgets/builders.h"
#include "widgets/commands.h"
#include "widgets/dbcontrols.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace ql {

ToDoWindow::ToDoWindow(ToDoTables& holder, const RunContext& context, QWidget* parent)
    : DiaryWindow(formats::CalendarModule::ToDo, *holder.tbTodo, context, parent)
{
    buildItem(holder.dsToDo);
    buildButtons();
    declareCommands({m_newButton, m_insertButton, m_deleteButton, m_cancelButton, m_searchButton,
                     m_filterButton, m_unfilterButton},
                    m_calendarButton, m_closeButton);
    layOut();
}

// The list of items, the current item's due date and its text, in the tab order.
void ToDoWindow::buildItem(DataSource* source)
{
    m_itemList = makeList(source, {QStringLiteral("ToDoByDate"), QStringLiteral("ToDoMemo")},
                          {QStringLiteral("Due Date"), QStringLiteral("To Do")});

    m_duePanel = new QFrame(this);
    m_duePanel->setObjectName(QStringLiteral("Panel2"));
    auto* dueLayout = new QHBoxLayout(m_duePanel);
    dueLayout->setContentsMargins(0, 0, 0, 0);
    m_dueLabel = makeLabel(m_duePanel, "Label1", QStringLiteral("Due &by:"));
    m_dueEdit =
        makeControl<DBEdit>(m_duePanel, "DBEdit1", QStringLiteral("Due by"),
                            QStringLiteral("The date by which the item is due (ex. 5/25/1997)"));
    m_dueEdit->setDataSource(source);
    m_dueEdit->setDataField(QStringLiteral("ToDoByDate"));
    m_dueLabel->setBuddy(m_dueEdit);

    dueLayout->addWidget(m_dueLabel);
    dueLayout->addWidget(m_dueEdit);
    dueLayout->addStretch();

    m_itemText = makeText(source, "DBMemo1", "ToDoMemo", QStringLiteral("What is to be done"));
}

// Editing commands in one panel, finding and leaving in the other.
void ToDoWindow::buildButtons()
{
    m_editingPanel = makePanel(this, "Panel3");
    m_findingPanel = makePanel(this, "Panel4");

    makeButtonGrid(m_editingPanel, 1,
                   {{&m_newButton, "NewBtn"},
                    {&m_insertButton, "InsertBtn"},
                    {&m_deleteButton, "DeleteBtn"},
                    {&m_cancelButton, "CancelBtn"}})
        ->setRowStretch(4, 1);
    makeButtonGrid(m_findingPanel, 1,
                   {{&m_searchButton, "SearchBtn"},
                    {&m_filterButton, "FilterBtn"},
                    {&m_unfilterButton, "UnFilterBtn"},
                    {&m_calendarButton, "CalendarBtn1"},
                    {&m_closeButton, "ExitBtn"}})
        ->setRowStretch(5, 1);
}

// The list on the left; the due date, the text and the buttons on the right. The list and the
// text grow with the window.
void ToDoWindow::layOut()
{
    auto* right = new QWidget(this);
    auto* rightLayout = new QGridLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_duePanel, 0, 0, 1, 2);
    rightLayout->addWidget(m_itemText, 1, 0, 1, 2);
    rightLayout->addWidget(m_editingPanel, 2, 0);
    rightLayout->addWidget(m_findingPanel, 2, 1);
    rightLayout->setRowStretch(1, 1);
    DiaryWindow::layOut(m_itemList, right, {3, 2}, {420, 300});
}

} // namespace ql
