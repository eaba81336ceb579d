#include "core/keys.h"
#include "core/settings.h"
#include "shell/mainmenu.h"
#include "shell/realservices.h"
#include "shell/startup.h"
#include "shell/toolslocation.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// The stored location; "(none)" while none is stored.
QString storedLocation(SettingsFile& file)
{
    Settings settings(file);
    return settings.openKey(keys::QYTools, false) && settings.valueExists(keys::Location)
               ? settings.readString(keys::Location)
               : str("(none)");
}

// Clicks the tools button of a started program. While the location dialog is open, `act` drives
// it; a dialog `act` leaves open is cancelled. Tells whether the dialog opened.
bool clickTools(Program& program, const std::function<void(ToolsLocationDialog*)>& act = {})
{
    bool opened = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<ToolsLocationDialog*>(QApplication::activeModalWidget());
        opened = dialog && dialog->isVisible();
        if (!opened)
            return;
        if (act)
            act(dialog);
        if (dialog->isVisible())
            dialog->cancelButton->click();
    });
    timer.start(0);
    QTest::mouseClick(program.mainMenu()->toolsButton, Qt::LeftButton);
    return opened;
}

// A program started on a fresh directory with its main menu shown.
struct Started {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    Program program{dir.path(), dir.session(), services};
    Started() { program.mainMenu()->show(); }
};

} // namespace

class LauncherTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theFirstClickAsksForTheLocationKeepsItAndStartsIt()
    {
        Started s;
        const QString chosen = str("/opt/QY Tools/qytools");
        QStringList shownWhileOpen;
        QVERIFY(clickTools(s.program, [&](ToolsLocationDialog* form) {
            QTest::mouseClick(form->okButton, Qt::LeftButton); // nothing typed yet
            QTest::keyClicks(form->pathField, str("typed"));
            QTest::mouseClick(form->selectButton, Qt::LeftButton); // the file dialog is cancelled
            shownWhileOpen << form->pathField->text();
            s.services.prompts->fileNames << chosen;
            QTest::mouseClick(form->selectButton, Qt::LeftButton);
            shownWhileOpen << form->pathField->text();
            QTest::keyClicks(form->pathField, str(" "));
            QTest::mouseClick(form->okButton, Qt::LeftButton);
        }));
        QCOMPARE(s.services.prompts->messages,
                 QStringList{str("You must specify the location of QY Tools")});
        QCOMPARE(shownWhileOpen, (QStringList{str("typed"), chosen}));
        QCOMPARE(storedLocation(*s.services.settings), chosen + str(" ")); // exactly as typed
        QCOMPARE(s.services.processes->started, QStringList{chosen + str(" ")});
        QCOMPARE(s.program.mainMenu()->toolsProgramField->text(), chosen + str(" "));

        // From now on the stored location starts at once.
        QVERIFY(!clickTools(s.program));
        QCOMPARE(s.services.processes->started.size(), 2);
        QCOMPARE(s.services.prompts->messages.size(), 1);
    }

    void closingTheDialogWithoutOkStartsNothingAndItComesBackInPlace()
    {
        Started s;
        const QString path = str("/usr/bin/qytools");
        QRect designed;
        QRect left;
        QRect again;
        QVERIFY(clickTools(s.program, [&](ToolsLocationDialog* form) {
            designed = form->frameGeometry();
            form->move(300, 320);
            form->resize(700, 160);
            left = form->frameGeometry();
            QTest::keyClicks(form->pathField, path);
            QTest::mouseClick(form->cancelButton, Qt::LeftButton);
        }));
        QVERIFY(clickTools(s.program, [&](ToolsLocationDialog* form) {
            again = form->frameGeometry();
            QTest::keyClicks(form->pathField, path);
            QTest::keyClick(form->pathField, Qt::Key_Escape);
        }));
        QVERIFY(clickTools(s.program, [&](ToolsLocationDialog* form) {
            QTest::keyClicks(form->pathField, path);
            form->close();
        }));
        QCOMPARE(designed, QRect(256, 252, 687, 146));
        QCOMPARE(again, left);
        QVERIFY(s.services.processes->started.isEmpty());
        QVERIFY(s.services.prompts->messages.isEmpty());
        QCOMPARE(storedLocation(*s.services.settings), str("(none)"));
    }

    void aStoredLocationThatCannotStartOrIsNoTextIsRefused()
    {
        Started s;
        Settings settings(*s.services.settings);
        settings.openKey(keys::QYTools, true);
        settings.writeString(keys::Location, str("/gone/qytools"));
        s.services.processes->succeed = false;
        const QString again = str("Could not start QY Tools\n\nDo you want to choose its location "
                                  "again?");
        // No: the stored location stays.
        QVERIFY(!clickTools(s.program));
        QCOMPARE(s.services.processes->started, QStringList{str("/gone/qytools")});
        QCOMPARE(s.services.prompts->questions, QStringList{again});
        QCOMPARE(storedLocation(*s.services.settings), str("/gone/qytools"));
        // Yes: the location dialog; Cancel there keeps it, OK keeps the new one and starts it.
        s.services.prompts->confirmations << true;
        QVERIFY(clickTools(s.program));
        QCOMPARE(storedLocation(*s.services.settings), str("/gone/qytools"));
        s.services.prompts->confirmations << true;
        QVERIFY(clickTools(s.program, [&](ToolsLocationDialog* form) {
            s.services.processes->succeed = true;
            QTest::keyClicks(form->pathField, str("/opt/qytools"));
            QTest::mouseClick(form->okButton, Qt::LeftButton);
        }));
        QCOMPARE(s.services.processes->started,
                 QStringList({str("/gone/qytools"), str("/gone/qytools"), str("/gone/qytools"),
                              str("/opt/qytools")}));
        QCOMPARE(s.services.prompts->questions, QStringList({again, again, again}));
        QCOMPARE(storedLocation(*s.services.settings), str("/opt/qytools"));
        QVERIFY(s.services.prompts->messages.isEmpty());

        settings.writeInteger(keys::Location, 7);
        QVERIFY(!clickTools(s.program));
        QCOMPARE(s.services.processes->started.size(), 4);
        QCOMPARE(s.services.prompts->messages.last(),
                 str("You must first configure QY to start QYTools"));
    }

    // The program's own start: the tools run on their own, in the program's working directory,
    // with no arguments, from a path with a blank in it; what cannot run is refused.
    void theRealStartRunsTheToolsOnTheirOwn()
    {
        const RealServices real;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(str("QY Tools")) && QDir(dir.path()).mkpath(str("work")));
        const QString tools = dir.filePath(str("QY Tools/qytools"));
        QVERIFY(QFile::copy(
            QDir(QCoreApplication::applicationDirPath()).filePath(str("tools-stand-in")), tools));
        const QString notes = dir.filePath(str("notes.txt"));
        QFile(notes).open(QIODevice::WriteOnly);
        const QString working = QDir::currentPath();
        QDir::setCurrent(dir.filePath(str("work")));
        ProcessStarter& starter = real.services().processStarter();
        const bool started = starter.start(tools);
        const bool refused = !starter.start(notes) && !starter.start(dir.filePath(str("gone"))) &&
                             !starter.start(dir.path());
        QDir::setCurrent(working);

        QVERIFY(started);
        QVERIFY(refused);
        QFile marker(dir.filePath(str("work/tools-ran")));
        QTRY_VERIFY_WITH_TIMEOUT(marker.exists(), 10000);
        QVERIFY(marker.open(QIODevice::ReadOnly));
        const QList<QByteArray> ran = marker.readAll().trimmed().split(' ');
        QCOMPARE(ran.value(0), QByteArray("0"));
        QVERIFY(ran.value(1).toLongLong() != QCoreApplication::applicationPid());
    }

    void theProgramDialogListsOnlyWhatCanRun()
    {
        const RealServices real;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(str("folder")));
        QFile(dir.filePath(str("notes.txt"))).open(QIODevice::WriteOnly);
        QFile tool(dir.filePath(str("tool")));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.setPermissions(tool.permissions() | QFile::ExeUser);
        QStringList listed;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            dialog->setDirectory(dir.path());
            auto* view = dialog->findChild<QListView*>(str("listView"));
            // The folder is read in the background; a row that should not be there would come
            // with the others.
            if (QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) >= 2; }))
                QTest::qWait(200);
            for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
                listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
            dialog->reject();
        });
        const QString chosen = real.services().prompts().openProgramName(
            nullptr, str("Open"), str("QY Tools Program File"));
        QVERIFY(chosen.isEmpty());
        listed.sort();
        QCOMPARE(listed, (QStringList{str("folder"), str("tool")}));
    }
};

QL_TEST_CLASS(LauncherTest)
#include "tst_launcher.moc"
