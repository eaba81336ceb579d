#include "addressbook/addressbooktables.h"
#include "addressbook/pdaform.h"
#include "core/keys.h"
#include "core/settings.h"
#include "exchange/import.h"
#include "exchange/moduletable.h"
#include "journal/journaltables.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "store/catalogue.h"
#include "store/progress.h"
#include "store/session.h"
#include "store/sqlite.h"
#include "store/tabledirectory.h"
#include "support/scripted.h"
#include "support/tablestate.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "widgets/dbcontrols.h"
#include "widgets/workrunner.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>
#include <csignal>
#include <optional>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace ql;
using import::Module;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// Every entry beneath a folder: its name, and its bytes, link target or kind.
QByteArray snapshot(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << it.next();
    entries.sort();
    QByteArray all;
    for (const QString& entry : entries) {
        const QFileInfo info(entry);
        all += entry.toUtf8() + ": ";
        if (info.isSymLink())
            all += "-> " + info.symLinkTarget().toUtf8();
        else if (info.isDir())
            all += "folder";
        else if (info.isFile())
            all += fileBytes(entry);
        else
            all += "other";
        all += '\n';
    }
    return all;
}

const TableDef& destinationOf(Module module)
{
    static const std::array<const TableDef*, import::moduleCount> tables = {
        &catalogue::names(), &catalogue::journal(), &catalogue::toDo(),  &catalogue::cds(),
        &catalogue::cdrs(),  &catalogue::tapes(),   &catalogue::books(), &catalogue::userDefined()};
    return *tables[size_t(module)];
}

using Row = std::vector<std::pair<QString, QVariant>>;

std::optional<TableDef> layoutTable(Module module, int layout);

// The table of a source layout the test names; every layout it names exists.
TableDef laidOutTable(Module module, int layout)
{
    std::optional<TableDef> def = layoutTable(module, layout);
    if (!def)
        throw std::invalid_argument("no such layout");
    return *def;
}

// A started program and folders of source tables, written through the table layer.
struct Fixture {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    test::FixedClock clock{dir.session(), QDateTime(QDate(2024, 3, 10), QTime(12, 0))};
    std::unique_ptr<Program> program =
        std::make_unique<Program>(dir.path(), dir.session(), services);
    // Where the source tables are written: the program's run learns none of their passwords.
    Session sources;
    QStringList statuses;
    QStringList shown; // the messages of the runs that stopped
    QString details;   // of the last run

    QString folder(const char* name) const
    {
        const QString path = dir.filePath(QStringLiteral("../") + str(name));
        QDir().mkpath(path);
        return QDir::cleanPath(path);
    }

    // A source table of the layout holding the rows, with the password of the module's table
    // unless another is named.
    void write(const QString& folder, Module module, int layout, const std::vector<Row>& rows,
               const QString& password = {})
    {
        write(folder, module, laidOutTable(module, layout), rows, password);
    }
    void write(const QString& folder, Module module, const TableDef& def,
               const std::vector<Row>& rows, const QString& password = {})
    {
        const QString key =
            password.isEmpty() ? catalogue::password(destinationOf(module)) : password;
        TableDirectory(folder).create(def, key);
        sources.registerDatabase(QStringLiteral("Fixture"), folder);
        sources.addPassword(key);
        Table table(sources, def, QStringLiteral("fixture"));
        table.setDatabaseName(QStringLiteral("Fixture"));
        table.open();
        for (const Row& row : rows) {
            table.insert();
            for (const auto& [field, value] : row)
                table.setValue(field, value);
            table.post();
        }
    }

    bool import(const QString& folder, int layout, std::initializer_list<Module> modules)
    {
        import::Request request{folder, layout, {}};
        for (const Module module : modules)
            request.modules[size_t(module)] = true;
        // Run as the options window runs it: the password asked through the prompts, the
        // message shown, then the last status.
        statuses.clear();
        import::Outcome outcome;
        runWork(
            program->mainMenu(), str("Quillory - Import"),
            [&](Progress& progress) {
                outcome = import::Importer(dir.session(), request).run(progress);
            },
            [this](const QString& text) { statuses << text; });
        if (!outcome.message.isEmpty())
            shown << outcome.message;
        statuses << outcome.status;
        details = outcome.details;
        return outcome.finished;
    }

    QString status() const { return statuses.isEmpty() ? QString() : statuses.last(); }
    QStringList messages() const { return shown; }

