// Posts records to the journal and the address book of a program directory until it is killed,
// and now and then appends twenty records to the address book in one transaction, as an import
// does. Each record is reported on standard output only after post (or the append) has returned,
// so every line printed names a record the engine has promised to keep:
//
//     journal <JournalCode> <MemoField1>
//     names <NameCode> <LastName>

#include "addressbook/addressbooktables.h"
#include "install/install.h"
#include "journal/journaltables.h"
#include "store/error.h"
#include "store/session.h"
#include "store/tablebulk.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/prctl.h>

namespace {

void report(const char* tag, qint64 key, const QString& value)
{
    const QByteArray line =
        QByteArray(tag) + ' ' + QByteArray::number(key) + ' ' + value.toUtf8() + '\n';
    // One write per line keeps lines whole in the pipe; a reader that went away ends the run.
    if (std::fwrite(line.constData(), 1, size_t(line.size()), stdout) != size_t(line.size()) ||
        std::fflush(stdout) != 0)
        std::exit(3);
}

// Returns the key of the record posted.
qint64 postAndReport(ql::Table& table, const char* tag, const QString& keyField,
                     const QString& valueField, qint64 counter)
{
    const QString value = QStringLiteral("entry-%1-é").arg(counter);
    table.insert();
    table.setValue(valueField, value);
    table.post();
    const qint64 key = table.value(keyField).toLongLong();
    report(tag, key, value);
    return key;
}

// The keys of the records appended follow the last key given, one by one: this is the file's
// only writer.
void appendAndReport(ql::Table& table, const QString& valueField, qint64 counter, qint64 lastKey)
{
    int appended = 0;
    ql::TableBulk::appendRecords(
        table,
        [&](ql::Record& record) {
            record.setValue(valueField, QStringLiteral("bulk-%1-%2").arg(counter).arg(appended));
            return appended < 20;
        },
        appended);
    for (int i = 0; i < appended; ++i)
        report("names", lastKey + 1 + i, QStringLiteral("bulk-%1-%2").arg(counter).arg(i));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: durability-writer PROGRAM-DIRECTORY\n");
        return 2;
    }
    // Never outlive the test that started us, whatever becomes of it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    try {
        ql::Session session;
        session.loadConfiguration(ql::install::configurationFile(QString::fromLocal8Bit(argv[1])));
        ql::JournalTables journal(session);
        ql::AddressBookTables names(session);
        for (qint64 counter = 1;; ++counter) {
            postAndReport(*journal.tbJournal1, "journal", QStringLiteral("JournalCode"),
                          QStringLiteral("MemoField1"), counter);
            const qint64 key = postAndReport(*names.tbNames, "names", QStringLiteral("NameCode"),
                                             QStringLiteral("LastName"), counter);
            if (counter % 4 == 0)
                appendAndReport(*names.tbNames, QStringLiteral("LastName"), counter, key);
        }
    } catch (const ql::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
