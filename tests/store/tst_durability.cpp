#include "addressbook/addressbooktables.h"
#include "journal/journaltables.h"
#include "store/catalogue.h"
#include "store/error.h"
#include "store/session.h"
#include "store/sqlite.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <optional>
#include <unistd.h>

using ql::Table;
using ql::TableState;

namespace {

QString tablePath(const ql::test::ProgramDirectory& dir, const ql::TableDef& def)
{
    return QDir(dir.dataPath()).filePath(def.name);
}

QString integrityOf(const QString& path)
{
    ql::sql::Database db(path, ql::sql::OpenMode::ReadWrite);
    ql::sql::Statement check(db, "PRAGMA integrity_check");
    QStringList findings;
    while (check.step())
        findings << QString::fromUtf8(check.columnBytes(0));
    return findings.join(u'\n');
}

// What the writer reported as posted: table tag -> key -> value.
using Reports = QHash<QByteArray, QHash<qint64, QString>>;

// Takes every complete line the writer printed; false on a line that is not a report.
bool takeReports(QProcess& writer, Reports& reports, int& count)
{
    while (writer.canReadLine()) {
        const QList<QByteArray> parts = writer.readLine().trimmed().split(' ');
        bool keyRead = false;
        const qint64 key = parts.size() == 3 ? parts[1].toLongLong(&keyRead) : 0;
        if (!keyRead || (parts[0] != "journal" && parts[0] != "names") ||
            reports[parts[0]].contains(key))
            return false;
        reports[parts[0]].insert(key, QString::fromUtf8(parts[2]));
        ++count;
    }
    return true;
}

// Checks that every reported record is stored with its value; `stored` gets the number of
// records in both tables.
void verifyReports(ql::Session& session, const Reports& reports, int& stored)
{
    const ql::JournalTables journal(session);
    const ql::AddressBookTables names(session);
    const struct {
        const char* tag;
        Table* table;
        QString keyField;
        QString valueField;
    } tables[] = {
        {"journal", journal.tbJournal1, QStringLiteral("JournalCode"),
         QStringLiteral("MemoField1")},
        {"names", names.tbNames, QStringLiteral("NameCode"), QStringLiteral("LastName")},
    };
    stored = 0;
    for (const auto& t : tables) {
        t.table->setIndexName({});
        stored += t.table->recordCount();
        const auto& posted = reports.value(t.tag);
        for (auto it = posted.cbegin(); it != posted.cend(); ++it) {
            t.table->findNearest(it.key());
            QVERIFY2(t.table->value(t.keyField).toLongLong() == it.key(),
                     qPrintable(QStringLiteral("Reported %1 record %2 is missing")
                                    .arg(QLatin1String(t.tag))
                                    .arg(it.key())));
            QCOMPARE(t.table->asText(t.valueField), it.value());
        }
    }
}

// Types a name into the address book, for the tests that make its post fail.
void typeName(Table& names)
{
    names.insert();
    names.setValue(QStringLiteral("FirstName"), QStringLiteral("Grace"));
    names.setAsText(QStringLiteral("LastName"), QStringLiteral("Hopper"));
    names.setValue(QStringLiteral("MeMemoData1"), QStringLiteral("Ask about the compiler"));
}

void checkTypedName(const Table& names)
{
    QCOMPARE(names.asText(QStringLiteral("FirstName")), QStringLiteral("Grace"));
    QCOMPARE(names.asText(QStringLiteral("LastName")), QStringLiteral("Hopper"));
    QCOMPARE(names.asText(QStringLiteral("MeMemoData1")), QStringLiteral("Ask about the compiler"));
}

enum class Blocker { OtherWriter, OtherWriterStarting, OtherReader, ReadOnlyFolder };

} // namespace

Q_DECLARE_METATYPE(Blocker)

