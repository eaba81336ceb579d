#include "backup/backuptest.h"
#include "store/catalogue.h"
#include "store/tabledirectory.h"
#include "store/tableholder.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

using namespace ql;
using test::str;

namespace {

constexpr int kRecords = 100000;

// Fills the address book and the journal of a folder with records whose texts start with `tag`.
void fill(const QString& folder, const QByteArray& tag)
{
    const QByteArray numbers =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) ";
    sql::Database names(QDir(folder).filePath(str("QYName2.DB")), sql::OpenMode::ReadWrite);
    names.exec("BEGIN");
    names.exec(numbers +
               "INSERT INTO records(FirstName, LastName, Company, AdCity1) SELECT "
               "'Ada ' || i, '" +
               tag + "-' || i, 'Engines ' || (i % 97), 'London' FROM n");
    names.exec("COMMIT");
    sql::Database journal(QDir(folder).filePath(str("Journal2.DB")), sql::OpenMode::ReadWrite);
    journal.exec("BEGIN");
    journal.exec(numbers +
                 "INSERT INTO records(DateTimeStamp, MemoField1) SELECT "
                 "printf('1999-03-%02d 09:30:00.000', 1 + i % 28), '" +
                 tag + " entry ' || i FROM n");
    journal.exec("COMMIT");
}

QByteArray digest(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray();
}

QString integrityOf(const QString& path)
{
    sql::Database db(path, sql::OpenMode::ReadOnly);
    sql::Statement check(db, "PRAGMA integrity_check");
    QStringList findings;
    while (check.step())
        findings << QString::fromUtf8(check.columnBytes(0));
    return findings.join(u'\n');
}

} // namespace

class RestoreCrashTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A restore killed at any moment leaves each table wholly as it was or wholly restored, whole
    // to the engine's check, and the next look at it finds it sound with all its records.
    void aKilledRestoreLeavesEachTableOldOrNew()
    {
        test::ProgramDirectory dir;
        const QString data = dir.dataPath();
        const QString saved = dir.filePath(str("Saved"));
        const QString before = dir.filePath(str("Before"));
        const QStringList tables = {str("QYName2.DB"), str("Journal2.DB")};
        QVERIFY(QDir().mkdir(saved) && QDir().mkdir(before) &&
                QDir().mkdir(dir.filePath(str("BackUp"))));
        for (const QString& table : tables)
            QVERIFY(QFile::copy(QDir(dir.filePath(str("Temp"))).filePath(table),
                                QDir(saved).filePath(table)));
        fill(data, "old");
        fill(saved, "new");
        QHash<QString, QByteArray> old;
        QHash<QString, QByteArray> restored;
        for (const QString& table : tables) {
            QVERIFY(QFile::copy(QDir(data).filePath(table), QDir(before).filePath(table)));
            old[table] = digest(QDir(data).filePath(table));
            restored[table] = digest(QDir(saved).filePath(table));
        }
        const QString runnerPath =
            QDir(QCoreApplication::applicationDirPath()).filePath(str("restore-runner"));
        // Each round is killed a moment after the restore said it took one of its steps.
        const QList<QByteArray> steps = {"Checking QYName2.DB\n", "Checking Journal2.DB\n",
                                         "Setting the current tables aside\n",
                                         "Restoring QYName2.DB\n", "Restoring Journal2.DB\n"};
        QHash<QString, int> seen;
        for (int round = 0; round <= 12; ++round) {
            for (const QString& table : tables) {
                QFile::remove(QDir(data).filePath(table));
                QVERIFY(QFile::copy(QDir(before).filePath(table), QDir(data).filePath(table)));
            }
            QProcess runner;
            runner.start(runnerPath, {dir.path(), saved});
            QVERIFY(runner.waitForReadyRead(60000) && runner.readLine() == "start\n");
            // The first and the last rounds run to their end; the others are killed on the way.
            if (round == 0 || round == 12) {
                QVERIFY(runner.waitForFinished(120000));
                QVERIFY(runner.readAll().endsWith("\ndone \n"));
            } else {
                const QByteArray& step = steps.at((round - 1) % steps.size());
                while (runner.readLine() != step)
                    QVERIFY(runner.canReadLine() || runner.waitForReadyRead(60000));
                QThread::usleep(quint64(QRandomGenerator::global()->bounded(3000)));
                runner.kill();
                QVERIFY(runner.waitForFinished(60000));
            }
            for (const QString& table : tables) {
                const QString path = QDir(data).filePath(table);
                const QByteArray now = digest(path);
                QVERIFY2(now == old[table] || now == restored[table],
                         qPrintable(str("round %1: %2 is neither").arg(round).arg(table)));
                seen[table + (now == old[table] ? str(" old") : str(" new"))] += 1;
                QCOMPARE(integrityOf(path), str("ok"));
                const TableDef& def = *catalogue::find(table);
                registerPassword(dir.session(), def);
                const TableCheck check = TableDirectory(data).examine(dir.session(), def);
                QCOMPARE(check.problem, QString());
                QCOMPARE(check.records, kRecords);
            }
        }
        qInfo() << "tables after each round:" << seen;
        // The last round, run to its end, left nothing of the killed ones behind.
        QCOMPARE(
            QDir(dir.path()).entryList({str(".quillory-restore-*")}, QDir::Dirs | QDir::Hidden),
            QStringList());
        QCOMPARE(QDir(dir.filePath(str("BackUp")))
                     .entryList({str(".*")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }
};

QL_TEST_CLASS(RestoreCrashTest)

#include "tst_restorecrash.moc"
