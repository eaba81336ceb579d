#include "backup/backupform.h"
#include "backup/selectdirform.h"
#include "core/directorychoice.h"
#include "core/keys.h"
#include "core/settings.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "store/holders.h"
#include "store/sqlite.h"
#include "store/table.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "widgets/radiogroup.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <memory>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

constexpr QFile::Permissions kOwnerFile = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kOwnerFolder = kOwnerFile | QFile::ExeOwner;
constexpr QFile::Permissions kEveryone = kOwnerFolder | QFile::ReadGroup | QFile::WriteGroup |
                                         QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                                         QFile::ExeOther;

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesIn(const QString& directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                     QDir::Name | QDir::IgnoreCase);
}

void addName(const QString& table, const QString& lastName)
{
    sql::Database db(table, sql::OpenMode::ReadWrite);
    sql::Statement st(db, "INSERT INTO records(LastName) VALUES (?1)");
    st.bindText(1, lastName.toUtf8());
    st.step();
}

QStringList lastNames(const QString& table)
{
    sql::Database db(table, sql::OpenMode::ReadOnly);
    sql::Statement st(db, "SELECT LastName FROM records ORDER BY NameCode");
    QStringList names;
    while (st.step())
        names << QString::fromUtf8(st.columnBytes(0));
    return names;
}

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

// A started program and the backup window shown as the main menu opens it.
struct Backup {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    test::FixedClock clock{QDateTime(QDate(1999, 3, 2), QTime(13, 5, 9))};
    std::unique_ptr<Program> program = std::make_unique<Program>(dir.path());
    std::unique_ptr<TBackupForm> window = std::make_unique<TBackupForm>();
    QTemporaryDir scratch;

    Backup()
    {
        BackupForm = window.get();
        window->show();
    }
    ~Backup() { BackupForm = nullptr; }
    QString data(const char* name = "") const { return QDir(dir.dataPath()).filePath(str(name)); }
    QString target(const char* name = "") const
    {
        return QDir(scratch.filePath(str("saves"))).filePath(str(name));
    }
    // A run into the user directory `path`; the messages it showed.
    QStringList runInto(const QString& path)
    {
        services.prompts->messages.clear();
        QTest::mouseClick(window->Edit1, Qt::LeftButton);
        window->Edit1->setText(path);
        QTest::mouseClick(window->Button1, Qt::LeftButton);
        return services.prompts->messages;
    }
    QString heading() const { return window->Label1->text(); }
};

} // namespace

class BackupFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aRunCopiesEverythingAndTellsWhen()
    {
        Backup b;
        QFile::copy(b.data("QYName2.DB"), b.data("qy.db"));
        // Named like a table's journal, but no table stands beside it: data of its own.
        QFile letters(b.data("Letters-journal"));
        QVERIFY(letters.open(QIODevice::WriteOnly) && letters.write("Dear") == 4);
        letters.close();
        {
            Settings settings;
            settings.openKey(keys::UserDef, true);
            settings.writeString(str("Title"), str("Cellar"));
            settings.writeString(str("Label1"), str("Wine"));
            settings.writeInteger(str("UseMemo"), 1);
            settings.openKey(keys::Options, true);
            settings.writeString(keys::BackupSwitch, str("No"));
        }
        // Links planted where the backup writes are replaced, never followed.
        QVERIFY(QDir().mkdir(b.target(), kOwnerFolder));
        const QString precious = b.scratch.filePath(str("precious"));
        QFile mine(precious);
        QVERIFY(mine.open(QIODevice::WriteOnly) && mine.write("mine") == 4);
        mine.close();
        for (const char* name : {"BackupInfo.txt", "UserDefined.reg", "QYName2.DB"})
            QVERIFY(QFile::link(precious, b.target(name)));
        const ::mode_t umask = ::umask(0);
        const Changed changed(b.target());
        const QStringList messages = b.runInto(b.target());
        ::umask(umask);
        QCOMPARE(messages, QStringList());
        QCOMPARE(b.heading(), str("Backup Complete"));
        QVERIFY(b.window->Button1->isEnabled() && b.window->BitBtn1->isEnabled());
        QCOMPARE(contents(precious), QByteArray("mine"));
        QStringList expected = filesIn(b.data());
        expected.removeOne(str("qy.db"));
        expected << str("BackupInfo.txt") << str("UserDefined.reg");
        expected.sort(Qt::CaseInsensitive);
        QCOMPARE(filesIn(b.target()), expected);
        QCOMPARE(contents(b.target("Letters-journal")), QByteArray("Dear"));
        QCOMPARE(contents(b.target("UserDefined.reg")),
                 QByteArray("; Quillory settings\n"
                            "[SOFTWARE\\Varnholt\\Quillory\\UserDef]\n"
                            "Label1=str:Wine\n"
                            "Title=str:Cellar\n"
                            "UseMemo=int:1\n"));
        // Each copy is the user's alone (below) and was never given another mode after it was
        // made under the umask that let everyone in: it was the user's alone from the start.
        QCOMPARE(changed.names().filter(str(".part")), QStringList());
        const QString info = QDir(b.dir.path()).filePath(str("Data"));
        QCOMPARE(contents(b.target("BackupInfo.txt")),
                 (str("Quillory Backup Information File\r\n\r\n"
                      "QY Backup Files in this directory were stored \r\n"
                      "on Tuesday, March 02, 1999 at 1:05:09 PM\r\n\r\n"
                      "This file was automatically generated by \r\n"
                      "Quillory's Backup Module\r\n\r\n"
                      "Copied files from ") +
                  info + str("\r\n to ") + b.target())
                     .toUtf8());
        // The backup is the user's alone, like the data directory.
        QCOMPARE(QFile::permissions(b.target()) & kEveryone, kOwnerFolder);
        for (const QString& name : filesIn(b.target())) {
            QVERIFY(!QFileInfo(QDir(b.target()).filePath(name)).isSymLink());
            QCOMPARE(QFile::permissions(QDir(b.target()).filePath(name)) & kEveryone, kOwnerFile);
        }

        // A second run replaces every copy and the information file; what only the destination
        // holds stays.
        addName(b.data("QYName2.DB"), str("Later"));
        QFile extra(b.target("mine.txt"));
        QVERIFY(extra.open(QIODevice::WriteOnly));
        extra.close();
        b.clock.set(QDateTime(QDate(1999, 3, 2), QTime(1, 6, 0)));
        QCOMPARE(b.runInto(b.target()), QStringList());
        QCOMPARE(lastNames(b.target("QYName2.DB")), QStringList{str("Later")});
        QVERIFY(contents(b.target("BackupInfo.txt")).contains("at 1:06:00 AM\r\n"));
        QVERIFY(QFile::exists(b.target("mine.txt")));
        QVERIFY(!QFile::exists(b.target("qy.db")));
    }

    void refusedPaths()
    {
        Backup b;
        const QStringList before = filesIn(b.data());
        // The path as the window opens with it, the data directory and a folder inside it (also
        // reached through ".." and a link) are refused, and nothing is made.
        QVERIFY(QFile::link(b.dir.path(), b.scratch.filePath(str("link"))));
        for (const QString& path : {str("/"), b.data(), b.data("sub"), b.data("../Data/sub"),
                                    b.scratch.filePath(str("link/Data"))}) {
            QCOMPARE(b.runInto(path), QStringList{str("Invalid path entered. Please retry.")});
            QCOMPARE(b.heading(), str("Backup Failed"));
            QVERIFY(b.window->Button1->isEnabled() && b.window->BitBtn1->isEnabled());
        }
        QCOMPARE(filesIn(b.data()), before);

        // Four characters are enough; the last level of the path is made.
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(b.scratch.path());
        QCOMPARE(b.runInto(str("abcd")), QStringList());
        QDir::setCurrent(cwd);
        QVERIFY(QFile::exists(b.scratch.filePath(str("abcd/QYName2.DB"))));
        // A folder beside the data directory whose name begins like it is not inside it.
        QCOMPARE(b.runInto(b.dir.filePath(str("DataBackup"))), QStringList());
        QVERIFY(QFile::exists(b.dir.filePath(str("DataBackup/QYName2.DB"))));
    }

    void failedRuns()
    {
        Backup b;
        QCOMPARE(b.runInto(b.target()), QStringList());
        const QByteArray info = contents(b.target("BackupInfo.txt"));
        const QByteArray journal = contents(b.target("Journal2.DB"));
        b.clock.set(QDateTime(QDate(2001, 1, 1), QTime(9, 0)));
        addName(b.data("QYName2.DB"), str("Newer"));
        QFile::copy(b.data("QYName2.DB"), b.data("CollBk2.DB.new"));

        // A copy that cannot be placed leaves the older copy and the older information file.
        QVERIFY(QDir().mkpath(b.target("QYName2.DB.part/x")));
        QCOMPARE(b.runInto(b.target()), QStringList{str("Backup Failed")});
        QCOMPARE(b.heading(), str("Backup Failed"));
        QCOMPARE(lastNames(b.target("QYName2.DB")), QStringList());
        QCOMPARE(contents(b.target("BackupInfo.txt")), info);
        QVERIFY(QFile::exists(b.target("CollBk2.DB.new")));
        QDir(b.target("QYName2.DB.part")).removeRecursively();

        // A table damaged since the last backup fails its check: the good copy stays.
        const QByteArray goodNames = contents(b.target("QYName2.DB"));
        {
            sql::Database writer(b.data("QYName2.DB"), sql::OpenMode::ReadWrite);
            writer.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < 3000) INSERT INTO records(LastName) SELECT 'Name' || i FROM n");
        }
        QFile damaged(b.data("QYName2.DB"));
        QVERIFY(damaged.open(QIODevice::ReadWrite) && damaged.seek(3 * 32768 + 16) &&
                damaged.write(QByteArray(8192, '\xab')) == 8192);
        damaged.close();
        QCOMPARE(b.runInto(b.target()), QStringList{str("Backup Failed")});
        QCOMPARE(contents(b.target("QYName2.DB")), goodNames);
        QCOMPARE(contents(b.target("BackupInfo.txt")), info);
        QVERIFY(QFile::remove(b.data("QYName2.DB")));
        QVERIFY(QFile::copy(b.target("QYName2.DB"), b.data("QYName2.DB")));

        // A folder in the data directory fails when its turn comes: the entries before it are
        // copied, those after it are not.
        QVERIFY(QDir().mkdir(b.data("K")));
        QVERIFY(QFile::remove(b.data("Journal2.DB")));
        QVERIFY(QFile::copy(b.data("QYName2.DB"), b.data("Journal2.DB")));
        QFile::remove(b.target("CollBk2.DB.new"));
        QCOMPARE(b.runInto(b.target()), QStringList{str("Backup Failed")});
        QVERIFY(contents(b.target("Journal2.DB")) != journal);
        QCOMPARE(lastNames(b.target("QYName2.DB")), QStringList());
        QCOMPARE(contents(b.target("BackupInfo.txt")), info);

        // An empty data directory.
        QVERIFY(QDir(b.data()).removeRecursively() && QDir().mkdir(b.data()));
        QFile::remove(b.target("BackupInfo.txt"));
        QCOMPARE(b.runInto(b.target()), QStringList{str("Error: Cannot read QY Data")});
        QCOMPARE(b.heading(), str("Backup Failed"));
        QVERIFY(!QFile::exists(b.target("BackupInfo.txt")));
    }

    void aTableBeingWrittenIsCopiedAsCommitted()
    {
        Backup b;
        addName(b.data("QYName2.DB"), str("Committed"));
        sql::Database writer(b.data("QYName2.DB"), sql::OpenMode::ReadWrite);
        writer.exec("BEGIN IMMEDIATE");
        writer.exec("INSERT INTO records(LastName) VALUES ('Pending')");
        QCOMPARE(b.runInto(b.target()), QStringList());
        writer.exec("ROLLBACK");
        QCOMPARE(lastNames(b.target("QYName2.DB")), QStringList{str("Committed")});
        sql::Database copy(b.target("QYName2.DB"), sql::OpenMode::ReadOnly);
        sql::Statement check(copy, "PRAGMA integrity_check");
        QVERIFY(check.step());
        QCOMPARE(check.columnBytes(0), QByteArray("ok"));
    }

    void aCrashedWriteIsNotCopied()
    {
        Backup b;
        const QString table = b.data("QYName2.DB");
        {
            sql::Database writer(table, sql::OpenMode::ReadWrite);
            writer.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < 3000) INSERT INTO records(LastName) SELECT 'Old' || i FROM n");
            // A program died in the middle of a large change: changed pages in the file, and
            // beside it the journal that undoes them.
            writer.exec("PRAGMA cache_size=1");
            writer.exec("BEGIN IMMEDIATE");
            writer.exec("UPDATE records SET LastName = 'Torn' || LastName");
            QVERIFY(QFile::copy(table, b.data("Torn.DB")));
            QVERIFY(QFile::copy(table + str("-journal"), b.data("Torn.DB-journal")));
            writer.exec("ROLLBACK");
        }
        QCOMPARE(b.runInto(b.target()), QStringList());
        QCOMPARE(lastNames(b.target("Torn.DB")), lastNames(table));
        QVERIFY(!QFile::exists(b.target("Torn.DB-journal")));
    }

    void whatIsTypedIsBackedUp()
    {
        Backup b;
        Table& names = *DataModule1->tbNames;
        names.insert();
        names.setValue(str("LastName"), str("Typed"));
        QCOMPARE(b.runInto(b.target()), QStringList());
        QCOMPARE(lastNames(b.target("QYName2.DB")), QStringList{str("Typed")});
    }

    void thePathFieldAndBrowseChooseUserSpecified()
    {
        Backup b;
        QCOMPARE(b.heading(), str("Backup Or Lose It!"));
        QCOMPARE(b.window->Edit1->text(), str("/"));
        QCOMPARE(b.window->RadioGroup1->itemIndex(), 0);
        QTest::mouseClick(b.window->Edit1, Qt::LeftButton);
        QCOMPARE(b.window->RadioGroup1->itemIndex(), 1);

        // Closing the chooser without confirming leaves the path.
        b.window->RadioGroup1->setItemIndex(0);
        QTimer::singleShot(0, [] {
            auto* chooser = qobject_cast<TSelectDirForm*>(QApplication::activeModalWidget());
            QVERIFY(chooser && chooser == SelectDirForm);
            chooser->reject();
        });
        QTest::mouseClick(b.window->BitBtn4, Qt::LeftButton);
        QCOMPARE(b.window->RadioGroup1->itemIndex(), 1);
        QCOMPARE(b.window->Edit1->text(), str("/"));

        // By keyboard alone: Alt+F, a folder typed, Alt+B.
        b.window->RadioGroup1->setItemIndex(0);
        b.window->Button1->setFocus();
        b.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(b.window.get()));
        QTest::keyClick(b.window.get(), Qt::Key_F, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), b.window->Edit1);
        QCOMPARE(b.window->RadioGroup1->itemIndex(), 1);
        // Typing chooses it again after Default was chosen with the field still focused.
        b.window->RadioGroup1->setItemIndex(0);
        b.window->Edit1->selectAll();
        QTest::keyClicks(b.window->Edit1, b.scratch.filePath(str("typed")));
        QCOMPARE(b.window->RadioGroup1->itemIndex(), 1);
        QTest::keyClick(b.window.get(), Qt::Key_B, Qt::AltModifier);
        QTRY_COMPARE(b.heading(), str("Backup Complete"));
        QVERIFY(QFile::exists(b.scratch.filePath(str("typed/QYName2.DB"))));
        QVERIFY(!QFile::exists(b.dir.filePath(str("BackUp/QYName2.DB"))));
    }

    void theChooserFillsTheOpenersField()
    {
        Backup b;
        const QString start = b.scratch.filePath(str("start"));
        const QString chosen = b.scratch.filePath(str("chosen"));
        QVERIFY(QDir().mkdir(start) && QDir().mkdir(chosen));
        b.window->Edit1->setText(str("/no/such/folder"));
        {
            TSelectDirForm chooser;
            QCOMPARE(chooser.selectedDirectory(), QDir::homePath());
        }
        b.window->Edit1->setText(start);
        {
            TSelectDirForm chooser;
            QCOMPARE(chooser.selectedDirectory(), start);
            chooser.selectDirectory(chosen);
            QTest::mouseClick(chooser.Button1, Qt::LeftButton);
        }
        QCOMPARE(b.window->Edit1->text(), chosen);

        // While the options window shows, its path field takes the choice.
        QDialog options;
        auto* edit4 = new QLineEdit(&options);
        directorychoice::optionsPath = edit4;
        options.show();
        {
            TSelectDirForm chooser;
            chooser.selectDirectory(start);
            QTest::mouseClick(chooser.Button1, Qt::LeftButton);
        }
        QCOMPARE(edit4->text(), start);
        QCOMPARE(b.window->Edit1->text(), chosen);
    }

    void exitBacksUpOnlyWhenAskedExactly()
    {
        const struct {
            const char* value;
            bool copied;
        } cases[] = {{"Yes", true}, {"yes", false}, {"No", false}, {nullptr, false}};
        for (const auto& c : cases) {
            test::ScriptedServices services;
            test::ProgramDirectory dir;
            const std::unique_ptr<Program> program = std::make_unique<Program>(dir.path());
            const QString backups = dir.filePath(str("BackUp"));
            QVERIFY(QDir().mkdir(backups));
            if (c.value) {
                Settings settings;
                settings.openKey(keys::Options, true);
                settings.writeString(keys::BackupSwitch, str(c.value));
            }
            QTest::mouseClick(program->mainMenu()->exitButton, Qt::LeftButton);
            QCOMPARE(QFile::exists(QDir(backups).filePath(str("QYName2.DB"))), c.copied);
            QCOMPARE(QFile::exists(QDir(backups).filePath(str("BackupInfo.txt"))), c.copied);
            QCOMPARE(services.prompts->messages, QStringList());
        }
    }
};

QL_TEST_CLASS(BackupFormTest)

#include "tst_backupform.moc"