// An engine error that escaped a test function would abort the whole test run, so each test
// turns one into a failure of its own.
class DurabilityTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A writer killed at any moment keeps every record whose post (or append of many) returned,
    // and leaves files the engine finds whole, each keeping the number of records it holds, also
    // when an earlier build wrote it; the next run goes on writing to the same files.
    void killedWriterKeepsEveryPostedRecord()
    {
        try {
            ql::test::ProgramDirectory dir;
            const QString writerPath = QDir(QCoreApplication::applicationDirPath())
                                           .filePath(QStringLiteral("durability-writer"));
            QVERIFY2(QFileInfo(writerPath).isExecutable(), qPrintable(writerPath));

            // Each round waits for some reports, lets the writer go on for a few milliseconds more,
            // and kills it wherever it happens to be.
            const int reportsBeforeKill[] = {1, 2,  1, 5, 1, 3,  1, 50, 1, 2,
                                             1, 10, 1, 4, 1, 20, 1, 2,  1, 60};
            Reports reports;
            int stored = 0;
            const QString files[] = {tablePath(dir, ql::catalogue::journal()),
                                     tablePath(dir, ql::catalogue::names())};
            for (const int reportsWanted : reportsBeforeKill) {
                if (reportsWanted > 1) {
                    for (const QString& file : files)
                        ql::test::keepNoCount(file);
                }
                QProcess writer;
                writer.start(writerPath, {dir.path()});
                QVERIFY2(writer.waitForStarted(5000), qPrintable(writer.errorString()));
                int reported = 0;
                while (reported < reportsWanted) {
                    if (!writer.canReadLine() && !writer.waitForReadyRead(10000))
                        QFAIL(qPrintable(QStringLiteral("The writer stopped: ") +
                                         QString::fromUtf8(writer.readAllStandardError())));
                    QVERIFY(takeReports(writer, reports, reported));
                }
                QThread::msleep(QRandomGenerator::global()->bounded(20u));
                writer.kill();
                QVERIFY(writer.waitForFinished(5000));
                QVERIFY2(writer.exitStatus() == QProcess::CrashExit,
                         writer.readAllStandardError().constData());
                QVERIFY(takeReports(writer, reports, reported));

                for (const QString& file : files) {
                    QCOMPARE(integrityOf(file), QStringLiteral("ok"));
                    const auto [kept, held] = ql::test::keptAndHeldRecords(file);
                    QCOMPARE(kept, held);
                }
                const int storedBefore = stored;
                verifyReports(dir.session(), reports, stored);
                if (QTest::currentTestFailed())
                    return;
                // At most one record was posted, or twenty appended, and not yet reported when the
                // kill came.
                QVERIFY2(stored - storedBefore >= reported &&
                             stored - storedBefore <= reported + 20,
                         qPrintable(QStringLiteral("%1 records stored, %2 reported")
                                        .arg(stored - storedBefore)
                                        .arg(reported)));
            }
        } catch (const ql::Error& e) {
            QFAIL(e.what());
        }
    }

    void longTextIsCutToItsFieldWidth()
    {
        try {
            ql::test::ProgramDirectory dir;
            // 29 letters, a character outside the basic plane as the 30th, then ten more.
            const QString first30 = QStringLiteral("Ångström-Øresund-Šíma-Łódź-Çé𝄞");
            const QString typed = first30 + QStringLiteral("-Ærøbæk-Üß");
            const QString note =
                QStringLiteral("Ünïcödé memo that is far longer than its width. ").repeated(6);
            {
                ql::AddressBookTables book(dir.session());
                Table& names = *book.tbNames;
                names.insert();
                names.setAsText(QStringLiteral("LastName"), typed);
                names.setValue(QStringLiteral("MeMemoData1"), note);
                QCOMPARE(names.asText(QStringLiteral("LastName")), first30);
                names.post();
            }
            ql::AddressBookTables book(dir.session());
            Table& names = *book.tbNames;
            QCOMPARE(names.recordCount(), 1);
            QCOMPARE(names.asText(QStringLiteral("LastName")), first30);
            QCOMPARE(names.asText(QStringLiteral("MeMemoData1")), note);
        } catch (const ql::Error& e) {
            QFAIL(e.what());
        }
    }

    void badDateKeepsThePendingRecord()
    {
        try {
            ql::test::ProgramDirectory dir;
            {
                ql::ToDoTables holder(dir.session());
                Table& todo = *holder.tbTodo;
                todo.insert();
                todo.setAsText(QStringLiteral("ToDoMemo"), QStringLiteral("Renew the passport"));
                todo.setAsDate(QStringLiteral("ToDoByDate"), QDate(2026, 5, 25));
                for (const QString& typed :
                     {QStringLiteral("31/31/2020"), QStringLiteral(" 2/30/2024 "),
                      QStringLiteral("next Friday")}) {
                    QVERIFY(ql::test::failureText([&] {
                                todo.setAsText(QStringLiteral("ToDoByDate"), typed);
                            }).startsWith(QStringLiteral("'%1' is not a valid date (").arg(typed)));
                }
                QCOMPARE(todo.state(), TableState::Insert);
                QVERIFY(todo.isModified());
                QCOMPARE(todo.asText(QStringLiteral("ToDoMemo")),
                         QStringLiteral("Renew the passport"));
                QCOMPARE(todo.asDate(QStringLiteral("ToDoByDate")), QDate(2026, 5, 25));
                todo.post();
            }
            ql::ToDoTables holder(dir.session());
            Table& todo = *holder.tbTodo;
            QCOMPARE(todo.recordCount(), 1);
            QCOMPARE(todo.asText(QStringLiteral("ToDoMemo")), QStringLiteral("Renew the passport"));
            QCOMPARE(todo.asDate(QStringLiteral("ToDoByDate")), QDate(2026, 5, 25));
        } catch (const ql::Error& e) {
            QFAIL(e.what());
        }
    }

    void failedPostKeepsTheRecord_data()
    {
        QTest::addColumn<Blocker>("blocker");
        QTest::addColumn<QString>("engineText");
        QTest::newRow("another program writes") << Blocker::OtherWriter << "database is locked";
        QTest::newRow("another program starts writing")
            << Blocker::OtherWriterStarting << "database is locked";
        QTest::newRow("another program reads") << Blocker::OtherReader << "database is locked";
        QTest::newRow("read-only folder") << Blocker::ReadOnlyFolder << "readonly database";
    }

    // A post that the file system or another program refuses keeps the record as typed, and
    // the same post succeeds once the obstacle is gone.
    void failedPostKeepsTheRecord()
    {
        try {
            QFETCH(Blocker, blocker);
            QFETCH(QString, engineText);
            if (blocker == Blocker::ReadOnlyFolder && geteuid() == 0)
                QSKIP("The superuser writes to read-only files");
            ql::test::ProgramDirectory dir;
            dir.session().setBusyTimeout(50);
            const QString path = tablePath(dir, ql::catalogue::names());
            {
                ql::AddressBookTables book(dir.session());
                Table& names = *book.tbNames;
                typeName(names);
                std::optional<ql::sql::Database> other;
                const auto otherRuns = [&](const char* sql) {
                    other.emplace(path, ql::sql::OpenMode::ReadWrite);
                    other->exec(sql);
                };
                switch (blocker) {
                case Blocker::OtherWriter:
                    otherRuns("BEGIN EXCLUSIVE");
                    break;
                case Blocker::OtherWriterStarting:
                    otherRuns("BEGIN IMMEDIATE");
                    break;
                case Blocker::OtherReader:
                    otherRuns("BEGIN; SELECT count(*) FROM records");
                    break;
                case Blocker::ReadOnlyFolder:
                    QFile::setPermissions(path, QFileDevice::ReadOwner);
                    QFile::setPermissions(dir.dataPath(),
                                          QFileDevice::ReadOwner | QFileDevice::ExeOwner);
                    break;
                }

                const QString error = ql::test::failureText([&] { names.post(); });
                QVERIFY2(
                    error.startsWith(QStringLiteral(
                        "Could not store the record \"Hopper, Grace\" in table \"QYName2.DB\": ")),
                    qPrintable(error));
                QVERIFY2(error.contains(engineText), qPrintable(error));
                QCOMPARE(names.state(), TableState::Insert);
                QVERIFY(names.isModified());
                checkTypedName(names);
                if (QTest::currentTestFailed())
                    return;

                other.reset();
                QFile::setPermissions(dir.dataPath(), QFileDevice::ReadOwner |
                                                          QFileDevice::WriteOwner |
                                                          QFileDevice::ExeOwner);
                QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
                names.post();
                QCOMPARE(names.state(), TableState::Browse);
                QCOMPARE(names.recordCount(), 1);
            }
            QCOMPARE(integrityOf(path), QStringLiteral("ok"));
            ql::AddressBookTables book(dir.session());
            QCOMPARE(book.tbNames->recordCount(), 1);
            checkTypedName(*book.tbNames);
        } catch (const ql::Error& e) {
            QFAIL(e.what());
        }
    }
};

QL_TEST_CLASS(DurabilityTest)

#include "tst_durability.moc"
