#include "addressbook/addressbooktables.h"
#include "addressbook/pdaform.h"
#include "backup/backupwork.h"
#include "core/aboutbox.h"
#include "core/keys.h"
#include "core/opener.h"
#include "core/settings.h"
#include "journal/journalform.h"
#include "journal/journaltables.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "store/error.h"
#include "store/session.h"
#include "store/sqlite.h"
#include "support/dialogs.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <sys/stat.h>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

std::optional<int> storedInteger(SettingsFile& file, const QString& key, const QString& name)
{
    Settings settings(file);
    if (!settings.openKey(key, false))
        return std::nullopt;
    try {
        return settings.readInteger(name);
    } catch (const Error&) {
        return std::nullopt;
    }
}

void store(SettingsFile& file, const QString& key, const QString& name, const QVariant& value)
{
    Settings settings(file);
    settings.openKey(key, true);
    if (value.userType() == QMetaType::Int)
        settings.writeInteger(name, value.toInt());
    else
        settings.writeString(name, value.toString());
}

QStringList entries(const QString& directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

// Starts the program on the directory and shows its main menu, as the program entry does.
std::unique_ptr<Program> start(const test::ProgramDirectory& dir, const Services& services)
{
    auto program = std::make_unique<Program>(dir.path(), dir.session(), services);
    program->mainMenu()->show();
    return program;
}

QWidget* part(QWidget* menu, const char* name)
{
    return menu->findChild<QWidget*>(str(name));
}

// The tops of the two rows' buttons: address book, journal and collections, then the to-do list
// and the user-defined records.
QList<int> rowTops(QWidget* menu)
{
    QList<int> tops;
    for (const char* name : {"PDABtn", "JournalBtn", "CollectionsBtn", "ToDoBtn", "BitBtn4"})
        tops << part(menu, name)->y();
    return tops;
}

// What a user would see amiss on the menu's panel: shown parts over one another, or cut off by
// the panel's edge.
QStringList layoutFaults(QWidget* menu)
{
    QWidget* panel = part(menu, "Panel1");
    QList<QWidget*> shown;
    for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible())
            shown << w;
    QStringList faults;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (!panel->rect().contains(shown[i]->geometry()))
            faults << shown[i]->objectName() + str(" is cut off");
        for (qsizetype j = i + 1; j < shown.size(); ++j)
            if (shown[i]->geometry().intersects(shown[j]->geometry()))
                faults << shown[i]->objectName() + str(" covers ") + shown[j]->objectName();
    }
    return faults;
}

// A holder that cannot open its table, for the opener.
struct FailingHolder : QObject {
    FailingHolder(Session&, QObject*) { throw Error(str("Cannot open table \"X.DB\": gone.")); }
};
// A module window that remembers the holder it was made over.
struct ProbeWindow : QDialog {
    ProbeWindow(QObject& holder, const RunContext&, QWidget* owner)
        : QDialog(owner)
        , holder(&holder)
    {
    }
    QPointer<QObject> holder;
};

// Fills the address book with 400 records, each with a long memo, over several pages of its file;
// the journal with 3 entries.
void fillTables(const test::ProgramDirectory& dir)
{
    sql::Database names(dir.filePath(str("Data/QYName2.DB")), sql::OpenMode::ReadWrite);
    sql::Statement name(names, "INSERT INTO records(LastName, MeMemoData1) VALUES (?1, ?2)");
    for (int i = 1; i <= 400; ++i) {
        name.bindText(1, QByteArray("Name") + QByteArray::number(i));
        name.bindText(2, QByteArray(500, char('a' + i % 26)));
        name.step();
    }
    sql::Database journal(dir.filePath(str("Data/Journal2.DB")), sql::OpenMode::ReadWrite);
    journal.exec("INSERT INTO records(DateTimeStamp) VALUES ('1999-03-01T10:00:00'), "
                 "('1999-03-01T11:00:00'), ('1999-03-01T12:00:00')");
}

// An installation in use with records in its tables and a BackUp folder, on March 2, 1999.
struct InstallationInUse {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    test::FixedClock clock{dir.session(), QDateTime(QDate(1999, 3, 2), QTime(13, 5, 9))};
    InstallationInUse()
    {
        fillTables(dir);
        if (!QDir().mkpath(dir.filePath(QStringLiteral("BackUp"))))
            qFatal("The BackUp folder cannot be made");
        store(*services.settings, keys::Menu, keys::First, 2);
    }
};

