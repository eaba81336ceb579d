#include "aboutbox.h"
#include "catalogue.h"
#include "dbcontrols.h"
#include "holders.h"
#include "keys.h"
#include "mainmenu.h"
#include "modulefixture.h"
#include "pdaform.h"
#include "radiogroup.h"
#include "realservices.h"
#include "scripted.h"
#include "settings.h"
#include "sqlite.h"
#include "startup.h"
#include "testenv.h"
#include "testmain.h"
#include "wrenxform.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <random>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// The fields the tools compare, in the order a row of values lists them.
const QStringList kFields = {
    str("FirstName"),  str("LastName"), str("AdAddress1"), str("AdAddress2"), str("AdAddress3"),
    str("AdAddress4"), str("AdCity1"),  str("AdCity2"),    str("AdState1"),   str("AdState2"),
    str("AdZip1"),     str("AdZip2"),   str("Company"),    str("Category"),   str("Group")};
using Row = QStringList;

Row person(const char* first, const char* last, const char* company = "", const char* category = "",
           const char* group = "")
{
    Row row(kFields.size());
    row[0] = str(first);
    row[1] = str(last);
    row[12] = str(company);
    row[13] = str(category);
    row[14] = str(group);
    return row;
}

// Replaces the book's records with these, keyed 1, 2, … in the order given.
void fill(const QString& path, const QList<Row>& rows)
{
    sql::Database db(path, sql::OpenMode::ReadWrite);
    QByteArray columns = "NameCode";
    QByteArray parameters = "?1";
    for (int i = 0; i < kFields.size(); ++i) {
        columns += ", " + sql::quoted(kFields[i]);
        parameters += ", ?" + QByteArray::number(i + 2);
    }
    sql::Transaction tx(db);
    db.exec("DELETE FROM records");
    sql::Statement st(db, "INSERT INTO records(" + columns + ") VALUES (" + parameters + ")");
    for (int r = 0; r < rows.size(); ++r) {
        st.bindInt(1, r + 1);
        for (int i = 0; i < kFields.size(); ++i) {
            if (rows[r][i].isEmpty())
                st.bindNull(i + 2);
            else
                st.bindText(i + 2, rows[r][i].toUtf8());
        }
        st.step();
        st.reset();
    }
    tx.commit();
}

QList<qint64> keysIn(const QString& path)
{
    sql::Database db(path, sql::OpenMode::ReadWrite);
    sql::Statement st(db, "SELECT NameCode FROM records ORDER BY NameCode");
    QList<qint64> keys;
    while (st.step())
        keys << st.columnInt(0);
    return keys;
}

// The file's change counter: one more for every transaction that changed the file.
quint32 changeCounter(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray header = file.read(28);
    return quint32(quint8(header[24])) << 24 | quint32(quint8(header[25])) << 16 |
           quint32(quint8(header[26])) << 8 | quint32(quint8(header[27]));
}

// A started program (with the address book's own holder) and the tools window over its book.
struct Fixture {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    std::unique_ptr<Program> program = std::make_unique<Program>(dir.path());
    std::unique_ptr<TWrenxForm> window;

    explicit Fixture(const QList<Row>& rows)
    {
        fill(path(), rows);
        window = std::make_unique<TWrenxForm>();
        window->show();
    }
    QString path() const { return dir.filePath(str("Data/QYName2.DB")); }
    QList<qint64> kept() const { return keysIn(path()); }
    QStringList messages() const { return services.prompts->messages; }
    QStringList questions() const { return services.prompts->questions; }
    QString identical() const { return window->Label1->text(); }
    QString total() const { return window->Label2->text(); }
    QString deleted() const { return window->Label4->text(); }

