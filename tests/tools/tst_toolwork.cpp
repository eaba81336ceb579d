#include "shell/startup.h"
#include "store/progress.h"
#include "support/scripted.h"
#include "support/tablestate.h"
#include "support/testenv.h"
#include "support/testmain.h"
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
    std::unique_ptr<Program> program =
        std::make_unique<Program>(dir.path(), dir.session(), services);

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

// A book too large for the page cache a delete runs with: 10,000 records with long addresses,
// every tenth from Acme.
QList<Row> largeBook()
{
    QList<Row> rows;
    for (int r = 0; r < 10000; ++r) {
        Row row = person("Ida", "Lane", r % 10 == 0 ? "Acme" : "Globex");
        for (int field = 2; field < 12; ++field)
            row[field] = QStringLiteral("%1 Long Street, Suite %2, ").arg(r).arg(field).repeated(6);
        rows << row;
    }
    return rows;
}

} // namespace

class ToolWorkTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { test::setUpProcess(); }

    // The compactor counts and deletes without a window, asks before it deletes with the count
    // and the criterion, and tells the deleted records as its steps.
    void theCompactorRunsWithoutAWindow()
    {
        Fixture f(tenRecords());
        const QByteArray before = storedState(f.path());
        test::ScriptedProgress counting;
        const tools::CompactorResult counted =
            tools::compactDuplicates(f.dir.session(), 0, false, counting);
        QVERIFY(counted.finished);
        QCOMPARE(counted.identical, 3);
        QCOMPARE(counted.total, 10);
        QCOMPARE(counted.note, QString());
        QCOMPARE(counting.done, 0);
        QCOMPARE(counting.questions, QStringList());

        const QString question =
            str("3 records have the same first and last name as a record that is kept.\n\n"
                "Are you sure you want to delete identical records? \r Deleted entries cannot "
                "be recovered. \t");
        test::ScriptedProgress declining;
        const tools::CompactorResult declined =
            tools::compactDuplicates(f.dir.session(), 0, true, declining);
        QVERIFY(!declined.finished);
        QCOMPARE(declined.note, str("Compact Aborted"));
        QCOMPARE(declining.questions, QStringList({question}));
        QCOMPARE(storedState(f.path()), before);

        test::ScriptedProgress deleting;
        deleting.confirmations << true;
        const tools::CompactorResult deleted =
            tools::compactDuplicates(f.dir.session(), 0, true, deleting);
        QVERIFY(deleted.finished);
        QCOMPARE(deleted.identical, 0);
        QCOMPARE(deleted.total, 7);
        QCOMPARE(deleted.note, QString());
        QCOMPARE(deleting.done, 3);
        QCOMPARE(deleting.total, 3);
        QCOMPARE(deleting.questions, QStringList({question}));

        // Nothing to delete, no criterion, or no record: nothing is asked, and the note says why.
        const struct {
            int criterion;
            bool finished;
            const char* note;
        } nothing[] = {
            {1, true,
             "No record has the same names and whole address as another: nothing was "
             "deleted."},
            {5, false, "Choose what makes two records identical: nothing was compared."},
        };
        for (const auto& c : nothing) {
            test::ScriptedProgress none;
            none.confirmations << true;
            const tools::CompactorResult result =
                tools::compactDuplicates(f.dir.session(), c.criterion, true, none);
            QCOMPARE(result.finished, c.finished);
            QCOMPARE(result.note, str(c.note));
            QCOMPARE(none.questions, QStringList());
        }
        fill(f.path(), {});
        test::ScriptedProgress empty;
        QCOMPARE(tools::compactDuplicates(f.dir.session(), 0, true, empty).note,
                 str("The address book has no records: nothing was compared."));
    }

    // The bulk delete asks before it deletes, in the user's words, and deletes nothing on No; a
    // run that deletes nothing says why.
    void theBulkDeleteAsksFirst()
    {
        const struct {
            int field;
            const char* value;
            bool answer;
            bool finished;
            int deleted;
            const char* question;
            const char* note;
        } cases[] = {
            {2, "Acme", false, false, 0,
             "Delete 5 records whose company is \"Acme\"? Deleted records cannot be recovered.",
             ""},
            {1, "Jones", true, true, 2,
             "Delete 2 records whose last name is \"Jones\"? Deleted records cannot be "
             "recovered.",
             ""},
            {1, "jones", true, true, 0, nullptr,
             "No record has the last name \"jones\": nothing was deleted."},
            {0, "2000", true, true, 0, nullptr,
             "1 record has the first name \"2000\", but values that sort before \"aaaa\" "
             "(those beginning with a digit, a blank or most punctuation marks) are never "
             "deleted: nothing was deleted."},
            {-1, "Acme", true, true, 0, nullptr,
             "Choose the field to compare: nothing was deleted."},
        };
        Fixture f(tenRecords() << person("2000", "Zed"));
        for (const auto& c : cases) {
            const QByteArray before = storedState(f.path());
            test::ScriptedProgress progress;
            progress.confirmations << c.answer;
            const tools::BulkDeleteResult result =
                tools::deleteMatching(f.dir.session(), c.field, str(c.value), progress);
            QCOMPARE(result.finished, c.finished);
            QCOMPARE(result.deleted, c.deleted);
            QCOMPARE(result.note, str(c.note));
            QCOMPARE(progress.questions,
                     c.question ? QStringList({str(c.question)}) : QStringList());
            QCOMPARE(progress.done, qint64(c.deleted));
            if (c.deleted == 0)
                QCOMPARE(storedState(f.path()), before);
        }
    }

    // A cancel part way through a delete rolls the whole delete back: every record and the
    // number the file keeps stay as they were, also once the delete has written changed pages
    // to the file before the end.
    void aCancelPartWayChangesNothing_data()
    {
        QTest::addColumn<bool>("compactor");
        QTest::addColumn<int>("cancelAt");
        QTest::addColumn<bool>("large");
        QTest::newRow("compactor after its first delete") << true << 1 << false;
        QTest::newRow("compactor before its last delete") << true << 2 << false;
        QTest::newRow("bulk delete after its first delete") << false << 1 << false;
        QTest::newRow("bulk delete before its last delete") << false << 4 << false;
        QTest::newRow("bulk delete beyond the cache, before its last delete")
            << false << 999 << true;
    }
    void aCancelPartWayChangesNothing()
    {
        QFETCH(bool, compactor);
        QFETCH(int, cancelAt);
        QFETCH(bool, large);
        Fixture f(large ? largeBook() : tenRecords());
        const QByteArray before = storedState(f.path());
        QVERIFY(before.contains(large ? "count 10000\n" : "count 10\n"));
        test::ScriptedProgress progress;
        progress.cancelAt = cancelAt;
        progress.confirmations << true;
        bool cancelled = false;
        try {
            if (compactor)
                tools::compactDuplicates(f.dir.session(), 0, true, progress);
            else
                tools::deleteMatching(f.dir.session(), 2, str("Acme"), progress);
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
        QVERIFY_THROWS_EXCEPTION(Cancelled,
                                 tools::deleteMatching(f.dir.session(), 2, str("Acme"), early));
        QCOMPARE(storedState(f.path()), before);
    }
};

QL_TEST_CLASS(ToolWorkTest)
#include "tst_toolwork.moc"
