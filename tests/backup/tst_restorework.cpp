#include "backup/backuptest.h"
#include "backup/backupwork.h"
#include "backup/restorework.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace ql;
using test::addName;
using test::contents;
using test::filesIn;
using test::lastNames;
using test::str;

namespace {

const QStringList kEveryTable = {str("QYName2.DB"),  str("Journal2.DB"), str("CollCD2.DB"),
                                 str("CollCDR2.DB"), str("CollTp2.DB"),  str("CollBk2.DB"),
                                 str("ToDo2.db"),    str("UserDa.db")};

void addEntry(const QString& table, const char* stamp, const char* memo)
{
    sql::Database db(table, sql::OpenMode::ReadWrite);
    sql::Statement st(db, "INSERT INTO records(DateTimeStamp, MemoField1) VALUES (?1, ?2)");
    st.bindText(1, stamp);
    st.bindText(2, memo);
    st.step();
}

// Every journal entry, field for field.
QStringList entries(const QString& table)
{
    sql::Database db(table, sql::OpenMode::ReadOnly);
    sql::Statement st(db, "SELECT JournalCode, DateTimeStamp, MemoField1, MemoField2 FROM records "
                          "ORDER BY JournalCode");
    QStringList rows;
    while (st.step())
        rows << QStringLiteral("%1|%2|%3|%4")
                    .arg(st.columnInt(0))
                    .arg(QString::fromUtf8(st.columnBytes(1)), QString::fromUtf8(st.columnBytes(2)),
                         QString::fromUtf8(st.columnBytes(3)));
    return rows;
}

// A program directory backed up into its backup directory at 1:05:09 PM on March 2, 1999 with
// two names and an entry, then changed: a third name, and the entry gone.
struct Restores {
    test::ProgramDirectory dir;
    test::FixedClock clock{dir.session(), QDateTime(QDate(1999, 3, 2), QTime(13, 5, 9))};
    test::ScriptedProgress progress;

    Restores()
    {
        addName(data("QYName2.DB"), str("Lovelace"));
        addName(data("QYName2.DB"), str("Babbage"));
        addEntry(data("Journal2.DB"), "1999-03-01 09:30:00.000", "Engine ✓");
        QDir().mkdir(backups());
        backup::Request request;
        request.programDirectory = dir.path();
        request.userDefinedSettings = "[UserDef]\nTitle=str:Cellar\n";
        backup::run(request, QDateTime(QDate(1999, 3, 2), QTime(13, 5, 9)), progress);
        addName(data("QYName2.DB"), str("Curie"));
        sql::Database(data("Journal2.DB"), sql::OpenMode::ReadWrite).exec("DELETE FROM records");
        clock.set(QDateTime(QDate(2026, 12, 10), QTime(14, 3, 22)));
    }
    QString data(const char* name = "") const { return QDir(dir.dataPath()).filePath(str(name)); }
    QString backups(const char* name = "") const
    {
        return QDir(dir.filePath(str("BackUp"))).filePath(str(name));
    }
    restore::Result restore(const QStringList& tables, bool userDefined = true)
    {
        progress = {};
        return restore::run(
            dir.session(),
            {{dir.path(), backups(), true, "[UserDef]\nTitle=str:Now\n"}, tables, userDefined},
            progress);
    }
};

// Writes garbage over the second page of a table file.
void damage(const QString& table)
{
    QFile file(table);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(32768));
    QVERIFY(file.write(QByteArray(32768, '\x5a')) == 32768);
}

} // namespace

class RestoreWorkTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aSoundBackupComesBackAndTheTablesBeforeItGoAside()
    {
        Restores r;
        const restore::Result result = r.restore(kEveryTable);
        QCOMPARE(result.message, QString());
        QCOMPARE(result.outcome, restore::Outcome::Complete);
        QCOMPARE(lastNames(r.data("QYName2.DB")), QStringList({str("Lovelace"), str("Babbage")}));
        QCOMPARE(entries(r.data("Journal2.DB")),
                 QStringList{str("1|1999-03-01 09:30:00.000|Engine ✓|")});
        QCOMPARE(result.userDefinedSettings, QByteArray("[UserDef]\nTitle=str:Cellar\n"));
        const QString aside = r.backups("Before restore 2026-12-10 14-03-22");
        QCOMPARE(result.setAside, aside);
        QCOMPARE(lastNames(QDir(aside).filePath(str("QYName2.DB"))),
                 QStringList({str("Lovelace"), str("Babbage"), str("Curie")}));
        QCOMPARE(entries(QDir(aside).filePath(str("Journal2.DB"))), QStringList());
        QCOMPARE(contents(QDir(aside).filePath(str("UserDefined.reg"))),
                 QByteArray("[UserDef]\nTitle=str:Now\n"));
        // Nothing of the restore stays beside the tables.
        QCOMPARE(filesIn(r.dir.path()),
                 QStringList({str("BackUp"), str("Data"), str("Quillory.cfg"), str("Temp")}));
        QCOMPARE(filesIn(r.data()),
                 QStringList({str("CollBk2.DB"), str("CollCD2.DB"), str("CollCDR2.DB"),
                              str("CollTp2.DB"), str("Journal2.DB"), str("QYName2.DB"),
                              str("ToDo2.db"), str("UserDa.db")}));
        QCOMPARE(r.progress.statuses.first(), str("Checking QYName2.DB"));
        QCOMPARE(r.progress.statuses.last(), str("Restoring UserDa.db"));

        // The set-aside folder is a backup of its own, listed first, newest first.
        QCOMPARE(restore::backupFolders(r.dir.path(), {r.backups(), r.data()}),
                 QStringList({aside, r.backups()}));
        const restore::Backup listed = restore::examine(r.dir.session(), r.backups(), r.progress);
        QCOMPARE(listed.made, str("Tuesday, March 02, 1999 at 1:05:09 PM"));
        QVERIFY(listed.holdsUserDefined);
        QCOMPARE(listed.copies.size(), size_t(8));
        QCOMPARE(listed.copies[0].table, str("QYName2.DB"));
        QCOMPARE(listed.copies[0].check.records, 2);
        QCOMPARE(listed.copies[1].table, str("Journal2.DB"));
        QCOMPARE(listed.copies[1].check.records, 1);
        QVERIFY(listed.copies[7].check.isSound());
    }

    void oneUnsoundCopyStopsTheRestoreAndNamesIt_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("spoil");
        QTest::addColumn<QString>("reason");
        QTest::newRow("damaged") << str("QYName2.DB") << str("damage") << str("it is damaged");
        QTest::newRow("no table") << str("Journal2.DB") << str("text") << str("is not a table");
        QTest::newRow("other password") << str("ToDo2.db") << str("password")
                                        << str("its password is not one this program knows");
        QTest::newRow("missing") << str("CollBk2.DB") << str("remove")
                                 << str("The backup holds no copy of \"CollBk2.DB\".");
    }
    void oneUnsoundCopyStopsTheRestoreAndNamesIt()
    {
        QFETCH(QString, table);
        QFETCH(QString, spoil);
        QFETCH(QString, reason);
        Restores r;
        if (spoil == str("damage")) {
            // Enough names to fill several pages.
            sql::Database db(r.backups("QYName2.DB"), sql::OpenMode::ReadWrite);
            db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                    "INSERT INTO records(LastName, Company) SELECT printf('%028d', i), "
                    "printf('%030d', i) FROM n");
        }
        const QString copy = r.backups(qPrintable(table));
        if (spoil == str("damage"))
            damage(copy);
        if (spoil == str("text") || spoil == str("remove"))
            QVERIFY(QFile::remove(copy));
        if (spoil == str("text"))
            QVERIFY(QFile(copy).open(QIODevice::WriteOnly));
        if (spoil == str("password"))
            sql::Database(copy, sql::OpenMode::ReadWrite)
                .exec("UPDATE meta SET value = 'x' WHERE key = 'password'");
        QByteArray before;
        for (const QString& name : kEveryTable)
            before += contents(QDir(r.data()).filePath(name));

        const restore::Result refused = r.restore(kEveryTable);
        QCOMPARE(refused.outcome, restore::Outcome::Refused);
        QVERIFY2(refused.message.contains(reason), qPrintable(refused.message));
        QVERIFY2(refused.message.contains(str("\"") + table + str("\"")),
                 qPrintable(refused.message));
        QByteArray after;
        for (const QString& name : kEveryTable)
            after += contents(QDir(r.data()).filePath(name));
        QVERIFY(after == before);
        QCOMPARE(filesIn(r.backups()).filter(str("Before")), QStringList());
        QCOMPARE(refused.userDefinedSettings, std::nullopt);

        // Unticked, the rest comes back.
        QStringList rest = kEveryTable;
        rest.removeOne(table);
        const restore::Result restored = r.restore(rest, false);
        QCOMPARE(restored.outcome, restore::Outcome::Complete);
        QCOMPARE(restored.userDefinedSettings, std::nullopt);
        QCOMPARE(entries(r.data("Journal2.DB")).size(), table == str("Journal2.DB") ? 0 : 1);
        QCOMPARE(lastNames(r.data("QYName2.DB")).size(), table == str("QYName2.DB") ? 3 : 2);
    }
};

QL_TEST_CLASS(RestoreWorkTest)

#include "tst_restorework.moc"
