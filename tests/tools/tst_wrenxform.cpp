#include "addressbook/addressbooktables.h"
#include "addressbook/pdaform.h"
#include "core/aboutbox.h"
#include "core/keys.h"
#include "core/settings.h"
#include "shell/mainmenu.h"
#include "shell/realservices.h"
#include "store/catalogue.h"
#include "store/sqlite.h"
#include "support/modulefixture.h"
#include "support/testmain.h"
#include "tools/book.h"
#include "tools/wrenxform.h"
#include "widgets/dbcontrols.h"
#include "widgets/radiogroup.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <random>

using namespace ql;

using namespace ql::test::book;

namespace {

// A started program, with the address book's own holder, and the tools window over its book.
struct Fixture {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    std::unique_ptr<Program> program =
        std::make_unique<Program>(dir.path(), dir.session(), services);
    std::unique_ptr<MaintenanceWindow> window;

    explicit Fixture(const QList<Row>& rows)
    {
        fill(path(), rows);
        window = std::make_unique<MaintenanceWindow>(program->addressBook(), program->context());
        window->show();
    }
    QString path() const { return dir.filePath(str("Data/QYName2.DB")); }
    Keys kept() const
    {
        sql::Database db(path(), sql::OpenMode::ReadWrite);
        sql::Statement st(db, "SELECT NameCode FROM records ORDER BY NameCode");
        Keys keys;
        while (st.step())
            keys << st.columnInt(0);
        return keys;
    }
    QStringList messages() const { return services.prompts->messages; }
    QStringList questions() const { return services.prompts->questions; }
    QString identical() const { return window->identicalCount->text(); }
    QString total() const { return window->totalCount->text(); }
    QString deleted() const { return window->deletedCount->text(); }

