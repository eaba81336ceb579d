#include "store/error.h"
#include "support/dialogs.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "widgets/workrunner.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>

using namespace ql;

namespace {

// Waits, at most a minute, for the condition; the work's side of a handshake with the window.
bool waitFor(const std::function<bool()>& condition)
{
    for (int i = 0; i < 6000 && !condition(); ++i)
        QThread::msleep(10);
    return condition();
}

// The runner's dialog while it shows.
QDialog* workDialog()
{
    return qobject_cast<QDialog*>(QApplication::activeModalWidget());
}

} // namespace

class WorkRunnerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { test::setUpProcess(); }

    // The work runs on a thread of its own while the window's thread goes on with its events,
    // and what it reports reaches the window there.
    void workRunsBesideTheTurningEventLoop()
    {
        test::ScriptedDialogs services;
        QWidget window;
        services.serve(&window);
        std::atomic<bool> ticked = false;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ticked = true; });
        ticker.start(5);
        bool otherThread = false;
        bool sawTick = false;
        QStringList statuses;
        QString shownCounts;
        const WorkEnd end = runWork(
            &window, QStringLiteral("Quillory - Work"),
            [&](Progress& progress) {
                otherThread = QThread::currentThread() != qApp->thread();
                sawTick = waitFor([&] { return ticked.load(); });
                progress.progress(1500, 3000);
                progress.status(QStringLiteral("Working... 1500 records"));
                waitFor([&] {
                    auto* bar = workDialog() ? workDialog()->findChild<QProgressBar*>() : nullptr;
                    return bar && bar->text() == QStringLiteral("1,500 of 3,000");
                });
                progress.status(QStringLiteral("Work done"));
            },
            [&](const QString& text) {
                statuses << text;
                if (auto* bar = workDialog() ? workDialog()->findChild<QProgressBar*>() : nullptr)
                    shownCounts = bar->text();
            });
        QCOMPARE(end, WorkEnd::Finished);
        QVERIFY(otherThread);
        QVERIFY(sawTick);
        QCOMPARE(shownCounts, QStringLiteral("1,500 of 3,000"));
        QVERIFY(!statuses.isEmpty());
        QCOMPARE(statuses.last(), QStringLiteral("Work done"));
        QVERIFY(!workDialog());
    }

    // Cancel, Escape and the dialog's close all stop the work; the dialog stays until the work
    // has wound down.
    void cancelStopsTheWork_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Cancel button") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close") << 2;
    }
    void cancelStopsTheWork()
    {
        QFETCH(int, way);
        test::ScriptedDialogs services;
        QWidget window;
        services.serve(&window);
        QString captionShown;
        QTimer canceller;
        QObject::connect(&canceller, &QTimer::timeout, [&] {
            QDialog* dialog = workDialog();
            if (!dialog || !dialog->isVisible())
                return;
            canceller.stop();
            captionShown = dialog->windowTitle();
            if (way == 0)
                dialog->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
            else if (way == 1)
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                dialog->close();
        });
        canceller.start(10);
        bool stillShown = false;
        const WorkEnd end =
            runWork(&window, QStringLiteral("Quillory - Compact"), [&](Progress& progress) {
                if (!waitFor([&] { return progress.isCancelled(); }))
                    return;
                stillShown = workDialog() && workDialog()->isVisible();
                progress.checkCancelled();
            });
        QCOMPARE(end, WorkEnd::Cancelled);
        QCOMPARE(captionShown, QStringLiteral("Quillory - Compact"));
        QVERIFY(stillShown);
    }

    // A question of the work is put to the user on the window's thread, and the work goes on
    // with the answer.
    void questionsAreAnsweredForTheWork()
    {
        test::ScriptedDialogs services;
        services.prompts->confirmations << true;
        services.prompts->inputs << QStringLiteral("secret") << std::nullopt;
        QWidget window;
        services.serve(&window);
        bool yes = false;
        std::optional<QString> password;
        std::optional<QString> declined = QStringLiteral("not asked");
        runWork(&window, QStringLiteral("Quillory - Import"), [&](Progress& progress) {
            yes = progress.confirm(QStringLiteral("Delete 3 records?"));
            password =
                progress.ask(QStringLiteral("Quillory - Import"), QStringLiteral("Password:"));
            declined = progress.ask(QStringLiteral("Quillory - Import"), QStringLiteral("Again:"));
        });
        QVERIFY(yes);
        QCOMPARE(password, std::optional<QString>(QStringLiteral("secret")));
        QCOMPARE(declined, std::optional<QString>());
        QCOMPARE(services.prompts->questions,
                 QStringList({QStringLiteral("Delete 3 records?"),
                              QStringLiteral("Quillory - Import: Password:"),
                              QStringLiteral("Quillory - Import: Again:")}));
    }

    // A failure of the work comes back as the window's failure, with its own text.
    void failureIsThrownOnTheWindowsThread()
    {
        test::ScriptedDialogs services;
        QWidget window;
        services.serve(&window);
        try {
            runWork(&window, QStringLiteral("Quillory - Export"), [](Progress&) {
                throw Error(QStringLiteral("Cannot export to \"x.txt\": No space left on device"));
            });
            QFAIL("the failure was swallowed");
        } catch (const Error& e) {
            QCOMPARE(e.text(),
                     QStringLiteral("Cannot export to \"x.txt\": No space left on device"));
        }
        QVERIFY(!workDialog());
    }
};

QL_TEST_CLASS(WorkRunnerTest)
#include "tst_workrunner.moc"