// Backs the installation's tables up into its BackUp folder; whether the backup came out
// complete.
bool backUp(const test::ProgramDirectory& dir)
{
    test::ScriptedProgress progress;
    return backup::run({dir.path(), {}, false, {}}, QDateTime(QDate(1999, 3, 2), QTime(13, 5, 9)),
                       progress)
               .outcome == backup::Outcome::Complete;
}

// Writes garbage over a page in the middle of a table file, as a failing disk does.
QByteArray damage(const QString& table, int page = 3)
{
    QFile file(table);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(qint64{page} * 32768) ||
        file.write(QByteArray(32768, '\x5a')) != 32768)
        return {};
    file.close();
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// Adds `count` contacts of 1,000 characters each to the address book, in one transaction.
void addContacts(const test::ProgramDirectory& dir, int count)
{
    sql::Database names(dir.filePath(str("Data/QYName2.DB")), sql::OpenMode::ReadWrite);
    sql::Transaction transaction(names);
    sql::Statement name(names, "INSERT INTO records(LastName, MeMemoData1) VALUES ('Bulk', ?1)");
    for (int i = 0; i < count; ++i) {
        name.bindText(1, QByteArray(1000, char('a' + i % 26)));
        name.step();
    }
    transaction.commit();
}

// The bytes the process has read so far, from the disk or the page cache.
qint64 bytesReadSoFar()
{
    QFile io(str("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers each question the start asks about a table it cannot use with the button `choice`,
// and remembers each question: its text, its further text and its buttons.
struct RescueAnswers : QObject {
    explicit RescueAnswers(const QString& choice)
    {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, choice] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box->objectName() != str("TableRescue") || box->property("seen").toBool())
                return;
            box->setProperty("seen", true);
            QStringList buttons;
            for (QAbstractButton* button : box->buttons())
                buttons << button->objectName() + str("=") + button->text();
            buttons.sort();
            asked << QStringList{box->text(), box->informativeText(), buttons.join(str(" | "))};
            if (QPushButton* button = box->findChild<QPushButton*>(choice))
                button->click();
            else
                box->reject();
        });
        timer->start(0);
    }
    QList<QStringList> asked;
};

} // namespace

class MainMenuTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aFreshInstallationIsPreparedOnItsFirstStart()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        {
            // Data holds a table already: a first start must never replace it.
            dir.session().addPassword(str("7qt42mkw"));
            AddressBookTables names(dir.session());
            names.tbNames->insert();
            names.tbNames->setValue(str("LastName"), str("Restored"));
            names.tbNames->post();
        }
        // Restored under a name in other letter case: it is the same table all the same.
        QFile::rename(dir.filePath(str("Data/QYName2.DB")), dir.filePath(str("Data/qyname2.db")));
        QFile::remove(dir.filePath(str("Data/ToDo2.db")));
        dir.session().setDatabasePath(str("Quilbase"), dir.filePath(str("Elsewhere")));
        dir.session().setDatabasePath(str("Quilbase"), dir.dataPath());

        auto program = start(dir, services);
        MainMenu* menu = program->mainMenu();
        QVERIFY(services.prompts->messages.isEmpty());
        QVERIFY(QDir(dir.filePath(str("BackUp"))).exists());
        QVERIFY(QFile::exists(dir.filePath(str("Data/ToDo2.db"))));
        QCOMPARE(entries(dir.dataPath()).size(), 8);
        QCOMPARE(program->addressBook().tbNames->asText(str("LastName")), str("Restored"));
        QCOMPARE(storedInteger(*services.settings, keys::Menu, keys::First), 2);
        QCOMPARE(storedInteger(*services.settings, keys::Options, keys::QYAD), 1);
        QCOMPARE(menu->visibleBanner(), 1);
        QCOMPARE(menu->frameGeometry().topLeft(), QPoint(267, 116));
        // The tools button above the two rows of modules.
        QVERIFY(part(menu, "Button4")->isVisible() && part(menu, "Bevel1")->isVisible());
        QCOMPARE(rowTops(menu), (QList<int>{69, 69, 69, 104, 104}));
        QCOMPARE(layoutFaults(menu), QStringList());
    }

    void laterStartsRemoveTheTemplatesAndCopyNothing()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        start(dir, services).reset();
        QFile::remove(dir.filePath(str("Data/Journal2.DB")));
        // The lost table is asked about, never made again from its template.
        RescueAnswers answers(str("RescueWithout"));
        start(dir, services).reset();
        QCOMPARE(answers.asked.size(), 1);
        QCOMPARE(answers.asked[0],
                 (QStringList{str("Quillory cannot use the table \"Journal2.DB\": there is no "
                                  "file of this table."),
                              str("No backup holds a sound copy of it. Start without it: its "
                                  "window stays closed until it is restored. The other tables "
                                  "work as ever. Or quit."),
                              str("RescueQuit=&Quit | RescueWithout=&Start without it")}));
        QVERIFY(!QDir(dir.filePath(str("Temp"))).exists());
        QVERIFY(!QFile::exists(dir.filePath(str("Data/Journal2.DB"))));
        QCOMPARE(storedInteger(*services.settings, keys::Options, keys::QYAD), 2);
        QVERIFY(services.prompts->messages.isEmpty());
    }

    void missingTemplatesStopTheFirstUseUnlessTheDataIsComplete()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        QDir(dir.filePath(str("Temp"))).removeRecursively();
        // The settings were lost after an earlier first use: every table is in Data.
        start(dir, services).reset();
        QVERIFY(services.prompts->messages.isEmpty());
        QCOMPARE(storedInteger(*services.settings, keys::Menu, keys::First), 2);
        QCOMPARE(storedInteger(*services.settings, keys::Options, keys::QYAD), 1);

        QFile::remove(services.settings->path());
        QFile::remove(dir.filePath(str("Data/Journal2.DB")));
        auto program = start(dir, services);
        QCOMPARE(services.prompts->messages,
                 QStringList{str("Error 1: Failed while preparing for first use.")});
        QVERIFY(QDir(dir.filePath(str("BackUp"))).exists());
        QCOMPARE(QFile::permissions(dir.filePath(str("BackUp"))) & 0x0077, 0);
        QCOMPARE(storedInteger(*services.settings, keys::Menu, keys::First), std::nullopt);
        QCOMPARE(storedInteger(*services.settings, keys::Options, keys::QYAD), std::nullopt);
        QCOMPARE(program->mainMenu()->visibleBanner(), 1);
    }

    void aFolderAmongTheTemplatesCannotBeCopied()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        QDir(dir.filePath(str("Temp"))).mkdir(str("AAA"));
        start(dir, services).reset();
        QCOMPARE(services.prompts->messages,
                 QStringList{str("Error 2: Failed while preparing for first use.")});
        QCOMPARE(storedInteger(*services.settings, keys::Menu, keys::First), std::nullopt);
    }

    void theBannersTurn()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        store(*services.settings, keys::Options, keys::QYAD, 4);
        auto program = start(dir, services);
        MainMenu* menu = program->mainMenu();
        QCOMPARE(menu->visibleBanner(), 1);
        QCOMPARE(storedInteger(*services.settings, keys::Options, keys::QYAD), 1);
        menu->advanceBanner();
        QCOMPARE(menu->visibleBanner(), 2);
        QCOMPARE(storedInteger(*services.settings, keys::Options, keys::QYAD), 2);

        QTest::mouseClick(menu->banners[1], Qt::LeftButton);
        QCOMPARE(services.help->shown, (QList<QPair<QString, int>>{{str("qlhelp.hlp"), 13}}));
        QCOMPARE(menu->visibleBanner(), 3);
        QTest::mouseClick(menu->banners[2], Qt::LeftButton);
        QCOMPARE(services.help->shown.last(), qMakePair(str("qlhelp.hlp"), 12));
        QCOMPARE(storedInteger(*services.settings, keys::Options, keys::QYAD),
                 2); // a click leaves the counter
        menu->advanceBanner();
        QCOMPARE(menu->visibleBanner(), 3);

        store(*services.settings, keys::Options, keys::QYAD,
              str("four")); // a counter of the wrong type restarts
        menu->advanceBanner();
        QCOMPARE(menu->visibleBanner(), 1);
        QVERIFY(services.prompts->messages.isEmpty());
    }

    void onlyTheExactYesHidesTheToolsButton()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        store(*services.settings, keys::Options, keys::QYToolBtn, str("yes"));
        auto program = start(dir, services);
        QVERIFY(part(program->mainMenu(), "Button4")->isVisible());
        program.reset();
        store(*services.settings, keys::Options, keys::QYToolBtn, str("Yes"));
        program = start(dir, services);
        MainMenu* menu = program->mainMenu();
        // Without the tools button the two rows move up into its place.
        QVERIFY(!part(menu, "Button4")->isVisible() && !part(menu, "Bevel1")->isVisible());
        QCOMPARE(rowTops(menu), (QList<int>{29, 29, 29, 80, 80}));
        QCOMPARE(layoutFaults(menu), QStringList());

        // A failure at the tools button ends the show step before the banners turn.
        program.reset();
        store(*services.settings, keys::Options, keys::QYToolBtn, 7);
        store(*services.settings, keys::Options, keys::QYAD, 2);
        program = start(dir, services);
        QCOMPARE(services.prompts->messages, QStringList(str("Invalid data type for 'QYToolBtn'")));
        QCOMPARE(storedInteger(*services.settings, keys::Options, keys::QYAD), 2);
        QCOMPARE(program->mainMenu()->visibleBanner(), 1);

        // Exit opens the Options key, creating it.
        QFile::remove(services.settings->path());
        program->mainMenu()->exitButton->click();
        Settings settings(*services.settings);
        QVERIFY(settings.openKey(keys::Options, false));
    }

    void theMenuKeepsItsPlaceBetweenStarts()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        auto program = start(dir, services);
        program->mainMenu()->move(40, 50);
        program->mainMenu()->resize(500, 520);
        const QRect left = program->mainMenu()->frameGeometry();
        program.reset();
        QCOMPARE(storedInteger(*services.settings, keys::Menu, keys::Left), left.x());
        QCOMPARE(storedInteger(*services.settings, keys::Menu, keys::Width), left.width());
        program = start(dir, services);
        QCOMPARE(program->mainMenu()->frameGeometry(), left);
        program.reset();

        Settings settings(
            *services.settings); // no height: the position comes back, the size is the design's
        settings.openKey(keys::Menu, true);
        QFile::remove(services.settings->path());
        settings.openKey(keys::Menu, true);
        settings.writeInteger(keys::Left, 30);
        settings.writeInteger(keys::Top, 35);
        settings.writeInteger(keys::First, 2);
        program = start(dir, services);
        QCOMPARE(program->mainMenu()->frameGeometry(), QRect(30, 35, 465, 504));
        QCOMPARE(storedInteger(*services.settings, keys::Options, keys::QYAD), 1);
    }

    void theAboutWindowShowsTheProduct()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        auto program = start(dir, services);
        program->context().aboutBox->Version->setText(str("Version 1.0"));
        QString product;
        QString version;
        QTimer::singleShot(0, [&] {
            product = program->context().aboutBox->ProductName->text();
            version = program->context().aboutBox->Version->text();
            QTest::mouseClick(program->context().aboutBox->OKButton, Qt::LeftButton);
        });
        QTest::mouseClick(program->mainMenu()->aboutButton, Qt::LeftButton);
        QCOMPARE(product, str("Quillory"));
        QCOMPARE(version, str("Version 3.0")); // set again after another window's About
        QCOMPARE(program->context().aboutBox->size(), QSize(367, 262));
        QVERIFY(storedInteger(*services.settings, keys::Help, keys::Left).has_value());
    }

    void aModuleThatCannotOpenLeavesTheMenuUsable()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        auto program = start(dir, services);
        openModule<FailingHolder, ProbeWindow>(program->mainMenu(), program->context());
        QCOMPARE(services.prompts->messages, QStringList{str("Cannot open table \"X.DB\": gone.")});

        QPointer<ProbeWindow> window;
        QPointer<QObject> journal;
        bool seen = false;
        QTimer::singleShot(0, [&] {
            window = dynamic_cast<ProbeWindow*>(QApplication::activeModalWidget());
            if (!window)
                return;
            journal = window->holder;
            seen = window->isVisible() && qobject_cast<JournalTables*>(journal.data());
            window->reject();
        });
        openModule<JournalTables, ProbeWindow>(program->mainMenu(), program->context());
        QVERIFY(seen);
        QVERIFY(!journal && !window); // both made for this opening only
    }

    void aTableTheStartCannotUseIsRestoredSetAsideOrEndsTheStart_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("backedUp");
        QTest::newRow("restore") << str("RescueRestore") << true;
        QTest::newRow("start without it") << str("RescueWithout") << true;
        QTest::newRow("quit") << str("RescueQuit") << true;
        QTest::newRow("no backup") << str("RescueQuit") << false;
    }
    void aTableTheStartCannotUseIsRestoredSetAsideOrEndsTheStart()
    {
        QFETCH(QString, choice);
        QFETCH(bool, backedUp);
        InstallationInUse f;

        if (backedUp)
            QVERIFY(backUp(f.dir));
        const QByteArray damaged = damage(f.dir.filePath(str("Data/QYName2.DB")));
        QVERIFY(!damaged.isEmpty());
        // What a restore cut short by a crash left goes at the start.
        QVERIFY(QDir().mkpath(f.dir.filePath(str(".quillory-restore-AbC123"))));
        RescueAnswers answers(choice);
        std::unique_ptr<Program> program;
        try {
            program = std::make_unique<Program>(f.dir.path(), f.dir.session(), f.services);
        } catch (const StartDeclined&) {
            QVERIFY(!program);
        }
        QVERIFY(!QFileInfo::exists(f.dir.filePath(str(".quillory-restore-AbC123"))));
        QCOMPARE(answers.asked.size(), 1);
        const QStringList asked = answers.asked.first();
        QVERIFY2(asked[0].startsWith(
                     str("Quillory cannot use the table \"QYName2.DB\": it is damaged (")),
                 qPrintable(asked[0]));
        const QString after =
            str("start without it: its window stays closed until it is restored, and the damaged "
                "file is kept in the BackUp folder. The other tables work as ever. Or quit.");
        if (!backedUp) {
            QCOMPARE(asked[1], str("No backup holds a sound copy of it. Start without it: its "
                                   "window stays closed until it is restored, and the damaged "
                                   "file is kept in the BackUp folder. The other tables work as "
                                   "ever. Or quit."));
            QCOMPARE(asked[2], str("RescueQuit=&Quit | RescueWithout=&Start without it"));
        } else {
            QCOMPARE(asked[1], str("Restore it from the backup of Tuesday, March 02, 1999 at "
                                   "1:05:09 PM, or ") +
                                   after);
            QCOMPARE(asked[2], str("RescueQuit=&Quit | RescueRestore=&Restore from the backup of "
                                   "Tuesday, March 02, 1999 at 1:05:09 PM | RescueWithout=&Start "
                                   "without it"));
        }
        const QString aside = f.dir.filePath(str("BackUp/Before restore 1999-03-02 13-05-09"));
        const QString damagedFolder = f.dir.filePath(str("BackUp/Damaged 1999-03-02 13-05-09"));
        if (choice == str("RescueQuit")) {
            // Quitting changes nothing.
            QCOMPARE(contents(f.dir.filePath(str("Data/QYName2.DB"))), damaged);
            QVERIFY(!QFileInfo::exists(aside) && !QFileInfo::exists(damagedFolder));
            return;
        }
        program->mainMenu()->show();
        // The other tables work as ever.
        QCOMPARE(JournalTables(f.dir.session()).tbJournal1->recordCount(), 3);
        if (choice == str("RescueRestore")) {
            QCOMPARE(program->addressBook().tbNames->recordCount(), 400);
            QCOMPARE(contents(aside + str("/QYName2.DB")), damaged);
            QCOMPARE(f.services.prompts->messages.last(),
                     str("\"QYName2.DB\" was restored. The table as it was is kept in \"%1\".")
                         .arg(aside));
            return;
        }
        // Started without it, the damaged file is kept, and the address book stays closed.
        QVERIFY(!QFileInfo::exists(f.dir.filePath(str("Data/QYName2.DB"))));
        QCOMPARE(contents(damagedFolder + str("/QYName2.DB")), damaged);
        program->mainMenu()->addressBookButton->click();
        QVERIFY(!program->mainMenu()->addressBookWindow()->isVisible());
        const QString told = f.services.prompts->messages.last();
        QVERIFY2(told.startsWith(str("The table \"QYName2.DB\" is unavailable until it is "
                                     "restored from a backup (the Backup window's Restore "
                                     "page): it is damaged (")),
                 qPrintable(told));
        QVERIFY2(told.endsWith(str("; the file is kept in \"%1\".").arg(damagedFolder)),
                 qPrintable(told));
    }

    void theStartReadsThroughOnlyTablesWrittenSinceTheLastCleanClose_data()
    {
        QTest::addColumn<QString>("since");
        QTest::addColumn<bool>("readThrough");
        QTest::addColumn<bool>("asked");
        QTest::newRow("nothing") << str("nothing") << false << false;
        QTest::newRow("garbage over a middle page") << str("garbage") << false << true;
        QTest::newRow("garbage, the times set back") << str("garbage, times kept") << false << true;
        QTest::newRow("a record added by another program") << str("record") << true << false;
    }
    void theStartReadsThroughOnlyTablesWrittenSinceTheLastCleanClose()
    {
        QFETCH(QString, since);
        QFETCH(bool, readThrough);
        QFETCH(bool, asked);
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        store(*services.settings, keys::Menu, keys::First, 2); // an installation in use
        addContacts(dir, 4000);
        start(dir, services).reset(); // a clean close notes every table as it is
        const QString names = dir.filePath(str("Data/QYName2.DB"));
        struct stat before = {};
        QCOMPARE(::stat(QFile::encodeName(names).constData(), &before), 0);
        if (since.startsWith(str("garbage")))
            QVERIFY(!damage(names).isEmpty());
        if (since == str("garbage, times kept")) {
            const struct timespec times[2] = {before.st_atim, before.st_mtim};
            QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(names).constData(), times, 0), 0);
        }
        if (since == str("record"))
            addContacts(dir, 1);

        RescueAnswers answers(str("RescueQuit"));
        const qint64 readBefore = bytesReadSoFar();
        try {
            Program program(dir.path(), dir.session(), services);
        } catch (const StartDeclined&) {
            QVERIFY(asked);
        }
        const qint64 read = bytesReadSoFar() - readBefore;
        QCOMPARE(answers.asked.size(), asked ? 1 : 0);
        // The file holds over 4 MB of contacts; opening every table reads far less. A check that
        // meets damage stops there.
        if (!asked)
            QVERIFY2((read >= QFileInfo(names).size()) == readThrough,
                     qPrintable(QString::number(read)));
    }

    void aWindowThatMeetsALostOrDamagedTableOffersTheRestore_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("damaged, restore") << str("RescueRestore") << false;
        QTest::newRow("damaged, go on without it") << str("RescueWithout") << false;
        QTest::newRow("deleted, restore") << str("RescueRestore") << true;
        QTest::newRow("deleted, go on without it") << str("RescueWithout") << true;
    }
    void aWindowThatMeetsALostOrDamagedTableOffersTheRestore()
    {
        QFETCH(QString, choice);
        QFETCH(bool, deleted);
        InstallationInUse f;
        QVERIFY(backUp(f.dir));
        auto program = start(f.dir, f.services);
        // The disk fails under the journal while the program runs, or its file is deleted.
        const QString journal = f.dir.filePath(str("Data/Journal2.DB"));
        const QByteArray damaged = deleted ? QByteArray() : damage(journal, 1);
        QVERIFY(deleted ? QFile::remove(journal) : !damaged.isEmpty());

        RescueAnswers answers(choice);
        qint64 entriesShown = -1;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (auto* window = qobject_cast<JournalWindow*>(QApplication::activeModalWidget())) {
                entriesShown = JournalTables(f.dir.session()).tbJournal1->recordCount();
                window->reject();
            }
        });
        closer.start(0);
        program->mainMenu()->journalButton->click();
        QCOMPARE(answers.asked.size(), 1);
        const QStringList asked = answers.asked.first();
        if (deleted) {
            QCOMPARE(asked[0], str("Quillory cannot use the table \"Journal2.DB\": there is no "
                                   "file of this table."));
            QCOMPARE(asked[1], str("Restore it from the backup of Tuesday, March 02, 1999 at "
                                   "1:05:09 PM, or go on without it: its window stays closed."));
        } else {
            QVERIFY2(asked[0].startsWith(
                         str("Quillory cannot use the table \"Journal2.DB\": it is damaged (")),
                     qPrintable(asked[0]));
            QCOMPARE(asked[1],
                     str("Restore it from the backup of Tuesday, March 02, 1999 at 1:05:09 "
                         "PM, or go on without it: its window stays closed and the file "
                         "stays as it is. Check Tables in the Maintenance window can "
                         "rebuild it from the records that can still be read."));
        }
        QCOMPARE(asked[2], str("RescueRestore=&Restore from the backup of Tuesday, March 02, 1999 "
                               "at 1:05:09 PM | RescueWithout=&Go on without it"));
        if (choice == str("RescueRestore")) {
            // The window opens over the restored entries.
            QCOMPARE(entriesShown, 3);
            if (!deleted)
                QCOMPARE(contents(f.dir.filePath(str("BackUp/Before restore 1999-03-02 "
                                                     "13-05-09/Journal2.DB"))),
                         damaged);
            return;
        }
        QCOMPARE(entriesShown, -1);
        if (deleted)
            QVERIFY(!QFileInfo::exists(journal));
        else
            QCOMPARE(contents(journal), damaged);
        QCOMPARE(f.services.prompts->messages, QStringList());
    }

    // Right after the first use the templates are still in place; a table lost then is asked
    // about as any other, and the backup brings back the records of a lost and a damaged table.
    void tablesLostRightAfterTheFirstUseComeBackFromTheBackup()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        test::FixedClock clock{dir.session(), QDateTime(QDate(1999, 3, 2), QTime(13, 5, 9))};
        start(dir, services).reset();
        QVERIFY(QDir(dir.filePath(str("Temp"))).exists());
        fillTables(dir);
        QVERIFY(backUp(dir));
        QVERIFY(!damage(dir.filePath(str("Data/QYName2.DB"))).isEmpty());
        QVERIFY(QFile::remove(dir.filePath(str("Data/Journal2.DB"))));

        RescueAnswers answers(str("RescueRestore"));
        auto program = start(dir, services);
        QCOMPARE(answers.asked.size(), 2);
        QVERIFY2(answers.asked[0][0].startsWith(
                     str("Quillory cannot use the table \"QYName2.DB\": it is damaged (")),
                 qPrintable(answers.asked[0][0]));
        QCOMPARE(answers.asked[1][0],
                 str("Quillory cannot use the table \"Journal2.DB\": there is no file of this "
                     "table."));
        QCOMPARE(answers.asked[1][1],
                 str("Restore it from the backup of Tuesday, March 02, 1999 at 1:05:09 PM, or "
                     "start without it: its window stays closed until it is restored. The other "
                     "tables work as ever. Or quit."));
        QCOMPARE(program->addressBook().tbNames->recordCount(), 400);
        QCOMPARE(JournalTables(dir.session()).tbJournal1->recordCount(), 3);
        // The start after the first use still removes the templates.
        QVERIFY(!QDir(dir.filePath(str("Temp"))).exists());
    }

    void startUpFailsClearlyWithoutTheFolderOfTheTables()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        // Without the folder of the tables the message names the folder and the ways back.
        QVERIFY(QDir(dir.filePath(str("Data"))).removeRecursively());
        QCOMPARE(test::failureText([&] { Program program(dir.path(), dir.session(), services); }),
                 str("The folder that holds the tables is missing: %1/Data\n\nTo go on with your "
                     "records, make that folder again and copy the table files of your last "
                     "backup into it (backups go to %1/BackUp unless you chose another folder). "
                     "To start afresh with empty tables, install Quillory again into %1: the "
                     "installation lays out the tables that are missing and keeps everything "
                     "else.")
                     .arg(dir.path()));
    }

    void aBrokenSettingsStoreNeverStopsTheProgram()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        QDir().mkpath(services.settings->path()); // nothing can be written there
        auto program = start(dir, services);
        QVERIFY(program->mainMenu()->isVisible());
        QCOMPARE(program->mainMenu()->visibleBanner(), 1);
        QVERIFY(services.prompts->messages.contains(str("Failed to set data for 'first'")));
        program.reset();
        QDir(services.settings->path()).removeRecursively();
    }
};

QL_TEST_CLASS(MainMenuTest)
#include "tst_mainmenu.moc"
