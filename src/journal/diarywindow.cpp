#include "journal/diarywindow.h"

#include "core/aboutbox.h"
#include "core/registry.h"
#include "core/seams.h"
#include "exchange/csvcommands.h"
#include "journal/calendarfiles.h"
#include "journal/journalprint.h"
#include "report/run.h"
#include "syncwindows/synccommand.h"
#include "widgets/builders.h"
#include "widgets/commands.h"
#include "widgets/dbcontrols.h"

#include <QFrame>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QVBoxLayout>

#include <memory>

namespace ql {

namespace {

const WindowDesign& designOf(formats::CalendarModule module)
{
    return module == formats::CalendarModule::ToDo ? designs::toDo : designs::journal;
}

} // namespace

DiaryWindow::DiaryWindow(formats::CalendarModule module, Table& table, const RunContext& context,
                         QWidget* parent)
    : RecordWindow(parent, context, designOf(module))
    , m_module(module)
    , m_table(table)
    , m_topRule(new QFrame(this))
{
    m_topRule->setObjectName(text("Panel1", "Panel2"));
    m_topRule->setFrameShape(QFrame::HLine);
    m_topRule->setFrameShadow(QFrame::Sunken);
}

DBGrid* DiaryWindow::makeList(DataSource* source, const QStringList& columns,
                              const QStringList& titles)
{
    auto* list = new DBGrid(this);
    list->setObjectName(QStringLiteral("DBGrid1"));
    list->setToolTip(text("Choose an item", "Choose an entry"));
    list->setAccessibleName(text("Items", "Entries"));
    list->setColumns(columns);
    list->setColumnTitles(titles);
    list->horizontalHeader()->setStretchLastSection(true);
    list->setDataSource(source);
    return list;
}

DBMemo* DiaryWindow::makeText(DataSource* source, const char* name, const char* field,
                              const QString& title)
{
    auto* memo = makeControl<DBMemo>(this, name, title, title);
    memo->setDataSource(source);

    memo->setDataField(QString::fromLatin1(field));
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo, &QWidget::customContextMenuRequested, this,
            [this, memo](const QPoint& at) { contextMenu()->popup(memo->mapToGlobal(at)); });
    return memo;
}

const char* DiaryWindow::pick(const char* toDo, const char* journal) const
{
    return m_module == formats::CalendarModule::ToDo ? toDo : journal;
}

QString DiaryWindow::text(const char* toDo, const char* journal) const
{
    return QString::fromLatin1(pick(toDo, journal));
}

void DiaryWindow::declareCommands(const RecordButtons& records, QPushButton* calendar,
                                  QPushButton* close)
{
    QMenu* file = fileMenu();
    QMenu* filter =
        records.filter ? addMenu(menuBar(), "Filter1", QStringLiteral("Filte&r")) : nullptr;
    QMenu* helpMenu = addMenu(menuBar(), "Help1", QStringLiteral("&Help"));

    declarePrintCommands(file);
    declareCalendarCommands(this, file, m_table, m_module, text("To-do items", "Journal entries"));
    declareCsvCommands(this, {file, false, [this] {
                                  return std::optional<CsvSource>(
                                      {m_module == formats::CalendarModule::ToDo
                                           ? exchange::Module::ToDo
                                           : exchange::Module::Journal,
                                       &m_table});
                              }});
    declareSyncCommand(this, *context().session, {file});
    declare(this, {.handler = [this] { accept(); },
                   .caption = QStringLiteral("Cl&ose"),
                   .hint = text("Close the to-do list", "Close the journal"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Q),
                   .button = close,
                   .items = {{file, "Exit1", QStringLiteral("E&xit"), true}}});
    declareRecordRows(records, filter);
    declare(this, {.handler =
                       [this] {
                           context().modules->open(ModuleRegistry::Window::ReferenceCalendar, this);
                       },
                   .caption = QStringLiteral("C&alendar"),
                   .hint = QStringLiteral("Look at a month calendar"),
                   .button = calendar,
                   .items = {{editMenu(), pick("Calendar1", "Calander1"), {}, true},
                             {contextMenu(), pick("Calendar2", "Calendar1"), {}, true}}});
    declareHelpMenu(
        this, {helpMenu, pick("ToDoHelp1", "Journal1"), text("&To-Do List Help", "&Journal Help"),
               m_module == formats::CalendarModule::ToDo ? 5 : 2, [this] {
                   context().aboutBox->showFor(text("Quillory - ToDO", "Quillory - Journal"));
               }});
}