    // A compactor run under a criterion (-1 for none), answering its question with `answer`.
    void compact(int criterion, bool deleting, bool answer = true)
    {
        QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
        if (criterion >= 0)
            window->RadioGroup1->button(criterion)->click();
        window->CheckBox1->setChecked(deleting);
        services.prompts->confirmations.enqueue(answer);
        QTest::mouseClick(window->Button1, Qt::LeftButton);
        services.prompts->confirmations.clear();
    }
    void bulkDelete(int field, const QString& value, bool answer = true)
    {
        QTest::mouseClick(window->BitBtn2, Qt::LeftButton);
        if (field >= 0)
            window->RadioGroup2->button(field)->click();
        window->Edit1->setText(value);
        services.prompts->confirmations.enqueue(answer);
        QTest::mouseClick(window->Button2, Qt::LeftButton);
        services.prompts->confirmations.clear();
    }
};

QString identicalText(int count)
{
    return str("Number of identical records ") + QString::number(count);
}
QString totalText(int count)
{
    return str("Total number of records ") + QString::number(count);
}
QString deletedText(int count)
{
    return str("Total number of records deleted: ") + QString::number(count);
}

// ---- the tools' rules, written out pass by pass as the reference for the window's runs

struct Rule {
    const char* index;
    QStringList fields;
    bool emptyNeverIdentical;
};
const Rule kRules[5] = {
    {"idxLastName", kFields.mid(0, 2), false}, {"idxLastName", kFields.mid(0, 12), false},
    {"idxCompany", {str("Company")}, true},    {"idxCategory", {str("Category")}, true},
    {"idxGroup", {str("Group")}, true},
};
const char* const kBulkFields[5][2] = {{"FirstName", "idxFirstName"},
                                       {"LastName", "idxLastName"},
                                       {"Company", "idxCompany"},
                                       {"Category", "idxCategory"},
                                       {"Group", "idxGroup"}};

struct Record {
    qint64 key;
    QStringList values;
};

// The records in an index's order, read one by one through a cursor.
std::vector<Record> readOrder(Table& t, const char* index, const QStringList& fields)
{
    t.setIndexName(str(index));
    std::vector<Record> order;
    for (t.first(); !t.eof(); t.next()) {
        Record r{t.value(str("NameCode")).toLongLong(), {}};
        for (const QString& field : fields)
            r.values << t.asText(field);
        order.push_back(r);
    }
    return order;
}

struct Outcome {
    QString identical;
    QString total;
    QList<qint64> kept;
};

QList<qint64> sortedKeys(const std::vector<Record>& order)
{
    QList<qint64> keys;
    for (const Record& r : order)
        keys << r.key;
    std::sort(keys.begin(), keys.end());
    return keys;
}

// Every pass, literally: a base, then a scan over every record after it.
Outcome literalCompact(Table& t, int criterion, bool deleting, const QString& unchanged)
{
    const Rule& rule = kRules[criterion];
    std::vector<Record> order = readOrder(t, rule.index, rule.fields);
    if (order.empty())
        return {unchanged, unchanged, {}};
    t.findNearestText(str("AAAA"));
    const auto identical = [&](const Record& a, const Record& b) {
        return a.values == b.values && !(rule.emptyNeverIdentical && a.values[0].isEmpty());
    };
    int count = 0;
    for (size_t k = 1;; ++k) {
        const size_t base = k == 1 ? size_t(t.currentRow()) : k - 1;
        if (base >= order.size())
            return {identicalText(deleting ? 0 : count), totalText(int(k - 1)), sortedKeys(order)};
        const Record remembered = order[base];
        size_t at = base + 1;
        for (size_t s = 1; at < order.size(); ++s) {
            if (identical(order[at], remembered)) {
                if (s == 1)
                    ++count;
                if (deleting) {
                    order.erase(order.begin() + qsizetype(at));
                    continue;
                }
            }
            ++at;
        }
    }
}

// From the first record at or after "aaaa" to the end, deleting each exact match.
QList<qint64> literalBulkDelete(Table& t, int field, const QString& value, int& deleted)
{
    std::vector<Record> order = readOrder(t, kBulkFields[field][1], {str(kBulkFields[field][0])});
    const sql::KeyCollator collator;
    size_t at = 0;
    while (at < order.size() && collator.compare(order[at].values[0].toUtf8(), "aaaa") < 0)
        ++at;
    deleted = 0;
    while (at < order.size()) {
        if (order[at].values[0] == value) {
            order.erase(order.begin() + qsizetype(at));
            ++deleted;
        } else {
            ++at;
        }
    }
    return sortedKeys(order);
}

