#include "journalform.h"

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
TJournalForm::TJournalForm(QWidget* parent)
    : ModuleWindow(parent, keys::Journal, QRect(-2, 0, 785, 573))
{
    setObjectName(QStringLiteral("JournalForm"));
    setWindowTitle(QStringLiteral("Quillory -  Journal"));
    setSizeGripEnabled(true);
    DataSource* source = DataModule2->dsJournal1;

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::HLine);
    Panel2->setFrameShadow(QFrame::Sunken);

    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setFocusPolicy(Qt::ClickFocus);
    DBGrid1->setToolTip(QStringLiteral("Choose an entry"));
    DBGrid1->setAccessibleName(QStringLiteral("Entries"));
    DBGrid1->setColumns({QStringLiteral("DateTimeStamp")});
    DBGrid1->setColumnTitles({QStringLiteral("Date & Time")});
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->setDataSource(source);

    Label1 = new QLabel(QStringLiteral("Entry Date And Time  :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    DBText1 = new DBText(this);
    DBText1->setObjectName(QStringLiteral("DBText1"));
    DBText1->setAccessibleName(QStringLiteral("Entry date and time"));
    DBText1->setToolTip(QStringLiteral("When the entry was made"));
    QFont large = DBText1->font();
    large.setPointSize(large.pointSize() * 3 / 2 + 2);
    large.setBold(true);
    DBText1->setFont(large);
    DBText1->setDataSource(source);
    DBText1->setDataField(QStringLiteral("DateTimeStamp"));
    Label1->setBuddy(DBText1);

    const auto memo = [this, source](const char* name, const char* field, const QString& title) {
        auto* m = new DBMemo(this);
        m->setObjectName(QString::fromLatin1(name));
        m->setAccessibleName(title);
        m->setToolTip(title);
        m->setDataSource(source);
        m->setDataField(QString::fromLatin1(field));
        m->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(m, &QWidget::customContextMenuRequested, this,
                [this, m](const QPoint& at) { PopupMenu1->popup(m->mapToGlobal(at)); });
        return m;
    };
    DBMemo1 = memo("DBMemo1", "MemoField1", QStringLiteral("Upper text"));
    DBMemo2 = memo("DBMemo2", "MemoField2", QStringLiteral("Lower text"));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    NewBtn = makeButton(Panel1, "NewBtn", QStringLiteral("New"),
                        QStringLiteral("Start a new entry stamped with the present moment"));
    InsertBtn = makeButton(Panel1, "InsertBtn", QStringLiteral("Insert"),
                           QStringLiteral("Start a new entry stamped with the present moment"));
    CancelBtn = makeButton(Panel1, "CancelBtn", QStringLiteral("Cancel"),
                           QStringLiteral("Abandon the changes of this entry"));
    DeleteBtn = makeButton(Panel1, "DeleteBtn", QStringLiteral("Delete"),
                           QStringLiteral("Delete this entry"));
    SearchBtn = makeButton(Panel1, "SearchBtn", QStringLiteral("Search"),
                           QStringLiteral("Go to the first entry of a date"));
    ExitBtn =
        makeButton(Panel1, "ExitBtn", QStringLiteral("Close"), QStringLiteral("Close the journal"));
    CalendarBtn1 = makeButton(Panel1, "CalendarBtn1", QStringLiteral("Calendar"),
                              QStringLiteral("Look at a month calendar"));
    auto* buttons = new QGridLayout(Panel1);
    QPushButton* order[7] = {NewBtn,    InsertBtn, CancelBtn,   DeleteBtn,
                             SearchBtn, ExitBtn,   CalendarBtn1};
    for (int i = 0; i < 7; ++i)
        buttons->addWidget(order[i], i / 2, i % 2);

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
    addCommand(
        this, file, "PrintPreview1", QStringLiteral("Print Pre&view"),
        [this] { PrintPreview1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_P));
    addCommand(this, file, "Print1", QStringLiteral("&Print Selected"), [this] { Print1Click(); });
    addCommand(
        this, file, "PrintAll1", QStringLiteral("Print &All"), [this] { PrintAll1Click(); },
        QKeySequence(Qt::CTRL | Qt::Key_A));
    file->addSeparator();
    addCommand(
        this, file, "Exit1", QStringLiteral("E&xit"), [this] { ExitBtnClick(); },
        QKeySequence(Qt::CTRL | Qt::Key_Q));
    QMenu* edit = menu("Edit1", QStringLiteral("&Edit"));
    addCommand(this, edit, "New1", QStringLiteral("&New"), [this] { NewBtnClick(); });
    addCommand(this, edit, "Insert1", QStringLiteral("&Insert"), [this] { InsertBtnClick(); });
    addCommand(this, edit, "Delete1", QStringLiteral("&Delete"), [this] { DeleteBtnClick(); });
    addCommand(this, edit, "Cancel1", QStringLiteral("&Cancel"), [this] { CancelBtnClick(); });
    addCommand(this, edit, "Search1", QStringLiteral("&Search"), [this] { SearchBtnClick(); });
    edit->addSeparator();
    addCommand(this, edit, "Calander1", QStringLiteral("C&alendar"),
               [this] { CalendarBtn1Click(); });
    QMenu* helpMenu = menu("Help1", QStringLiteral("&Help"));
    addCommand(this, helpMenu, "Contents1", QStringLiteral("&Contents"),
               [this] { Contents1Click(); });
    addCommand(this, helpMenu, "Journal1", QStringLiteral("&Journal Help"),
               [this] { Journal1Click(); });
    helpMenu->addSeparator();
    addCommand(this, helpMenu, "About1", QStringLiteral("&About..."), [this] { About1Click(); });

    addCommand(this, PopupMenu1, "New2", QStringLiteral("&New"), [this] { NewBtnClick(); });
    addCommand(this, PopupMenu1, "Insert2", QStringLiteral("&Insert"),
               [this] { InsertBtnClick(); });
    addCommand(this, PopupMenu1, "Delete2", QStringLiteral("&Delete"),
               [this] { DeleteBtnClick(); });
    addCommand(this, PopupMenu1, "Cancel2", QStringLiteral("&Cancel"),
               [this] { CancelBtnClick(); });
    addCommand(this, PopupMenu1, "Search2", QStringLiteral("&Search"),
               [this] { SearchBtnClick(); });
    PopupMenu1->addSeparator();
    addCommand(this, PopupMenu1, "Calendar1", QStringLiteral("C&alendar"),
               [this] { CalendarBtn1Click(); });

    onClick(this, NewBtn, [this] { NewBtnClick(); });
    onClick(this, InsertBtn, [this] { InsertBtnClick(); });
    onClick(this, CancelBtn, [this] { CancelBtnClick(); });
    onClick(this, DeleteBtn, [this] { DeleteBtnClick(); });
    onClick(this, SearchBtn, [this] { SearchBtnClick(); });
    onClick(this, ExitBtn, [this] { ExitBtnClick(); });
    onClick(this, CalendarBtn1, [this] { CalendarBtn1Click(); });

    // The list above the buttons on the left; the stamp and the two texts on the right. The
    // list and the texts grow with the window.
    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(DBGrid1, 1);
    leftLayout->addWidget(Panel1);
    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(Label1);
    rightLayout->addWidget(DBText1);
    rightLayout->addWidget(DBMemo1, 1);
    rightLayout->addWidget(DBMemo2, 1);
    auto* splitter = new QSplitter(this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({250, 500});
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(Panel2);
    layout->addWidget(splitter, 1);
}

Table* TJournalForm::table() const
{
    return DataModule2->tbJournal1;
}

void TJournalForm::NewBtnClick()
{
    table()->insert();
}

void TJournalForm::InsertBtnClick()
{
    table()->insert();
}

void TJournalForm::CancelBtnClick()
{
    table()->cancel();
}

void TJournalForm::DeleteBtnClick()
{
    if (services::prompts().confirm(
            this, QStringLiteral("Are you sure you want to delete the current Journal Entry? \r "
                                 "Deleted entries cannot be recovered. \t")))
        table()->deleteRecord();
}

// The typed text is read as a stamp: a date alone means the start of that day, so the first
// entry made on it (or the next one after it) becomes current. A text that is no date moves
// nothing; the order then stays on idxJnDate, which is the same date order.
void TJournalForm::SearchBtnClick()
{
    const std::optional<QString> text = services::prompts().inputBox(
        this, QStringLiteral("Search for Date"), QStringLiteral("Enter Date (ex. 5/25/97): "));
    if (!text)
        return;
    Table* t = table();
    const QString indexName = t->indexName();
    const QString indexFields = t->indexFieldNames();
    t->setIndexName(QStringLiteral("idxJnDate"));
    t->findNearestText(*text);
    if (indexName.isEmpty())
        t->setIndexFieldNames(indexFields);
    else
        t->setIndexName(indexName);
}

void TJournalForm::PrintPreview1Click()
{
    report::run(this, JournalPrint1, report::preview);
}

void TJournalForm::PrintAll1Click()
{
    report::run(this, JournalPrint1, report::print);
}

void TJournalForm::Print1Click()
{
    services::printing().printWindow(this);
}

void TJournalForm::ExitBtnClick()
{
    accept();
}

void TJournalForm::Contents1Click()
{
    help::showMainContents();
}

void TJournalForm::Journal1Click()
{
    help::showMainTopic(2);
}

void TJournalForm::About1Click()
{
    AboutBox->showFor(QStringLiteral("Quillory - Journal"));
}

void TJournalForm::CalendarBtn1Click()
{
    registry::open(registry::Window::ReferenceCalendar, this);
}

} // namespace ql
