#include "journal/journalform.h"

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
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace ql {

JournalWindow::JournalWindow(TDataModule2& holder, const RunContext& context, QWidget* parent)
    : RecordWindow(parent, keys::Journal, QRect(-2, 0, 785, 573))
    , m_holder(holder)
    , m_context(context)
{
    setObjectName(QStringLiteral("JournalForm"));
    setWindowTitle(QStringLiteral("Quillory -  Journal"));
    setSizeGripEnabled(true);
    m_topRule = new QFrame(this);
    m_topRule->setObjectName(QStringLiteral("Panel2"));
    m_topRule->setFrameShape(QFrame::HLine);
    m_topRule->setFrameShadow(QFrame::Sunken);
    buildEntry(holder.dsJournal1);
    buildButtons();
    declareCommands();
    layOut();
}

// The list of entries, the stamp of the current one and its two texts, in the tab order.
void JournalWindow::buildEntry(DataSource* source)
{
    m_entryList = new DBGrid(this);
    m_entryList->setObjectName(QStringLiteral("DBGrid1"));
    m_entryList->setToolTip(QStringLiteral("Choose an entry"));
    m_entryList->setAccessibleName(QStringLiteral("Entries"));
    m_entryList->setColumns({QStringLiteral("DateTimeStamp")});
    m_entryList->setColumnTitles({QStringLiteral("Date & Time")});
    m_entryList->horizontalHeader()->setStretchLastSection(true);
    m_entryList->setDataSource(source);

    m_stampLabel = new QLabel(QStringLiteral("Entry Date And Time  :"), this);
    m_stampLabel->setObjectName(QStringLiteral("Label1"));
    m_stampText = new DBText(this);
    m_stampText->setObjectName(QStringLiteral("DBText1"));
    m_stampText->setCaption(QStringLiteral("Entry date and time"));
    m_stampText->setToolTip(QStringLiteral("When the entry was made"));
    QFont large = m_stampText->font();
    large.setPointSize(large.pointSize() * 3 / 2 + 2);
    large.setBold(true);
    m_stampText->setFont(large);
    m_stampText->setDataSource(source);
    m_stampText->setDataField(QStringLiteral("DateTimeStamp"));
    m_stampLabel->setBuddy(m_stampText);

    m_upperText = buildText(source, "DBMemo1", "MemoField1", QStringLiteral("Upper text"));
    m_lowerText = buildText(source, "DBMemo2", "MemoField2", QStringLiteral("Lower text"));
}

// One of the entry's texts; a right click on it shows the window's context menu.
DBMemo* JournalWindow::buildText(DataSource* source, const char* name, const char* field,
                                 const QString& title)
{
    auto* text = new DBMemo(this);
    text->setObjectName(QString::fromLatin1(name));
    text->setAccessibleName(title);
    text->setToolTip(title);
    text->setDataSource(source);
    text->setDataField(QString::fromLatin1(field));
    text->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(text, &QWidget::customContextMenuRequested, this,
            [this, text](const QPoint& at) { contextMenu()->popup(text->mapToGlobal(at)); });
    return text;
}

void JournalWindow::buildButtons()
{
    m_commandPanel = new QFrame(this);
    m_commandPanel->setObjectName(QStringLiteral("Panel1"));
    m_commandPanel->setFrameShape(QFrame::StyledPanel);
    m_newButton = makeButton(m_commandPanel, "NewBtn");
    m_insertButton = makeButton(m_commandPanel, "InsertBtn");
    m_cancelButton = makeButton(m_commandPanel, "CancelBtn");
    m_deleteButton = makeButton(m_commandPanel, "DeleteBtn");
    m_searchButton = makeButton(m_commandPanel, "SearchBtn");
    m_closeButton = makeButton(m_commandPanel, "ExitBtn");
    m_calendarButton = makeButton(m_commandPanel, "CalendarBtn1");
    auto* buttons = new QGridLayout(m_commandPanel);
    QPushButton* const order[7] = {m_newButton,    m_insertButton, m_cancelButton,  m_deleteButton,
                                   m_searchButton, m_closeButton,  m_calendarButton};
    for (int i = 0; i < 7; ++i)
        buttons->addWidget(order[i], i / 2, i % 2);
}

// Menus and buttons: each command declared once with every control that runs it.
void JournalWindow::declareCommands()
{
    QMenu* file = addMenu(menuBar(), "File1", QStringLiteral("&File"));
    QMenu* edit = addMenu(menuBar(), "Edit1", QStringLiteral("&Edit"));
    QMenu* helpMenu = addMenu(menuBar(), "Help1", QStringLiteral("&Help"));

    declare(this, {.handler = [this] { previewReport(); },
                   .caption = QStringLiteral("Print Pre&view"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_P),
                   .items = {{file, "PrintPreview1"}}});
    declare(this, {.handler = [this] { printWindowPicture(); },
                   .caption = QStringLiteral("&Print Selected"),
                   .items = {{file, "Print1"}}});
    declare(this, {.handler = [this] { printReport(); },
                   .caption = QStringLiteral("Print &All"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_A),
                   .items = {{file, "PrintAll1"}}});
    declareCalendarCommands(this, file, *m_holder.tbJournal1, formats::CalendarModule::Journal,
                            QStringLiteral("Journal entries"));
    declareCsvCommands(
        this,
        {file, false, [this] {
             return std::optional<CsvSource>({exchange::Module::Journal, m_holder.tbJournal1});
         }});
    declareSyncCommand(this, m_context.programDirectory, {file});
    declare(this, {.handler = [this] { accept(); },
                   .caption = QStringLiteral("Cl&ose"),
                   .hint = QStringLiteral("Close the journal"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Q),
                   .button = m_closeButton,
                   .items = {{file, "Exit1", QStringLiteral("E&xit"), true}}});
    declareRecordCommands(edit);
    declare(this, {.handler = [this] { openCalendar(); },
                   .caption = QStringLiteral("C&alendar"),
                   .hint = QStringLiteral("Look at a month calendar"),
                   .button = m_calendarButton,
                   .items = {{edit, "Calander1", QStringLiteral("C&alendar"), true},
                             {contextMenu(), "Calendar1", QStringLiteral("C&alendar"), true}}});
    declare(this, {.handler = [] { help::showMainContents(); },
                   .caption = QStringLiteral("&Contents"),
                   .items = {{helpMenu, "Contents1"}}});
    declare(this, {.handler = [] { help::showMainTopic(2); },
                   .caption = QStringLiteral("&Journal Help"),
                   .shortcut = QKeySequence::HelpContents,
                   .items = {{helpMenu, "Journal1"}}});
    declare(this, {.handler = [this] { showAbout(); },
                   .caption = QStringLiteral("&About..."),
                   .items = {{helpMenu, "About1", {}, true}}});
}

void JournalWindow::declareRecordCommands(QMenu* edit)
{
    RecordWindow::declareRecordCommands(
        {"entry", "entries"},
        {{RecordCommand::New, m_newButton, edit, "New1", "New2"},
         {RecordCommand::Insert, m_insertButton, edit, "Insert1", "Insert2"},
         {RecordCommand::Delete, m_deleteButton, edit, "Delete1", "Delete2"},
         {RecordCommand::Cancel, m_cancelButton, edit, "Cancel1", "Cancel2"},
         {RecordCommand::Search, m_searchButton, edit, "Search1", "Search2"}});
}

// The list above the buttons on the left; the stamp and the two texts on the right. The list
// and the texts grow with the window.
void JournalWindow::layOut()
{
    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(m_entryList, 1);
    leftLayout->addWidget(m_commandPanel);
    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_stampLabel);
    rightLayout->addWidget(m_stampText);
    rightLayout->addWidget(m_upperText, 1);
    rightLayout->addWidget(m_lowerText, 1);
    auto* splitter = new QSplitter(this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({250, 500});
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar());
    layout->addWidget(m_topRule);
    layout->addWidget(splitter, 1);
}

