#include "journal/todoform.h"

#include "core/aboutbox.h"
#include "core/geometry.h"
#include "core/guard.h"
#include "core/help.h"
#include "core/keys.h"
#include "core/registry.h"
#include "core/seams.h"
#include "journal/journalprint.h"
#include "report/run.h"
#include "store/holders.h"
#include "widgets/commands.h"
#include "widgets/dbcontrols.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace ql {
TToDoForm::TToDoForm(const RunContext& context, QWidget* parent)
    : ModuleWindow(parent, keys::ToDo, QRect(170, 120, 720, 500))
    , m_context(context)
{
    setObjectName(QStringLiteral("ToDoForm"));
    setWindowTitle(QStringLiteral("Quillory - To-Do List"));
    setSizeGripEnabled(true);
    DataSource* source = DataModule4->dsToDo;

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::HLine);
    Panel1->setFrameShadow(QFrame::Sunken);

    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setToolTip(QStringLiteral("Choose an item"));
    DBGrid1->setAccessibleName(QStringLiteral("Items"));
    DBGrid1->setColumns({QStringLiteral("ToDoByDate"), QStringLiteral("ToDoMemo")});
    DBGrid1->setColumnTitles({QStringLiteral("Due Date"), QStringLiteral("To Do")});
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->setDataSource(source);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* dueLayout = new QHBoxLayout(Panel2);
    dueLayout->setContentsMargins(0, 0, 0, 0);
    Label1 = new QLabel(QStringLiteral("Due &by:"), Panel2);
    Label1->setObjectName(QStringLiteral("Label1"));
    DBEdit1 = new DBEdit(Panel2);
    DBEdit1->setObjectName(QStringLiteral("DBEdit1"));
    DBEdit1->setAccessibleName(QStringLiteral("Due by"));
    DBEdit1->setToolTip(QStringLiteral("The date by which the item is due (ex. 5/25/1997)"));
    DBEdit1->setDataSource(source);
    DBEdit1->setDataField(QStringLiteral("ToDoByDate"));
    Label1->setBuddy(DBEdit1);
    dueLayout->addWidget(Label1);
    dueLayout->addWidget(DBEdit1);
    dueLayout->addStretch();

    DBMemo1 = new DBMemo(this);
    DBMemo1->setObjectName(QStringLiteral("DBMemo1"));
    DBMemo1->setAccessibleName(QStringLiteral("What is to be done"));
    DBMemo1->setToolTip(QStringLiteral("What is to be done"));
    DBMemo1->setDataSource(source);
    DBMemo1->setDataField(QStringLiteral("ToDoMemo"));
    DBMemo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBMemo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(DBMemo1->mapToGlobal(at)); });

    // Editing commands in Panel3, finding and leaving in Panel4.
    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameShape(QFrame::StyledPanel);
    Panel4 = new QFrame(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFrameShape(QFrame::StyledPanel);
    NewBtn = makeButton(Panel3, "NewBtn");
    InsertBtn = makeButton(Panel3, "InsertBtn");
    DeleteBtn = makeButton(Panel3, "DeleteBtn");
    CancelBtn = makeButton(Panel3, "CancelBtn");
    SearchBtn = makeButton(Panel4, "SearchBtn");
    FilterBtn = makeButton(Panel4, "FilterBtn");
    UnFilterBtn = makeButton(Panel4, "UnFilterBtn");
    CalendarBtn1 = makeButton(Panel4, "CalendarBtn1");
    ExitBtn = makeButton(Panel4, "ExitBtn");

    // Menus and buttons: each command declared once with every control that runs it.
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    PopupMenu1 = new QMenu(this);
    setContextMenu(PopupMenu1);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QMenu* file = addMenu(MainMenu1, "File1", QStringLiteral("&File"));
    QMenu* edit = addMenu(MainMenu1, "Edit1", QStringLiteral("&Edit"));
    QMenu* filter = addMenu(MainMenu1, "Filter1", QStringLiteral("Filte&r"));
    QMenu* helpMenu = addMenu(MainMenu1, "Help1", QStringLiteral("&Help"));
    QMenu* popup = PopupMenu1;

    declare(this, {.handler = [this] { PrintSelected1Click(); },
                   .caption = QStringLiteral("Print Pre&view..."),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_P),
                   .items = {{file, "PrintSelected1"}}});
    declare(this, {.handler = [this] { PrintSelected2Click(); },
                   .caption = QStringLiteral("Print &Window"),
                   .items = {{file, "PrintSelected2"}}});
    declare(this, {.handler = [this] { PrintAll1Click(); },
                   .caption = QStringLiteral("Print &All..."),
                   .items = {{file, "PrintAll1"}}});
    declare(this, {.handler = [this] { NewBtnClick(); },
                   .caption = QStringLiteral("&New"),
                   .hint = QStringLiteral("Start a new item"),
                   .shortcut = QKeySequence::New,
                   .button = NewBtn,
                   .items = {{edit, "New1"}, {popup, "New2"}}});
    declare(this, {.handler = [this] { InsertBtnClick(); },
                   .caption = QStringLiteral("&Insert"),
                   .hint = QStringLiteral("Insert a new item"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_I),
                   .button = InsertBtn,
                   .items = {{edit, "Insert1"}, {popup, "Insert2"}}});
    declare(this, {.handler = [this] { DeleteBtnClick(); },
                   .caption = QStringLiteral("&Delete"),
                   .hint = QStringLiteral("Delete this item"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Delete),
                   .button = DeleteBtn,
                   .items = {{edit, "Delete1"}, {popup, "Delete2"}}});
    declare(this, {.handler = [this] { CancelBtnClick(); },
                   .caption = QStringLiteral("&Cancel"),
                   .hint = QStringLiteral("Abandon the changes of this item"),
                   .button = CancelBtn,
                   .items = {{edit, "Cancel1"}, {popup, "Cancel2"}},
                   .abandons = true});
    declare(this, {.handler = [this] { SearchBtnClick(); },
                   .caption = QStringLiteral("&Search"),
                   .hint = QStringLiteral("Go to the first item due on or after a date"),
                   .shortcut = QKeySequence::Find,
                   .button = SearchBtn,
                   .items = {{edit, "Search1", QStringLiteral("&Search for Date..."), true},
                             {popup, "Search2", QStringLiteral("&Search for Date..."), true}}});
    declare(this, {.handler = [this] { FilterBtnClick(); },
                   .caption = QStringLiteral("Fil&ter"),
                   .hint = QStringLiteral("Show only the items due on a date"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_L),
                   .button = FilterBtn,
                   .items = {{filter, "FilterRecords1", QStringLiteral("&Filter for Date...")},
                             {popup, "Filter2", QStringLiteral("&Filter for Date...")}}});
    declare(this, {.handler = [this] { UnFilterBtnClick(); },
                   .caption = QStringLiteral("&Unfilter"),
                   .hint = QStringLiteral("Show all items again"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L),
                   .button = UnFilterBtn,
                   .items = {{filter, "CancelFilter1"}}});
    declare(this, {.handler = [this] { Button1Click(); },
                   .caption = QStringLiteral("&Unfilter"),
                   .items = {{popup, "UnFilter1"}}});
    declare(this, {.handler = [this] { CalendarBtn1Click(); },
                   .caption = QStringLiteral("C&alendar"),
                   .hint = QStringLiteral("Look at a month calendar"),
                   .button = CalendarBtn1,
                   .items = {{edit, "Calendar1", {}, true}, {popup, "Calendar2", {}, true}}});
    declare(this, {.handler = [this] { ExitBtnClick(); },
                   .caption = QStringLiteral("Cl&ose"),
                   .hint = QStringLiteral("Close the to-do list"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Q),
                   .button = ExitBtn,
                   .items = {{file, "Exit1", QStringLiteral("E&xit"), true}}});
    declare(this, {.handler = [this] { Contents1Click(); },
                   .caption = QStringLiteral("&Contents"),
                   .items = {{helpMenu, "Contents1"}}});
    declare(this, {.handler = [this] { ToDoHelp1Click(); },
                   .caption = QStringLiteral("&To-Do List Help"),
                   .shortcut = QKeySequence::HelpContents,
                   .items = {{helpMenu, "ToDoHelp1"}}});
    declare(this, {.handler = [this] { About1Click(); },
                   .caption = QStringLiteral("&About..."),
                   .items = {{helpMenu, "About1", {}, true}}});

    auto* editing = new QVBoxLayout(Panel3);
    for (QPushButton* b : {NewBtn, InsertBtn, DeleteBtn, CancelBtn})
        editing->addWidget(b);
    editing->addStretch();
    auto* finding = new QVBoxLayout(Panel4);
    for (QPushButton* b : {SearchBtn, FilterBtn, UnFilterBtn, CalendarBtn1, ExitBtn})
        finding->addWidget(b);
    finding->addStretch();

    // The list on the left; the due date, the text and the buttons on the right. The list and
    // the text grow with the window.
    auto* right = new QWidget(this);
    auto* rightLayout = new QGridLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(Panel2, 0, 0, 1, 2);
    rightLayout->addWidget(DBMemo1, 1, 0, 1, 2);
    rightLayout->addWidget(Panel3, 2, 0);
    rightLayout->addWidget(Panel4, 2, 1);
    rightLayout->setRowStretch(1, 1);
    auto* splitter = new QSplitter(this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(DBGrid1);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({420, 300});
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(Panel1);
    layout->addWidget(splitter, 1);
}

