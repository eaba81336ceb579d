#include "widgets/recordwindow.h"

#include "core/seams.h"
#include "store/table.h"

#include <QMenu>
#include <QMenuBar>

#include <optional>

namespace ql {

RecordWindow::RecordWindow(QWidget* parent, const WindowDesign& design)
    : ModuleWindow(parent, design)
    , m_menuBar(new QMenuBar(this))
    , m_contextMenu(new QMenu(this))
{
    m_menuBar->setObjectName(QStringLiteral("MainMenu1"));
    m_contextMenu->setObjectName(QStringLiteral("PopupMenu1"));
    setContextMenu(m_contextMenu);
}

QKeySequence RecordWindow::key(RecordCommand command)
{
    switch (command) {
    case RecordCommand::New:
        return QKeySequence(Qt::CTRL | Qt::Key_N);
    case RecordCommand::Insert:
        return QKeySequence(Qt::CTRL | Qt::Key_I);
    case RecordCommand::Cancel:
        return QKeySequence(Qt::CTRL | Qt::Key_Z);
    case RecordCommand::Delete:
        return QKeySequence(Qt::CTRL | Qt::Key_Delete);
    case RecordCommand::Search:
        return QKeySequence(Qt::CTRL | Qt::Key_F);
    case RecordCommand::Filter:
        return QKeySequence(Qt::CTRL | Qt::Key_L);
    case RecordCommand::Unfilter:
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L);
    }
    return {};
}

void (RecordWindow::*RecordWindow::work(RecordCommand command))()
{
    switch (command) {
    case RecordCommand::New:
    case RecordCommand::Insert:
        return &RecordWindow::addRecord;
    case RecordCommand::Cancel:
        return &RecordWindow::cancelRecord;
    case RecordCommand::Delete:
        return &RecordWindow::deleteRecord;
    case RecordCommand::Search:
        return &RecordWindow::searchRecords;
    case RecordCommand::Filter:
        return &RecordWindow::filterRecords;
    case RecordCommand::Unfilter:
        return &RecordWindow::unfilterRecords;
    }
    return nullptr;
}

Command RecordWindow::recordCommand(RecordCommand command, const RecordNoun& noun)
{
    const auto hint = [&noun](const char* text) {
        return QString::fromUtf8(text)
            .replace(QStringLiteral("%many"), QString::fromUtf8(noun.many))
            .replace(QStringLiteral("%one"), QString::fromUtf8(noun.one));
    };
    Command declared{.handler = {}, .caption = {}, .shortcut = key(command)};
    switch (command) {
    case RecordCommand::New:
        declared.caption = QStringLiteral("&New");
        declared.hint = hint("Start a new %one");
        break;
    case RecordCommand::Insert:
        declared.caption = QStringLiteral("&Insert");
        declared.hint = hint("Insert a new %one");
        break;
    case RecordCommand::Cancel:
        declared.caption = QStringLiteral("&Cancel");
        declared.hint = hint("Abandon the changes of this %one");
        break;
    case RecordCommand::Delete:
        declared.caption = QStringLiteral("&Delete");
        declared.hint = hint("Delete this %one");
        break;
    case RecordCommand::Search:
        declared.caption = QStringLiteral("&Search");
        declared.hint = hint("Go to the first %one at or after a key of the list's order");
        break;
    case RecordCommand::Filter:
        declared.caption = QStringLiteral("Fil&ter");
        declared.hint = hint("Show only the %many whose key in the list's order is a text");
        break;
    case RecordCommand::Unfilter:
        declared.caption = QStringLiteral("&Unfilter");
        declared.hint = hint("Show all %many again");
        break;
    }
    declared.abandons = command == RecordCommand::Cancel;
    declared.startsRecord = command == RecordCommand::New || command == RecordCommand::Insert;
    return declared;
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

void RecordWindow::deleteRecord()
{
    Table* table = recordTable();
    if (table && services::prompts().confirm(this, deleteQuestion()))
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
    return services::prompts().inputBox(this, question.caption, question.prompt);
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
