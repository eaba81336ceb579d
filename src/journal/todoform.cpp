#include "journal/todoform.h"

#include "core/aboutbox.h"
#include "core/help.h"
#include "core/keys.h"
#include "core/registry.h"
#include "core/seams.h"
#include "exchange/csvcommands.h"
#include "journal/calendarfiles.h"
#include "journal/journalprint.h"
#include "report/run.h"
#include "store/holders.h"
#include "syncwindows/synccommand.h"
#include "widgets/commands.h"
#include "widgets/dbcontrols.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace ql {

ToDoWindow::ToDoWindow(TDataModule4& holder, const RunContext& context, QWidget* parent)
    : RecordWindow(parent, keys::ToDo, QRect(170, 120, 720, 500))
    , m_holder(holder)
    , m_context(context)
{
    setObjectName(QStringLiteral("ToDoForm"));
    setWindowTitle(QStringLiteral("Quillory - To-Do List"));
    setSizeGripEnabled(true);
    m_topRule = new QFrame(this);
    m_topRule->setObjectName(QStringLiteral("Panel1"));
    m_topRule->setFrameShape(QFrame::HLine);
    m_topRule->setFrameShadow(QFrame::Sunken);
    buildItem(holder.dsToDo);
    buildButtons();
    declareCommands();
    layOut();
}

// The list of items, the current item's due date and its text, in the tab order.
void ToDoWindow::buildItem(DataSource* source)
{
    m_itemList = new DBGrid(this);
    m_itemList->setObjectName(QStringLiteral("DBGrid1"));
    m_itemList->setToolTip(QStringLiteral("Choose an item"));
    m_itemList->setAccessibleName(QStringLiteral("Items"));
    m_itemList->setColumns({QStringLiteral("ToDoByDate"), QStringLiteral("ToDoMemo")});
    m_itemList->setColumnTitles({QStringLiteral("Due Date"), QStringLiteral("To Do")});
    m_itemList->horizontalHeader()->setStretchLastSection(true);
    m_itemList->setDataSource(source);

    m_duePanel = new QFrame(this);
    m_duePanel->setObjectName(QStringLiteral("Panel2"));
    auto* dueLayout = new QHBoxLayout(m_duePanel);
    dueLayout->setContentsMargins(0, 0, 0, 0);
    m_dueLabel = new QLabel(QStringLiteral("Due &by:"), m_duePanel);
    m_dueLabel->setObjectName(QStringLiteral("Label1"));
    m_dueEdit = new DBEdit(m_duePanel);
    m_dueEdit->setObjectName(QStringLiteral("DBEdit1"));
    m_dueEdit->setAccessibleName(QStringLiteral("Due by"));
    m_dueEdit->setToolTip(QStringLiteral("The date by which the item is due (ex. 5/25/1997)"));
    m_dueEdit->setDataSource(source);
    m_dueEdit->setDataField(QStringLiteral("ToDoByDate"));
    m_dueLabel->setBuddy(m_dueEdit);
    dueLayout->addWidget(m_dueLabel);
    dueLayout->addWidget(m_dueEdit);
    dueLayout->addStretch();

    m_itemText = new DBMemo(this);
    m_itemText->setObjectName(QStringLiteral("DBMemo1"));
    m_itemText->setAccessibleName(QStringLiteral("What is to be done"));
    m_itemText->setToolTip(QStringLiteral("What is to be done"));
    m_itemText->setDataSource(source);
    m_itemText->setDataField(QStringLiteral("ToDoMemo"));
    m_itemText->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_itemText, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu()->popup(m_itemText->mapToGlobal(at)); });
}

// Editing commands in one panel, finding and leaving in the other.
void ToDoWindow::buildButtons()
{
    m_editingPanel = new QFrame(this);
    m_editingPanel->setObjectName(QStringLiteral("Panel3"));
    m_editingPanel->setFrameShape(QFrame::StyledPanel);
    m_findingPanel = new QFrame(this);
    m_findingPanel->setObjectName(QStringLiteral("Panel4"));
    m_findingPanel->setFrameShape(QFrame::StyledPanel);
    m_newButton = makeButton(m_editingPanel, "NewBtn");
    m_insertButton = makeButton(m_editingPanel, "InsertBtn");
    m_deleteButton = makeButton(m_editingPanel, "DeleteBtn");
    m_cancelButton = makeButton(m_editingPanel, "CancelBtn");
    m_searchButton = makeButton(m_findingPanel, "SearchBtn");
    m_filterButton = makeButton(m_findingPanel, "FilterBtn");
    m_unfilterButton = makeButton(m_findingPanel, "UnFilterBtn");
    m_calendarButton = makeButton(m_findingPanel, "CalendarBtn1");
    m_closeButton = makeButton(m_findingPanel, "ExitBtn");
    auto* editing = new QVBoxLayout(m_editingPanel);
    for (QPushButton* button : {m_newButton, m_insertButton, m_deleteButton, m_cancelButton})
        editing->addWidget(button);
    editing->addStretch();
    auto* finding = new QVBoxLayout(m_findingPanel);
    for (QPushButton* button :
         {m_searchButton, m_filterButton, m_unfilterButton, m_calendarButton, m_closeButton})
        finding->addWidget(button);
    finding->addStretch();
}