    // A field of every record of a module's table, in the table's order.
    QStringList column(Module module, const QString& field)
    {
        const exchange::HeldTable held =
            exchange::openTable(dir.session(), exchange::Module(int(module)));
        QStringList values;
        for (held.table->first(); !held.table->eof(); held.table->next())
            values << held.table->asText(field);
        return values;
    }
};

QStringList numbered(const char* prefix, int first, int last)
{
    QStringList names;
    for (int n = first; n <= last; ++n)
        names << str(prefix) + QString::number(n);
    return names;
}

// The fields of a module's source table, key aside, in a layout: the earlier version's (0) and
// the older current tables with ten (1) and thirty (2) track titles.
QStringList layoutFields(Module module, int layout)
{
    const bool current = layout > 0;
    const QStringList extra = current ? QStringList{str("ExtraField")} : QStringList();
    switch (module) {
    case Module::Names:
        return QStringList{"FirstName",      "LastName",       "Company",        "NickName",
                           "AdAddress1",     "AdAddress2",     "AdCity1",        "AdCity2",
                           "AdState1",       "AdState2",       "AdZip1",         "AdZip2",
                           "PhDescription1", "PhDescription2", "PhNumber1",      "PhNumber2",
                           "PhAreaCode1",    "PhAreaCode2",    "PhExt1",         "PhExt2",
                           "EmAddress1",     "EmAddress2",     "EmDescription1", "EmDescription2",
                           "MeDescription1", "AdAddress3",     "MeMemoData1",    "MeMemoData2",
                           "AdAddress4"} +
               (current ? QStringList{"PagerDescr", "PagerNo", "CellPhDescr", "CellPhNo",
                                      "Category", "Group", "WebSite1", "WebSite2", "ExtraField"}
                        : QStringList());
    case Module::Journal:
        return QStringList{"DateTimeStamp", "MemoField1", "MemoField2"} + extra;
    case Module::ToDo:
        return QStringList{"ToDoByDate", "ToDoMemo"} +
               (current ? QStringList{"ExtraField", "ExtraField2", "PriorityCode"} : QStringList());
    case Module::CDs:
        return QStringList{"CDTitle", "CDArtist", "CDKind", "CDDate"} +
               numbered("CDTitle", 1, layout == 2 ? 30 : 10) +
               QStringList{"CDReturnDate", "CDBorrowed"} + extra;
    case Module::CDRs:
        return QStringList{"CDRTitle", "CDRMaker",    "CDRKind",
                           "CDRNotes", "CDRBorrowed", "CDRReturnDate"} +
               (current ? QStringList{"CDRTest", "ExtraField"} : QStringList());
    case Module::Tapes:
        return QStringList{"TpTitle", "TpArtist", "TpKind", "TpDate"} +
               numbered("TpTitle", 1, layout == 2 ? 30 : 10) +
               QStringList{"TpReturnDate", "TpBorrowed"} + extra;
    case Module::Books:
        return QStringList{"BkTitle",       "BkAuthorFirst", "BkAuthorLast",
                           "BkKind",        "BkPubDate",     "BkPublisher",
                           "BkDescription", "BkBorrowed",    "BkReturnDate"} +
               extra;
    case Module::UserDefined:
        return current
                   ? numbered("Label", 1, 9) + QStringList{"Memo"} + numbered("ExtraField", 1, 4)
                   : QStringList();
    }
    return {};
}

// The type a source field is kept in.
FieldType layoutType(const QString& name, int layout)
{
    if (name == QLatin1String("DateTimeStamp"))
        return FieldType::DateTime;
    if (name.endsWith(QLatin1String("ReturnDate")) || name == QLatin1String("ToDoByDate") ||
        (layout == 0 && name == QLatin1String("BkPubDate")))
        return FieldType::Date;
    if (name.contains(QLatin1String("Memo")) || name == QLatin1String("CDRNotes") ||
        name == QLatin1String("BkDescription"))
        return FieldType::Memo;
    return FieldType::Text;
}

const char* const kLayoutTables[import::moduleCount][2] = {
    {"QYName.DB", "QYName2.DB"}, {"Journal.DB", "Journal2.DB"}, {"ToDo.DB", "ToDo2.DB"},
    {"CollCD.DB", "CollCD2.DB"}, {"CollCDR.DB", "CollCDR2.DB"}, {"CollTp.DB", "CollTp2.DB"},
    {"CollBK.DB", "CollBK2.DB"}, {nullptr, "UserDa.DB"}};

