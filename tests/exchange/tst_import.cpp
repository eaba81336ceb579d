#include "catalogue.h"
#include "dbcontrols.h"
#include "holders.h"
#include "import.h"
#include "install.h"
#include "keys.h"
#include "moduletable.h"
#include "pdaform.h"
#include "scripted.h"
#include "session.h"
#include "settings.h"
#include "sqlite.h"
#include "startup.h"
#include "tablefile.h"
#include "testenv.h"
#include "testmain.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>
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

// A started program and folders of source tables, written through the table layer.
struct Fixture {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    test::FixedClock clock{QDateTime(QDate(2024, 3, 10), QTime(12, 0))};
    std::unique_ptr<Program> program = std::make_unique<Program>(dir.path());
    QStringList statuses;

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
        const TableDef& def = *import::sourceTable(module, layout);
        const QString key =
            password.isEmpty() ? catalogue::password(destinationOf(module)) : password;
        tablefile::create(def, folder, key);
        Session::instance().registerDatabase(QStringLiteral("Fixture"), folder);
        Session::instance().addPassword(key);
        Table table(def, QStringLiteral("fixture"));
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
        statuses.clear();
        return import::run(request, nullptr, [this](const QString& text) { statuses << text; });
    }

    QString status() const { return statuses.isEmpty() ? QString() : statuses.last(); }
    QStringList messages() const { return services.prompts->messages; }

    // A field of every record of a module's table, in the table's order.
    static QStringList column(Module module, const QString& field)
    {
        const exchange::HeldTable held = exchange::openTable(exchange::Module(int(module)));
        QStringList values;
        for (held.table->first(); !held.table->eof(); held.table->next())
            values << held.table->asText(field);
        return values;
    }
};

