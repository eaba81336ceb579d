#include "todoform.h"

#include "aboutbox.h"
#include "commands.h"
#include "dbcontrols.h"
#include "geometry.h"
#include "guard.h"
#include "help.h"
#include "holders.h"
#include "journalprint.h"
#include "keys.h"
#include "registry.h"
#include "run.h"
#include "seams.h"

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
TToDoForm::TToDoForm(QWidget* parent)
    : ModuleWindow(parent, keys::ToDo, QRect(170, 120, 720, 500))
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
    DBGrid1->setFocusPolicy(Qt::ClickFocus);
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
    Label1 = new QLabel(QStringLiteral("&Due by:"), Panel2);
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
    NewBtn =
        makeButton(Panel3, "NewBtn", QStringLiteral("&New"), QStringLiteral("Start a new item"));
    InsertBtn = makeButton(Panel3, "InsertBtn", QStringLiteral("&Insert"),
                           QStringLiteral("Insert a new item"));
    DeleteBtn = makeButton(Panel3, "DeleteBtn", QStringLiteral("&Delete"),
                           QStringLiteral("Delete this item"));
    CancelBtn = makeButton(Panel3, "CancelBtn", QStringLiteral("&Cancel"),
                           QStringLiteral("Abandon the changes of this item"));
    auto* editing = new QVBoxLayout(Panel3);
    for (QPushButton* b : {NewBtn, InsertBtn, DeleteBtn, CancelBtn})
        editing->addWidget(b);
    editing->addStretch();

    Panel4 = new QFrame(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFrameShape(QFrame::StyledPanel);
    SearchBtn = makeButton(Panel4, "SearchBtn", QStringLiteral("&Search"),
                           QStringLiteral("Go to the first item due on or after a date"));
    FilterBtn = makeButton(Panel4, "FilterBtn", QStringLiteral("&Filter"),
                           QStringLiteral("Show only the items due on a date"));
    UnFilterBtn = makeButton(Panel4, "UnFilterBtn", QStringLiteral("&Unfilter"),
                             QStringLiteral("Show all items again"));
    CalendarBtn1 = makeButton(Panel4, "CalendarBtn1", QStringLiteral("C&alendar"),
                              QStringLiteral("Look at a month calendar"));
    ExitBtn = makeButton(Panel4, "ExitBtn", QStringLiteral("Cl&ose"),
                         QStringLiteral("Close the to-do list"));
    auto* finding = new QVBoxLayout(Panel4);
    for (QPushButton* b : {SearchBtn, FilterBtn, UnFilterBtn, CalendarBtn1, ExitBtn})
        finding->addWidget(b);
    finding->addStretch();

    // Menus: each item runs the command of its button.
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    PopupMenu1 = new QMenu(this);
    setContextMenu(PopupMenu1);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto menu = [this](const char* name, const QString& title) {
        QMenu* m = MainMenu1->addMenu(title);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    QMenu* file = menu("File1", QStringLiteral("&File"));
    addCommand(this, file, "PrintSelected1", QStringLiteral("Print Pre&view..."),
               [this] { PrintSelected1Click(); });
    addCommand(
        this, file, "PrintSelected2", QStringLiteral("Print &Window"),
        [this] { PrintSelected2Click(); }, QKeySequence::Print);
    addCommand(this, file, "PrintAll1", QStringLiteral("Print &All..."),
               [this] { PrintAll1Click(); });
    file->addSeparator();
    addCommand(
        this, file, "Exit1", QStringLiteral("E&xit"), [this] { ExitBtnClick(); },
        QKeySequence(Qt::CTRL | Qt::Key_Q));
    QMenu* edit = menu("Edit1", QStringLiteral("&Edit"));
    addCommand(
        this, edit, "New1", QStringLiteral("&New"), [this] { NewBtnClick(); }, QKeySequence::New);
    addCommand(
        this, edit, "Insert1", QStringLiteral("&Insert"), [this] { InsertBtnClick(); },
        QKeySequence(Qt::CTRL | Qt::Key_I));
    addCommand(
        this, edit, "Delete1", QStringLiteral("&Delete"), [this] { DeleteBtnClick(); },
        QKeySequence(Qt::CTRL | Qt::Key_Delete));
    addCommand(this, edit, "Cancel1", QStringLiteral("&Cancel"), [this] { CancelBtnClick(); });
    edit->addSeparator();
    addCommand(
        this, edit, "Search1", QStringLiteral("&Search for Date..."), [this] { SearchBtnClick(); },
        QKeySequence::Find);
    edit->addSeparator();
    addCommand(this, edit, "Calendar1", QStringLiteral("C&alendar"),
               [this] { CalendarBtn1Click(); });
    QMenu* filter = menu("Filter1", QStringLiteral("F&ilter"));
    addCommand(
        this, filter, "FilterRecords1", QStringLiteral("&Filter for Date..."),
        [this] { FilterBtnClick(); }, QKeySequence(Qt::CTRL | Qt::Key_L));
    addCommand(
        this, filter, "CancelFilter1", QStringLiteral("&Unfilter"), [this] { UnFilterBtnClick(); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    QMenu* helpMenu = menu("Help1", QStringLiteral("&Help"));
    addCommand(this, helpMenu, "Contents1", QStringLiteral("&Contents"),
               [this] { Contents1Click(); });
    addCommand(
        this, helpMenu, "ToDoHelp1", QStringLiteral("&To-Do List Help"),
        [this] { ToDoHelp1Click(); }, QKeySequence::HelpContents);
    helpMenu->addSeparator();
    addCommand(this, helpMenu, "About1", QStringLiteral("&About..."), [this] { About1Click(); });

    addCommand(this, PopupMenu1, "New2", QStringLiteral("&New"), [this] { NewBtnClick(); });
    addCommand(this, PopupMenu1, "Insert2", QStringLiteral("&Insert"),
               [this] { InsertBtnClick(); });
    addCommand(this, PopupMenu1, "Delete2", QStringLiteral("&Delete"),
               [this] { DeleteBtnClick(); });
    addCommand(this, PopupMenu1, "Cancel2", QStringLiteral("&Cancel"),
               [this] { CancelBtnClick(); });
    PopupMenu1->addSeparator();
    addCommand(this, PopupMenu1, "Search2", QStringLiteral("&Search for Date..."),
               [this] { SearchBtnClick(); });
    addCommand(this, PopupMenu1, "Filter2", QStringLiteral("&Filter for Date..."),
               [this] { FilterBtnClick(); });
    addCommand(this, PopupMenu1, "UnFilter1", QStringLiteral("&Unfilter"),
               [this] { Button1Click(); });
    PopupMenu1->addSeparator();
    addCommand(this, PopupMenu1, "Calendar2", QStringLiteral("C&alendar"),
               [this] { CalendarBtn1Click(); });

    onClick(this, NewBtn, [this] { NewBtnClick(); });
    onClick(this, InsertBtn, [this] { InsertBtnClick(); });
    onClick(this, DeleteBtn, [this] { DeleteBtnClick(); });
    onClick(this, CancelBtn, [this] { CancelBtnClick(); });
    onClick(this, SearchBtn, [this] { SearchBtnClick(); });
    onClick(this, FilterBtn, [this] { FilterBtnClick(); });
    onClick(this, UnFilterBtn, [this] { UnFilterBtnClick(); });
    onClick(this, ExitBtn, [this] { ExitBtnClick(); });
    onClick(this, CalendarBtn1, [this] { CalendarBtn1Click(); });

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
    AboutBox->showFor(QStringLiteral("Quillory - ToDO"));
}

void TToDoForm::CalendarBtn1Click()
{
    registry::open(registry::Window::ReferenceCalendar, this);
}

} // namespace ql