// A module's source table in a layout, with the fields written above; none when the layout has
// no table for it.
std::optional<TableDef> layoutTable(Module module, int layout)
{
    const QStringList names = layoutFields(module, layout);
    if (names.isEmpty())
        return std::nullopt;
    TableDef def{str(kLayoutTables[int(module)][layout > 0 ? 1 : 0]),
                 {destinationOf(module).fields.front()},
                 {}};
    for (const QString& name : names)
        def.fields.push_back({name, layoutType(name, layout), 255, 70});
    return def;
}

// A value for every field of a source table but its key, in a century of its own.
Row sampleRow(const TableDef& def, int year)
{
    Row row;
    for (const FieldDef& field : def.fields) {
        const QString text = str("é") + field.name + str("·太");
        switch (field.type) {
        case FieldType::AutoIncrement:
            break;
        case FieldType::Date:
            row.emplace_back(field.name, QDate(year, 5, 25));
            break;
        case FieldType::DateTime:
            row.emplace_back(field.name, QDateTime(QDate(year, 12, 31), QTime(23, 59, 58)));
            break;
        case FieldType::Memo:
            row.emplace_back(field.name, text + str("\r\nÅngström"));
            break;
        case FieldType::Text:
            row.emplace_back(field.name, text.left(field.size));
        }
    }
    return row;
}

// What each module's table in the source folder is laid out as; none where the layout has none.
using SourceTables = std::array<std::optional<TableDef>, import::moduleCount>;

// Writes each module's table into source, as the layout lays it out (or as this version does, when
// ours), holding one sample record of year.
SourceTables writeSources(Fixture& f, const QString& source, int layout, bool ours, int year)
{
    SourceTables written;
    for (int m = 0; m < import::moduleCount; ++m) {
        const auto module = Module(m);
        written[size_t(m)] =
            ours ? std::optional(destinationOf(module)) : layoutTable(module, layout);
        const std::optional<TableDef>& laidOut = written[size_t(m)];
        if (!laidOut)
            continue;
        const TableDef& def = *laidOut;
        f.write(source, module, def, {sampleRow(def, year)});
        if (layout == 0) {
            // The earlier version's tables go without a key column: the import needs none.
            QStringList columns;
            for (size_t i = 1; i < def.fields.size(); ++i)
                columns << QLatin1Char('"') + def.fields[i].name + QLatin1Char('"');
            sql::Database(QDir(source).filePath(def.name), sql::OpenMode::ReadWrite)
                .exec(("CREATE TABLE bare AS SELECT " + columns.join(str(", ")) +
                       " FROM records; DROP TABLE records; ALTER TABLE bare RENAME TO records")
                          .toUtf8()
                          .constData());
        }
    }
    return written;
}

} // namespace

class ImportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { test::setUpProcess(); }

    void refusedSourcesAndRunsWithNothingToDo()
    {
        Fixture f;
        const QString empty = f.folder("empty");
        const QString dataLink = f.folder("links") + QStringLiteral("/data");
        QVERIFY(QFile::link(f.dir.dataPath(), dataLink));
        for (const QString& refused :
             {QStringLiteral("/tm"), dataLink + QStringLiteral("/."), f.dir.dataPath()}) {
            QVERIFY(!f.import(refused, 1, {Module::Names}));
            QCOMPARE(f.statuses,
                     QStringList({str("Quillory - Importing...."), str("Quillory - Aborted")}));
            QCOMPARE(f.messages().takeLast(), str("Invalid Location Selected"));
        }
        // The folder holds no tables: reading any would stop the run.
        QVERIFY(f.import(empty, 1, {}));
        QVERIFY(f.import(empty, -1, {Module::Names, Module::UserDefined}));
        QVERIFY(f.import(empty, 0, {Module::UserDefined}));
        QCOMPARE(f.status(), str("Quillory - Done"));
        QCOMPARE(f.messages().size(), 3);
    }

    void everyFieldArrivesFromEachLayout_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<bool>("ours");
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("done");
        QTest::addColumn<QString>("details");
        const QString seven =
            str("Address Book: 1 added · Journal: 1 added · To-Do List: 1 added · "
                "CDs: 1 added · CD-R/RW: 1 added · Tapes: 1 added · Books: 1 "
                "added");
        const QString eight = seven + str(" · User Defined: 1 added");
        const QString sevenDetails =
            str("Address Book: 1 record added.\nJournal: 1 record added.\nTo-Do List: 1 record "
                "added.\nCDs: 1 record added.\nCD-R/RW: 1 record added.\nTapes: 1 record "
                "added.\nBooks: 1 record added.");
        const QString eightDetails = sevenDetails + str("\nUser Defined: 1 record added.");
        QTest::newRow("earlier version")
            << 0 << false << 1897 << str("Quillory - Done\n") + seven << sevenDetails;
        QTest::newRow("ten track titles")
            << 1 << false << 1999
            << str("Quillory - Done\nAddress Book: 1 added · Journal: 1 added · To-Do List: 1 "
                   "added, 2 values skipped · CDs: 1 added · CD-R/RW: 1 added · Tapes: 1 added · "
                   "Books: 1 added · User Defined: 1 added")
            << QString(eightDetails)
                   .replace(str("To-Do List: 1 record added."),
                            str("To-Do List: 1 record added. 2 values skipped from fields "
                                "Quillory has no place for: ExtraField2, PriorityCode."));
        QTest::newRow("thirty track titles")
            << 2 << false << 2104
            << str("Quillory - Done\nAddress Book: 1 added · Journal: 1 added · To-Do List: 1 "
                   "added, 2 values skipped · CDs: 1 added, 20 values skipped · CD-R/RW: 1 added "
                   "· Tapes: 1 added, 20 values skipped · Books: 1 added · User Defined: 1 added")
            << QString(eightDetails)
                   .replace(str("To-Do List: 1 record added."),
                            str("To-Do List: 1 record added. 2 values skipped from fields "
                                "Quillory has no place for: ExtraField2, PriorityCode."))
                   .replace(str("CDs: 1 record added."),
                            str("CDs: 1 record added. 20 values skipped from fields Quillory has "
                                "no place for: ") +
                                numbered("CDTitle", 11, 30).join(str(", ")) + str("."))
                   .replace(str("Tapes: 1 record added."),
                            str("Tapes: 1 record added. 20 values skipped from fields Quillory has "
                                "no place for: ") +
                                numbered("TpTitle", 11, 30).join(str(", ")) + str("."));
        // A backup, or another program directory's Data: the tables as this version lays them
        // out, read under either current layout.
        QTest::newRow("our own tables, ten track titles")
            << 1 << true << 2026 << str("Quillory - Done\n") + eight << eightDetails;
        QTest::newRow("our own tables, thirty track titles")
            << 2 << true << 1950 << str("Quillory - Done\n") + eight << eightDetails;
    }
    void everyFieldArrivesFromEachLayout()
    {
        QFETCH(int, layout);
        QFETCH(bool, ours);
        QFETCH(int, year);
        QFETCH(QString, done);
        QFETCH(QString, details);
        Fixture f;
        {
            Settings settings(*f.services.settings);
            settings.openKey(keys::UserDef, true);
            settings.writeString(QStringLiteral("Title"), QStringLiteral("Cellar"));
            settings.writeString(QStringLiteral("Label1"), QStringLiteral("Wine"));
        }
        const QByteArray settingsBefore = fileBytes(f.services.settings->path());
        const QString source = f.folder("source");
        const SourceTables written = writeSources(f, source, layout, ours, year);
        const QByteArray sourceBefore = snapshot(source);

        const bool finished =
            f.import(source, layout,
                     {Module::Names, Module::Journal, Module::ToDo, Module::CDs, Module::CDRs,
                      Module::Tapes, Module::Books, Module::UserDefined});
        QCOMPARE(f.messages(), QStringList());
        QVERIFY(finished);
        QCOMPARE(f.status(), done);
        QCOMPARE(f.details, details);
        QCOMPARE(snapshot(source), sourceBefore);
        QCOMPARE(fileBytes(f.services.settings->path()), settingsBefore);

        for (int m = 0; m < import::moduleCount; ++m) {
            const exchange::HeldTable held =
                exchange::openTable(f.dir.session(), exchange::Module(m));
            Table& table = *held.table;
            const QStringList copied = layoutFields(Module(m), layout);
            QCOMPARE(table.recordCount(), copied.isEmpty() ? 0 : 1);
            if (copied.isEmpty())
                continue;
            const std::optional<TableDef>& laidOut = written[size_t(m)];
            if (!laidOut)
                QFAIL("a layout with fields to copy wrote no source table");
            const Row row = sampleRow(*laidOut, year);
            for (int i = 1; i < int(table.definition().fields.size()); ++i) {
                const FieldDef& into = table.definition().fields[size_t(i)];
                QVariant expected;
                for (const auto& [field, value] : row) {
                    if (field.compare(into.name, Qt::CaseInsensitive) == 0 &&
                        copied.contains(field, Qt::CaseInsensitive))
                        expected = into.type == FieldType::Text
                                       ? QVariant(value.toString().left(into.size))
                                       : value;
                }
                if (layout == 0 && into.name == QLatin1String("BkPubDate"))
                    expected = QStringLiteral("5/25/1897");
                QVERIFY2(table.value(into.name) == expected,
                         qPrintable(into.name + QStringLiteral(": ") + table.asText(into.name)));
            }
        }
        // Spot checks of fields only the current layouts carry.
        if (layout > 0) {
            QCOMPARE(f.column(Module::Names, str("PagerNo")), QStringList{str("éPagerNo·太")});
            QCOMPARE(f.column(Module::Names, str("WebSite2")), QStringList{str("éWebSite2·太")});
            QCOMPARE(f.column(Module::UserDefined, str("Label9")), QStringList{str("éLabel9·太")});
        }
    }

    void recordsAreOnlyAdded()
    {
        Fixture f;
        const QString source = f.folder("source");
        f.write(source, Module::Names, 1,
                {{{str("LastName"), str("Ørsted")}}, {{str("LastName"), str("Çelik")}}});
        f.write(source, Module::Journal, 0, {{{str("MemoField1"), str("no stamp")}}});
        f.write(source, Module::ToDo, 1, {});
        f.write(source, Module::ToDo, 0, {});
        {
            ToDoTables toDo(f.dir.session());
            toDo.tbTodo->insert();
            toDo.tbTodo->setAsText(str("ToDoMemo"), str("mine"));
            toDo.tbTodo->post();
        }
        AddressBookWindow* addressBook = f.program->mainMenu()->addressBookWindow();
        addressBook->show();
        const QAbstractItemModel* listed =
            addressBook->findChild<DBGrid*>(QStringLiteral("MyDBGrid1"))->model();
        QCOMPARE(listed->rowCount(), 0);
        for (int run = 0; run < 2; ++run)
            QVERIFY(f.import(source, 1, {Module::Names, Module::ToDo}));
        QVERIFY(f.statuses.contains(str("Quillory - Importing.... 2 records")));
        // The open address book window lists them at once.
        QCOMPARE(listed->rowCount(), 4);
        QCOMPARE(f.column(Module::Names, str("LastName")),
                 QStringList({str("Çelik"), str("Çelik"), str("Ørsted"), str("Ørsted")}));
        QCOMPARE(f.column(Module::ToDo, str("ToDoMemo")), QStringList({str("mine")}));
        // A journal entry without a stamp keeps none, not the moment of the import.
        QVERIFY(f.import(source, 0, {Module::Journal, Module::ToDo}));
        QCOMPARE(f.column(Module::Journal, str("DateTimeStamp")), QStringList({QString()}));
    }

    void aSecondImportReadsItsOwnFolder()
    {
        Fixture f;
        const QString first = f.folder("first");
        const QString second = f.folder("second");
        f.write(first, Module::Names, 1, {{{str("LastName"), str("Adams")}}});
        f.write(second, Module::Names, 1, {{{str("LastName"), str("Baker")}}});
        QVERIFY(f.import(first, 1, {Module::Names}));
        QVERIFY(f.import(second, 1, {Module::Names}));
        QCOMPARE(f.column(Module::Names, str("LastName")),
                 QStringList({str("Adams"), str("Baker")}));
    }

    // A folder whose tables are of another layout than the one chosen: the message names the
    // layout that fits, where the tables show it.
    void aWrongLayoutNamesTheOneThatFits()
    {
        const struct {
            int written;
            int chosen;
            const char* missing;
            const char* hint;
        } cases[] = {
            {1, 0, "QYName.DB", "Current tables, 10 track titles"},
            {2, 0, "QYName.DB", "Current tables, 30 track titles"},
            {0, 1, "QYName2.DB", "Earlier version's tables"},
            {0, 2, "QYName2.DB", "Earlier version's tables"},
            {-1, 1, "QYName2.DB", nullptr},
        };
        for (const auto& c : cases) {
            Fixture f;
            const QString source = f.folder("source");
            if (c.written >= 0) {
                f.write(source, Module::Names, c.written, {{{str("LastName"), str("Adams")}}});
                f.write(source, Module::CDs, c.written, {});
            }
            QVERIFY(!f.import(source, c.chosen, {Module::Names, Module::CDs}));
            const QString hint =
                c.hint ? QStringLiteral("\n\nThe folder holds tables of the layout \"%1\": choose "
                                        "it under Source layout and import again.")
                             .arg(str(c.hint))
                       : QString();
            QCOMPARE(
                f.messages(),
                QStringList(QStringLiteral("Cannot open table \"%1\": there is no such file in %2.")
                                .arg(str(c.missing), source) +
                            hint +
                            str("\n\nNothing of \"Address Book\" was added. The modules "
                                "imported before it keep their records. Put the problem right "
                                "(when the disk is full, make room on it), then import again "
                                "with only the modules not yet imported ticked.")));
        }
    }

    // A source that is not one of ours is refused whole; the modules before it stay imported.
    void aRefusedSourceAddsNothingOfItsModule_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        const QString kept =
            str("\n\nNothing of \"Journal\" was added. The modules imported before it keep their "
                "records. Put the problem right (when the disk is full, make room on it), then "
                "import again with only the modules not yet imported ticked.");
        QTest::newRow("key not the row id")
            << str("key")
            << str("Cannot open table \"Journal2.DB\": \"%1\" is not a table of this "
                   "program (its field JournalCode is not the row id).") +
                   kept;
        QTest::newRow("field of the wrong type")
            << str("type")
            << str("Cannot open table \"Journal2.DB\": \"%1\" is not a table of "
                   "this program (its field MemoField2 is of the type INTEGER, not "
                   "TEXT).") +
                   kept;
        QTest::newRow("value that is no date")
            << str("value")
            << str("The import stopped at record 2 of the table \"Journal2.DB\", "
                   "field DateTimeStamp: the value stored there is no valid date "
                   "and time.") +
                   kept;
    }
    void aRefusedSourceAddsNothingOfItsModule()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        Fixture f;
        const QString source = f.folder("source");
        const QString journal = QDir(source).filePath(str("Journal2.DB"));
        f.write(source, Module::Names, 1, {{{str("LastName"), str("Adams")}}});
        TableDef def = laidOutTable(Module::Journal, 1);
        if (kind == QLatin1String("key"))
            def.fields.front().type = FieldType::Text;
        f.write(source, Module::Journal, def,
                {{{str("MemoField1"), str("one")},
                  {str("DateTimeStamp"), QDateTime(QDate(2026, 1, 1), QTime(9, 0))}},
                 {{str("MemoField1"), str("two")}},
                 {{str("MemoField1"), str("three")}}});
        {
            sql::Database db(journal, sql::OpenMode::ReadWrite);
            if (kind == QLatin1String("key"))
                db.exec("UPDATE records SET JournalCode = 'J' || rowid");
            else if (kind == QLatin1String("type"))
                db.exec("ALTER TABLE records DROP COLUMN MemoField2;"
                        "ALTER TABLE records ADD COLUMN MemoField2 INTEGER");
            else
                db.exec("UPDATE records SET DateTimeStamp = 'garbage' WHERE rowid = 2");
        }
        QVERIFY(!f.import(source, 1, {Module::Names, Module::Journal, Module::ToDo}));
        QCOMPARE(f.messages(), QStringList{message.replace(str("%1"), journal)});
        QCOMPARE(
            f.statuses.mid(f.statuses.size() - 2),
            QStringList({str("Quillory - Importing.... 1 record"), str("Quillory - Aborted")}));
        QCOMPARE(f.column(Module::Names, str("LastName")), QStringList{str("Adams")});
        QCOMPARE(f.column(Module::Journal, str("MemoField1")), QStringList());
    }

    // The disk filling up takes the module's records back: the message says so, and the status
    // line counts what stays.
    void aFullDiskKeepsNothingOfTheModuleAndSaysSo()
    {
        Fixture f;
        const QString source = f.folder("source");
        f.write(source, Module::Journal, 1, {{{str("MemoField1"), str("kept")}}});
        f.write(source, Module::CDs, 1, {});
        sql::Database(QDir(source).filePath(str("CollCD2.DB")), sql::OpenMode::ReadWrite)
            .exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                  "INSERT INTO records(CDTitle, CDTitle1, CDTitle2, CDTitle3, CDTitle4, CDTitle5, "
                  "CDTitle6, CDTitle7, CDTitle8, CDTitle9, CDTitle10) SELECT 'CD' || i, "
                  "printf('%.70c', 'a'), printf('%.70c', 'b'), printf('%.70c', 'c'), "
                  "printf('%.70c', 'd'), printf('%.70c', 'e'), printf('%.70c', 'f'), "
                  "printf('%.70c', 'g'), printf('%.70c', 'h'), printf('%.70c', 'i'), "
                  "printf('%.70c', 'j') FROM n");
        // No file of the process may grow beyond a little more than the catalogue is now.
        const QString book = QDir(f.dir.dataPath()).filePath(str("CollCD2.DB"));
        rlimit before{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
        rlimit small = before;
        small.rlim_cur = rlim_t(QFileInfo(book).size() + qint64(256) * 1024);
        const auto ignored = ::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool finished = f.import(source, 1, {Module::Journal, Module::CDs});
        ::setrlimit(RLIMIT_FSIZE, &before);
        ::signal(SIGXFSZ, ignored);

        QVERIFY(!finished);
        const QString message = f.messages().value(0);
        QVERIFY2(message.startsWith(str("The import stopped at record ")) &&
                     message.contains(str(" of the table \"CollCD2.DB\": Could not store the ")) &&
                     message.contains(str(" in table \"CollCD2.DB\": ")) &&
                     message.endsWith(str("\n\nNothing of \"CDs\" was added. The modules "
                                          "imported before it keep their records. Put the problem "
                                          "right (when the disk is full, make room on it), then "
                                          "import again with only the modules not yet imported "
                                          "ticked.")),
                 qPrintable(message));
        QCOMPARE(
            f.statuses.mid(f.statuses.size() - 2),
            QStringList({str("Quillory - Importing.... 1 record"), str("Quillory - Aborted")}));
        QCOMPARE(f.column(Module::CDs, str("CDTitle")), QStringList());
        QCOMPARE(f.column(Module::Journal, str("MemoField1")), QStringList{str("kept")});
        QVERIFY((test::keptAndHeldRecords(book) == std::pair<qint64, qint64>(0, 0)));
    }

    // A program that died while writing a source table left its journal beside it: the table is
    // read as last committed, and the source stays as it was.
    void aSourceACrashLeftIsReadAsCommitted()
    {
        Fixture f;
        const QString source = f.folder("source");
        const QString scratch = f.folder("scratch");
        f.write(scratch, Module::Names, 1, {});
        const QString table = QDir(scratch).filePath(str("QYName2.DB"));
        {
            sql::Database writer(table, sql::OpenMode::ReadWrite);
            writer.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < 2000) INSERT INTO records(LastName, MeMemoData1) SELECT "
                        "'Old' || i, printf('%.500c', 'x') FROM n");
            writer.exec("PRAGMA cache_size=1");
            writer.exec("BEGIN IMMEDIATE");
            writer.exec("UPDATE records SET LastName = 'Torn' || LastName");
            QVERIFY(QFile::copy(table, QDir(source).filePath(str("QYName2.DB"))));
            QVERIFY(QFile::copy(table + str("-journal"),
                                QDir(source).filePath(str("QYName2.DB-journal"))));
            writer.exec("ROLLBACK");
        }
        // The file holds changes that were never committed.
        QVERIFY(fileBytes(QDir(source).filePath(str("QYName2.DB"))).contains("TornOld"));
        const QByteArray before = snapshot(source);
        QVERIFY(f.import(source, 1, {Module::Names}));
        QCOMPARE(f.messages(), QStringList());
        const QStringList names = f.column(Module::Names, str("LastName"));
        QCOMPARE(names.size(), 2000);
        QCOMPARE(names.filter(str("Torn")), QStringList());
        QCOMPARE(snapshot(source), before);
    }

    void aPasswordTheEngineLacksIsAskedFor()
    {
        Fixture f;
        const QString source = f.folder("source");
        f.write(source, Module::Journal, 0, {{{str("MemoField1"), str("old")}}}, str("oldsecret"));
        // The run knows no password but those the holders register.

        QVERIFY(!f.import(source, 0, {Module::Journal}));
        QCOMPARE(f.services.prompts->questions,
                 QStringList({str("Quillory - Import: The table \"Journal.DB\" is protected by a "
                                  "password. Password:")}));
        QVERIFY2(
            f.messages().value(0).startsWith(str("Cannot open table \"Journal.DB\": invalid "
                                                 "password.\n\nNothing of \"Journal\" was added.")),
            qPrintable(f.messages().value(0)));
        f.services.prompts->inputs << str("wrong") << str("oldsecret");
        QVERIFY(f.import(source, 0, {Module::Journal}));
        QCOMPARE(f.services.prompts->questions.size(), 3);
        QCOMPARE(f.column(Module::Journal, str("MemoField1")), QStringList({str("old")}));
    }

    // A cancel part way takes back the whole run: the module being imported is rolled back, the
    // modules imported before it lose the records the run gave them, and every table keeps its
    // records and the number it keeps as they were.
    void aCancelPartWayChangesNoTable_data()
    {
        QTest::addColumn<int>("cancelAt");
        QTest::newRow("in the first module") << 2;
        QTest::newRow("in the second module") << 5;
    }
    void aCancelPartWayChangesNoTable()
    {
        QFETCH(int, cancelAt);
        Fixture f;
        const QString source = f.folder("source");
        f.write(source, Module::Names, 1,
                {{{str("LastName"), str("Ørsted")}},
                 {{str("LastName"), str("Çelik")}},
                 {{str("LastName"), str("Abe")}}});
        f.write(source, Module::Journal, 1,
                {{{str("MemoField1"), str("one")}},
                 {{str("MemoField1"), str("two")}},
                 {{str("MemoField1"), str("three")}},
                 {{str("MemoField1"), str("four")}},
                 {{str("MemoField1"), str("five")}},
                 {{str("MemoField1"), str("six")}},
                 {{str("MemoField1"), str("seven")}}});
        {
            AddressBookTables names(f.dir.session());
            names.tbNames->insert();
            names.tbNames->setAsText(str("LastName"), str("Mine"));
            names.tbNames->post();
            JournalTables journal(f.dir.session());
            journal.tbJournal1->insert();
            journal.tbJournal1->setAsText(str("MemoField1"), str("my entry"));
            journal.tbJournal1->post();
        }
        const QString names = QDir(f.dir.dataPath()).filePath(str("QYName2.DB"));
        const QString journal = QDir(f.dir.dataPath()).filePath(str("Journal2.DB"));
        const QByteArray namesBefore = test::storedState(names);
        const QByteArray journalBefore = test::storedState(journal);
        QVERIFY(namesBefore.contains("count 1\n"));

        import::Request request{source, 1, {}};
        request.modules[size_t(Module::Names)] = true;
        request.modules[size_t(Module::Journal)] = true;
        test::ScriptedProgress progress;
        progress.cancelAt = cancelAt;
        QVERIFY_THROWS_EXCEPTION(Cancelled,
                                 import::Importer(f.dir.session(), request).run(progress));
        QCOMPARE(progress.done, qint64(cancelAt));
        QCOMPARE(test::storedState(names), namesBefore);
        QCOMPARE(test::storedState(journal), journalBefore);
        QCOMPARE(f.column(Module::Names, str("LastName")), QStringList({str("Mine")}));

        // Run again to its end, the import adds every record once.
        QVERIFY(f.import(source, 1, {Module::Names, Module::Journal}));
        QCOMPARE(f.column(Module::Names, str("LastName")),
                 QStringList({str("Abe"), str("Çelik"), str("Mine"), str("Ørsted")}));
        QCOMPARE(f.column(Module::Journal, str("MemoField1")).size(), 8);
    }

    void hostileSourcesStopWithAClearMessage_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"truncated", "random bytes", "another program's database",
                                 "folder", "pipe", "link to the organizer's own table"})
            QTest::newRow(kind) << str(kind);
    }
    void hostileSourcesStopWithAClearMessage()
    {
        QFETCH(QString, kind);
        Fixture f;
        const QString source = f.folder("source");
        const QString table = QDir(source).filePath(str("QYName2.DB"));
        if (kind == QLatin1String("truncated")) {
            std::vector<Row> rows(300, {{str("MeMemoData1"), QString(2000, QLatin1Char('x'))}});
            f.write(source, Module::Names, 1, rows);
            QVERIFY(QFile::resize(table, QFileInfo(table).size() / 2));
        } else if (kind == QLatin1String("random bytes")) {
            QFile file(table);
            QVERIFY(file.open(QIODevice::WriteOnly));
            for (int i = 0; i < 4096; ++i)
                file.write(QByteArray::number(quint64(i) * 2654435761u % 65521, 36));
        } else if (kind == QLatin1String("another program's database")) {
            sql::Database db(table, sql::OpenMode::Create);
            db.exec("CREATE TABLE records(x); CREATE TABLE meta(key, value);"
                    "INSERT INTO meta VALUES ('format', '1');"
                    "CREATE TRIGGER t AFTER INSERT ON records BEGIN SELECT 1; END;");
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(source).mkdir(str("qyname2.db")));
        } else if (kind == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(table).constData(), 0600), 0);
        } else {
            QVERIFY(QFile::link(QDir(f.dir.dataPath()).filePath(str("QYName2.DB")), table));
        }
        const QByteArray before = snapshot(source);
        QVERIFY(!f.import(source, 1, {Module::Names}));
        QCOMPARE(f.status(), str("Quillory - Aborted"));
        QVERIFY2(f.messages().value(0).contains(str("\"QYName2.DB\"")),
                 qPrintable(f.messages().value(0)));
        QCOMPARE(snapshot(source), before);
    }
};

QL_TEST_CLASS(ImportTest)
#include "tst_import.moc"