// A value for every field of a source table, in a century of its own.
Row sampleRow(const TableDef& def, int year)
{
    Row row;
    for (size_t i = 1; i < def.fields.size(); ++i) {
        const FieldDef& field = def.fields[i];
        const QString text = str("é") + field.name + str("·太");
        switch (field.type) {
        case FieldType::Date:
            row.emplace_back(field.name, QDate(year, 5, 25));
            break;
        case FieldType::DateTime:
            row.emplace_back(field.name, QDateTime(QDate(year, 12, 31), QTime(23, 59, 58)));
            break;
        case FieldType::Memo:
            row.emplace_back(field.name, text + str("\r\nÅngström"));
            break;
        case FieldType::AutoIncrement:
        case FieldType::Text:
            row.emplace_back(field.name, text.left(field.size));
        }
    }
    return row;
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
        QTest::addColumn<int>("year");
        QTest::newRow("earlier version") << 0 << 1897;
        QTest::newRow("ten track titles") << 1 << 1999;
        QTest::newRow("thirty track titles") << 2 << 2104;
    }
    void everyFieldArrivesFromEachLayout()
    {
        QFETCH(int, layout);
        QFETCH(int, year);
        Fixture f;
        {
            Settings settings;
            settings.openKey(keys::UserDef, true);
            settings.writeString(QStringLiteral("Title"), QStringLiteral("Cellar"));
            settings.writeString(QStringLiteral("Label1"), QStringLiteral("Wine"));
        }
        const QByteArray settingsBefore = fileBytes(f.dir.settingsFile());
        const QString source = f.folder("source");
        QStringList skipped;
        for (int m = 0; m < import::moduleCount; ++m) {
            if (const TableDef* def = import::sourceTable(Module(m), layout)) {
                f.write(source, Module(m), layout, {sampleRow(*def, year)});
                for (const FieldDef& field : def->fields) {
                    if (destinationOf(Module(m)).fieldIndex(field.name) < 0)
                        skipped << field.name;
                }
            }
        }
        const QByteArray sourceBefore = snapshot(source);

        QVERIFY(f.import(source, layout,
                         {Module::Names, Module::Journal, Module::ToDo, Module::CDs, Module::CDRs,
                          Module::Tapes, Module::Books, Module::UserDefined}));
        QCOMPARE(f.messages(), QStringList());
        QCOMPARE(f.status(), skipped.isEmpty() ? str("Quillory - Done")
                                               : QStringLiteral("Quillory - Done (%1 values "
                                                                "skipped: %2)")
                                                     .arg(skipped.size())
                                                     .arg(skipped.join(QStringLiteral(", "))));
        QCOMPARE(snapshot(source), sourceBefore);
        QCOMPARE(fileBytes(f.dir.settingsFile()), settingsBefore);

        for (int m = 0; m < import::moduleCount; ++m) {
            const TableDef* def = import::sourceTable(Module(m), layout);
            const exchange::HeldTable held = exchange::openTable(exchange::Module(m));
            Table& table = *held.table;
            QCOMPARE(table.recordCount(), def ? 1 : 0);
            if (!def)
                continue;
            const Row row = sampleRow(*def, year);
            for (int i = 1; i < int(table.definition().fields.size()); ++i) {
                const QString name = table.definition().fields[size_t(i)].name;
                QVariant expected;
                for (const auto& [field, value] : row) {
                    if (field.compare(name, Qt::CaseInsensitive) == 0)
                        expected = value;
                }
                if (layout == 0 && name == QLatin1String("BkPubDate"))
                    expected = QStringLiteral("5/25/1897");
                QVERIFY2(table.value(name) == expected,
                         qPrintable(name + QStringLiteral(": ") + table.asText(name)));
            }
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
            TDataModule4 toDo;
            toDo.tbTodo->insert();
            toDo.tbTodo->setAsText(str("ToDoMemo"), str("mine"));
            toDo.tbTodo->post();
        }
        PDAForm->show();
        const QAbstractItemModel* listed = PDAForm->MyDBGrid1->model();
        QCOMPARE(listed->rowCount(), 0);
        for (int run = 0; run < 2; ++run)
            QVERIFY(f.import(source, 1, {Module::Names, Module::ToDo}));
        QVERIFY(f.statuses.contains(str("Quillory - Importing.... 2 records")));
        // The open address book window lists them at once.
        QCOMPARE(listed->rowCount(), 4);
        QCOMPARE(Fixture::column(Module::Names, str("LastName")),
                 QStringList({str("Çelik"), str("Çelik"), str("Ørsted"), str("Ørsted")}));
        QCOMPARE(Fixture::column(Module::ToDo, str("ToDoMemo")), QStringList({str("mine")}));
        // A journal entry without a stamp keeps none, not the moment of the import.
        QVERIFY(f.import(source, 0, {Module::Journal, Module::ToDo}));
        QCOMPARE(Fixture::column(Module::Journal, str("DateTimeStamp")), QStringList({QString()}));
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
        QCOMPARE(Fixture::column(Module::Names, str("LastName")),
                 QStringList({str("Adams"), str("Baker")}));
    }

    void aStopSaysWhereAndKeepsWhatWasAdded()
    {
        Fixture f;
        const QString source = f.folder("source");
        f.write(source, Module::Names, 1, {{{str("LastName"), str("Adams")}}});
        f.write(source, Module::Journal, 1,
                {{{str("MemoField1"), str("one")}},
                 {{str("MemoField1"), str("two")}},
                 {{str("MemoField1"), str("three")}}});
        sql::Database(QDir(source).filePath(str("Journal2.DB")), sql::OpenMode::ReadWrite)
            .exec("UPDATE records SET DateTimeStamp = 'yesterday' WHERE rowid = 2");
        QVERIFY(!f.import(source, 1, {Module::Names, Module::Journal, Module::ToDo}));
        QCOMPARE(f.status(), str("Quillory - Aborted"));
        QCOMPARE(f.messages(),
                 QStringList({str("The import stopped at record 2 of the table \"Journal2.DB\", "
                                  "field DateTimeStamp: the value stored there is no valid date "
                                  "and time.")}));
        QCOMPARE(Fixture::column(Module::Names, str("LastName")), QStringList({str("Adams")}));
        QCOMPARE(Fixture::column(Module::Journal, str("MemoField1")), QStringList({str("one")}));

        // The third table missing: the first two are imported.
        f.services.prompts->messages.clear();
        QFile::remove(QDir(source).filePath(str("Journal2.DB")));
        f.write(source, Module::Journal, 1, {{{str("MemoField1"), str("four")}}});
        QVERIFY(!f.import(source, 1, {Module::Names, Module::Journal, Module::ToDo}));
        QCOMPARE(f.status(), str("Quillory - Aborted"));
        QVERIFY2(f.messages().value(0).startsWith(str("Cannot open table \"ToDo2.DB\"")),
                 qPrintable(f.messages().value(0)));
        QCOMPARE(Fixture::column(Module::Names, str("LastName")).size(), 2);
        QCOMPARE(Fixture::column(Module::Journal, str("MemoField1")).size(), 2);
    }

    void aPasswordTheEngineLacksIsAskedFor()
    {
        Fixture f;
        const QString source = f.folder("source");
        f.write(source, Module::Journal, 0, {{{str("MemoField1"), str("old")}}}, str("oldsecret"));
        // A new run: the engine knows no password but those the holders register.
        Session::instance().reset();
        Session::instance().loadConfiguration(install::configurationFile(f.dir.path()));

        QVERIFY(!f.import(source, 0, {Module::Journal}));
        QCOMPARE(f.services.prompts->questions,
                 QStringList({str("Quillory - Import: The table \"Journal.DB\" is protected by a "
                                  "password. Password:")}));
        QVERIFY2(f.messages().value(0).endsWith(str("invalid password.")),
                 qPrintable(f.messages().value(0)));
        f.services.prompts->inputs << str("wrong") << str("oldsecret");
        QVERIFY(f.import(source, 0, {Module::Journal}));
        QCOMPARE(f.services.prompts->questions.size(), 3);
        QCOMPARE(Fixture::column(Module::Journal, str("MemoField1")), QStringList({str("old")}));
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
