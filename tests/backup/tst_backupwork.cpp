#include "backup/backuptest.h"
#include "backup/backupwork.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ql;
using test::addName;
using test::contents;
using test::filesIn;
using test::lastNames;
using test::str;

namespace {

constexpr QFile::Permissions kOwnerFile = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kOwnerFolder = kOwnerFile | QFile::ExeOwner;
constexpr QFile::Permissions kEveryone = kOwnerFolder | QFile::ReadGroup | QFile::WriteGroup |
                                         QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                                         QFile::ExeOther;

// The names in a folder whose mode, owner or times were changed after they were made, as the
// kernel reports them (root sees the same).
class Changed {
public:
    explicit Changed(const QString& folder)
        : m_watch(::inotify_init1(IN_NONBLOCK))
    {
        ::inotify_add_watch(m_watch, QFile::encodeName(folder).constData(), IN_ATTRIB);
    }
    ~Changed() { ::close(m_watch); }
    Changed(const Changed&) = delete;
    Changed& operator=(const Changed&) = delete;
    QStringList names() const
    {
        QStringList names;
        alignas(inotify_event) char buffer[4096];
        ssize_t length = 0;
        while ((length = ::read(m_watch, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0)
                    names << QFile::decodeName(event->name);
                at += qsizetype(sizeof(inotify_event) + event->len);
            }
        }
        return names;
    }

private:
    int m_watch;
};

// A program directory laid out by the installer and runs of the backup over it, without a
// window.
struct Runs {
    test::ProgramDirectory dir;
    test::FixedClock clock{dir.session(), QDateTime(QDate(1999, 3, 2), QTime(13, 5, 9))};
    QTemporaryDir scratch;
    test::ScriptedProgress progress;

    QString data(const char* name = "") const { return QDir(dir.dataPath()).filePath(str(name)); }
    QString target(const char* name = "") const
    {
        return QDir(scratch.filePath(str("saves"))).filePath(str(name));
    }
    backup::Request into(const QString& path) const
    {
        backup::Request request;
        request.programDirectory = dir.path();
        request.userSpecified = true;
        request.userFolder = path;
        request.userDefinedSettings = "[UserDef]\nTitle=str:Cellar\n";
        return request;
    }
    // A run into the user directory `path`: its outcome and message.
    std::pair<backup::Outcome, QString> runInto(const QString& path)
    {
        progress = {};
        const backup::Result result =
            backup::run(into(path), dir.session().clock().now(), progress);
        return {result.outcome, result.message};
    }
};

const std::pair<backup::Outcome, QString> kComplete{backup::Outcome::Complete, QString()};
const std::pair<backup::Outcome, QString> kFailed{backup::Outcome::Failed, str("Backup Failed")};

// What a folder holds: each file's name and bytes.
QList<std::pair<QString, QByteArray>> snapshot(const QString& folder)
{
    QList<std::pair<QString, QByteArray>> files;
    for (const QString& name : filesIn(folder))
        files.append({name, contents(QDir(folder).filePath(name))});
    return files;
}

} // namespace

class BackupWorkTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aRunCopiesEverythingAndTellsWhen()
    {
        Runs r;
        QFile::copy(r.data("QYName2.DB"), r.data("qy.db"));
        // Named like a table's journal, but no table stands beside it: data of its own.
        QFile letters(r.data("Letters-journal"));
        QVERIFY(letters.open(QIODevice::WriteOnly) && letters.write("Dear") == 4);
        letters.close();
        // Links planted where the backup writes are replaced, never followed.
        QVERIFY(QDir().mkdir(r.target(), kOwnerFolder));
        const QString precious = r.scratch.filePath(str("precious"));
        QFile mine(precious);
        QVERIFY(mine.open(QIODevice::WriteOnly) && mine.write("mine") == 4);
        mine.close();
        for (const char* name : {"BackupInfo.txt", "UserDefined.reg", "QYName2.DB"})
            QVERIFY(QFile::link(precious, r.target(name)));
        const ::mode_t umask = ::umask(0);
        const Changed changed(r.target());
        const auto outcome = r.runInto(r.target());
        ::umask(umask);
        QCOMPARE(outcome, kComplete);
        QCOMPARE(contents(precious), QByteArray("mine"));
        QCOMPARE(filesIn(r.target()),
                 QStringList({str("BackupInfo.txt"), str("CollBk2.DB"), str("CollCD2.DB"),
                              str("CollCDR2.DB"), str("CollTp2.DB"), str("Journal2.DB"),
                              str("Letters-journal"), str("QYName2.DB"), str("ToDo2.db"),
                              str("UserDa.db"), str("UserDefined.reg")}));
        QCOMPARE(contents(r.target("Letters-journal")), QByteArray("Dear"));
        QCOMPARE(contents(r.target("UserDefined.reg")),
                 QByteArray("[UserDef]\nTitle=str:Cellar\n"));
        // Each copy was the user's alone from the moment it was made.
        QCOMPARE(changed.names().filter(str(".part")), QStringList());
        QCOMPARE(contents(r.target("BackupInfo.txt")),
                 (str("Quillory Backup Information File\r\n\r\n"
                      "QY Backup Files in this directory were stored \r\n"
                      "on Tuesday, March 02, 1999 at 1:05:09 PM\r\n\r\n"
                      "This file was automatically generated by \r\n"
                      "Quillory's Backup Module\r\n\r\n"
                      "Copied files from ") +
                  r.dir.path() + str("/Data\r\n to ") + r.target())
                     .toUtf8());
        QCOMPARE(QFile::permissions(r.target()) & kEveryone, kOwnerFolder);
        for (const QString& name : filesIn(r.target())) {
            QVERIFY(!QFileInfo(QDir(r.target()).filePath(name)).isSymLink());
            QCOMPARE(QFile::permissions(QDir(r.target()).filePath(name)) & kEveryone, kOwnerFile);
        }
        // Every entry was reported, by name and count.
        QCOMPARE(r.progress.statuses.first(), str("Backup in progress..... CollBk2.DB"));
        QCOMPARE(r.progress.statuses.last(), str("Backup in progress..... UserDa.db"));
        QCOMPARE(r.progress.statuses.size(), 10);
        QCOMPARE(r.progress.done, 10);
        QCOMPARE(r.progress.total, 10);

        // A second run replaces every copy and the information file; what only the destination
        // holds stays.
        addName(r.data("QYName2.DB"), str("Later"));
        QFile extra(r.target("mine.txt"));
        QVERIFY(extra.open(QIODevice::WriteOnly));
        extra.close();
        r.clock.set(QDateTime(QDate(1999, 3, 2), QTime(1, 6, 0)));
        QCOMPARE(r.runInto(r.target()), kComplete);
        QCOMPARE(lastNames(r.target("QYName2.DB")), QStringList{str("Later")});
        QVERIFY(contents(r.target("BackupInfo.txt")).contains("at 1:06:00 AM\r\n"));
        QVERIFY(QFile::exists(r.target("mine.txt")));
        QVERIFY(!QFile::exists(r.target("qy.db")));
    }

    void theDefaultFolderIsFoundWhateverItsCase()
    {
        Runs r;
        backup::Request request;
        request.programDirectory = r.dir.path();
        QCOMPARE(backup::targetDirectory(request), r.dir.filePath(str("Backup")));
        QVERIFY(QDir().mkdir(r.dir.filePath(str("BACKUP"))));
        QCOMPARE(backup::targetDirectory(request), r.dir.filePath(str("BACKUP")));
        QCOMPARE(backup::run(request, r.dir.session().clock().now(), r.progress).outcome,
                 backup::Outcome::Complete);
        QVERIFY(QFile::exists(r.dir.filePath(str("BACKUP/Journal2.DB"))));
        // The run never makes the default folder.
        QVERIFY(QDir(r.dir.filePath(str("BACKUP"))).removeRecursively());
        const backup::Result missing =
            backup::run(request, r.dir.session().clock().now(), r.progress);
        QCOMPARE(std::make_pair(missing.outcome, missing.message), kFailed);
        QVERIFY(!QFile::exists(r.dir.filePath(str("Backup"))));
    }

    void refusedPaths()
    {
        Runs r;
        const QStringList before = filesIn(r.data());
        // A root-like short path, the data directory and a folder inside it (also reached through
        // ".." and a link) are refused, and nothing is made.
        QVERIFY(QFile::link(r.dir.path(), r.scratch.filePath(str("link"))));
        for (const QString& path : {str("/"), str("abc"), r.data(), r.data("sub"),
                                    r.data("../Data/sub"), r.scratch.filePath(str("link/Data"))}) {
            QCOMPARE(r.runInto(path), std::make_pair(backup::Outcome::Refused,
                                                     str("Invalid path entered. Please retry.")));
            QCOMPARE(backup::refusal(r.into(path)), str("Invalid path entered. Please retry."));
        }
        QCOMPARE(filesIn(r.data()), before);
        QCOMPARE(r.progress.statuses, QStringList());

        // Four characters are enough; the last level of the path is made.
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(r.scratch.path());
        QCOMPARE(r.runInto(str("abcd")), kComplete);
        QDir::setCurrent(cwd);
        QVERIFY(QFile::exists(r.scratch.filePath(str("abcd/QYName2.DB"))));
        // A folder beside the data directory whose name begins like it is not inside it.
        QCOMPARE(r.runInto(r.dir.filePath(str("DataBackup"))), kComplete);
        QVERIFY(QFile::exists(r.dir.filePath(str("DataBackup/QYName2.DB"))));
    }

    void failedRuns()
    {
        Runs r;
        QCOMPARE(r.runInto(r.target()), kComplete);
        const QByteArray info = contents(r.target("BackupInfo.txt"));
        const QByteArray journal = contents(r.target("Journal2.DB"));
        r.clock.set(QDateTime(QDate(2001, 1, 1), QTime(9, 0)));
        addName(r.data("QYName2.DB"), str("Newer"));
        QFile::copy(r.data("QYName2.DB"), r.data("CollBk2.DB.new"));

        // A copy that cannot be placed leaves the older copy and the older information file.
        QVERIFY(QDir().mkpath(r.target("QYName2.DB.part/x")));
        QCOMPARE(r.runInto(r.target()), kFailed);
        QCOMPARE(lastNames(r.target("QYName2.DB")), QStringList());
        QCOMPARE(contents(r.target("BackupInfo.txt")), info);
        QVERIFY(QFile::exists(r.target("CollBk2.DB.new")));
        QDir(r.target("QYName2.DB.part")).removeRecursively();

        // A table damaged since the last backup fails its check: the good copy stays.
        const QByteArray goodNames = contents(r.target("QYName2.DB"));
        {
            sql::Database writer(r.data("QYName2.DB"), sql::OpenMode::ReadWrite);
            writer.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < 3000) INSERT INTO records(LastName) SELECT 'Name' || i FROM n");
        }
        QFile damaged(r.data("QYName2.DB"));
        QVERIFY(damaged.open(QIODevice::ReadWrite) && damaged.seek(3 * 32768 + 16) &&
                damaged.write(QByteArray(8192, '\xab')) == 8192);
        damaged.close();
        QCOMPARE(r.runInto(r.target()), kFailed);
        QCOMPARE(contents(r.target("QYName2.DB")), goodNames);
        QCOMPARE(contents(r.target("BackupInfo.txt")), info);
        QVERIFY(QFile::remove(r.data("QYName2.DB")));
        QVERIFY(QFile::copy(r.target("QYName2.DB"), r.data("QYName2.DB")));

        // A folder in the data directory fails when its turn comes: the entries before it are
        // copied, those after it are not.
        QVERIFY(QDir().mkdir(r.data("K")));
        QVERIFY(QFile::remove(r.data("Journal2.DB")));
        QVERIFY(QFile::copy(r.data("QYName2.DB"), r.data("Journal2.DB")));
        QFile::remove(r.target("CollBk2.DB.new"));
        QCOMPARE(r.runInto(r.target()), kFailed);
        QVERIFY(contents(r.target("Journal2.DB")) != journal);
        QCOMPARE(lastNames(r.target("QYName2.DB")), QStringList());
        QCOMPARE(contents(r.target("BackupInfo.txt")), info);
        // No folder of the run's own stays behind.
        QCOMPARE(filesIn(r.target()).filter(str(".backup")), QStringList());

        // An empty data directory.
        QVERIFY(QDir(r.data()).removeRecursively() && QDir().mkdir(r.data()));
        QFile::remove(r.target("BackupInfo.txt"));
        QCOMPARE(r.runInto(r.target()),
                 std::make_pair(backup::Outcome::Failed, str("Error: Cannot read QY Data")));
        QVERIFY(!QFile::exists(r.target("BackupInfo.txt")));
    }

    // Cancelling at any entry leaves the previous backup byte for byte: the copies made so far
    // are taken back, a file the previous backup lacked is removed, and a link stays a link.
    void aCancelledRunLeavesThePreviousBackup()
    {
        Runs r;
        QCOMPARE(r.runInto(r.target()), kComplete);
        QFile::remove(r.target("Journal2.DB"));
        const QString precious = r.scratch.filePath(str("precious"));
        QFile mine(precious);
        QVERIFY(mine.open(QIODevice::WriteOnly) && mine.write("mine") == 4);
        mine.close();
        QVERIFY(QFile::remove(r.target("CollCD2.DB")) &&
                QFile::link(precious, r.target("CollCD2.DB")));
        addName(r.data("QYName2.DB"), str("Newer"));
        const auto previous = snapshot(r.target());
        for (const qint64 at : {0, 1, 4, 8}) {
            r.progress = {};
            r.progress.cancelAt = at;
            bool cancelled = false;
            try {
                backup::run(r.into(r.target()), r.dir.session().clock().now(), r.progress);
            } catch (const Cancelled&) {
                cancelled = true;
            }
            QVERIFY2(cancelled, qPrintable(QString::number(at)));
            QCOMPARE(snapshot(r.target()), previous);
            QVERIFY(QFileInfo(r.target("CollCD2.DB")).isSymLink());
        }
        QCOMPARE(contents(precious), QByteArray("mine"));
    }

    void aTableBeingWrittenIsCopiedAsCommitted()
    {
        Runs r;
        addName(r.data("QYName2.DB"), str("Committed"));
        sql::Database writer(r.data("QYName2.DB"), sql::OpenMode::ReadWrite);
        writer.exec("BEGIN IMMEDIATE");
        writer.exec("INSERT INTO records(LastName) VALUES ('Pending')");
        QCOMPARE(r.runInto(r.target()), kComplete);
        writer.exec("ROLLBACK");
        QCOMPARE(lastNames(r.target("QYName2.DB")), QStringList{str("Committed")});
        sql::Database copy(r.target("QYName2.DB"), sql::OpenMode::ReadOnly);
        sql::Statement check(copy, "PRAGMA integrity_check");
        QVERIFY(check.step());
        QCOMPARE(check.columnBytes(0), QByteArray("ok"));
    }

    void aCrashedWriteIsNotCopied()
    {
        Runs r;
        const QString table = r.data("QYName2.DB");
        {
            sql::Database writer(table, sql::OpenMode::ReadWrite);
            writer.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < 3000) INSERT INTO records(LastName) SELECT 'Old' || i FROM n");
            // A program died in the middle of a large change: changed pages in the file, and
            // beside it the journal that undoes them.
            writer.exec("PRAGMA cache_size=1");
            writer.exec("BEGIN IMMEDIATE");
            writer.exec("UPDATE records SET LastName = 'Torn' || LastName");
            QVERIFY(QFile::copy(table, r.data("Torn.DB")));
            QVERIFY(QFile::copy(table + str("-journal"), r.data("Torn.DB-journal")));
            writer.exec("ROLLBACK");
        }
        QCOMPARE(r.runInto(r.target()), kComplete);
        QCOMPARE(lastNames(r.target("Torn.DB")), lastNames(table));
        QVERIFY(!QFile::exists(r.target("Torn.DB-journal")));
    }
};

QL_TEST_CLASS(BackupWorkTest)

#include "tst_backupwork.moc"
