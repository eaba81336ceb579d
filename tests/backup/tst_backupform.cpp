#include "addressbook/addressbooktables.h"
#include "backup/backuptest.h"
#include "backup/backupwindow.h"
#include "backup/directorychooser.h"
#include "backup/restorepage.h"
#include "core/keys.h"
#include "core/settings.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "store/table.h"
#include "support/faces.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "widgets/radiogroup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace ql;
using test::addName;
using test::contents;
using test::filesIn;
using test::lastNames;
using test::str;

namespace {

// A started program and the backup window shown as the main menu opens it.
struct Backup {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    test::FixedClock clock{dir.session(), QDateTime(QDate(1999, 3, 2), QTime(13, 5, 9))};
    std::unique_ptr<Program> program =
        std::make_unique<Program>(dir.path(), dir.session(), services);
    std::unique_ptr<BackupWindow> window = std::make_unique<BackupWindow>(
        program->addressBook(), program->context(), program->mainMenu());
    QTemporaryDir scratch;

    Backup() { window->show(); }
    QString data(const char* name = "") const { return QDir(dir.dataPath()).filePath(str(name)); }
    QString target(const char* name = "") const
    {
        return QDir(scratch.filePath(str("saves"))).filePath(str(name));
    }
    // A run into the user directory `path`; the messages it showed.
    QStringList runInto(const QString& path)
    {
        services.prompts->messages.clear();
        QTest::mouseClick(window->folderField, Qt::LeftButton);
        window->folderField->setText(path);
        QTest::mouseClick(window->backUpButton, Qt::LeftButton);
        return services.prompts->messages;
    }
    QString heading() const { return window->heading->text(); }
};

// Clicks `button` and cancels the backup from its progress dialog as soon as it shows. The first
// table of the data directory is locked meanwhile, so the run is still copying it when Cancel is
// clicked.
void cancelFromTheDialog(QPushButton* button, const QString& data, QStringList& seen)
{
    auto writer = std::make_unique<sql::Database>(QDir(data).filePath(str("CollBk2.DB")),
                                                  sql::OpenMode::ReadWrite);
    writer->exec("BEGIN EXCLUSIVE");
    QTimer::singleShot(0, [&seen, &writer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        seen << dialog->windowTitle();
        QVERIFY(dialog->findChild<QProgressBar*>());
        QTest::mouseClick(dialog->findChild<QPushButton*>(str("cancelButton")), Qt::LeftButton);
        writer.reset();
    });
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class BackupFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theHeadingSaysHowTheRunWent()
    {
        Backup b;
        {
            Settings settings(*b.services.settings);
            settings.openKey(keys::UserDef, true);
            settings.writeString(str("Title"), str("Cellar"));
            settings.writeString(str("Label1"), str("Wine"));
            settings.writeInteger(str("UseMemo"), 1);
        }
        QCOMPARE(b.heading(), str("Backup Or Lose It!"));
        QCOMPARE(b.runInto(b.target()), QStringList());
        QCOMPARE(b.heading(), str("Backup Complete"));
        QVERIFY(b.window->backUpButton->isEnabled() && b.window->closeButton->isEnabled());
        QVERIFY(QFile::exists(b.target("QYName2.DB")));
        // The user-defined window's configuration goes beside the copies.
        QCOMPARE(contents(b.target("UserDefined.reg")),
                 QByteArray("; Quillory settings\n"
                            "[SOFTWARE\\Varnholt\\Quillory\\UserDef]\n"
                            "Label1=str:Wine\n"
                            "Title=str:Cellar\n"
                            "UseMemo=int:1\n"));

        const struct {
            QString path;
            QStringList messages;
        } failures[] = {
            {str("/"), {str("Invalid path entered. Please retry.")}},
            {b.data("sub"), {str("Invalid path entered. Please retry.")}},
            {b.scratch.filePath(str("no/such/folder")), {str("Backup Failed")}},
        };
        for (const auto& failure : failures) {
            QCOMPARE(b.runInto(failure.path), failure.messages);
            QCOMPARE(b.heading(), str("Backup Failed"));
            QVERIFY(b.window->backUpButton->isEnabled() && b.window->closeButton->isEnabled());
        }
    }

    void aCancelledRunSaysSoAndKeepsThePreviousBackup()
    {
        Backup b;
        QCOMPARE(b.runInto(b.target()), QStringList());
        addName(b.data("QYName2.DB"), str("Newer"));
        QStringList dialogs;
        b.services.prompts->messages.clear();
        cancelFromTheDialog(b.window->backUpButton, b.data(), dialogs);
        QCOMPARE(dialogs, QStringList{str("Quillory - Backup")});
        QCOMPARE(b.heading(), str("Backup Cancelled: the previous backup is as it was"));
        QCOMPARE(b.services.prompts->messages, QStringList());
        QCOMPARE(lastNames(b.target("QYName2.DB")), QStringList());
        QCOMPARE(lastNames(b.data("QYName2.DB")), QStringList{str("Newer")});
        QVERIFY(b.window->backUpButton->isEnabled() && b.window->closeButton->isEnabled());
    }

    void whatIsTypedIsBackedUp()
    {
        Backup b;
        Table& names = *b.program->addressBook().tbNames;
        names.insert();
        names.setValue(str("LastName"), str("Typed"));
        QCOMPARE(b.runInto(b.target()), QStringList());
        QCOMPARE(lastNames(b.target("QYName2.DB")), QStringList{str("Typed")});
    }

    void thePathFieldAndBrowseChooseUserSpecified()
    {
        Backup b;
        QCOMPARE(b.window->folderField->text(), str("/"));
        QCOMPARE(b.window->location->itemIndex(), 0);
        QTest::mouseClick(b.window->folderField, Qt::LeftButton);
        QCOMPARE(b.window->location->itemIndex(), 1);

        // Closing the chooser without confirming leaves the path.
        b.window->location->setItemIndex(0);
        QTimer::singleShot(0, [] {
            auto* chooser = qobject_cast<DirectoryChooser*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            chooser->reject();
        });
        QTest::mouseClick(b.window->browseButton, Qt::LeftButton);
        QCOMPARE(b.window->location->itemIndex(), 1);
        QCOMPARE(b.window->folderField->text(), str("/"));

        // By keyboard alone: Alt+F, a folder typed, Alt+B.
        b.window->location->setItemIndex(0);
        b.window->backUpButton->setFocus();
        b.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(b.window.get()));
        QTest::keyClick(b.window.get(), Qt::Key_F, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), b.window->folderField);
        QCOMPARE(b.window->location->itemIndex(), 1);
        // Typing chooses it again after Default was chosen with the field still focused.
        b.window->location->setItemIndex(0);
        b.window->folderField->selectAll();
        QTest::keyClicks(b.window->folderField, b.scratch.filePath(str("typed")));
        QCOMPARE(b.window->location->itemIndex(), 1);
        QTest::keyClick(b.window.get(), Qt::Key_B, Qt::AltModifier);
        QTRY_COMPARE(b.heading(), str("Backup Complete"));
        QVERIFY(QFile::exists(b.scratch.filePath(str("typed/QYName2.DB"))));
        QVERIFY(!QFile::exists(b.dir.filePath(str("BackUp/QYName2.DB"))));
    }

    // The foot holds About and Help at the left and Close at the right; Help and F1 open the
    // backup's topic, the restore's while the Restore page shows.
    void theControlsShowAndSayWhatTheyDo()
    {
        Backup b;
        test::compareFaces(
            b.window.get(),
            {{"BitBtn2", "&About", "About", "About the backup"},
             {"BitBtn3", "&Help", "Help", "Help on backing up and restoring your data"},
             {"BitBtn1", "&Close", "Close", "Close the backup window"},
             {"BitBtn4", "", "Browse", "Choose the folder for a user-specified backup (Alt+W)"},
             {"RadioGroup1", "Location", "Location",
              "Back up into the program's backup folder or into a folder you name"},
             {"Edit1", "/", "Folder", "The folder a user-specified backup goes into"},
             {"RestoreChoose", "Ch&oose Folder...", "Choose Folder...",
              "Look for a backup in a folder you choose"},
             {"RestoreNow", "Restore &Now", "Restore Now",
              "Bring the ticked tables back from the chosen backup"}});
        QVERIFY(!b.window->browseButton->icon().isNull());
        test::compareRow({b.window->aboutButton, b.window->helpButton, b.window->closeButton});
        QVERIFY(b.window->closeButton->x() - b.window->helpButton->x() >
                2 * b.window->helpButton->width());

        b.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(b.window.get()));
        QTest::keyClick(b.window.get(), Qt::Key_F1);
        b.window->pages->setCurrentWidget(b.window->restorePage);
        QTest::mouseClick(b.window->helpButton, Qt::LeftButton);
        QCOMPARE(b.services.help->shown,
                 (QList<QPair<QString, int>>{{str("qlhelp.hlp"), 7}, {str("qlhelp.hlp"), 16}}));
    }

    // The chooser starts at the folder it is given (the home folder when that is none) and
    // returns the folder confirmed, nothing when it is closed otherwise.
    void theChooserReturnsTheFolderConfirmed()
    {
        QTemporaryDir scratch;
        const QString start = scratch.filePath(str("start"));
        const QString chosen = scratch.filePath(str("chosen"));
        QVERIFY(QDir().mkdir(start) && QDir().mkdir(chosen));
        QCOMPARE(DirectoryChooser(str("/no/such/folder")).selectedDirectory(), QDir::homePath());
        QCOMPARE(DirectoryChooser(QString()).selectedDirectory(), QDir::homePath());
        QCOMPARE(DirectoryChooser(start).selectedDirectory(), start);

        // The window that asks serves the run's services, as the backup and options windows do.
        test::ScriptedServices services;
        QWidget owner;
        services.serve(&owner);
        const auto chooseWith = [&](const std::function<void(DirectoryChooser*)>& act) {
            QTimer::singleShot(0, [&] {
                auto* chooser = qobject_cast<DirectoryChooser*>(QApplication::activeModalWidget());
                QVERIFY(chooser);
                act(chooser);
            });
            return DirectoryChooser::choose(&owner, start);
        };
        QCOMPARE(chooseWith([&](DirectoryChooser* c) {
                     c->selectDirectory(chosen);
                     QTest::mouseClick(c->okButton, Qt::LeftButton);
                 }),
                 std::optional<QString>(chosen));
        QCOMPARE(chooseWith([&](DirectoryChooser* c) {
                     c->selectDirectory(chosen);
                     c->reject();
                 }),
                 std::nullopt);
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
            const std::unique_ptr<Program> program =
                std::make_unique<Program>(dir.path(), dir.session(), services);
            const QString backups = dir.filePath(str("BackUp"));
            QVERIFY(QDir().mkdir(backups));
            if (c.value) {
                Settings settings(*services.settings);
                settings.openKey(keys::Options, true);
                settings.writeString(keys::BackupSwitch, str(c.value));
            }
            QTest::mouseClick(program->mainMenu()->exitButton, Qt::LeftButton);
            QCOMPARE(QFile::exists(QDir(backups).filePath(str("QYName2.DB"))), c.copied);
            QCOMPARE(QFile::exists(QDir(backups).filePath(str("BackupInfo.txt"))), c.copied);
            QCOMPARE(services.prompts->messages, QStringList());
        }
    }

    void anExitBackupCancelledSaysSo()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        const std::unique_ptr<Program> program =
            std::make_unique<Program>(dir.path(), dir.session(), services);
        const QString backups = dir.filePath(str("BackUp"));
        QVERIFY(QDir().mkdir(backups));
        {
            Settings settings(*services.settings);
            settings.openKey(keys::Options, true);
            settings.writeString(keys::BackupSwitch, str("Yes"));
        }
        QStringList dialogs;
        cancelFromTheDialog(program->mainMenu()->exitButton, dir.dataPath(), dialogs);
        QCOMPARE(dialogs, QStringList{str("Quillory - Backup")});
        QCOMPARE(services.prompts->messages,
                 QStringList{str("Backup Cancelled: the previous backup is as it was")});
        QCOMPARE(filesIn(backups), QStringList());
    }
};

QL_TEST_CLASS(BackupFormTest)

#include "tst_backupform.moc"
