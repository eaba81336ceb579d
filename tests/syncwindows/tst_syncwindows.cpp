#include "core/settings.h"
#include "options/optionswindow.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "support/dialogs.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "sync/radicale.h"
#include "syncwindows/accountpage.h"
#include "syncwindows/conflictdialog.h"
#include "widgets/dbcontrols.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// Clicks `button`, which opens a window modally, hands the window to `act` and closes it.
void whileOpen(QPushButton* button, const std::function<void(QDialog*)>& act)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(window);
        seen = true;
        act(window);
        if (window->isVisible())
            window->reject();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(seen);
}

// Readies the started server: its collections, and one contact, Grace Hopper, in the address
// book. Empty when it is ready, else what went wrong.
QString serveOneContact(test::Radicale& server)
{
    if (!server.isRunning())
        return server.failure();
    server.makeCollections();
    const QUrl card = server.collection(str("contacts")).resolved(QUrl(str("grace-1.vcf")));
    const int status = server
                           .request("PUT", card,
                                    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:grace-1\r\n"
                                    "FN:Grace Hopper\r\nN:Hopper;Grace;;;\r\nEND:VCARD\r\n",
                                    "text/vcard")
                           .first;
    return status == 201 ? QString() : str("The server answered the contact with %1").arg(status);
}

QString settingsText(const SettingsFile& settings)
{
    QFile file(settings.path());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// A started program over scripted services, its main menu shown.
struct StartedProgram {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    Program program{dir.path(), dir.session(), services};
    MainMenu* menu = program.mainMenu();
    StartedProgram() { menu->show(); }
};

} // namespace

class SyncWindowsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // No desktop session here: no secret store answers.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DISPLAY");
    }

    // OK stores the account in the settings file and the options window shows it again; the
    // typed password goes to the secret store alone, and where none answers the user is told.
    void theAccountPageSavesAndLoadsTheAccount()
    {
        StartedProgram f;
        whileOpen(f.menu->optionsButton, [](QDialog* window) {
            auto* page = qobject_cast<OptionsWindow*>(window)->syncPage;
            QTest::keyClicks(page->serverField, str("http://127.0.0.1:5232/"));
            QTest::keyClicks(page->userField, str("alice"));
            QTest::keyClicks(page->passwordField, str("Open-Sesame-42"));
            page->atStartBox->setChecked(true);
            QTest::mouseClick(qobject_cast<OptionsWindow*>(window)->okButton, Qt::LeftButton);
            QVERIFY(!window->isVisible());
        });
        QCOMPARE(f.services.prompts->messages,
                 QStringList({str("No secret store answered, so the password was not kept. "
                                  "Quillory asks for it at each sync.")}));
        const QString stored = settingsText(*f.services.settings);
        QVERIFY(stored.contains(str("[SOFTWARE\\Varnholt\\Quillory\\Sync]")));
        QVERIFY(stored.contains(str("http://127.0.0.1:5232/")));
        QVERIFY(stored.contains(str("alice")));
        QVERIFY2(!stored.contains(str("Open-Sesame-42")), qPrintable(stored));
        QVERIFY(!stored.contains(str("Password"), Qt::CaseInsensitive));

        whileOpen(f.menu->optionsButton, [](QDialog* window) {
            auto* page = qobject_cast<OptionsWindow*>(window)->syncPage;
            QCOMPARE(page->serverField->text(), str("http://127.0.0.1:5232/"));
            QCOMPARE(page->userField->text(), str("alice"));
            QCOMPARE(page->passwordField->text(), QString());
            QVERIFY(page->atStartBox->isChecked());
            for (QComboBox* chooser :
                 {page->addressBookChooser, page->toDoChooser, page->journalChooser})
                QCOMPARE(chooser->currentText(), str("Not synced"));
        });
    }

    // Without an account the sync command of every window that offers it, by its key, says where
    // to set the account up, and syncs nothing.
    void theCommandWithoutAnAccountSaysWhereToSetItUp()
    {
        StartedProgram f;
        const QString where = str("Sync is not set up yet. Give the server's address and choose "
                                  "its collections on the Syncing page of the options window "
                                  "(Options in the main menu).");
        f.menu->activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == f.menu);
        QTest::keyClick(f.menu, Qt::Key_F5);
        QCOMPARE(f.services.prompts->messages, QStringList({where}));
        QTest::mouseClick(f.menu->syncButton, Qt::LeftButton);
        QCOMPARE(f.services.prompts->messages.size(), 2);
        for (QPushButton* button :
             {f.menu->addressBookButton, f.menu->journalButton, f.menu->toDoButton}) {
            f.services.prompts->messages.clear();
            whileOpen(button, [&](QDialog* window) {
                window->activateWindow();
                QTRY_VERIFY(QApplication::activeWindow() == window);
                QTest::keyClick(window, Qt::Key_F5);
                auto* item = window->findChild<QAction*>(str("Sync1"));
                QVERIFY(item);
                item->trigger();
            });
            QCOMPARE(f.services.prompts->messages, QStringList({where, where}));
        }
        QVERIFY(f.services.prompts->questions.isEmpty());
    }

    // Against a real server: the account page finds the collections and chooses them; the
    // address book's sync command stores the contact being typed, asks for the password that no
    // secret store keeps, sends the contact, receives the server's and shows both.
    void theCommandSyncsWithTheServerAndShowsTheResult()
    {
        if (!test::Radicale::isInstalled())
            QSKIP("radicale is not installed (scripts/deps.sh installs it)");
        test::Radicale server;
        const QString failure = serveOneContact(server);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        StartedProgram f;
        whileOpen(f.menu->optionsButton, [&](QDialog* window) {
            auto* page = qobject_cast<OptionsWindow*>(window)->syncPage;
            QTest::keyClicks(page->serverField, server.url().toString());
            QTest::keyClicks(page->userField, str("ada"));
            QTest::keyClicks(page->passwordField, str("lovelace"));
            QTest::mouseClick(page->findButton, Qt::LeftButton);
            QCOMPARE(page->findStatus->text(), str("The server offers you 3 collections."));
            QCOMPARE(page->addressBookChooser->currentText(), str("Contacts"));
            QCOMPARE(page->toDoChooser->currentText(), str("Tasks"));
            QCOMPARE(page->journalChooser->currentText(), str("Journal"));
            QTest::mouseClick(qobject_cast<OptionsWindow*>(window)->okButton, Qt::LeftButton);
        });
        f.services.prompts->messages.clear();
        f.services.prompts->inputs.enqueue(str("lovelace"));
        whileOpen(f.menu->addressBookButton, [&](QDialog* window) {
            QTest::mouseClick(window->findChild<QPushButton*>(str("NewBtn")), Qt::LeftButton);
            QTest::keyClicks(window->findChild<DBEdit*>(str("LastNameEdit")), str("Lovelace"));
            window->findChild<QAction*>(str("Sync1"))->trigger();
            QCOMPARE(window->findChild<QStatusBar*>()->currentMessage(),
                     str("1 received, 1 sent, 0 conflicts"));
            QStringList listed;
            const QAbstractItemModel* list = window->findChild<DBGrid*>()->model();
            for (int row = 0; row < list->rowCount(); ++row)
                listed << list->index(row, 0).data().toString();
            QCOMPARE(listed, QStringList({str("Hopper"), str("Lovelace")}));
        });
        QCOMPARE(f.services.prompts->messages, QStringList());
        QCOMPARE(f.services.prompts->questions,
                 QStringList({str("Quillory - Sync: Password of ada on 127.0.0.1:")}));
        QVERIFY(
            server.request("GET", server.collection(str("contacts"))).second.contains("Lovelace"));
    }

    // Chosen in the options, the sync runs at start in the background once the main menu shows:
    // the password is asked for as no secret store keeps it, and the menu's status line shows the
    // result. A failure is a message.
    void theSyncAtStartShowsItsResultInTheMainMenu()
    {
        if (!test::Radicale::isInstalled())
            QSKIP("radicale is not installed (scripts/deps.sh installs it)");
        test::Radicale server;
        const QString failure = serveOneContact(server);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        sync::Account account;
        account.server = server.url();
        account.user = str("ada");
        account.addressBook = server.collection(str("contacts"));
        account.atStart = true;
        sync::saveAccount(*services.settings, account);
        for (const auto& [password, shown] :
             {std::pair(str("lovelace"), str("Synced at start: 1 received, 0 sent, 0 conflicts")),
              std::pair(str("wrong"), QString())}) {
            services.prompts->inputs.enqueue(password);
            Program program(dir.path(), dir.session(), services);
            program.mainMenu()->show();
            QTRY_COMPARE_WITH_TIMEOUT(services.prompts->inputs.size(), 0, 60000);
            if (shown.isEmpty()) {
                QTRY_COMPARE_WITH_TIMEOUT(services.prompts->messages.size(), 1, 60000);
                QCOMPARE(services.prompts->kinds, QList<MessageKind>({MessageKind::Critical}));
                continue;
            }
            const auto status = [&] {
                auto* line = program.mainMenu()->findChild<QStatusBar*>(str("SyncStatus"));
                return line ? line->currentMessage() : QString();
            };
            QTRY_COMPARE_WITH_TIMEOUT(status(), shown, 60000);
            QCOMPARE(services.prompts->messages, QStringList());
        }
    }

    // Each button of the conflict dialog returns its choice to the work that asked; closing the
    // dialog keeps both. The dialog shows both versions as they are, unchangeable.
    void theConflictDialogReturnsTheChoice()
    {
        const struct {
            const char* button;
            sync::Keep choice;
        } cases[] = {{"KeepThisButton", sync::Keep::ThisComputer},
                     {"KeepServerButton", sync::Keep::Server},
                     {"KeepBothButton", sync::Keep::Both},
                     {nullptr, sync::Keep::Both}};
        for (const auto& c : cases) {
            test::ScriptedProgress progress;
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<ConflictDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                QCOMPARE(dialog->thisComputerText->toPlainText(), str("Last Name: Brandt"));
                QCOMPARE(dialog->serverText->toPlainText(), str("Last Name: Brant"));
                QVERIFY(dialog->thisComputerText->isReadOnly() && dialog->serverText->isReadOnly());
                if (c.button)
                    QTest::mouseClick(dialog->findChild<QPushButton*>(str(c.button)),
                                      Qt::LeftButton);
                else
                    QTest::keyClick(dialog, Qt::Key_Escape);
            });
            const sync::Keep chosen = askWhichStays(progress)(
                {str("Address Book"), str("Last Name: Brandt"), str("Last Name: Brant")});
            QCOMPARE(int(chosen), int(c.choice));
        }
    }
};

QL_TEST_CLASS(SyncWindowsTest)
#include "tst_syncwindows.moc"
