#include "sync/synctest.h"

#include "support/testmain.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTest>

using namespace ql;
using namespace ql::test;

namespace {

constexpr int kContacts = 100;

// Starts the runner over the program directory and kills it with SIGKILL once it says a line
// that starts with `mark`; true when it was killed before it ended.
bool killAt(const ProgramDirectory& dir, const Radicale& server, const QByteArray& mark)
{
    QProcess runner;
    runner.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    runner.start(QDir(QCoreApplication::applicationDirPath()).filePath("sync-runner"),
                 {dir.path(), server.url().toString(), QString::fromLatin1(Radicale::kPassword)});
    for (;;) {
        if (!runner.canReadLine() && !runner.waitForReadyRead(60000))
            return false;
        while (runner.canReadLine()) {
            const QByteArray line = runner.readLine();
            if (line.startsWith(mark)) {
                runner.kill();
                runner.waitForFinished();
                return true;
            }
            if (line.startsWith("done") || line.startsWith("failed"))
                return false;
        }
    }
}

QStringList numbered(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("Ada|Number %1||").arg(i, 3, 10, QLatin1Char('0'));
    lines.sort();
    return lines;
}

} // namespace

// A sync killed at any moment loses nothing, and the next one finishes its work without making
// a record twice.
class SyncCrashTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (!Radicale::isInstalled())
            QSKIP("radicale is not installed (scripts/deps.sh installs it)");
    }

    void killedSyncFinishesNextTime_data()
    {
        QTest::addColumn<QByteArray>("sendingMark");
        QTest::addColumn<QByteArray>("receivingMark");
        QTest::newRow("at the start")
            << QByteArray("status Syncing") << QByteArray("status Syncing");
        QTest::newRow("at the first request")
            << QByteArray("progress 1 ") << QByteArray("status Receiving");
        QTest::newRow("midway") << QByteArray("progress 50 ") << QByteArray("progress 0 ");
        QTest::newRow("at the last request")
            << QByteArray("progress 100 ") << QByteArray("progress 0 ");
    }
    void killedSyncFinishesNextTime()
    {
        QFETCH(QByteArray, sendingMark);
        QFETCH(QByteArray, receivingMark);
        Radicale server;
        QVERIFY2(server.isRunning(), qPrintable(server.failure()));
        server.makeCollections();
        ProgramDirectory a;
        ProgramDirectory b;
        for (int i = 0; i < kContacts; ++i)
            addRecord(a, Module::Contacts,
                      {{"FirstName", "Ada"},
                       {"LastName", QStringLiteral("Number %1").arg(i, 3, 10, QLatin1Char('0'))}});
        QVERIFY(killAt(a, server, sendingMark));
        syncWith(a, server);
        QCOMPARE(syncWith(a, server).summary(), QStringLiteral("0 received, 0 sent, 0 conflicts"));
        QVERIFY(killAt(b, server, receivingMark));
        QCOMPARE(syncWith(b, server).sent, 0);
        QCOMPARE(listed(a, Module::Contacts), numbered(kContacts));
        QCOMPARE(listed(b, Module::Contacts), numbered(kContacts));
        QCOMPARE(syncWith(a, server).summary(), QStringLiteral("0 received, 0 sent, 0 conflicts"));
    }
};

QL_TEST_CLASS(SyncCrashTest)
#include "tst_synccrash.moc"