Table* JournalWindow::recordTable() const
{
    return m_holder.tbJournal1;
}

// The typed text is read as a stamp: a date alone means the start of that day, so the first
// entry made on it (or the next one after it) becomes current. A text that is no date moves
// nothing.
QString JournalWindow::sortIndex() const
{
    return QStringLiteral("idxJnDate");
}

KeyQuestion JournalWindow::searchQuestion() const
{
    return {QStringLiteral("Search for Date"), QStringLiteral("Enter Date (ex. 5/25/97): ")};
}

QString JournalWindow::deleteQuestion() const
{
    return QStringLiteral("Are you sure you want to delete the current Journal Entry? \r "
                          "Deleted entries cannot be recovered. \t");
}

void JournalWindow::previewReport()
{
    TJournalPrint1 report(*recordTable(), this);
    report::preview(this, report);
}

void JournalWindow::printReport()
{
    TJournalPrint1 report(*recordTable(), this);
    report::print(this, report);
}

void JournalWindow::printWindowPicture()
{
    services::printing().printWindow(this);
}

void JournalWindow::openCalendar()
{
    m_context.modules->open(ModuleRegistry::Window::ReferenceCalendar, this);
}

void JournalWindow::showAbout()
{
    m_context.aboutBox->showFor(QStringLiteral("Quillory - Journal"));
}

} // namespace ql