Table* TToDoForm::table() const
{
    return DataModule4->tbTodo;
}

void TToDoForm::NewBtnClick()
{
    table()->insert();
}

void TToDoForm::InsertBtnClick()
{
    table()->insert();
}

void TToDoForm::CancelBtnClick()
{
    table()->cancel();
}

void TToDoForm::DeleteBtnClick()
{
    if (services::prompts().confirm(
            this, QStringLiteral("Are you sure you want to delete the current To-Do item? \r "
                                 "Deleted items cannot be recovered. \t")))
        table()->deleteRecord();
}

std::optional<QString> TToDoForm::askForDate(const QString& caption)
{
    return services::prompts().inputBox(this, caption,
                                        QStringLiteral("Enter Date (ex. 5/25/97): "));
}

// Runs within the filter when one is in force. A text that is no date moves nothing.
void TToDoForm::SearchBtnClick()
{
    const std::optional<QString> text = askForDate(QStringLiteral("Search for Date"));
    if (!text)
        return;
    Table* t = table();
    const QString active = t->indexName();
    t->setIndexName(QStringLiteral("idxToDoDate"));
    t->findNearestText(*text);
    t->setIndexName(active);
}

// Shows the items due on one date, replacing any earlier filter; the first becomes current.
void TToDoForm::FilterBtnClick()
{
    const std::optional<QString> text = askForDate(QStringLiteral("Filter for Date"));
    if (!text)
        return;
    Table* t = table();
    const QString active = t->indexName();
    t->setIndexName(QStringLiteral("idxToDoDate"));
    t->setRangeText(*text, *text);
    t->setIndexName(active);
    showFilter(t, QStringLiteral("due date"), *text);
}

void TToDoForm::UnFilterBtnClick()
{
    table()->cancelRange();
}

void TToDoForm::Button1Click()
{
    UnFilterBtnClick();
}

void TToDoForm::PrintSelected1Click()
{
    report::run(this, ToDoPrint1, report::preview);
}

void TToDoForm::PrintAll1Click()
{
    report::run(this, ToDoPrint1, report::print);
}

void TToDoForm::PrintSelected2Click()
{
    services::printing().printWindow(this);
}

void TToDoForm::ExitBtnClick()
{
    accept();
}

void TToDoForm::Contents1Click()
{
    help::showMainContents();
}

void TToDoForm::ToDoHelp1Click()
{
    help::showMainTopic(5);
}

void TToDoForm::About1Click()
{
    m_context.aboutBox->showFor(QStringLiteral("Quillory - ToDO"));
}

void TToDoForm::CalendarBtn1Click()
{
    registry::open(registry::Window::ReferenceCalendar, this);
}

} // namespace ql