void DiaryWindow::declarePrintCommands(QMenu* file)
{
    declare(this, {.handler = [this] { report::preview(this, *makeReport()); },
                   .caption = text("Print Pre&view...", "Print Pre&view"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_P),
                   .items = {{file, pick("PrintSelected1", "PrintPreview1")}}});
    declare(this, {.handler = [this] { context().services->printing().printWindow(this); },
                   .caption = text("Print &Window", "&Print Selected"),
                   .items = {{file, pick("PrintSelected2", "Print1")}}});
    declare(this, {.handler = [this] { report::print(this, *makeReport()); },
                   .caption = text("Print &All...", "Print &All"),
                   .shortcut = m_module == formats::CalendarModule::Journal
                                   ? QKeySequence(Qt::CTRL | Qt::Key_A)
                                   : QKeySequence(),
                   .items = {{file, "PrintAll1"}}});
}

// The record commands at the window's buttons, in the Edit menu and the context menu; Filter
// and Unfilter in the Filter menu, after Search set apart.
void DiaryWindow::declareRecordRows(const RecordButtons& buttons, QMenu* filter)
{
    QMenu* edit = editMenu();
    const bool filters = filter != nullptr;
    std::vector<RecordRow> rows{
        {RecordCommand::New, buttons.add, edit, "New1", "New2"},
        {RecordCommand::Insert, buttons.insert, edit, "Insert1", "Insert2"},
        {RecordCommand::Delete, buttons.remove, edit, "Delete1", "Delete2"},
        {RecordCommand::Cancel, buttons.cancel, edit, "Cancel1", "Cancel2"},
        {RecordCommand::Search, buttons.search, edit, "Search1", "Search2", filters, filters}};
    if (filters) {
        rows.push_back(
            {RecordCommand::Filter, buttons.filter, filter, "FilterRecords1", "Filter2"});
        rows.push_back(
            {RecordCommand::Unfilter, buttons.unfilter, filter, "CancelFilter1", "UnFilter1"});
    }
    declareRecordCommands({pick("item", "entry"), pick("items", "entries")}, rows);
}

void DiaryWindow::layOut(QWidget* left, QWidget* right, const QList<int>& stretch,
                         const QList<int>& widths)
{
    auto* splitter = new QSplitter(this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, stretch[0]);
    splitter->setStretchFactor(1, stretch[1]);
    splitter->setSizes(widths);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar());
    layout->addWidget(m_topRule);
    layout->addWidget(splitter, 1);
}

Table* DiaryWindow::recordTable() const
{
    return &m_table;
}

// The typed text is read as a date (the journal's as a stamp: a date alone means the start of
// that day, so the first entry made on it, or the next one after it, becomes current). A text
// that is no date moves nothing.
QString DiaryWindow::sortIndex() const
{
    return text("idxToDoDate", "idxJnDate");
}

KeyQuestion DiaryWindow::searchQuestion() const
{
    return {QStringLiteral("Search for Date"), QStringLiteral("Enter Date (ex. 5/25/97): ")};
}

KeyQuestion DiaryWindow::filterQuestion() const
{
    return {QStringLiteral("Filter for Date"), QStringLiteral("Enter Date (ex. 5/25/97): ")};
}

QString DiaryWindow::filterSubject() const
{
    return QStringLiteral("due date");
}

QString DiaryWindow::deleteQuestion() const
{
    return m_module == formats::CalendarModule::ToDo
               ? QStringLiteral("Are you sure you want to delete the current To-Do item? \r "
                                "Deleted items cannot be recovered. \t")
               : QStringLiteral("Are you sure you want to delete the current Journal Entry? \r "
                                "Deleted entries cannot be recovered. \t");
}

std::unique_ptr<report::Report> DiaryWindow::makeReport()
{
    if (m_module == formats::CalendarModule::ToDo)
        return std::make_unique<ToDoReport>(m_table, this);
    return std::make_unique<JournalReport>(m_table, this);
}

} // namespace ql