    // A run of the compactor under a criterion (-1: none chosen), answering its question.
    void compact(int criterion, bool deleting, bool answer = true)
    {
        QTest::mouseClick(window->duplicatesButton, Qt::LeftButton);
        if (criterion >= 0)
            window->criterion->button(criterion)->click();
        window->deleteIdentical->setChecked(deleting);
        services.prompts->confirmations = QQueue<bool>({answer});
        QTest::mouseClick(window->compactButton, Qt::LeftButton);
    }
    void bulkDelete(int field, const QString& value, bool answer = true)
    {
        QTest::mouseClick(window->bulkDeleteButton, Qt::LeftButton);
        if (field >= 0)
            window->bulkField->button(field)->click();
        window->bulkValue->setText(value);
        services.prompts->confirmations = QQueue<bool>({answer});
        QTest::mouseClick(window->deleteRecordsButton, Qt::LeftButton);
    }
};

QString identicalText(int count)
{
    return str("Number of identical records ") + QString::number(count);
}
QString totalText(qsizetype count)
{
    return str("Total number of records ") + QString::number(count);
}
QString deletedText(int count)
{
    return str("Total number of records deleted: ") + QString::number(count);
}

// ---- the tools' rules, pass by pass, as the reference for the window's runs

struct Rule {
    const char* index;
    QStringList fields;
    bool emptyNeverIdentical;
};
const Rule kRules[5] = {{"idxLastName", kFields.mid(0, 2), false},
                        {"idxLastName", kFields.mid(0, 12), false},
                        {"idxCompany", {str("Company")}, true},
                        {"idxCategory", {str("Category")}, true},
                        {"idxGroup", {str("Group")}, true}};
const Rule kBulkRules[5] = {{"idxFirstName", {str("FirstName")}, false},
                            {"idxLastName", {str("LastName")}, false},
                            {"idxCompany", {str("Company")}, false},
                            {"idxCategory", {str("Category")}, false},
                            {"idxGroup", {str("Group")}, false}};

struct Record {
    qint64 key;
    QStringList values;
};

// The records in an index's order, read one by one through a cursor.
std::vector<Record> readOrder(Table& t, const Rule& rule)
{
    t.setIndexName(str(rule.index));
    std::vector<Record> order;
    for (t.first(); !t.eof(); t.next()) {
        order.push_back({t.value(str("NameCode")).toLongLong(), {}});
        for (const QString& field : rule.fields)
            order.back().values << t.asText(field);
    }
    return order;
}

Keys keysOf(const std::vector<Record>& order)
{
    Keys keys;
    for (const Record& r : order)
        keys << r.key;
    std::sort(keys.begin(), keys.end());
    return keys;
}

struct Outcome {
    QString identical;
    QString total;
    Keys kept;
};

// Pass 1's base is where find nearest "AAAA" stops; pass k's is the k-th record of the order as
// it stands. Each pass deletes every record after its base identical to it. Counting only, the
// count is the number of records deleting would delete, and nothing is deleted.
Outcome literalCompact(Table& t, int criterion, bool deleting, const QString& unchanged)
{
    const Rule& rule = kRules[criterion];
    const std::vector<Record> read = readOrder(t, rule);
    std::vector<Record> order = read;
    if (order.empty())
        return {unchanged, unchanged, {}};
    t.findNearestText(str("AAAA"));
    for (size_t k = 1;; ++k) {
        const size_t base = k == 1 ? size_t(t.currentRow()) : k - 1;
        if (base >= order.size()) {
            const auto deleted = qsizetype(read.size() - order.size());
            return {identicalText(deleting ? 0 : int(deleted)),
                    totalText(deleting ? qsizetype(order.size()) : qsizetype(read.size())),
                    keysOf(deleting ? order : read)};
        }
        const Record remembered = order[base];
        for (size_t at = base + 1; at < order.size();) {
            if (order[at].values == remembered.values &&
                !(rule.emptyNeverIdentical && remembered.values[0].isEmpty()))
                order.erase(order.begin() + qsizetype(at));
            else
                ++at;
        }
    }
}

// From the first record at or after "aaaa" to the end, each exact match deleted.
Outcome literalBulkDelete(Table& t, int field, const QString& value)
{
    std::vector<Record> order = readOrder(t, kBulkRules[field]);
    const sql::KeyCollator collator;
    size_t at = 0;
    while (at < order.size() && collator.compare(order[at].values[0].toUtf8(), "aaaa") < 0)
        ++at;
    int deleted = 0;
    while (at < order.size()) {
        if (order[at].values[0] == value) {
            order.erase(order.begin() + qsizetype(at));
            ++deleted;
        } else {
            ++at;
        }
    }
    return {deletedText(deleted), {}, keysOf(order)};
}

// A book that brings out the corners: equal keys in several letter cases, empty values, keys
// before "AAAA" and "aaaa", copies standing together and apart.
QList<Row> randomBook(std::mt19937& random)
{
    const QStringList names = {"",    "John", "john",  "JOHN",  "Anna", "2000",
                               "AAA", "aaaa", "Émile", "émile", " x"};
    const QStringList places = {"", "", "1 Main St", "1 main st"};
    const QStringList groups = {"", "Acme", "acme", "ACME", "9 Lives", "aaaa", "AAAA", "Beta"};
    const auto any = [&random](const QStringList& list) { return list[random() % list.size()]; };
    QList<Row> book;
    for (int i = int(random() % 25); i > 0; --i) {
        if (!book.isEmpty() && random() % 4 == 0) {
            book << book[random() % book.size()];
            continue;
        }
        Row row(kFields.size());
        row[0] = any(names);
        row[1] = any(names);
        row[2] = row[6] = any(places);
        row[12] = any(groups);
        row[13] = any(groups);
        row[14] = any(groups);
        book << row;
    }
    return book;
}

// A compactor run over rows by a criterion, counting or deleting, with the identical records it
// counts and the record keys it keeps.
struct CompactorCase {
    QList<Row> rows;
    int criterion;
    bool deleting;
    int identical;
    Keys kept;
};

QList<CompactorCase> compactorCases()
{
    const Row john = person("John", "Smith");
    const Row empty = person("", "");
    const Row acme = person("", "", "Acme");
    const Row bare = person("Al", "");
    return {
        // Copies together are counted once each; deleting keeps the first.
        {{john, john, john, person("Mary", "Jones")}, 0, false, 2, {1, 2, 3, 4}},
        {{john, john, john, person("Mary", "Jones")}, 0, true, 0, {1, 4}},
        // The same letters split otherwise between the fields are other names.
        {{person("Jo", "hnSmith"), person("John", "Smith"), person("JohnS", "mith")},
         0,
         false,
         0,
         {1, 2, 3}},
        // Counting tells what deleting deletes, copies apart too; letter case counts.
        {{john, person("Anna", "Smith"), john, person("Zoe", "smith"), person("Zoe", "Smith")},
         0,
         false,
         1,
         {1, 2, 3, 4, 5}},
        {{john, person("Anna", "Smith"), john, person("Zoe", "smith"), person("Zoe", "Smith")},
         0,
         true,
         0,
         {1, 2, 4, 5}},
        // Empty names are identical, an empty company, category or group never is. The
        // first record serves as a base only in pass 1, whose base is the first record at or
        // after "AAAA": of the empty names standing first, the first two stay.
        {{person("Al", "Bo"), empty, empty, empty}, 0, false, 1, {1, 2, 3, 4}},
        {{person("Al", "Bo"), empty, empty, empty}, 0, true, 0, {1, 2, 3}},
        {{empty, empty}, 0, true, 0, {1, 2}},
        {{empty, empty, john}, 2, false, 0, {1, 2, 3}},
        {{empty, empty, john}, 3, true, 0, {1, 2, 3}},
        {{empty, person("", "", "Acme"), person("", "", "Acme")}, 4, true, 0, {1, 2}},
        // A company before "AAAA" first: the pair after it is one record to delete.
        {{person("", "", "1 Co"), person("", "", "Acme"), person("", "", "Acme")},
         2,
         false,
         1,
         {1, 2, 3}},
        {{acme, bare, acme, acme, person("B", "", "Bolt"), acme, bare, acme},
         2,
         false,
         4,
         {1, 2, 3, 4, 5, 6, 7, 8}},
        {{acme, bare, acme, acme, person("B", "", "Bolt"), acme, bare, acme},
         2,
         true,
         0,
         {1, 2, 5, 7}},
    };
}

} // namespace

class WrenxFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theCompactorsCorners()
    {
        // What the records of each criterion share, as the question and the note name it.
        const char* const shared[5] = {"first and last name", "names and whole address", "company",
                                       "category", "group"};
        Fixture f({});
        for (const CompactorCase& c : compactorCases()) {
            fill(f.path(), c.rows);
            const int changes = changeCounter(f.path());
            const qsizetype asked = f.questions().size();
            const qsizetype told = f.messages().size();
            f.compact(c.criterion, c.deleting);
            QCOMPARE(f.identical(), identicalText(c.identical));
            QCOMPARE(f.total(), totalText(c.kept.size()));
            QCOMPARE(f.kept(), c.kept);
            // Deleting is one transaction.
            const qsizetype gone = c.rows.size() - c.kept.size();
            QCOMPARE(changeCounter(f.path()), changes + (gone > 0 ? 1 : 0));
            // A delete asks with the count and the criterion; one that finds nothing says so.
            QCOMPARE(f.questions().size(), asked + (gone > 0 ? 1 : 0));
            QCOMPARE(f.messages().size(), told + (c.deleting && gone == 0 ? 1 : 0));
            if (gone > 0)
                QCOMPARE(f.questions().last(),
                         QStringLiteral("%1 the same %2 as a record that is kept.\n\nAre you sure "
                                        "you want to delete identical records? \r Deleted "
                                        "entries cannot be recovered. \t")
                             .arg(gone == 1 ? str("1 record has")
                                            : QStringLiteral("%1 records have").arg(gone),
                                  str(shared[c.criterion])));
            else if (c.deleting)
                QCOMPARE(f.messages().last(),
                         QStringLiteral("No record has the same %1 as another: nothing was "
                                        "deleted.")
                             .arg(str(shared[c.criterion])));
        }
    }

    void decliningOrChoosingNothingTouchesNothing()
    {
        Fixture f({person("John", "Smith"), person("John", "Smith")});
        f.compact(-1, false);
        f.bulkDelete(-1, str("Smith"));
        QCOMPARE(f.deleted(), deletedText(0));
        f.compact(0, true, false);
        QCOMPARE(f.messages(),
                 QStringList({str("Choose what makes two records identical: nothing was "
                                  "compared."),
                              str("Choose the field to compare: nothing was deleted."),
                              str("Compact Aborted")}));
        QCOMPARE(f.questions(),
                 QStringList(str("1 record has the same first and last name as a record that is "
                                 "kept.\n\nAre you sure you want to delete identical records? \r "
                                 "Deleted entries cannot be recovered. \t")));
        QCOMPARE(f.kept(), Keys({1, 2}));
        f.bulkDelete(1, QString());
        QCOMPARE(f.messages().last(), str("You must first enter a name/company/category/etc."));
        fill(f.path(), {});
        f.compact(0, false);
        QCOMPARE(f.messages().last(),
                 str("The address book has no records: nothing was compared."));
        QCOMPARE(f.services.prompts->kinds, QList<MessageKind>(5, MessageKind::Plain));
        QCOMPARE(f.identical(), str("Number of identical records "));
        QCOMPARE(f.total(), str("Total number of records "));
        QCOMPARE(f.questions().size(), 1);
    }

    void bulkDeleteAsksWithTheCountAndMatchesExactly()
    {
        Fixture f({person("John", "Smith"), person("Ann", "smith"), person("Bo", "SMITH"),
                   person("Cy", "Smith"), person("Di", "2000")});
        f.bulkDelete(1, str("Smith"), false);
        QCOMPARE(f.questions(), QStringList(str("Delete 2 records whose last name is \"Smith\"? "
                                                "Deleted records cannot be recovered.")));
        QCOMPARE(f.kept().size(), 5);
        QCOMPARE(f.deleted(), str("Total number of records deleted: "));
        const int changes = changeCounter(f.path());
        f.bulkDelete(1, str("Smith"));
        QCOMPARE(f.kept(), Keys({2, 3, 5}));
        QCOMPARE(f.deleted(), deletedText(2));
        QCOMPARE(changeCounter(f.path()), changes + 1);
        f.bulkDelete(0, str("Ann"));
        QCOMPARE(f.questions().last(), str("Delete 1 record whose first name is \"Ann\"? "
                                           "Deleted records cannot be recovered."));
        // A value sorting before "aaaa" is never found, also when every record sorts before it.
        fill(f.path(), {person("Di", "2000")});
        f.bulkDelete(1, str("2000"));
        QCOMPARE(f.kept(), Keys({1}));
        QCOMPARE(f.deleted(), deletedText(0));
        QCOMPARE(f.messages(),
                 QStringList(str("1 record has the last name \"2000\", but values that sort "
                                 "before \"aaaa\" (those beginning with a digit, a blank or most "
                                 "punctuation marks) are never deleted: nothing was deleted.")));
        QCOMPARE(f.questions().size(), 3);
    }

    void aRunStoppedByTheTableKeepsWhatItDeleted()
    {
        Fixture f({person("A", "Smith"), person("B", "Smith"), person("Boom", "Smith"),
                   person("D", "Smith")});
        sql::Database(f.path(), sql::OpenMode::ReadWrite)
            .exec("CREATE TRIGGER refuse BEFORE DELETE ON records WHEN old.FirstName = 'Boom' "
                  "BEGIN SELECT RAISE(ABORT, 'the disk refused'); END");
        f.bulkDelete(1, str("Smith"));
        QCOMPARE(f.messages(),
                 QStringList(str("Could not delete the record \"Smith, Boom\" from table "
                                 "\"QYName2.DB\": the disk refused\n\nRecords deleted "
                                 "before the run stopped: 2")));
        QCOMPARE(f.kept(), Keys({3, 4}));
        QCOMPARE(f.deleted(), str("Total number of records deleted: "));
    }

    void theWindowRunsByTheRulesOnAnyBook()
    {
        Fixture f({});
        const QString unchanged = str("unchanged");
        std::mt19937 random(17);
        Table reference(f.dir.session(), catalogue::names(), str("tbReference"));
        reference.setDatabaseName(QString::fromLatin1(catalogue::databaseName));
        const int columns[5] = {0, 1, 12, 13, 14}; // of the bulk delete's fields
        for (int book = 0; book < 40; ++book) {
            const QList<Row> rows = randomBook(random);
            bool changed = true;
            for (int run = 0; run < 13; ++run) {
                if (changed)
                    fill(f.path(), rows);
                const bool compacting = run < 10;
                const int choice = compacting ? run / 2 : int(random() % 5);
                const QString value =
                    rows.isEmpty() ? str("John") : rows[random() % rows.size()][columns[choice]];
                if (!compacting && value.isEmpty())
                    continue;
                reference.open();
                const Outcome want = compacting
                                         ? literalCompact(reference, choice, run % 2, unchanged)
                                         : literalBulkDelete(reference, choice, value);
                reference.close();
                for (QLabel* label :
                     {f.window->identicalCount, f.window->totalCount, f.window->deletedCount})
                    label->setText(unchanged);
                if (compacting)
                    f.compact(choice, run % 2);
                else
                    f.bulkDelete(choice, value);
                const QString where = QStringLiteral("book %1, run %2: ").arg(book).arg(run);
                const Keys kept = f.kept();
                changed = kept.size() < rows.size();
                QVERIFY2(kept == want.kept, qPrintable(where));
                QVERIFY2((compacting ? f.identical() : f.deleted()) == want.identical,
                         qPrintable(where + f.identical() + f.deleted()));
                QVERIFY2(!compacting || f.total() == want.total, qPrintable(where + f.total()));
            }
        }
        // The only messages say that a run found nothing to delete or compare.
        for (const QString& message : f.messages())
            QVERIFY2(message.endsWith(str(": nothing was deleted.")) ||
                         message.endsWith(str(": nothing was compared.")),
                     qPrintable(message));
    }

    void theAddressBookShowsWhatARunFromTheMainMenuLeft()
    {
        Fixture f({person("Ann", "Smith"), person("Bo", "Smith"), person("Cy", "Jones")});
        AddressBookWindow* addressBook = f.program->mainMenu()->addressBookWindow();
        addressBook->show();
        addressBook->hide();
        bool opened = false;
        QPointer<MaintenanceWindow> shown;
        QTimer::singleShot(0, [&] {
            auto* tools = qobject_cast<MaintenanceWindow*>(QApplication::activeModalWidget());
            opened = tools != nullptr;
            shown = tools;
            if (!tools)
                return;
            tools->bulkDeleteButton->click();
            tools->bulkField->button(1)->click();
            tools->bulkValue->setText(str("Smith"));
            f.services.prompts->confirmations.enqueue(true);
            tools->deleteRecordsButton->click();
            tools->closeButton->click();
        });
        f.program->mainMenu()->maintenanceButton->click();
        QVERIFY(opened && !shown); // made for this opening only
        addressBook->show();
        const auto* list = addressBook->findChild<DBGrid*>(QStringLiteral("MyDBGrid1"));
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(list->model()->index(0, 0).data().toString(), str("Jones"));
    }

    void checkTablesFindsADamagedTableAndRebuildsWhatCanBeRead()
    {
        Fixture f({});
        test::FixedClock clock{f.dir.session(), QDateTime(QDate(1999, 3, 2), QTime(13, 5, 9))};
        QVERIFY(QDir().mkpath(f.dir.filePath(str("BackUp"))));
        {
            sql::Database db(f.path(), sql::OpenMode::ReadWrite);
            sql::Statement st(db, "INSERT INTO records(LastName, MeMemoData1) VALUES (?1, ?2)");
            for (int i = 1; i <= 400; ++i) {
                st.bindText(1, QByteArray("Name") + QByteArray::number(i));
                st.bindText(2, QByteArray(500, 'm'));
                st.step();
            }
        }
        // A failing disk writes garbage over a page in the middle of the file.
        QFile file(f.path());
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(qint64(12) * 32768) &&
                file.write(QByteArray(32768, '\x5a')) == 32768);
        file.close();
        const QByteArray damaged = [&] {
            file.open(QIODevice::ReadOnly);
            return file.readAll();
        }();

        f.services.prompts->confirmations << true;
        QTest::mouseClick(f.window->checkButton, Qt::LeftButton);
        QStringList lines = f.window->checkResults->toPlainText().split(QLatin1Char('\n'));
        QVERIFY2(lines.value(0).startsWith(str("QYName2.DB: damaged: ")), qPrintable(lines[0]));
        lines.removeFirst();
        QCOMPARE(lines,
                 QStringList({str("Journal2.DB: ok"), str("CollCD2.DB: ok"), str("CollCDR2.DB: ok"),
                              str("CollTp2.DB: ok"), str("CollBk2.DB: ok"), str("ToDo2.db: ok"),
                              str("UserDa.db: ok")}));
        const QString kept = f.dir.filePath(str("BackUp/Damaged 1999-03-02 13-05-09"));
        QCOMPARE(f.questions(),
                 QStringList(str("\"QYName2.DB\" is damaged. Rebuild it from every record that "
                                 "can still be read? The damaged file is kept in the BackUp "
                                 "folder.")));
        QCOMPARE(f.messages(), QStringList(str("\"QYName2.DB\" was rebuilt: 341 record(s) saved, "
                                               "59 lost. The damaged file is kept in \"%1\".")
                                               .arg(kept)));
        QFile keptFile(kept + str("/QYName2.DB"));
        QVERIFY(keptFile.open(QIODevice::ReadOnly));
        QCOMPARE(keptFile.readAll(), damaged);
        // The damaged page held the first 59 records; the others keep their keys, and a new
        // record takes a key never given.
        Keys expected;
        for (qint64 key = 60; key <= 400; ++key)
            expected << key;
        QCOMPARE(f.kept(), expected);
        Table* names = f.program->addressBook().tbNames;
        QCOMPARE(names->recordCount(), 341);
        names->insert();
        names->setAsText(str("LastName"), str("New"));
        names->post();
        QCOMPARE(names->asText(str("NameCode")), str("401"));

        // Checked again, every table is sound and nothing more is asked.
        QTest::mouseClick(f.window->checkButton, Qt::LeftButton);
        QVERIFY(f.window->checkResults->toPlainText().startsWith(str("QYName2.DB: ok\n")));
        QCOMPARE(f.questions().size(), 1);
    }

    void theWindowsCommandsAndControls()
    {
        Fixture f({person("Ann", "Smith")});
        MaintenanceWindow& w = *f.window;
        QVERIFY(w.compactorPanel->isVisible() && !w.bulkDeletePanel->isVisible());
        w.action(str("DataViewer1"))->trigger();
        QVERIFY(!w.compactorPanel->isVisible() && w.bulkDeletePanel->isVisible());
        w.action(str("Compactor1"))->trigger();
        QVERIFY(w.compactorPanel->isVisible() && !w.bulkDeletePanel->isVisible());
        w.action(str("CheckTables1"))->trigger();
        QVERIFY(!w.compactorPanel->isVisible() && !w.bulkDeletePanel->isVisible() &&
                w.checkPanel->isVisible());
        w.action(str("Compactor1"))->trigger();
        QVERIFY(w.compactorPanel->isVisible() && !w.checkPanel->isVisible());

        w.action(str("Contents1"))->trigger();
        w.action(str("WrenxHelp2"))->trigger();
        QTest::mouseClick(w.helpButton, Qt::LeftButton);
        QCOMPARE(f.services.help->shown,
                 (QList<QPair<QString, int>>{
                     {str("QYTools.hlp"), 0}, {str("QYTools.hlp"), 9}, {str("qlhelp.hlp"), 9}}));
        QStringList about;
        QTimer::singleShot(0, [&] {
            about << f.program->context().aboutBox->ProductName->text()
                  << f.program->context().aboutBox->Version->text();
            f.program->context().aboutBox->accept();
        });
        QTest::mouseClick(w.aboutButton, Qt::LeftButton);
        QCOMPARE(about, QStringList({str("Quillory - Wrenx"), str("Version 1.0")}));

        QCOMPARE(test::unnamedControls(&w), QStringList());
        QStringList mnemonics;
        QStringList texts = {w.valueLabel->text()};
        for (const QAbstractButton* b : w.findChildren<QAbstractButton*>())
            texts << b->text();
        for (const QAction* a : w.menus->actions())
            texts << a->text();
        for (const QString& text : texts)
            mnemonics << text.section(QLatin1Char('&'), 1).left(1).toUpper();
        mnemonics.removeAll(QString());
        QCOMPARE(mnemonics.size(), 22);
        QCOMPARE(mnemonics.removeDuplicates(), 0);

        // The real question answers No on Enter.
        const RealServices real;
        f.services.useInstead(real.services());
        // The question comes while the run's progress shows: the answer waits for its box.
        bool noByDefault = false;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            answer.stop();
            noByDefault = box->defaultButton() == box->button(QMessageBox::No);
            box->button(QMessageBox::No)->click();
        });
        answer.start(10);
        w.bulkField->button(1)->click();
        w.bulkValue->setText(str("Smith"));
        QTest::mouseClick(w.deleteRecordsButton, Qt::LeftButton);
        QVERIFY(noByDefault);
        QCOMPARE(f.kept(), Keys({1}));

        w.resize(700, 640);
        const QRect placed = w.frameGeometry();
        w.action(str("Exit1"))->trigger();
        QVERIFY(!w.isVisible());
        Settings settings(*f.services.settings);
        QVERIFY(settings.openKey(keys::Wrenx, false));
        QCOMPARE(settings.readInteger(keys::Width), placed.width());
    }
};

QL_TEST_CLASS(WrenxFormTest)

#include "tst_wrenxform.moc"
