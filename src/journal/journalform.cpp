#include "journal/journalform.h"

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
TJournalForm::TJournalForm(const RunContext& context, QWidget* parent)
    : ModuleWindow(parent, keys::Journal, QRect(-2, 0, 785, 573))
    , m_context(context)
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
    DBText1->setCaption(QStringLiteral("Entry date and time"));
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
    NewBtn = makeButton(Panel1, "NewBtn");
    InsertBtn = makeButton(Panel1, "InsertBtn");
    CancelBtn = makeButton(Panel1, "CancelBtn");
    DeleteBtn = makeButton(Panel1, "DeleteBtn");
    SearchBtn = makeButton(Panel1, "SearchBtn");
    ExitBtn = makeButton(Panel1, "ExitBtn");
    CalendarBtn1 = makeButton(Panel1, "CalendarBtn1");

    // Menus and buttons: each command declared once with every control that runs it.
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    PopupMenu1 = new QMenu(this);
    setContextMenu(PopupMenu1);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QMenu* file = addMenu(MainMenu1, "File1", QStringLiteral("&File"));
    QMenu* edit = addMenu(MainMenu1, "Edit1", QStringLiteral("&Edit"));
    QMenu* helpMenu = addMenu(MainMenu1, "Help1", QStringLiteral("&Help"));
    QMenu* popup = PopupMenu1;
    const QString newHint = QStringLiteral("Start a new entry stamped with the present moment");

    declare(this, {.handler = [this] { PrintPreview1Click(); },
                   .caption = QStringLiteral("Print Pre&view"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_P),
                   .items = {{file, "PrintPreview1"}}});
    declare(this, {.handler = [this] { Print1Click(); },
                   .caption = QStringLiteral("&Print Selected"),
                   .items = {{file, "Print1"}}});
    declare(this, {.handler = [this] { PrintAll1Click(); },
                   .caption = QStringLiteral("Print &All"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_A),
                   .items = {{file, "PrintAll1"}}});
    declare(this, {.handler = [this] { ExitBtnClick(); },
                   .caption = QStringLiteral("Close"),
                   .hint = QStringLiteral("Close the journal"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Q),
                   .button = ExitBtn,
                   .items = {{file, "Exit1", QStringLiteral("E&xit"), true}}});
    declare(this, {.handler = [this] { NewBtnClick(); },
                   .caption = QStringLiteral("New"),
                   .hint = newHint,
                   .button = NewBtn,
                   .items = {{edit, "New1", QStringLiteral("&New")},
                             {popup, "New2", QStringLiteral("&New")}}});
    declare(this, {.handler = [this] { InsertBtnClick(); },
                   .caption = QStringLiteral("Insert"),
                   .hint = newHint,
                   .button = InsertBtn,
                   .items = {{edit, "Insert1", QStringLiteral("&Insert")},
                             {popup, "Insert2", QStringLiteral("&Insert")}}});
    declare(this, {.handler = [this] { DeleteBtnClick(); },
                   .caption = QStringLiteral("Delete"),
                   .hint = QStringLiteral("Delete this entry"),
                   .button = DeleteBtn,
                   .items = {{edit, "Delete1", QStringLiteral("&Delete")},
                             {popup, "Delete2", QStringLiteral("&Delete")}}});
    declare(this, {.handler = [this] { CancelBtnClick(); },
                   .caption = QStringLiteral("Cancel"),
                   .hint = QStringLiteral("Abandon the changes of this entry"),
                   .button = CancelBtn,
                   .items = {{edit, "Cancel1", QStringLiteral("&Cancel")},
                             {popup, "Cancel2", QStringLiteral("&Cancel")}},
                   .abandons = true});
    declare(this, {.handler = [this] { SearchBtnClick(); },
                   .caption = QStringLiteral("Search"),
                   .hint = QStringLiteral("Go to the first entry of a date"),
                   .button = SearchBtn,
                   .items = {{edit, "Search1", QStringLiteral("&Search")},
                             {popup, "Search2", QStringLiteral("&Search")}}});
    declare(this, {.handler = [this] { CalendarBtn1Click(); },
                   .caption = QStringLiteral("Calendar"),
                   .hint = QStringLiteral("Look at a month calendar"),
                   .button = CalendarBtn1,
                   .items = {{edit, "Calander1", QStringLiteral("C&alendar"), true},
                             {popup, "Calendar1", QStringLiteral("C&alendar"), true}}});
    declare(this, {.handler = [this] { Contents1Click(); },
                   .caption = QStringLiteral("&Contents"),
                   .items = {{helpMenu, "Contents1"}}});
    declare(this, {.handler = [this] { Journal1Click(); },
                   .caption = QStringLiteral("&Journal Help"),
                   .shortcut = QKeySequence::HelpContents,
                   .items = {{helpMenu, "Journal1"}}});
    declare(this, {.handler = [this] { About1Click(); },
                   .caption = QStringLiteral("&About..."),
                   .items = {{helpMenu, "About1", {}, true}}});

    auto* buttons = new QGridLayout(Panel1);
    QPushButton* order[7] = {NewBtn,    InsertBtn, CancelBtn,   DeleteBtn,
                             SearchBtn, ExitBtn,   CalendarBtn1};
    for (int i = 0; i < 7; ++i)
        buttons->addWidget(order[i], i / 2, i % 2);

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
    m_context.aboutBox->showFor(QStringLiteral("Quillory - Journal"));
}

void TJournalForm::CalendarBtn1Click()
{
    registry::open(registry::Window::ReferenceCalendar, this);
}

} // namespace ql
