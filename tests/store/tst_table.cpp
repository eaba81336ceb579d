#include "addressbook/addressbooktables.h"
#include "journal/journaltables.h"
#include "store/catalogue.h"
#include "store/error.h"
#include "store/session.h"
#include "store/sqlite.h"
#include "store/tablebulk.h"
#include "store/tabledirectory.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "userdefined/userdefinedtables.h"

#include <QDir>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <optional>
#include <random>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// Adds a contact through the cursor, as a window would, and returns its key.
qint64 addContact(Table& t, const QString& first, const QString& last, const QString& company = {})
{
    t.insert();
    t.setValue(str("FirstName"), first);
    t.setValue(str("LastName"), last);
    t.setValue(str("Company"), company);
    t.post();
    return t.value(str("NameCode")).toLongLong();
}

QStringList column(Table& t, const char* field)
{
    QStringList values;
    for (int row = 0; row < t.recordCount(); ++row)
        values << t.recordAt(row).text(str(field));
    return values;
}

// Writes records straight into a table file, as another program would: each row gives the
// values of the columns named, an empty text standing for no value.
void store(const QString& path, const QByteArrayList& columns, const QList<QStringList>& rows)
{
    sql::Database db(path, sql::OpenMode::ReadWrite);
    QByteArray names;
    QByteArray parameters;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        names += (i ? ", \"" : "\"") + columns[i] + '"';
        parameters += (i ? ", ?" : "?") + QByteArray::number(i + 1);
    }
    sql::Transaction tx(db);
    sql::Statement st(db, "INSERT INTO records(" + names + ") VALUES (" + parameters + ")");
    for (const QStringList& row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (row[i].isEmpty())
                st.bindNull(int(i) + 1);
            else
                st.bindText(int(i) + 1, row[i].toUtf8());
        }
        st.step();
    }
    tx.commit();
}

QStringList scanned(Table& t, const char* field)
{
    QStringList values;
    for (t.first(); !t.eof(); t.next())
        values << t.asText(str(field));
    return values;
}

// Random steps through the address book's order (jumps, searches, steps, ranges, order changes and
// writes, ours and another program's) beside a model of the records the file holds.
class OrderWalk {
public:
    struct Entry {
        qint64 code;
        QString first;
        QString last;
    };

    // Stores 1500 records with few last names into the file at path, as an earlier build wrote
    // it, keeping no number of its records.
    explicit OrderWalk(const QString& path)
        : m_path(path)
    {
        QList<QStringList> rows;
        for (int i = 0; i < 1500; ++i) {
            rows << QStringList{QStringLiteral("c%1").arg(i), lastName()};
            model.push_back({i + 1, rows.last()[0], rows.last()[1]});
        }
        test::keepNoCount(path);
        store(path, {"FirstName", "LastName"}, rows);
    }

    int pick(qsizetype n) { return int(m_random() % quint32(std::max<qsizetype>(n, 1))); }

    // The first names in the order the model expects: empty keys first, then the names without
    // regard to case, equal ones as entered; only those in the range when there is one.
    QStringList order() const
    {
        std::vector<Entry> shown;
        std::copy_if(model.begin(), model.end(), std::back_inserter(shown),
                     [&](const Entry& e) { return inRange(e.last); });
        std::stable_sort(shown.begin(), shown.end(),
                         [&](const Entry& a, const Entry& b) { return before(a.last, b.last); });
        QStringList firsts;
        for (const Entry& e : shown)
            firsts << e.first;
        return firsts;
    }

    // Takes one step chosen at random; row is then the row expected current, or -1 when the step
    // leaves it open.
    void takeStep(Table& t)
    {
        const int n = int(order().size());
        const QString current = t.asText(str("FirstName"));
        row = -1;
        switch (pick(12)) {
        case 0:
            row = pick(n);
            t.moveToRow(row);
            break;
        case 1:
            findNearest(t, n);
            break;
        case 2:
            stepBy(t, n);
            break;
        case 3:
            t.last();
            row = n - 1;
            break;
        case 4:
            add(t);
            break;
        case 5:
            if (n > 0)
                edit(t, current);
            break;
        case 6:
            if (n > 0) {
                row = std::min(t.currentRow(), n - 2);
                t.deleteRecord();
                std::erase_if(model, [&](const Entry& e) { return e.first == current; });
            }
            break;
        case 7:
            anotherProgramWrites(t, n, current);
            break;
        case 8:
            bulkWrites(t, n, current);
            break;
        case 9:
            toggleRange(t, n, current);
            break;
        default:
            // Another order and back: the range goes, the current record stays.
            t.setIndexName(str("idxFirstName"));
            t.setIndexName(str("idxLastName"));
            m_range.reset();
            if (n > 0)
                row = int(order().indexOf(current));
            break;
        }
    }

    std::vector<Entry> model;
    int row = -1;

private:
    static bool before(const QString& a, const QString& b)
    {
        return a.isEmpty() != b.isEmpty() ? a.isEmpty() : a.toLower() < b.toLower();
    }

    bool inRange(const QString& last) const
    {
        return !m_range ||
               (!last.isEmpty() && !before(last, m_range->first) && !before(m_range->second, last));
    }

    // One of few last names in either letter case, or none: many equal and empty keys.
    QString lastName()
    {
        if (pick(10) == 0)
            return QString();
        const QString name = QStringLiteral("name%1").arg(pick(150), 3, 10, QChar('0'));
        return pick(2) ? name.toUpper() : name;
    }

    QStringList newRecord() { return {QStringLiteral("n%1").arg(m_made++), lastName()}; }

    void findNearest(Table& t, int n)
    {
        const QString key = lastName();
        t.findNearestText(key);
        int at = 0;
        for (const Entry& e : model)
            at += inRange(e.last) && before(e.last, key) ? 1 : 0;
        row = std::min(at, n - 1);
    }