// Books that bring out the rules' corners: equal keys in several letter cases, empty values,
// keys before "AAAA" and "aaaa", copies apart and together.
QList<Row> randomBook(std::mt19937& random)
{
    const QStringList names = {"",    "John", "john",  "JOHN",  "Anna", "2000",
                               "AAA", "aaaa", "Émile", "émile", " x"};
    const QStringList lasts = {"", "Smith", "smith", "SMITH", "Aaaa", "AAA", "2000", "Zed", "!"};
    const QStringList places = {"", "", "1 Main St", "1 main st"};
    const QStringList groups = {"", "Acme", "acme", "ACME", "9 Lives", "aaaa", "AAAA", "Beta"};
    const auto any = [&random](const QStringList& list) {
        return list[qsizetype(std::uniform_int_distribution<int>(0, int(list.size()) - 1)(random))];
    };
    QList<Row> book;
    const int size = std::uniform_int_distribution<int>(0, 24)(random);
    for (int i = 0; i < size; ++i) {
        if (!book.isEmpty() && random() % 4 == 0) {
            book << book[qsizetype(random() % book.size())];
            continue;
        }
        Row row(kFields.size());
        row[0] = any(names);
        row[1] = any(lasts);
        row[2] = any(places);
        row[6] = any(places);
        row[12] = any(groups);
        row[13] = any(groups);
        row[14] = any(groups);
        book << row;
    }
    return book;
}

} // namespace

class WrenxFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void identicalRecordsTogetherAreCountedOnceEachAndDeletedDownToOne()
    {
        Fixture f({person("John", "Smith"), person("John", "Smith"), person("John", "Smith"),
                   person("Mary", "Jones")});
        f.compact(0, false);
        QCOMPARE(f.identical(), identicalText(2));
        QCOMPARE(f.total(), totalText(4));
        QVERIFY(f.questions().isEmpty());
        QCOMPARE(f.kept(), QList<qint64>({1, 2, 3, 4}));

        const quint32 changes = changeCounter(f.path());
        f.compact(0, true);
        QCOMPARE(f.questions(), QStringList(str("Are you sure you want to delete identical "
                                                "records? \r Deleted entries cannot be "
                                                "recovered. \t")));
        QCOMPARE(f.kept(), QList<qint64>({1, 4}));
        QCOMPARE(f.identical(), identicalText(0));
        QCOMPARE(f.total(), totalText(2));
        QCOMPARE(changeCounter(f.path()), changes + 1); // one transaction for the run
        QVERIFY(f.messages().isEmpty());
    }

    void copiesApartAreNotCountedButDeleted()
    {
        Fixture f({person("John", "Smith"), person("Anna", "Smith"), person("John", "Smith"),
                   person("Zoe", "smith"), person("Zoe", "Smith")});
        f.compact(0, false);
        QCOMPARE(f.identical(), identicalText(0));
        f.compact(0, true);
        QCOMPARE(f.kept(), QList<qint64>({1, 2, 4, 5})); // smith and Smith differ
        QCOMPARE(f.total(), totalText(4));
    }

    void emptyValuesAreIdenticalOnlyUnderTheNames()
    {
        Fixture f({person("Al", "Bo"), person("", "", "", "", ""), person("", "", "", "", ""),
                   person("", ""), person("Cy", "Di")});
        for (const int criterion : {2, 3, 4}) {
            f.compact(criterion, false);
            QCOMPARE(f.identical(), identicalText(0));
            f.compact(criterion, true);
            QCOMPARE(f.kept().size(), 5);
        }
        // The empty names sort first. The very first record serves as a base in no pass but
        // the first, whose base is the first record at or after "AAAA": the second and third
        // empty names are counted, and of the three the first two are kept.
        f.compact(0, false);
        QCOMPARE(f.identical(), identicalText(1));
        f.compact(0, true);
        QCOMPARE(f.kept(), QList<qint64>({1, 2, 3, 5}));
        fill(f.path(), {person("", ""), person("", "")});
        f.compact(0, true);
        QCOMPARE(f.kept(), QList<qint64>({1, 2}));
        QCOMPARE(f.total(), totalText(2));
    }

    void decliningOrChoosingNothingTouchesNothing()
    {
        Fixture f({person("John", "Smith"), person("John", "Smith")});
        f.compact(-1, false);
        QCOMPARE(f.identical(), str("Number of identical records "));
        QCOMPARE(f.total(), str("Total number of records "));
        f.compact(0, true, false);
        QCOMPARE(f.messages(), QStringList(str("Compact Aborted")));
        QCOMPARE(f.kept(), QList<qint64>({1, 2}));
        QCOMPARE(f.identical(), str("Number of identical records "));
        fill(f.path(), {});
        f.compact(0, false);
        QCOMPARE(f.total(), str("Total number of records "));
    }

    void bulkDeleteAsksWithTheCountAndMatchesExactly()
    {
        Fixture f({person("John", "Smith"), person("Ann", "smith"), person("Bo", "SMITH"),
                   person("Cy", "Smith"), person("Di", "2000"), person("Ed", "2000")});
        f.bulkDelete(1, str("Smith"), false);
        QCOMPARE(f.questions(), QStringList(str("Delete 2 records whose last name is \"Smith\"? "
                                                "Deleted records cannot be recovered.")));
        QCOMPARE(f.kept().size(), 6);
        QCOMPARE(f.deleted(), str("Total number of records deleted: "));

        const quint32 changes = changeCounter(f.path());
        f.bulkDelete(1, str("Smith"));
        QCOMPARE(f.kept(), QList<qint64>({2, 3, 5, 6}));
        QCOMPARE(f.deleted(), deletedText(2));
        QCOMPARE(changeCounter(f.path()), changes + 1);

        f.bulkDelete(0, str("Ann"));
        QCOMPARE(f.questions().last(), str("Delete 1 record whose first name is \"Ann\"? "
                                           "Deleted records cannot be recovered."));
        QCOMPARE(f.kept(), QList<qint64>({3, 5, 6}));

        // Values sorting before "aaaa" are never examined; nothing to delete asks nothing.
        f.services.prompts->questions.clear();
        f.bulkDelete(1, str("2000"));
        QCOMPARE(f.deleted(), deletedText(0));
        fill(f.path(), {person("Di", "2000")});
        f.bulkDelete(1, str("2000"));
        QCOMPARE(f.kept(), QList<qint64>({1}));
        QVERIFY(f.questions().isEmpty());
        QVERIFY(f.messages().isEmpty());
    }

    void bulkDeleteNeedsAFieldAndAValue()
    {
        Fixture f({person("John", "Smith")});
        f.bulkDelete(-1, str("Smith"));
        QCOMPARE(f.deleted(), deletedText(0));
        f.bulkDelete(1, QString());
        QCOMPARE(f.messages(),
                 QStringList(str("You must first enter a name/company/category/etc.")));
        QCOMPARE(f.kept(), QList<qint64>({1}));
        QVERIFY(f.questions().isEmpty());
    }

    void aRunStoppedByTheTableKeepsWhatItDeleted()
    {
        Fixture f({person("A", "Smith"), person("B", "Smith"), person("Boom", "Smith"),
                   person("D", "Smith")});
        {
            sql::Database db(f.path(), sql::OpenMode::ReadWrite);
            db.exec("CREATE TRIGGER refuse BEFORE DELETE ON records WHEN old.FirstName = 'Boom' "
                    "BEGIN SELECT RAISE(ABORT, 'the disk refused'); END");
        }
        f.bulkDelete(1, str("Smith"));
        QCOMPARE(f.messages(),
                 QStringList(str("tbNames: the disk refused\n\nRecords deleted before the run "
                                 "stopped: 2")));
        QCOMPARE(f.kept(), QList<qint64>({3, 4}));
        QCOMPARE(f.deleted(), str("Total number of records deleted: "));
    }

    void theWindowRunsLikeTheRulesOnAnyBook()
    {
        Fixture f({});
        const QString unchanged = str("unchanged");
        std::mt19937 random(17);
        Table reference(catalogue::names(), str("tbReference"));
        reference.setDatabaseName(QString::fromLatin1(catalogue::databaseName));
        for (int book = 0; book < 40; ++book) {
            const QList<Row> rows = randomBook(random);
            fill(f.path(), rows);
            reference.open();
            std::vector<std::pair<int, QString>> bulks;
            for (int i = 0; i < 3; ++i)
                bulks.emplace_back(int(random() % 5), rows.isEmpty()
                                                          ? str("Smith")
                                                          : rows[qsizetype(random() % rows.size())]
                                                                [qsizetype(random() % 2 ? 1 : 12)]);
            std::vector<Outcome> expected;
            for (int criterion = 0; criterion < 5; ++criterion) {
                for (const bool deleting : {false, true})
                    expected.push_back(literalCompact(reference, criterion, deleting, unchanged));
            }
            std::vector<std::pair<int, QList<qint64>>> expectedBulk;
            for (const auto& [field, value] : bulks) {
                int deleted = 0;
                const QList<qint64> kept =
                    value.isEmpty() ? QList<qint64>()
                                    : literalBulkDelete(reference, field, value, deleted);
                expectedBulk.emplace_back(deleted, kept);
            }
            reference.close();

            for (int criterion = 0; criterion < 5; ++criterion) {
                for (const bool deleting : {false, true}) {
                    const Outcome& want = expected[size_t(criterion * 2 + (deleting ? 1 : 0))];
                    f.window->Label1->setText(unchanged);
                    f.window->Label2->setText(unchanged);
                    f.compact(criterion, deleting);
                    const QString where = QStringLiteral("book %1, criterion %2, %3")
                                              .arg(book)
                                              .arg(criterion)
                                              .arg(deleting ? str("deleting") : str("counting"));
                    QVERIFY2(f.identical() == want.identical, qPrintable(where + f.identical()));
                    QVERIFY2(f.total() == want.total, qPrintable(where + f.total()));
                    QVERIFY2(f.kept() == want.kept, qPrintable(where));
                    if (deleting)
                        fill(f.path(), rows);
                }
            }
            for (size_t i = 0; i < bulks.size(); ++i) {
                if (bulks[i].second.isEmpty())
                    continue;
                f.bulkDelete(bulks[i].first, bulks[i].second);
                const QString where = QStringLiteral("book %1, bulk %2 \"%3\"")
                                          .arg(book)
                                          .arg(bulks[i].first)
                                          .arg(bulks[i].second);
                QVERIFY2(f.deleted() == deletedText(expectedBulk[i].first),
                         qPrintable(where + f.deleted()));
                QVERIFY2(f.kept() == expectedBulk[i].second, qPrintable(where));
                if (expectedBulk[i].first > 0)
                    fill(f.path(), rows);
            }
        }
        QVERIFY(f.messages().isEmpty());
    }

    void theMainMenuOpensTheToolsAndTheAddressBookShowsWhatTheyLeft()
    {
        Fixture f({person("Ann", "Smith"), person("Bo", "Smith"), person("Cy", "Jones")});
        PDAForm->show();
        QCOMPARE(PDAForm->MyDBGrid1->model()->rowCount(), 3);
        PDAForm->hide();
        bool opened = false;
        QTimer::singleShot(0, [&] {
            auto* tools = qobject_cast<TWrenxForm*>(QApplication::activeModalWidget());
            opened = tools && tools == WrenxForm;
            if (!tools)
                return;
            tools->BitBtn2->click();
            tools->RadioGroup2->button(1)->click();
            tools->Edit1->setText(str("Smith"));
            f.services.prompts->confirmations.enqueue(true);
            tools->Button2->click();
            tools->BitBtn3->click();
        });
        QVERIFY(f.program->mainMenu()->BitBtn5->isEnabled());
        f.program->mainMenu()->BitBtn5->click();
        QVERIFY(opened);
        QVERIFY(!WrenxForm);
        QCOMPARE(f.kept(), QList<qint64>({3}));
        PDAForm->show();
        QCOMPARE(PDAForm->MyDBGrid1->model()->rowCount(), 1);
        QCOMPARE(PDAForm->MyDBGrid1->model()->index(0, 0).data().toString(), str("Cy Jones"));
        QCOMPARE(DataModule1->tbNames->asText(str("FirstName")), str("Cy"));
    }

    void theWindowsCommandsAndControls()
    {
        Fixture f({person("Ann", "Smith")});
        TWrenxForm& w = *f.window;
        QVERIFY(w.Panel1->isVisible() && !w.Panel2->isVisible());
        w.action(str("DataViewer1"))->trigger();
        QVERIFY(!w.Panel1->isVisible() && w.Panel2->isVisible());
        w.action(str("Compactor1"))->trigger();
        QVERIFY(w.Panel1->isVisible() && !w.Panel2->isVisible());

        w.action(str("Contents1"))->trigger();
        w.action(str("WrenxHelp2"))->trigger();
        QTest::mouseClick(w.BitBtn5, Qt::LeftButton);
        w.action(str("WrenxHelp1"))->trigger();
        QCOMPARE(f.services.help->shown, (QList<QPair<QString, int>>{{str("QYTools.hlp"), 0},
                                                                     {str("QYTools.hlp"), 9},
                                                                     {str("qlhelp.hlp"), 9},
                                                                     {str("qlhelp.hlp"), 9}}));
        QStringList about;
        QTimer::singleShot(0, [&] {
            about << AboutBox->ProductName->text() << AboutBox->Version->text();
            AboutBox->accept();
        });
        QTest::mouseClick(w.BitBtn4, Qt::LeftButton);
        QCOMPARE(about, QStringList({str("Quillory - Wrenx"), str("Version 1.0")}));

        QCOMPARE(test::unnamedControls(&w), QStringList());
        QStringList mnemonics;
        const auto add = [&mnemonics](const QString& text) {
            const qsizetype at = text.indexOf(QLatin1Char('&'));
            if (at >= 0)
                mnemonics << text.mid(at + 1, 1).toUpper();
        };
        for (const QAbstractButton* b : w.findChildren<QAbstractButton*>())
            add(b->text());
        for (const QAction* a : w.MainMenu1->actions())
            add(a->text());
        add(w.Label3->text());
        QCOMPARE(mnemonics.size(), 21);
        QCOMPARE(mnemonics.removeDuplicates(), 0);

        // No is the default answer of the real question.
        installRealServices();
        bool noByDefault = false;
        QTimer::singleShot(0, [&noByDefault] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            noByDefault = box->defaultButton() == box->button(QMessageBox::No);
            box->button(QMessageBox::No)->click();
        });
        w.RadioGroup2->button(1)->click();
        w.Edit1->setText(str("Smith"));
        QTest::mouseClick(w.Button2, Qt::LeftButton);
        QVERIFY(noByDefault);
        QCOMPARE(f.kept(), QList<qint64>({1}));

        w.resize(700, 640);
        const QRect placed = w.frameGeometry();
        w.action(str("Exit1"))->trigger();
        QVERIFY(!w.isVisible());
        Settings settings;
        QVERIFY(settings.openKey(keys::Wrenx, false));
        QCOMPARE(settings.readInteger(keys::Width), placed.width());
        QCOMPARE(settings.readInteger(keys::Height), placed.height());
    }
};

QL_TEST_CLASS(WrenxFormTest)

#include "tst_wrenxform.moc"
