#include "shell/startup.h"
#include "store/progress.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "support/tablestate.h"
#include "tools/book.h"
#include "tools/toolwork.h"

#include <QTest>

using namespace ql;
using namespace ql::test::book;
using ql::test::storedState;

namespace {

// A started program over a book of these rows, and the tools' runs over it without a window.
struct Fixture {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    std::unique_ptr<Program> program = std::make_unique<Program>(dir.path());

    explicit Fixture(const QList<Row>& rows) { fill(path(), rows); }
    QString path() const { return dir.filePath(str("Data/QYName2.DB")); }
};

// Ten records: a Smith Anna three times, a Jones Bob twice, and five of their own.
QList<Row> tenRecords()
{
    return {person("Anna", "Smith", "Acme"),
            person("Bob", "Jones", "Acme"),
            person("Anna", "Smith", "Acme"),
            person("Carl", "Brown", "Globex"),
            person("Anna", "Smith", "Initech"),
            person("Bob", "Jones"),
            person("Dora", "White", "Acme"),
            person("Eve", "Black"),
            person("Fay", "Green"),
            person("Gus", "Grey", "Acme")};
}

} // namespace

class ToolWorkTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { test::setUpProcess(); }

    // The compactor counts and deletes without a window, and tells the deleted records as its
    // steps.
    void theCompactorRunsWithoutAWindow()
    {
        Fixture f(tenRecords());
        test::ScriptedProgress counting;
        const std::optional<tools::Compactor::Result> counted =
            tools::Compactor(0, false).run(counting);
        QVERIFY(counted);
        QCOMPARE(counted->identical, 3);
        QCOMPARE(counted->total, 10);
        QCOMPARE(counting.done, 0);

        test::ScriptedProgress deleting;
        const std::optional<tools::Compactor::Result> deleted =
            tools::Compactor(0, true).run(deleting);
        QVERIFY(deleted);
        QCOMPARE(deleted->identical, 0);
        QCOMPARE(deleted->total, 7);
        QCOMPARE(deleting.done, 3);
        QCOMPARE(deleting.total, 3);
        QCOMPARE(deleting.questions, QStringList());

        // No criterion, or no record: nothing to do.
        test::ScriptedProgress none;
        QVERIFY(!tools::Compactor(5, true).run(none));
        fill(f.path(), {});
        QVERIFY(!tools::Compactor(0, true).run(none));
    }

    // The bulk delete asks before it deletes, in the user's words, and deletes nothing on No.
    void theBulkDeleteAsksFirst()
    {
        Fixture f(tenRecords());
        const QByteArray before = storedState(f.path());
        test::ScriptedProgress refused;
        QCOMPARE(tools::BulkDelete(2, str("Acme")).run(refused), std::optional<int>());
        QCOMPARE(refused.questions, QStringList({str("Delete 5 records whose company is "
                                                     "\"Acme\"? Deleted records cannot be "
                                                     "recovered.")}));
        QCOMPARE(storedState(f.path()), before);

        test::ScriptedProgress agreed;
        agreed.confirmations << true;
        QCOMPARE(tools::BulkDelete(1, str("Jones")).run(agreed), std::optional<int>(2));
        QCOMPARE(agreed.questions, QStringList({str("Delete 2 records whose last name is "
                                                    "\"Jones\"? Deleted records cannot be "
                                                    "recovered.")}));
        QCOMPARE(agreed.done, 2);

        // Nothing matches: nothing is asked, nothing deleted.
        test::ScriptedProgress unmatched;
        QCOMPARE(tools::BulkDelete(1, str("jones")).run(unmatched), std::optional<int>(0));
        QCOMPARE(unmatched.questions, QStringList());
    }

    // A cancel part way through a delete rolls the whole delete back: every record and the
    // number the file keeps stay as they were.
    void aCancelPartWayChangesNothing_data()
    {
        QTest::addColumn<bool>("compactor");
        QTest::addColumn<int>("cancelAt");
        QTest::newRow("compactor after its first delete") << true << 1;
        QTest::newRow("compactor before its last delete") << true << 2;
        QTest::newRow("bulk delete after its first delete") << false << 1;
        QTest::newRow("bulk delete before its last delete") << false << 4;
    }
    void aCancelPartWayChangesNothing()
    {
        QFETCH(bool, compactor);
        QFETCH(int, cancelAt);
        Fixture f(tenRecords());
        const QByteArray before = storedState(f.path());
        QVERIFY(before.contains("count 10\n"));
        test::ScriptedProgress progress;
        progress.cancelAt = cancelAt;
        progress.confirmations << true;
        bool cancelled = false;
        try {
            if (compactor)
                tools::Compactor(0, true).run(progress);
            else
                tools::BulkDelete(2, str("Acme")).run(progress);
        } catch (const Cancelled&) {
            cancelled = true;
        }
        QVERIFY(cancelled);
        QCOMPARE(progress.done, qint64(cancelAt));
        QCOMPARE(storedState(f.path()), before);

        // A cancel that comes before the delete starts changes nothing either.
        test::ScriptedProgress early;
        early.cancelled = true;
        early.confirmations << true;
        QVERIFY_THROWS_EXCEPTION(Cancelled, tools::BulkDelete(2, str("Acme")).run(early));
        QCOMPARE(storedState(f.path()), before);
    }
};

QL_TEST_CLASS(ToolWorkTest)
#include "tst_toolwork.moc"
