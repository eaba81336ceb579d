#include "widgets/recordwindow.h"

#include "core/seams.h"
#include "store/table.h"

#include <QMenu>
#include <QMenuBar>

#include <optional>

namespace ql {

namespace {

// What every record window shows for a record command: its caption with the Alt letter, its
// key and its hint, where %one and %many name the window's records. In the order of the commands.
struct RecordCommandFace {
    const char* caption;
    QKeyCombination key;
    const char* hint;
};
constexpr RecordCommandFace kFaces[] = {
    {"&New", Qt::CTRL | Qt::Key_N, "Start a new %one"},
    {"&Insert", Qt::CTRL | Qt::Key_I, "Insert a new %one"},
    {"&Cancel", Qt::CTRL | Qt::Key_Z, "Abandon the changes of this %one"},
    {"&Delete", Qt::CTRL | Qt::Key_Delete, "Delete this %one"},
    {"&Search", Qt::CTRL | Qt::Key_F, "Go to the first %one at or after a key of the list's order"},
    {"Fil&ter", Qt::CTRL | Qt::Key_L,
     "Show only the %many whose key in the list's order is a text"},
    {"&Unfilter", Qt::CTRL | Qt::SHIFT | Qt::Key_L, "Show all %many again"},
};

const RecordCommandFace& faceOf(RecordCommand command)
{
    return kFaces[static_cast<int>(command)];
}

} // namespace

RecordWindow::RecordWindow(QWidget* parent, const RunContext& context, const WindowDesign& design)
    : ModuleWindow(parent, context, design)
    , m_menuBar(new QMenuBar(this))
    , m_fileMenu(addMenu(m_menuBar, "File1", QStringLiteral("&File")))
    , m_editMenu(addMenu(m_menuBar, "Edit1", QStringLiteral("&Edit")))
    , m_contextMenu(new QMenu(this))
{
    m_menuBar->setObjectName(QStringLiteral("MainMenu1"));
    m_contextMenu->setObjectName(QStringLiteral("PopupMenu1"));
    setContextMenu(m_contextMenu);
}

QKeySequence RecordWindow::key(RecordCommand command)
{
    return QKeySequence(faceOf(command).key);
}

void (RecordWindow::*RecordWindow::work(RecordCommand command))()
{
    // In the order of the commands: New and Insert both start a record.
    static constexpr void (RecordWindow::*kWork[])() = {
        &RecordWindow::addRecord,      &RecordWindow::addRecord,     &RecordWindow::cancelRecord,
        &RecordWindow::deleteRecord,   &RecordWindow::searchRecords, &RecordWindow::filterRecords,
        &RecordWindow::unfilterRecords};
    return kWork[static_cast<int>(command)];
}

Command RecordWindow::recordCommand(RecordCommand command, const RecordNoun& noun)
{
    const RecordCommandFace& face = faceOf(command);
    return {.handler = {},
            .caption = QString::fromUtf8(face.caption),
            .hint = QString::fromUtf8(face.hint)
                        .replace(QStringLiteral("%many"), QString::fromUtf8(noun.many))
                        .replace(QStringLiteral("%one"), QString::fromUtf8(noun.one)),
            .shortcut = QKeySequence(face.key),
            .abandons = command == RecordCommand::Cancel,
            .startsRecord = command == RecordCommand::New || command == RecordCommand::Insert};
}

void RecordWindow::declareRecordCommands(const RecordNoun& noun, const std::vector<RecordRow>& rows)
{
    for (const RecordRow& row : rows) {
        Command command = recordCommand(row.command, noun);
        command.handler = [this, run = work(row.command)] { (this->*run)(); };
        command.button = row.button;
        // The commands that ask for a key say so in their menus.
        const bool asks =
            row.command == RecordCommand::Search || row.command == RecordCommand::Filter;
        const QString text = asks ? command.caption + QStringLiteral("...") : QString();
        command.items.push_back({row.menu, row.menuItem, text, row.separatorInMenu});
        if (row.popupItem)
            command.items.push_back({m_contextMenu, row.popupItem, text, row.separatorInPopup});
        declare(this, command);
    }
}

void RecordWindow::addRecord()
{
    if (Table* table = recordTable())
        table->insert();
}

void RecordWindow::cancelRecord()
{
    if (Table* table = recordTable())
        table->cancel();
}

QString RecordWindow::deleteQuestion() const
{
    return QStringLiteral("Are you sure you want to delete this record? \r Deleted records "
                          "cannot be recovered. \t");
}

void RecordWindow::deleteRecord()
{
    Table* table = recordTable();
    if (table && Services::of(this).prompts().confirm(this, deleteQuestion()))
        table->deleteRecord();
}

void RecordWindow::searchRecords()
{
    if (!recordTable())
        return;
    if (const std::optional<QString> key = askForKey(searchQuestion()))
        findUnderSortIndex(*key);
}

void RecordWindow::filterRecords()
{
    if (!recordTable())
        return;
    if (const std::optional<QString> key = askForKey(filterQuestion()))
        filterUnderSortIndex(*key);
}

std::optional<QString> RecordWindow::askForKey(const KeyQuestion& question)
{
    return Services::of(this).prompts().inputBox(this, question.caption, question.prompt);
}

void RecordWindow::unfilterRecords()
{
    if (Table* table = recordTable())
        table->cancelRange();
}

void RecordWindow::findUnderSortIndex(const QString& key)
{
    Table* table = recordTable();
    const QString sort = sortIndex();
    const QString indexName = table->indexName();
    if (indexName == sort) {
        table->findNearestText(key);
        return;
    }
    // The list keeps its own order: the record found under the sort order stays current in it.
    const QString fieldNames = table->indexFieldNames();
    const auto restoreOrder = [&] {
        if (indexName.isEmpty())
            table->setIndexFieldNames(fieldNames);
        else
            table->setIndexName(indexName);
    };
    try {
        table->setIndexNameAt(sort, key);
    } catch (...) {
        restoreOrder();
        throw;
    }
    restoreOrder();
}

void RecordWindow::filterUnderSortIndex(const QString& key)
{
    Table* table = recordTable();
    // The filter holds only in the order it was made in, so the list takes the sort order.
    if (table->indexName() != sortIndex())
        table->setIndexName(sortIndex());
    table->setRangeText(key, key);
    showFilter(table, filterSubject(), key);
}

} // namespace ql
