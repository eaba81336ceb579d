#include "install/firstuse.h"
#include "store/session.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <functional>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

QStringList entries(const QString& directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot,
                                     QDir::Name | QDir::IgnoreCase);
}

const QStringList kTables = {str("CollBk2.DB"), str("CollCD2.DB"),  str("CollCDR2.DB"),
                             str("CollTp2.DB"), str("Journal2.DB"), str("QYName2.DB"),
                             str("ToDo2.db"),   str("UserDa.db")};

} // namespace

// First use without a window: what it makes of the program directory the installer laid out.
class FirstUseTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theOutcomeOfEachStartingPoint()
    {
        using install::FirstUse;
        const struct {
            const char* name;
            std::function<void(const test::ProgramDirectory&)> prepare;
            FirstUse outcome;
            QStringList data;
        } cases[] = {
            {"fresh: the missing tables are copied",
             [](const test::ProgramDirectory& dir) {
                 QFile::remove(dir.filePath(str("Data/ToDo2.db")));
                 QFile::remove(dir.filePath(str("Data/Journal2.DB")));
             },
             FirstUse::Prepared, kTables},
            {"no templates, every table in Data",
             [](const test::ProgramDirectory& dir) {
                 QDir(dir.filePath(str("Temp"))).removeRecursively();
             },
             FirstUse::Prepared, kTables},
            {"no templates, a table missing",
             [](const test::ProgramDirectory& dir) {
                 QDir(dir.filePath(str("Temp"))).removeRecursively();
                 QFile::remove(dir.filePath(str("Data/UserDa.db")));
             },
             FirstUse::NoTemplates, kTables.mid(0, 7)},
            {"a folder among the templates",
             [](const test::ProgramDirectory& dir) {
                 QDir(dir.filePath(str("Temp"))).mkdir(str("AAA"));
             },
             FirstUse::CopyFailed, kTables},
        };
        for (const auto& c : cases) {
            test::ProgramDirectory dir;
            c.prepare(dir);
            QCOMPARE(install::prepareFirstUse(dir.session(), dir.path()), c.outcome);
            QVERIFY2(entries(dir.dataPath()) == c.data, c.name);
            // The backups hold personal data: the user's alone, whatever else happened.
            QCOMPARE(QFile::permissions(dir.filePath(str("BackUp"))) & 0x0077, 0);
        }
        // A table restored under a name in other letter case is kept as it is, and "Quilbase"
        // names Data again.
        test::ProgramDirectory dir;
        QFile::remove(dir.filePath(str("Data/QYName2.DB")));
        QFile restored(dir.filePath(str("Data/qyname2.db")));
        QVERIFY(restored.open(QIODevice::WriteOnly) && restored.write("restored") == 8);
        restored.close();
        dir.session().setDatabasePath(str("Quilbase"), dir.filePath(str("Elsewhere")));
        QCOMPARE(install::prepareFirstUse(dir.session(), dir.path()), FirstUse::Prepared);
        QVERIFY(restored.open(QIODevice::ReadOnly));
        QCOMPARE(restored.readAll(), QByteArray("restored"));
        QCOMPARE(entries(dir.dataPath()),
                 QStringList({str("CollBk2.DB"), str("CollCD2.DB"), str("CollCDR2.DB"),
                              str("CollTp2.DB"), str("Journal2.DB"), str("qyname2.db"),
                              str("ToDo2.db"), str("UserDa.db")}));
        QCOMPARE(dir.session().databasePath(str("Quilbase")), dir.dataPath());
    }

    void laterStartsRemoveTheTemplates()
    {
        test::ProgramDirectory dir;
        QFile extra(dir.filePath(str("Temp/.hidden")));
        QVERIFY(extra.open(QIODevice::WriteOnly));
        extra.close();
        install::removeTemplates(dir.path());
        QVERIFY(!QDir(dir.filePath(str("Temp"))).exists());
        QCOMPARE(entries(dir.dataPath()), kTables);
    }
};

QL_TEST_CLASS(FirstUseTest)

#include "tst_firstuse.moc"