    void stepBy(Table& t, int n)
    {
        const int distance = pick(80) - 40;
        row = std::clamp(t.currentRow() + distance, 0, n - 1);
        for (int i = 0; i < std::abs(distance); ++i)
            distance > 0 ? t.next() : t.prior();
    }

    void add(Table& t)
    {
        const QStringList added = newRecord();
        addContact(t, added[0], added[1]);
        model.push_back({m_nextCode++, added[0], added[1]});
        if (inRange(added[1]))
            row = int(order().indexOf(added[0]));
    }

    // Now and then the key stays and only another field changes.
    void edit(Table& t, const QString& current)
    {
        const bool keyChanges = pick(3) > 0;
        const QString last = keyChanges ? lastName() : t.asText(str("LastName"));
        t.edit();
        t.setValue(str(keyChanges ? "LastName" : "Company"), keyChanges ? last : current);
        t.post();
        for (Entry& e : model) {
            if (e.first == current)
                e.last = last;
        }
        if (inRange(last))
            row = int(order().indexOf(current));
    }

    // Another program adds two records and deletes another; the current one stays.
    void anotherProgramWrites(Table& t, int n, const QString& current)
    {
        const QStringList added[] = {newRecord(), newRecord()};
        store(m_path, {"FirstName", "LastName"}, {added[0], added[1]});
        for (const QStringList& r : added)
            model.push_back({m_nextCode++, r[0], r[1]});
        const Entry victim = model[size_t(pick(qsizetype(model.size())))];
        sql::Database other(m_path, sql::OpenMode::ReadWrite);
        // A record put in the place of another, key and all, is refused, and so is a key below
        // 1; without recursive triggers a replaced record would go uncounted.
        other.exec("PRAGMA recursive_triggers = OFF");
        const struct {
            const char* statement;
            qint64 key;
            const char* refusal;
        } refused[] = {
            {"INSERT OR REPLACE", victim.code, "a record has this key already"},
            {"INSERT", -1, "a record key must be 1 or more"},
            {"INSERT OR REPLACE", -1, "a record key must be 1 or more"},
            {"INSERT", 0, "a record key must be 1 or more"},
        };
        for (const auto& attempt : refused) {
            sql::Statement over(other, QByteArray(attempt.statement) +
                                           " INTO records(NameCode, FirstName) "
                                           "VALUES (?1, 'over')");
            over.bindInt(1, attempt.key);
            QCOMPARE(test::failureText([&] { over.step(); }), str(attempt.refusal));
        }
        if (victim.first != current) {
            sql::Statement gone(other, "DELETE FROM records WHERE rowid = ?1");
            gone.bindInt(1, victim.code);
            gone.step();
            std::erase_if(model, [&](const Entry& e) { return e.code == victim.code; });
        }
        t.refresh();
        if (n > 0)
            row = int(order().indexOf(current));
    }

    // Two records appended at once, and then a failure: both are kept. Then a few records deleted
    // at once, never the current one.
    void bulkWrites(Table& t, int n, const QString& current)
    {
        const QStringList added[] = {newRecord(), newRecord()};
        int appended = 0;
        const QString failure = test::failureText([&] {
            TableBulk::appendRecords(
                t,
                [&](Record& r) {
                    if (appended == 2)
                        throw Error(str("the source broke"));
                    r.setValue(str("FirstName"), added[appended][0]);
                    r.setValue(str("LastName"), added[appended][1]);
                    return true;
                },
                appended);
        });
        QCOMPARE(failure, str("the source broke"));
        QCOMPARE(appended, 2);
        for (const QStringList& r : added)
            model.push_back({m_nextCode++, r[0], r[1]});
        std::vector<qint64> keys;
        for (int i = 0; i < 3; ++i) {
            const Entry& victim = model[size_t(pick(qsizetype(model.size())))];
            if (victim.first != current)
                keys.push_back(victim.code);
        }
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        int deleted = 0;
        TableBulk::deleteKeys(t, keys, deleted);
        QCOMPARE(deleted, int(keys.size()));
        std::erase_if(model, [&](const Entry& e) {
            return std::binary_search(keys.begin(), keys.end(), e.code);
        });
        if (n > 0)
            row = int(order().indexOf(current));
    }

    void toggleRange(Table& t, int n, const QString& current)
    {
        if (m_range) {
            m_range.reset();
            t.cancelRange();
            if (n > 0)
                row = int(order().indexOf(current));
            return;
        }
        QString low = lastName();
        QString high = lastName();
        if (low.isEmpty() || high.isEmpty())
            return;
        if (before(high, low))
            std::swap(low, high);
        m_range = {low, high};
        t.setRangeText(low, high);
        row = 0;
    }

    QString m_path;
    std::mt19937 m_random{11};
    qint64 m_nextCode = 1501;
    int m_made = 0;
    std::optional<std::pair<QString, QString>> m_range;
};

} // namespace

class TableTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findNearestComparesWithoutCaseAcrossScripts()
    {
        test::ProgramDirectory dir;
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        for (const char* last : {"Zebra", "émile", "Ärger", "smith", "Åsa", "", "Émile", "O'Neil",
                                 "42nd", "Ωmega", "Иванов"})
            addContact(t, str("x"), str(last));
        // One alphabetical order for every script: empty first, punctuation and digits before
        // letters, accented letters among their base letters, equal keys in the order of entry.
        QCOMPARE(column(t, "LastName"),
                 QStringList({"", "42nd", "Ärger", "Åsa", "émile", "Émile", "O'Neil", "smith",
                              "Zebra", "Ωmega", "Иванов"}));

        t.findNearestText(str("ÉMILE"));
        QCOMPARE(t.asText(str("LastName")), str("émile"));
        t.findNearestText(str("SMI"));
        QCOMPARE(t.asText(str("LastName")), str("smith"));
        t.findNearestText(str("иван"));
        QCOMPARE(t.asText(str("LastName")), str("Иванов"));
        t.findNearestText(str("Яблоко")); // beyond every key: the last record
        QCOMPARE(t.asText(str("LastName")), str("Иванов"));
        t.findNearestText(QString());
        QCOMPARE(t.currentRow(), 0);

        t.setRangeText(str("a"), str("smith"));
        t.findNearestText(str("zz")); // beyond the range: the range's last record
        QCOMPARE(t.asText(str("LastName")), str("smith"));
    }

    void rangesSelectEqualKeysAndFollowTheOrder()
    {
        test::ProgramDirectory dir;
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        addContact(t, str("Ann"), str("Smith"));
        addContact(t, str("Bob"), str("SMITH"));
        addContact(t, str("Cy"), str("Smithson"));
        addContact(t, str("Di"), QString(), str("Acme"));
        addContact(t, str("Ed"), str("Jones"));

        t.setRangeText(str("smith"), str("smith"));
        QCOMPARE(column(t, "FirstName"), QStringList({"Ann", "Bob"}));
        QVERIFY(t.bof());

        t.setRangeText(QString(), QString()); // the empty text selects the empty keys
        QCOMPARE(column(t, "FirstName"), QStringList({"Di"}));

        t.setIndexName(str("idxLastName")); // the same order keeps the range
        QVERIFY(t.hasRange());
        QCOMPARE(t.recordCount(), 1);

        t.setRangeText(str("x"), str("x"));
        QVERIFY(t.isEmpty());
        QVERIFY(t.eof() && t.bof());

        t.setIndexName(str("idxFirstName")); // another order drops it
        QVERIFY(!t.hasRange());
        QCOMPARE(column(t, "FirstName"), QStringList({"Ann", "Bob", "Cy", "Di", "Ed"}));
    }

    void cancelRangeKeepsTheCurrentRecord()
    {
        test::ProgramDirectory dir;
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        for (const char* last : {"Able", "Baker", "Baker", "Charlie"})
            addContact(t, str("x"), str(last));
        t.setRangeText(str("baker"), str("BAKER"));
        t.next();
        const qint64 key = t.value(str("NameCode")).toLongLong();
        t.cancelRange();
        QCOMPARE(t.value(str("NameCode")).toLongLong(), key);
        QCOMPARE(t.currentRow(), 2);
    }

    void leavingAChangedRecordStoresIt_data()
    {
        QTest::addColumn<int>("way");
        const char* ways[] = {"next",  "prior", "first",  "last",     "findNearest",
                              "range", "index", "insert", "moveToRow"};
        for (int i = 0; i < int(std::size(ways)); ++i)
            QTest::newRow(ways[i]) << i;
    }

    void leavingAChangedRecordStoresIt()
    {
        QFETCH(int, way);
        test::ProgramDirectory dir;
        auto dm = std::make_unique<AddressBookTables>(dir.session());
        Table& t = *dm->tbNames;
        addContact(t, str("a"), str("Alpha"));
        addContact(t, str("b"), str("Bravo"));
        addContact(t, str("c"), str("Charlie"));
        t.findNearestText(str("bravo"));
        t.edit();
        t.setValue(str("Company"), str("Changed"));
        const auto leave = [&] {
            switch (way) {
            case 0:
                t.next();
                break;
            case 1:
                t.prior();
                break;
            case 2:
                t.first();
                break;
            case 3:
                t.last();
                break;
            case 4:
                t.findNearestText(str("c"));
                break;
            case 5:
                t.setRangeText(str("a"), str("z"));
                break;
            case 6:
                t.setIndexName(str("idxCompany"));
                break;
            case 7:
                t.insert();
                break;
            default:
                t.moveToRow(0);
                break;
            }
        };
        leave();
        QCOMPARE(t.state(), way == 7 ? TableState::Insert : TableState::Browse);
        dm.reset(); // closing discards only what is still pending
        AddressBookTables reopened(dir.session());
        reopened.tbNames->findNearestText(str("bravo"));
        QCOMPARE(reopened.tbNames->asText(str("Company")), str("Changed"));
        QCOMPARE(reopened.tbNames->recordCount(), 3);
    }

    void anUnchangedNewRecordIsDroppedWhenLeft()
    {
        test::ProgramDirectory dir;
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        addContact(t, str("a"), str("Alpha"));
        t.insert();
        QCOMPARE(t.rowCount(), 2);
        t.insert(); // a second New without typing leaves no trace of the first
        t.first();
        QCOMPARE(t.state(), TableState::Browse);
        QCOMPARE(t.recordCount(), 1);
        QCOMPARE(t.rowCount(), 1);
    }

    void cancelAbandonsThePendingRecord()
    {
        test::ProgramDirectory dir;
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        addContact(t, str("a"), str("Alpha"), str("Old"));
        addContact(t, str("b"), str("Bravo"));
        t.first();
        t.edit();
        t.setValue(str("Company"), str("New"));
        t.setValue(str("LastName"), str("Zulu"));
        t.cancel();
        QCOMPARE(t.asText(str("Company")), str("Old"));
        QCOMPARE(t.asText(str("LastName")), str("Alpha"));

        t.last();
        t.insert();
        t.setValue(str("LastName"), str("Yankee"));
        t.cancel(); // back on the record that was current
        QCOMPARE(t.asText(str("LastName")), str("Bravo"));
        QCOMPARE(t.recordCount(), 2);
    }

    void closingDiscardsAPendingChange()
    {
        test::ProgramDirectory dir;
        {
            AddressBookTables dm(dir.session());
            addContact(*dm.tbNames, str("a"), str("Alpha"));
            dm.tbNames->edit();
            dm.tbNames->setValue(str("LastName"), str("Lost"));
            dm.tbNames->insert();
            dm.tbNames->setValue(str("LastName"), str("Typed"));
        }
        AddressBookTables dm(dir.session());
        QCOMPARE(column(*dm.tbNames, "LastName"), QStringList({"Lost"}));
    }

    void aPostedRecordTakesItsPlaceInTheOrder()
    {
        test::ProgramDirectory dir;
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        QSignalSpy resets(&t, &Table::rowsReset);
        for (const char* last : {"Delta", "Alpha", "Charlie"})
            addContact(t, str("x"), str(last));
        QCOMPARE(t.asText(str("LastName")), str("Charlie"));
        QCOMPARE(t.currentRow(), 1);
        t.first();
        t.edit();
        t.setValue(str("LastName"), str("Echo"));
        t.post();
        QCOMPARE(column(t, "LastName"), QStringList({"Charlie", "Delta", "Echo"}));
        QCOMPARE(t.currentRow(), 2);
        QVERIFY(!resets.isEmpty());

        // Under a range, a record posted outside it is stored but leaves the view.
        t.setRangeText(str("c"), str("dz"));
        t.insert();
        t.setValue(str("LastName"), str("Zulu"));
        t.post();
        QCOMPARE(column(t, "LastName"), QStringList({"Charlie", "Delta"}));
        t.cancelRange();
        QCOMPARE(t.recordCount(), 4);
    }

    void deleteMovesToTheNextOrPreviousRecord()
    {
        test::ProgramDirectory dir;
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        try {
            t.deleteRecord();
            QFAIL("deleting from an empty table must fail");
        } catch (const Error& e) {
            QCOMPARE(
                e.text(),
                str("Table \"QYName2.DB\": Cannot perform this operation on an empty dataset"));
        }
        for (const char* last : {"A", "B", "C"})
            addContact(t, str("x"), str(last));
        t.findNearestText(str("b"));
        t.deleteRecord();
        QCOMPARE(t.asText(str("LastName")), str("C"));
        t.deleteRecord();
        QCOMPARE(t.asText(str("LastName")), str("A"));

        t.insert(); // deleting a new record abandons it
        t.setValue(str("LastName"), str("New"));
        t.deleteRecord();
        QCOMPARE(t.state(), TableState::Browse);
        QCOMPARE(column(t, "LastName"), QStringList({"A"}));
    }

    void keysAreNeverReused()
    {
        test::ProgramDirectory dir;
        UserDefinedTables dm(dir.session());
        Table& t = *dm.tbUserDefined;
        QList<qint64> keys;
        for (const char* label : {"first", "second", "third"}) {
            t.insert();
            t.setValue(str("Label1"), str(label));
            t.post();
            keys << t.value(str("Count")).toLongLong();
        }
        t.last();
        t.deleteRecord();
        t.insert();
        t.setValue(str("Label1"), str("fourth"));
        t.post();
        QVERIFY(t.value(str("Count")).toLongLong() > keys.last());
        // Opened without an index the table lists records in the order they were created.
        QCOMPARE(column(t, "Label1"), QStringList({"first", "second", "fourth"}));
    }

    void scanningToTheEndVisitsEveryRecordOnce()
    {
        test::ProgramDirectory dir;
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        t.first();
        QVERIFY(t.eof() && t.bof());
        for (const char* last : {"B", "A", "C"})
            addContact(t, str("x"), str(last));
        QStringList seen;
        for (t.first(); !t.eof(); t.next())
            seen << t.asText(str("LastName"));
        QCOMPARE(seen, QStringList({"A", "B", "C"}));
        QCOMPARE(t.asText(str("LastName")), str("C"));
        for (t.last(); !t.bof(); t.prior())
            seen.removeOne(t.asText(str("LastName")));
        QVERIFY(seen.isEmpty());
    }

    // Every field of every record reads its own record's value, whatever its kind, going forward
    // or back through blocks of records, and after an edit posted from the middle of a block.
    void everyFieldReadsItsOwnRecordsValue()
    {
        test::ProgramDirectory dir;
        const QString path = dir.filePath(str("Data/QYName2.DB"));
        QList<QStringList> rows;
        for (int i = 0; i < 300; ++i)
            rows << QStringList{QStringLiteral("f%1").arg(i),
                                QStringLiteral("L%1").arg(i, 3, 10, QLatin1Char('0')),
                                i % 3 ? QStringLiteral("Café %1").arg(i) : QString(),
                                i % 2 ? QStringLiteral("memo %1\nsecond line").arg(i) : QString()};
        store(path, {"FirstName", "LastName", "Company", "MeMemoData1"}, rows);
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        const auto shown = [&] {
            return QStringList{t.value(str("NameCode")).typeName(),
                               t.asText(str("NameCode")),
                               t.asText(str("FirstName")),
                               t.asText(str("FirstLastCompany")),
                               t.isNull(str("Company")) ? str("null") : t.asText(str("Company")),
                               t.asText(str("MeMemoData1"))};
        };
        const auto expected = [](int i) {
            return QStringList{"qlonglong",
                               QString::number(i + 1),
                               QStringLiteral("f%1").arg(i),
                               QStringLiteral("f%1 L%2").arg(i).arg(i, 3, 10, QLatin1Char('0')),
                               i % 3 ? QStringLiteral("Café %1").arg(i) : str("null"),
                               i % 2 ? QStringLiteral("memo %1\nsecond line").arg(i) : QString()};
        };
        int i = 0;
        for (t.first(); !t.eof(); t.next(), ++i)
            QCOMPARE(shown(), expected(i));
        QCOMPARE(i, 300);
        for (t.moveToRow(299); !t.bof(); t.prior())
            QCOMPARE(shown(), expected(--i));
        QCOMPARE(i, 0);

        t.moveToRow(130);
        t.edit();
        t.setValue(str("Company"), QVariant());
        t.setValue(str("FirstName"), str("edited"));
        t.post();
        t.next();
        t.prior();
        QCOMPARE(shown(),
                 QStringList({"qlonglong", "131", "edited", "edited L130", "null", QString()}));
        t.prior();
        QCOMPARE(shown(), expected(129));
    }

    void anotherWriterIsSeenOnTheNextMove()
    {
        test::ProgramDirectory dir;
        AddressBookTables first(dir.session());
        AddressBookTables second(dir.session());
        addContact(*first.tbNames, str("a"), str("Alpha"));
        QCOMPARE(second.tbNames->recordCount(), 0);
        second.tbNames->first();
        QCOMPARE(second.tbNames->recordCount(), 1);
        QCOMPARE(second.tbNames->asText(str("LastName")), str("Alpha"));

        // Cancelling a range brings back the whole order as it is now, not as it was.
        second.tbNames->setRangeText(str("alpha"), str("alpha"));
        addContact(*first.tbNames, str("b"), str("Bravo"));
        second.tbNames->cancelRange();
        QCOMPARE(second.tbNames->recordCount(), 2);
        QCOMPARE(second.tbNames->asText(str("LastName")), str("Alpha"));
    }

    // Another program drops a part of what keeps the record count while a window shows the
    // table: the window shows the right number, its next write lays the part again and counts the
    // records, and every write after it is counted, whoever makes it.
    void aCountPartDroppedByAnotherProgramIsLaidAgain_data()
    {
        QTest::addColumn<QByteArray>("drop");
        QTest::addColumn<int>("held");
        QTest::newRow("the count") << QByteArray("DROP TABLE tally") << 1;
        QTest::newRow("its insert trigger, then a record")
            << QByteArray("DROP TRIGGER tally_insert; "
                          "INSERT INTO records(FirstName) VALUES ('b')")
            << 2;
        QTest::newRow("a key guard") << QByteArray("DROP TRIGGER tally_key_above_zero") << 1;
    }

    void aCountPartDroppedByAnotherProgramIsLaidAgain()
    {
        QFETCH(QByteArray, drop);
        QFETCH(int, held);
        test::ProgramDirectory dir;
        const QString path = dir.filePath(str("Data/QYName2.DB"));
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        addContact(t, str("a"), str("Alpha"));
        sql::Database(path, sql::OpenMode::ReadWrite).exec(drop.constData());
        t.setIndexName(str("idxFirstName"));
        QCOMPARE(t.recordCount(), held);
        // A new record typed, and stored by the next new one.
        t.insert();
        t.setValue(str("FirstName"), str("c"));
        t.insert();
        t.cancel();
        QCOMPARE(t.recordCount(), held + 1);
        store(path, {"FirstName"}, {{str("d")}});
        QCOMPARE(test::failureText([&] {
                     sql::Database(path, sql::OpenMode::ReadWrite)
                         .exec("INSERT INTO records(NameCode) VALUES (-1)");
                 }),
                 str("a record key must be 1 or more"));
        QCOMPARE(test::keptAndHeldRecords(path), std::pair(qint64(held + 2), qint64(held + 2)));
    }

    // Two copies editing one record never overwrite each other: the later store is refused, its
    // values stay pending, and Cancel shows what the other copy stored.
    void aRecordChangedByAnotherProgramIsNotOverwritten()
    {
        test::ProgramDirectory dir;
        AddressBookTables first(dir.session());
        AddressBookTables second(dir.session());
        addContact(*first.tbNames, str("Ann"), str("Alpha"));
        addContact(*first.tbNames, str("Bob"), str("Bravo"));
        Table& mine = *first.tbNames;
        Table& theirs = *second.tbNames;
        mine.first();
        theirs.first();
        mine.edit();
        mine.setValue(str("FirstName"), str("Anna"));
        theirs.edit();
        theirs.setValue(str("Company"), str("Acme"));
        theirs.post();
        QCOMPARE(test::failureText([&] { mine.post(); }),
                 str("Could not store the record \"Alpha, Anna\" in table \"QYName2.DB\": it was "
                     "changed by another program"));
        QCOMPARE(mine.state(), TableState::Edit);
        QCOMPARE(mine.asText(str("FirstName")), str("Anna"));
        mine.cancel();
        QCOMPARE(mine.asText(str("FirstName")), str("Ann"));
        QCOMPARE(mine.asText(str("Company")), str("Acme"));

        // A write to another record does not stand in the way.
        mine.edit();
        mine.setValue(str("FirstName"), str("Anna"));
        theirs.last();
        theirs.edit();
        theirs.setValue(str("Company"), str("Beta"));
        theirs.post();
        mine.post();
        theirs.first();
        QCOMPARE(theirs.asText(str("FirstName")), str("Anna"));

        // A change stored before this copy began typing, which it never showed, is seen on the
        // field this copy types into too.
        theirs.edit();
        theirs.setValue(str("Company"), str("Delta"));
        theirs.post();
        mine.edit();
        mine.setValue(str("Company"), str("Gamma"));
        QCOMPARE(test::failureText([&] { mine.post(); }),
                 str("Could not store the record \"Alpha, Anna\" in table \"QYName2.DB\": it was "
                     "changed by another program"));
        mine.cancel();
        QCOMPARE(mine.asText(str("Company")), str("Delta"));
    }

    // A table opens with the beginning of its order read; the rest follows from the last key read,
    // wherever that falls among empty or equal keys.
    void theOrderReadOnAfterOpeningIsTheWholeOrder_data()
    {
        QTest::addColumn<int>("empty");
        QTest::addColumn<int>("equal");
        QTest::newRow("among equal keys") << 100 << 400;
        QTest::newRow("among empty keys") << 300 << 20;
    }

    void theOrderReadOnAfterOpeningIsTheWholeOrder()
    {
        QFETCH(int, empty);
        QFETCH(int, equal);
        test::ProgramDirectory dir;
        // Stored in a shuffled order: equal keys follow the order of entry, the others their key.
        QList<QStringList> rows;
        for (int i = 0; i < empty + equal + 50; ++i) {
            const QString last = i < empty ? QString()
                                 : i < empty + equal
                                     ? QStringList{"Smith", "SMITH", "smith"}[i % 3]
                                     : QStringLiteral("Zed%1").arg(i, 4, 10, QChar('0'));
            rows << QStringList{QStringLiteral("c%1").arg(i, 4, 10, QChar('0')), last};
        }
        std::shuffle(rows.begin(), rows.end(), std::mt19937(7));
        store(dir.filePath(str("Data/QYName2.DB")), {"FirstName", "LastName"}, rows);
        QStringList expected;
        for (const char* group : {"", "smith"}) {
            for (const QStringList& row : rows) {
                if (row[1].toLower() == str(group))
                    expected << row[0];
            }
        }
        QStringList distinct;
        for (const QStringList& row : rows) {
            if (row[1].startsWith(str("Zed")))
                distinct << row[1];
        }
        distinct.sort();
        for (const QString& last : distinct)
            expected << str("c") + last.mid(3);

        QCOMPARE(scanned(*AddressBookTables(dir.session()).tbNames, "FirstName"), expected);
        QCOMPARE(AddressBookTables(dir.session()).tbNames->recordCount(), int(expected.size()));
        {
            AddressBookTables dm(dir.session());
            dm.tbNames->last();
            QCOMPARE(dm.tbNames->asText(str("FirstName")), expected.last());
        }
        {
            AddressBookTables dm(dir.session());
            dm.tbNames->moveToRow(300);
            QCOMPARE(dm.tbNames->asText(str("FirstName")), expected[300]);
            dm.tbNames->findNearestText(str("ZED"));
            QCOMPARE(dm.tbNames->currentRow(), empty + equal);
        }

        // Records another program stores before the rest is read are all there at the next move.
        AddressBookTables dm(dir.session());
        store(dir.filePath(str("Data/QYName2.DB")), {"FirstName", "LastName"},
              {{"first", ""}, {"last", "Zzz"}});
        QVERIFY(dm.tbNames->recordCount() >= int(expected.size()));
        dm.tbNames->next();
        QCOMPARE(dm.tbNames->recordCount(), int(expected.size()) + 2);
        expected.insert(empty, str("first"));
        expected << str("last");
        QCOMPARE(scanned(*dm.tbNames, "FirstName"), expected);
    }

    void thePrimaryOrderReadOnAfterOpeningIsTheWholeOrder()
    {
        test::ProgramDirectory dir;
        QList<QStringList> rows;
        QStringList expected;
        for (int i = 0; i < 300; ++i) {
            rows << QStringList{QString::number(i)};
            expected << QString::number(i);
        }
        store(dir.filePath(str("Data/UserDa.db")), {"Label1"}, rows);
        {
            // The count before the rest is read follows posts and deletes.
            UserDefinedTables dm(dir.session());
            Table& t = *dm.tbUserDefined;
            QCOMPARE(t.recordCount(), 300);
            t.insert();
            t.setValue(str("Label1"), str("new"));
            t.post();
            QCOMPARE(t.recordCount(), 301);
            UserDefinedTables other(dir.session());
            other.tbUserDefined->deleteRecord();
            other.tbUserDefined->deleteRecord();
            QCOMPARE(other.tbUserDefined->recordCount(), 299);
            QCOMPARE(other.tbUserDefined->asText(str("Label1")), str("2"));
        }
        expected.removeFirst();
        expected.removeFirst();
        expected << str("new");
        UserDefinedTables dm(dir.session());
        QCOMPARE(scanned(*dm.tbUserDefined, "Label1"), expected);
    }

    // Jumps, searches, steps, ranges, order changes and writes, ours and another program's, over
    // an order many times longer than what is read at once, in a file an earlier build wrote:
    // every position shows the record a full sort puts there, and the number of records the file
    // keeps is the number it holds.
    void theOrderStaysExactThroughJumpsAndWrites()
    {
        test::ProgramDirectory dir;
        const QString path = dir.filePath(str("Data/QYName2.DB"));
        OrderWalk walk(path);
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        QCOMPARE(scanned(t, "FirstName"), walk.order());
        for (int step = 0; step < 400; ++step) {
            walk.takeStep(t);
            if (QTest::currentTestFailed())
                return;
            const QStringList expected = walk.order();
            const QString what = QStringLiteral("step %1").arg(step);
            QVERIFY2(t.recordCount() == expected.size(), qPrintable(what));
            const auto held = qint64(walk.model.size());
            QVERIFY2(test::keptAndHeldRecords(path) == std::pair(held, held), qPrintable(what));
            if (expected.isEmpty()) {
                QVERIFY2(t.isEmpty(), qPrintable(what));
                continue;
            }
            if (walk.row >= 0)
                QVERIFY2(t.currentRow() == walk.row, qPrintable(what));
            QVERIFY2(t.asText(str("FirstName")) == expected.value(t.currentRow()),
                     qPrintable(what));
            for (int i = 0; i < 3; ++i) {
                const int probe = walk.pick(expected.size());
                QVERIFY2(t.recordAt(probe).text(str("FirstName")) == expected[probe],
                         qPrintable(what));
            }
        }
        QCOMPARE(scanned(t, "FirstName"), walk.order());
    }

    // Rows read before the table looks at the file again keep the order as it was read, across
    // runs of equal keys longer than what is read at once, and show each record as the file
    // holds it now: one another program deleted as empty values, one it changed as changed, and
    // one pushed along by a record it added as it is. Looking again shows the order as it is.
    void rowsReadBeforeLookingAgainShowTheRecordsAsTheyAreNow()
    {
        test::ProgramDirectory dir;
        const QString path = dir.filePath(str("Data/QYName2.DB"));
        QList<QStringList> rows;
        for (int i = 0; i < 600; ++i)
            rows << QStringList{QStringLiteral("c%1").arg(i),
                                QStringList{"Baker", "Able", "Cole"}[i % 3]};
        store(path, {"FirstName", "LastName"}, rows);
        const auto everyThird = [](int from) {
            QStringList names;
            for (int i = from; i < 600; i += 3)
                names << QStringLiteral("c%1").arg(i);
            return names;
        };
        const QStringList able = everyThird(1);
        QStringList baker = everyThird(0);
        QStringList cole = everyThird(2);
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        QCOMPARE(column(t, "FirstName"), able + baker + cole);

        sql::Database other(path, sql::OpenMode::ReadWrite);
        other.exec("DELETE FROM records WHERE FirstName = 'c300'");
        other.exec("UPDATE records SET FirstName = 'renamed' WHERE FirstName = 'c2'");
        other.exec("INSERT INTO records(FirstName, LastName) VALUES ('added', 'Able')");
        QStringList shown = able + baker + cole;
        QCOMPARE(shown[255], str("c165"));
        shown[300] = QString();
        shown[400] = str("renamed");
        QCOMPARE(column(t, "FirstName"), shown);

        t.refresh();
        baker.removeOne(str("c300"));
        cole[0] = str("renamed");
        QCOMPARE(column(t, "FirstName"), able + QStringList{"added"} + baker + cole);
    }

    // Another order, or the whole order after a range, shows every write made since it was
    // last shown, ours and another program's.
    void anOrderShownAgainShowsEveryWriteSince()
    {
        test::ProgramDirectory dir;
        AddressBookTables first(dir.session());
        AddressBookTables second(dir.session());
        Table& t = *second.tbNames;
        addContact(*first.tbNames, str("b"), str("Baker"));
        addContact(*first.tbNames, str("a"), str("Able"));
        t.setIndexName(str("idxFirstName"));
        t.setIndexName(str("idxLastName"));
        QCOMPARE(t.recordCount(), 2);

        addContact(*first.tbNames, str("c"), str("Charlie"));
        t.setIndexName(str("idxFirstName"));
        t.setIndexName(str("idxLastName"));
        QCOMPARE(column(t, "LastName"), QStringList({"Able", "Baker", "Charlie"}));

        addContact(t, str("d"), str("Delta")); // its own post, which the file's version misses
        t.setIndexName(str("idxFirstName"));
        QCOMPARE(column(t, "FirstName"), QStringList({"a", "b", "c", "d"}));
        t.setIndexName(str("idxLastName"));
        t.setRangeText(str("b"), str("d"));
        t.deleteRecord();
        t.cancelRange();
        QCOMPARE(column(t, "LastName"), QStringList({"Able", "Charlie", "Delta"}));
        QCOMPARE(t.asText(str("LastName")), str("Charlie"));
    }

    // A store or a delete that the engine refuses names what failed, the record and the table's
    // file, and keeps the engine's text; the record stays as typed, and is stored once the engine
    // works again.
    void aFailedStoreOrDeleteNamesTheRecord_data()
    {
        QTest::addColumn<bool>("toDo");
        QTest::addColumn<QStringList>("stored"); // field, text, …: a record stored before
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("typed"); // field, text, …: typed before the store
        QTest::addColumn<QString>("expected");
        const QStringList john{"FirstName", "John", "LastName", "Smith"};
        QTest::newRow("an edited contact")
            << false << john << "edit" << QStringList{"FirstName", "Johnny"}
            << "Could not store the record \"Smith, Johnny\" in table \"QYName2.DB\": disk I/O "
               "error";
        QTest::newRow("a new contact")
            << false << QStringList() << "insert" << QStringList{"LastName", "Doe"}
            << R"(Could not store the record "Doe" in table "QYName2.DB": disk I/O error)";
        QTest::newRow("a contact without a name")
            << false << QStringList{"Company", "Acme"} << "edit"
            << QStringList{"Company", "Acme Inc"}
            << "Could not store the record with the key 1 in table \"QYName2.DB\": disk I/O error";
        QTest::newRow("a new contact without a name")
            << false << QStringList() << "insert" << QStringList{"Company", "Acme"}
            << "Could not store the new record in table \"QYName2.DB\": disk I/O error";
        QTest::newRow("a deleted contact")
            << false << john << "delete" << QStringList()
            << "Could not delete the record \"Smith, John\" from table \"QYName2.DB\": disk I/O "
               "error";
        QTest::newRow("a to-do, named by its date")
            << true << QStringList{"ToDoByDate", "6/1/1999", "ToDoMemo", "Call"} << "edit"
            << QStringList{"ToDoMemo", "Call back"}
            << R"(Could not store the record "6/1/1999" in table "ToDo2.db": disk I/O error)";
        QTest::newRow("a deleted to-do without a date")
            << true << QStringList{"ToDoMemo", "Call"} << "delete" << QStringList()
            << "Could not delete the record with the key 1 from table \"ToDo2.db\": disk I/O error";
    }

    void aFailedStoreOrDeleteNamesTheRecord()
    {
        QFETCH(bool, toDo);
        QFETCH(QStringList, stored);
        QFETCH(QString, operation);
        QFETCH(QStringList, typed);
        QFETCH(QString, expected);
        test::ProgramDirectory dir;
        AddressBookTables names(dir.session());
        ToDoTables toDos(dir.session());
        Table& t = toDo ? *toDos.tbTodo : *names.tbNames;
        const auto set = [&t](const QStringList& values) {
            for (qsizetype i = 0; i + 1 < values.size(); i += 2)
                t.setAsText(values[i], values[i + 1]);
        };
        if (!stored.isEmpty()) {
            t.insert();
            set(stored);
            t.post();
        }
        if (operation == str("insert"))
            t.insert();
        else if (operation == str("edit"))
            t.edit();
        set(typed);
        bool failing = true;
        sql::setFaultHook([&failing](const std::source_location&) { return failing; });
        const auto noFaults = qScopeGuard([] { sql::setFaultHook({}); });
        const auto act = [&] { operation == str("delete") ? t.deleteRecord() : t.post(); };
        QCOMPARE(test::failureText(act), expected);
        failing = false;
        if (operation == str("delete")) {
            QCOMPARE(t.recordCount(), 1);
        } else {
            QCOMPARE(t.state(), operation == str("edit") ? TableState::Edit : TableState::Insert);
            QCOMPARE(t.asText(typed[0]), typed[1]);
        }
        act();
        QCOMPARE(t.state(), TableState::Browse);
        QCOMPARE(t.recordCount(), operation == str("delete") ? 0 : 1);
        if (operation != str("delete"))
            QCOMPARE(t.asText(typed[0]), typed[1]);
    }

    // A statement run stands on the file only while it runs: whichever way a run ends, the file
    // is free for another program and the values bound are gone for the next run.
    void aStatementLetsGoOfTheFileAndOfItsValues()
    {
        test::ProgramDirectory dir;
        {
            AddressBookTables dm(dir.session());
            addContact(*dm.tbNames, str("Ann"), str("Alpha"));
            addContact(*dm.tbNames, str("Bob"), str("Bravo"));
        }
        const QString path = QDir(dir.dataPath()).filePath(str("QYName2.DB"));
        const auto anotherProgramWrites = [&path] {
            sql::Database(path, sql::OpenMode::ReadWrite, 0)
                .exec("UPDATE records SET Company = 'Acme'");
        };
        sql::Database db(path, sql::OpenMode::ReadWrite);
        sql::Statement rows(db, "SELECT rowid FROM records ORDER BY rowid");
        {
            const sql::Statement::Use use(rows);
            QVERIFY(rows.step());
            QVERIFY_THROWS_EXCEPTION(sql::BusyError, anotherProgramWrites());
        }
        anotherProgramWrites();
        // A run that reaches the end lets go by itself.
        QVERIFY(rows.step());
        QVERIFY(rows.step());
        QVERIFY(!rows.step());
        anotherProgramWrites();

        sql::Statement empty(db, "SELECT ?1 IS NULL, ?2 IS NULL");
        try {
            const sql::Statement::Use use(empty);
            empty.bindInt(1, 7);
            empty.bindInt(3, 7);
            QFAIL("a value for a parameter the statement does not have must be refused");
        } catch (const Error& e) {
            QCOMPARE(e.text(), str("column index out of range"));
        }
        const sql::Statement::Use use(empty);
        empty.bindInt(2, 7);
        QVERIFY(empty.step());
        QCOMPARE(empty.columnInt(0), 1);
        QCOMPARE(empty.columnInt(1), 0);
    }

    // A folder finds a table's file whatever the letter case of its name, lays out only the
    // tables it lacks, and tells the fields of a file without trusting it.
    void aFolderFindsItsTablesAndLaysOutTheMissingOnes()
    {
        test::ProgramDirectory dir;
        const QString folder = QDir(dir.dataPath()).filePath(str("Other"));
        QVERIFY(QDir().mkpath(folder));
        const TableDirectory tables(folder);
        QVERIFY(QDir(folder).mkdir(str("Journal2.DB")));
        QVERIFY(!tables.holds(str("Journal2.DB"))); // a folder of a table's name is no table
        QVERIFY(QDir(folder).rmdir(str("Journal2.DB")));
        tables.create(catalogue::toDo(), str("secret1"));
        QVERIFY(QFile::rename(QDir(folder).filePath(str("ToDo2.db")),
                              QDir(folder).filePath(str("TODO2.DB"))));
        QCOMPARE(tables.fileOf(str("todo2.db")), QDir(folder).filePath(str("TODO2.DB")));
        QCOMPARE(test::failureText([&] { tables.create(catalogue::toDo(), str("secret1")); }),
                 str("Cannot create table \"ToDo2.db\": the file exists already in ") + folder +
                     u'.');

        tables.createMissingTables();
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
                 QStringList({"CollBk2.DB", "CollCD2.DB", "CollCDR2.DB", "CollTp2.DB",
                              "Journal2.DB", "QYName2.DB", "TODO2.DB", "UserDa.db"}));

        QVERIFY(tables.storedFields(dir.session(), str("Nothing.DB")).isEmpty());
        QVERIFY_THROWS_EXCEPTION(PasswordError,
                                 tables.storedFields(dir.session(), str("ToDo2.db")));
        dir.session().addPassword(str("secret1"));
        QCOMPARE(tables.storedFields(dir.session(), str("ToDo2.db")),
                 QSet<QString>({"todocode", "todobydate", "todomemo", "extrafield"}));
    }

    void valuesKeepTheirTypes()
    {
        test::ProgramDirectory dir;
        ToDoTables dm(dir.session());
        Table& t = *dm.tbTodo;
        try {
            t.setValue(str("ToDoMemo"), str("x"));
            QFAIL("browsing must refuse a change");
        } catch (const Error& e) {
            QCOMPARE(e.text(), str("Table \"ToDo2.db\": Dataset not in edit or insert mode"));
        }
        t.insert();
        t.setAsText(str("ToDoByDate"), str("6/1/1999"));
        t.setValue(str("ToDoMemo"), str("line one\nline two\ttabbed"));
        t.post();
        t.insert();
        t.setValue(str("ToDoMemo"), str("no date"));
        t.post();
        QCOMPARE(column(t, "ToDoMemo"),
                 QStringList({"no date", "line one\nline two\ttabbed"})); // empty dates first
        t.last();
        QCOMPARE(t.asDate(str("ToDoByDate")), QDate(1999, 6, 1));
        QCOMPARE(t.asText(str("ToDoByDate")), str("6/1/1999"));
        t.findNearestText(str("5/31/1999"));
        QCOMPARE(t.asDate(str("ToDoByDate")), QDate(1999, 6, 1));
        try {
            t.findNearestText(str("soon"));
            QFAIL("a search text that is no date must fail");
        } catch (const Error& e) {
            QVERIFY(e.text().startsWith(str("'soon' is not a valid date (month/day/year")));
        }
        try {
            t.value(str("Nothing"));
            QFAIL("an unknown field must fail");
        } catch (const Error& e) {
            QCOMPARE(e.text(), str("Table \"ToDo2.db\": Field 'Nothing' not found"));
        }
    }
};

QL_TEST_CLASS(TableTest)
#include "tst_table.moc"