// Menus and buttons: each command declared once with every control that runs it.
void ToDoWindow::declareCommands()
{
    QMenu* file = addMenu(menuBar(), "File1", QStringLiteral("&File"));
    QMenu* edit = addMenu(menuBar(), "Edit1", QStringLiteral("&Edit"));
    QMenu* filter = addMenu(menuBar(), "Filter1", QStringLiteral("Filte&r"));
    QMenu* helpMenu = addMenu(menuBar(), "Help1", QStringLiteral("&Help"));

    declare(this, {.handler = [this] { previewReport(); },
                   .caption = QStringLiteral("Print Pre&view..."),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_P),
                   .items = {{file, "PrintSelected1"}}});
    declare(this, {.handler = [this] { printWindowPicture(); },
                   .caption = QStringLiteral("Print &Window"),
                   .items = {{file, "PrintSelected2"}}});
    declare(this, {.handler = [this] { printReport(); },
                   .caption = QStringLiteral("Print &All..."),
                   .items = {{file, "PrintAll1"}}});
    declareRecordCommands(edit, filter);
    declare(this,
            {.handler = [this] { openCalendar(); },
             .caption = QStringLiteral("C&alendar"),
             .hint = QStringLiteral("Look at a month calendar"),
             .button = m_calendarButton,
             .items = {{edit, "Calendar1", {}, true}, {contextMenu(), "Calendar2", {}, true}}});
    declareCalendarCommands(this, file, *m_holder.tbTodo, formats::CalendarModule::ToDo,
                            QStringLiteral("To-do items"));
    declareCsvCommands(
        this, {file, false, [this] {
                   return std::optional<CsvSource>({exchange::Module::ToDo, m_holder.tbTodo});
               }});
    declareSyncCommand(this, m_context.programDirectory, {file});
    declare(this, {.handler = [this] { accept(); },
                   .caption = QStringLiteral("Cl&ose"),
                   .hint = QStringLiteral("Close the to-do list"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Q),
                   .button = m_closeButton,
                   .items = {{file, "Exit1", QStringLiteral("E&xit"), true}}});
    declare(this, {.handler = [] { help::showMainContents(); },
                   .caption = QStringLiteral("&Contents"),
                   .items = {{helpMenu, "Contents1"}}});
    declare(this, {.handler = [] { help::showMainTopic(5); },
                   .caption = QStringLiteral("&To-Do List Help"),
                   .shortcut = QKeySequence::HelpContents,
                   .items = {{helpMenu, "ToDoHelp1"}}});
    declare(this, {.handler = [this] { showAbout(); },
                   .caption = QStringLiteral("&About..."),
                   .items = {{helpMenu, "About1", {}, true}}});
}

void ToDoWindow::declareRecordCommands(QMenu* edit, QMenu* filter)
{
    RecordWindow::declareRecordCommands(
        {"item", "items"},
        {{RecordCommand::New, m_newButton, edit, "New1", "New2"},
         {RecordCommand::Insert, m_insertButton, edit, "Insert1", "Insert2"},
         {RecordCommand::Delete, m_deleteButton, edit, "Delete1", "Delete2"},
         {RecordCommand::Cancel, m_cancelButton, edit, "Cancel1", "Cancel2"},
         {RecordCommand::Search, m_searchButton, edit, "Search1", "Search2", true, true},
         {RecordCommand::Filter, m_filterButton, filter, "FilterRecords1", "Filter2"},
         {RecordCommand::Unfilter, m_unfilterButton, filter, "CancelFilter1", "UnFilter1"}});
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
    auto* splitter = new QSplitter(this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(m_itemList);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({420, 300});
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar());
    layout->addWidget(m_topRule);
    layout->addWidget(splitter, 1);
}

Table* ToDoWindow::recordTable() const
{
    return m_holder.tbTodo;
}

QString ToDoWindow::sortIndex() const
{
    return QStringLiteral("idxToDoDate");
}

KeyQuestion ToDoWindow::searchQuestion() const
{
    return {QStringLiteral("Search for Date"), QStringLiteral("Enter Date (ex. 5/25/97): ")};
}

KeyQuestion ToDoWindow::filterQuestion() const
{
    return {QStringLiteral("Filter for Date"), QStringLiteral("Enter Date (ex. 5/25/97): ")};
}

QString ToDoWindow::filterSubject() const
{
    return QStringLiteral("due date");
}

QString ToDoWindow::deleteQuestion() const
{
    return QStringLiteral("Are you sure you want to delete the current To-Do item? \r "
                          "Deleted items cannot be recovered. \t");
}

void ToDoWindow::previewReport()
{
    TToDoPrint1 report(*recordTable(), this);
    report::preview(this, report);
}

void ToDoWindow::printReport()
{
    TToDoPrint1 report(*recordTable(), this);
    report::print(this, report);
}

void ToDoWindow::printWindowPicture()
{
    services::printing().printWindow(this);
}

void ToDoWindow::openCalendar()
{
    m_context.modules->open(ModuleRegistry::Window::ReferenceCalendar, this);
}

void ToDoWindow::showAbout()
{
    m_context.aboutBox->showFor(QStringLiteral("Quillory - ToDO"));
}

} // namespace ql
