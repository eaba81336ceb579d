#include "sync/synctest.h"

#include "addressbook/addressbooktables.h"
#include "journal/journaltables.h"
#include "store/tablebulk.h"
#include "support/dialogs.h"

#include <memory>

namespace ql::test {
namespace {

QStringList listedFields(Module module)
{
    switch (module) {
    case Module::Contacts:
        return {QStringLiteral("FirstName"), QStringLiteral("LastName"),
                QStringLiteral("PhNumber1"), QStringLiteral("EmAddress1")};
    case Module::ToDo:
        return {QStringLiteral("ToDoByDate"), QStringLiteral("ToDoMemo")};
    case Module::Journal:
        return {QStringLiteral("DateTimeStamp"), QStringLiteral("MemoField1"),
                QStringLiteral("MemoField2")};
    }
    return {};
}

// The module's table, open for as long as the holder lives.
struct Opened {
    std::unique_ptr<QObject> holder;
    Table* table = nullptr;
};
Opened open(ProgramDirectory& directory, Module module)
{
    Opened opened;
    if (module == Module::Contacts) {
        auto* holder = new AddressBookTables(directory.session());
        opened.table = holder->tbNames;
        opened.holder.reset(holder);
    } else if (module == Module::ToDo) {
        auto* holder = new ToDoTables(directory.session());
        opened.table = holder->tbTodo;
        opened.holder.reset(holder);
    } else {
        auto* holder = new JournalTables(directory.session());
        opened.table = holder->tbJournal1;
        opened.holder.reset(holder);
    }
    return opened;
}

bool findRecord(Table& table, const QString& field, const QString& value)
{
    for (table.first(); !table.eof(); table.next()) {
        if (table.asText(field) == value)
            return true;
    }
    return table.asText(field) == value && !table.isEmpty();
}

} // namespace

void addRecord(ProgramDirectory& directory, Module module, const QMap<QString, QVariant>& values)
{
    const Opened opened = open(directory, module);
    opened.table->insert();
    for (auto it = values.begin(); it != values.end(); ++it)
        opened.table->setValue(it.key(), it.value());
    opened.table->post();
}

void changeRecord(ProgramDirectory& directory, Module module, const QString& field,
                  const QString& value, const QMap<QString, QVariant>& changes)
{
    const Opened opened = open(directory, module);
    if (!findRecord(*opened.table, field, value))
        throw std::runtime_error("no such record to change");
    opened.table->edit();
    for (auto it = changes.begin(); it != changes.end(); ++it)
        opened.table->setValue(it.key(), it.value());
    opened.table->post();
}

void deleteRecord(ProgramDirectory& directory, Module module, const QString& field,
                  const QString& value)
{
    const Opened opened = open(directory, module);
    if (!findRecord(*opened.table, field, value))
        throw std::runtime_error("no such record to delete");
    opened.table->deleteRecord();
}

QStringList listed(ProgramDirectory& directory, Module module)
{
    const Opened opened = open(directory, module);
    const QStringList fields = listedFields(module);
    QStringList lines;
    for (const TableBulk::Texts& record : TableBulk::readTexts(*opened.table, fields)) {
        QStringList texts;
        for (int i = 0; i < fields.size(); ++i)
            texts << record.text(i).toString();
        lines << texts.join(QLatin1Char('|'));
    }
    lines.sort();
    return lines;
}

sync::Account accountOf(const Radicale& server)
{
    sync::Account account;
    account.server = server.url();
    account.user = QString::fromLatin1(Radicale::kUser);
    account.addressBook = server.collection(QStringLiteral("contacts"));
    account.tasks = server.collection(QStringLiteral("tasks"));
    account.journal = server.collection(QStringLiteral("journal"));
    return account;
}

sync::Outcome syncWith(ProgramDirectory& directory, const Radicale& server, const QString& password,
                       const sync::ConflictChooser& choose)
{
    ScriptedProgress progress;
    try {
        return sync::run(directory.session(), accountOf(server), password, progress, choose);
    } catch (const std::exception& e) {
        // The test names the failure it did not expect.
        qWarning("The sync failed: %s", e.what());
        throw;
    }
}

} // namespace ql::test
