#include "addressbook/addressbooktables.h"
#include "collections/collectionstables.h"
#include "formats/csvtable.h"
#include "journal/journaltables.h"
#include "store/tablebulk.h"
#include "support/dialogs.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "userdefined/userdefinedtables.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// A module's table, in a holder of its own.
struct Opened {
    std::unique_ptr<QObject> holder;
    Table* table;
};

template <typename Holder> Opened open(Session& session, Table* Holder::*table)
{
    auto holder = std::make_unique<Holder>(session);
    Table* t = holder.get()->*table;
    return {std::move(holder), t};
}

Opened openModule(Session& session, const QString& name)
{
    if (name == u"QYName2.DB")
        return open(session, &AddressBookTables::tbNames);
    if (name == u"Journal2.DB")
        return open(session, &JournalTables::tbJournal1);
    if (name == u"ToDo2.db")
        return open(session, &ToDoTables::tbTodo);
    if (name == u"CollCD2.DB")
        return open(session, &CollectionsTables::tbCD);
    if (name == u"CollCDR2.DB")
        return open(session, &CollectionsTables::tbCDR);
    if (name == u"CollTp2.DB")
        return open(session, &CollectionsTables::tbTapes);
    if (name == u"CollBk2.DB")
        return open(session, &CollectionsTables::tbBooks);
    return open(session, &UserDefinedTables::tbUserDefined);
}

// Each column of a module's file: "header=field".
QStringList recordingColumns(const char* p, const char* returnDate)
{
    QStringList columns{str("Title=%1Title").arg(str(p)), str("Artist=%1Artist").arg(str(p)),
                        str("Kind=%1Kind").arg(str(p)), str("Date=%1Date").arg(str(p))};
    for (int n = 1; n <= 10; ++n)
        columns << str("Track %1=%2Title%1").arg(n).arg(str(p));
    return columns << str("Borrowed By=%1Borrowed").arg(str(p))
                   << str("Return Date=%1").arg(str(returnDate));
}

const QHash<QString, QStringList>& expectedColumns()
{
    static const QHash<QString, QStringList> columns = {
        {str("QYName2.DB"),
         {str("Record Number=NameCode"),
          str("First Name=FirstName"),
          str("Last Name=LastName"),
          str("Company=Company"),
          str("Nickname=NickName"),
          str("Category=Category"),
          str("Group=Group"),
          str("Address A Line 1=AdAddress1"),
          str("Address A Line 2=AdAddress2"),
          str("City A=AdCity1"),
          str("State A=AdState1"),
          str("Zip A=AdZip1"),
          str("Address B Line 1=AdAddress3"),
          str("Address B Line 2=AdAddress4"),
          str("City B=AdCity2"),
          str("State B=AdState2"),
          str("Zip B=AdZip2"),
          str("Phone A Description=PhDescription1"),
          str("Phone A Area Code=PhAreaCode1"),
          str("Phone A Number=PhNumber1"),
          str("Phone A Extension=PhExt1"),
          str("Phone B Description=PhDescription2"),
          str("Phone B Area Code=PhAreaCode2"),
          str("Phone B Number=PhNumber2"),
          str("Phone B Extension=PhExt2"),
          str("Cell Phone Description=CellPhDescr"),
          str("Cell Phone Number=CellPhNo"),
          str("Pager Description=PagerDescr"),
          str("Pager Number=PagerNo"),
          str("E-mail A Address=EmAddress1"),
          str("E-mail A Description=EmDescription1"),
          str("E-mail B Address=EmAddress2"),
          str("E-mail B Description=EmDescription2"),
          str("Web Site 1=WebSite1"),
          str("Web Site 2=WebSite2"),
          str("Memo Description=MeDescription1"),
          str("Memo A=MeMemoData1"),
          str("Memo B=MeMemoData2"),
          str("Reserved 1=FirstLastComp"),
          str("Reserved 2=ExtraField")}},
        {str("Journal2.DB"),
         {str("Record Number=JournalCode"), str("Date and Time=DateTimeStamp"),
          str("Upper Text=MemoField1"), str("Lower Text=MemoField2"),
          str("Reserved 1=ExtraField")}},
        {str("ToDo2.db"),
         {str("Record Number=ToDoCode"), str("Due Date=ToDoByDate"), str("Text=ToDoMemo"),
          str("Reserved 1=ExtraField")}},
        {str("CollCD2.DB"), QStringList{str("Record Number=CDImputOrder")} +
                                recordingColumns("CD", "CDReturnDate") +
                                QStringList{str("Reserved 1=ExtraField")}},
        {str("CollCDR2.DB"),
         {str("Record Number=CDRCode"), str("Title=CDRTitle"), str("Maker=CDRMaker"),
          str("Kind=CDRKind"), str("Notes=CDRNotes"), str("Borrowed By=CDRBorrowed"),
          str("Return Date=CDRReturnDate"), str("Reserved 1=CDRTest"),
          str("Reserved 2=ExtraField")}},
        {str("CollTp2.DB"), QStringList{str("Record Number=TpCode")} +
                                recordingColumns("Tp", "TPReturnDate") +
                                QStringList{str("Reserved 1=ExtraField")}},
        {str("CollBk2.DB"),
         {str("Record Number=BkCode"), str("Title=BkTitle"), str("Author First Name=BkAuthorFirst"),
          str("Author Last Name=BkAuthorLast"), str("Kind=BkKind"),
          str("Publication Date=BkPubDate"), str("Publisher=BkPublisher"),
          str("Description=BkDescription"), str("Borrowed By=BkBorrowed"),
          str("Return Date=BkReturnDate"), str("Reserved 1=ExtraField")}},
        {str("UserDa.db"),
         {str("Record Number=Count"), str("Phone=Label1"), str("Field 2 (not in use)=Label2"),
          str("Field 3 (not in use)=Label3"), str("Ölpreis, €=Label4"), str("Label5=Label5"),
          str("Label6=Label6"), str("Label7=Label7"), str("Label8=Label8"), str("Label9=Label9"),
          str("Memo=Memo"), str("Reserved 1=ExtraField4"), str("Reserved 2=ExtraField1"),
          str("Reserved 3=ExtraField2"), str("Reserved 4=ExtraField3")}},
    };
    return columns;
}

// The user's names of the user-defined fields in the test: two not in use, one with a comma.
const QStringList kUserNames = {str("Phone"),      str("None"),   str(""),
                                str("Ölpreis, €"), str("Label5"), str("Label6"),
                                str("Label7"),     str("Label8"), str("Label9")};

const QStringList kSamples = {str("Smith, John"), str("say \"hi\""), str("one\r\ntwo"),
                              str("a\tb"),        str("007"),        str("Émile Ärger"),
                              str(" lead"),       str("x")};

// The text a file gives for field `f` of record `r` (from 0), as the test stores it.
QString sampleText(const FieldDef& def, int r, int f)
{
    switch (def.type) {
    case FieldType::Date:
        return QDate(2020, 1, 1).addDays(r).toString(str("yyyy-MM-dd"));
    case FieldType::DateTime:
        return QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58, 123))
            .addSecs(r)
            .toString(str("yyyy-MM-dd HH:mm:ss.zzz"));
    case FieldType::Memo:
        return kSamples[(r + f) % 8] + str("\r\n") + kSamples[(r + f + 1) % 8];
    case FieldType::AutoIncrement:
        return QString::number(r + 1);
    case FieldType::Text:
        break;
    }
    return kSamples[(r + f) % 8].left(def.size);
}

QVariant sampleValue(const FieldDef& def, int r, int f)
{
    const QString text = sampleText(def, r, f);
    if (def.type == FieldType::Date)
        return QDate::fromString(text, str("yyyy-MM-dd"));
    if (def.type == FieldType::DateTime)
        return QDateTime::fromString(text, str("yyyy-MM-dd HH:mm:ss.zzz"));
    return text;
}

void fill(Table& table, int count)
{
    int r = 0;
    int appended = 0;
    TableBulk::appendRecords(
        table,
        [&](Record& record) {
            if (r == count)
                return false;
            for (int f = 1; f < int(table.definition().fields.size()); ++f) {
                const FieldDef& def = table.definition().fields[size_t(f)];
                record.set(table.fieldIndex(def.name), sampleValue(def, r, f));
            }
            ++r;
            return true;
        },
        appended);
}

// The cells a spreadsheet program reads from a file: (row, column) to type and text.
struct Cell {
    int type;
    QString text;
};
QHash<QPair<int, int>, Cell> spreadsheetCells(const QString& csv)
{
    QTemporaryDir home;
    const QString book = home.filePath(str("book.gnumeric"));
    QProcess convert;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(str("HOME"), home.path());
    env.remove(str("DISPLAY"));
    convert.setProcessEnvironment(env);
    convert.start(str("ssconvert"), {csv, book});
    if (!convert.waitForFinished(120000) || convert.exitCode() != 0)
        qFatal("ssconvert failed: %s", convert.readAllStandardError().constData());
    QProcess unzip;
    unzip.start(str("gzip"), {str("-dc"), book});
    unzip.waitForFinished();
    QXmlStreamReader xml(unzip.readAllStandardOutput());
    QHash<QPair<int, int>, Cell> cells;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != u"Cell")
            continue;
        const auto a = xml.attributes();
        const QPair<int, int> at(a.value(str("Row")).toInt(), a.value(str("Col")).toInt());
        const int type = a.value(str("ValueType")).toInt();
        cells.insert(at, {type, xml.readElementText()});
    }
    return cells;
}

} // namespace

class CsvTableTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { test::setUpProcess(); }

    void everyModuleGoesThroughCsv_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("imports");
        for (const auto& [name, imports] : {std::pair{"QYName2.DB", true},
                                            {"Journal2.DB", false},
                                            {"ToDo2.db", false},
                                            {"CollCD2.DB", true},
                                            {"CollCDR2.DB", true},
                                            {"CollTp2.DB", true},
                                            {"CollBk2.DB", true},
                                            {"UserDa.db", false}})
            QTest::newRow(name) << str(name) << imports;
    }
    // Every field of every record comes out under its header, each record on one line of its
    // own, as a spreadsheet program reads it too; the modules that import take their own file
    // back field for field, all but the key and the reserved fields.
    void everyModuleGoesThroughCsv()
    {
        QFETCH(QString, table);
        QFETCH(bool, imports);
        const int count = 1000;
        test::ProgramDirectory dir;
        const Opened opened = openModule(dir.session(), table);
        Table& t = *opened.table;
        fill(t, count);
        const QString file = dir.filePath(str("out.csv"));
        test::ScriptedProgress progress;
        QCOMPARE(
            formats::exportCsv(t, formats::csvColumns(t.definition(), kUserNames), file, progress),
            qint64(count));

        QFile read(file);
        QVERIFY(read.open(QIODevice::ReadOnly));
        const formats::CsvRows rows = formats::parseCsv(formats::decodeCsv(read.readAll()));
        const QStringList columns = expectedColumns().value(table);
        QStringList headers;
        QStringList fields;
        for (const QString& column : columns) {
            headers << column.section(u'=', 0, 0);
            fields << column.section(u'=', 1);
        }
        QCOMPARE(rows.front(), headers);
        QCOMPARE(int(rows.size()), count + 1);
        const TableDef& def = t.definition();
        const auto expected = [&](int r, int c) {
            const int f = def.fieldIndex(fields[c]);
            return sampleText(def.fields[size_t(f)], r, f);
        };
        // The records come in the order the module's holder reads them; the key tells which
        // record a line holds.
        for (int line = 1; line <= count; ++line) {
            const int r = rows[size_t(line)].value(0).toInt() - 1;
            for (int c = 0; c < columns.size(); ++c)
                QCOMPARE(rows[size_t(line)].value(c), expected(r, c));
        }

        const auto cells = spreadsheetCells(file);
        int lastRow = 0;
        for (auto it = cells.begin(); it != cells.end(); ++it) {
            lastRow = std::max(lastRow, it.key().first);
            QVERIFY2(it.key().second < columns.size(), qPrintable(it.value().text));
        }
        QCOMPARE(lastRow, count);
        for (int line = 1; line <= count; ++line) {
            const int r = cells.value({line, 0}).text.toInt() - 1;
            for (int c = 0; c < columns.size(); ++c) {
                const auto cell = cells.find({line, c});
                QVERIFY2(cell != cells.end(), qPrintable(expected(r, c)));
                // Texts come as they are, their line breaks as the program keeps them; numbers and
                // dates as the program reads them.
                if (cell->type == 60)
                    QCOMPARE(cell->text, expected(r, c).replace(str("\r\n"), str("\n")));
            }
        }

        if (!imports)
            return;
        const formats::CsvImportOutcome outcome =
            formats::importCsv(t, rows, formats::matchColumns(def, rows.front()), progress);
        QCOMPARE(outcome.added, count);
        QCOMPARE(outcome.skipped, QStringList());
        QCOMPARE(outcome.shortened, 0);
        const std::vector<TableBulk::Texts> all = TableBulk::readTexts(t, fields.mid(1));
        QCOMPARE(int(all.size()), 2 * count);
        QHash<qint64, int> at;
        for (int i = 0; i < int(all.size()); ++i)
            at.insert(all[size_t(i)].key, i);
        // The copies are added in the order of the file.
        for (int line = 1; line <= count; ++line) {
            const int r = rows[size_t(line)].value(0).toInt() - 1;
            const TableBulk::Texts& copy = all[size_t(at.value(count + line))];
            for (int c = 1; c < columns.size(); ++c) {
                const bool reserved = headers[c].startsWith(u"Reserved");
                QCOMPARE(copy.text(c - 1).toString(), reserved ? QString() : expected(r, c));
            }
        }
    }

    // A record the import cannot read is skipped and named; the others are added; a cancel adds
    // none.
    void theImportSkipsWhatItCannotRead()
    {
        test::ProgramDirectory dir;
        test::FixedClock clock{dir.session(), QDateTime(QDate(2024, 3, 10), QTime(12, 0))};
        const Opened opened = openModule(dir.session(), str("CollCD2.DB"));
        Table& t = *opened.table;
        const formats::CsvRows rows = formats::parseCsv(str("Title,Artist,Return Date,Lent To\r\n"
                                                            "Abbey,Band,2026-12-25,Ann\r\n"
                                                            ",,,\r\n"
                                                            "Bad,Band,13/45/2020,\r\n"
                                                            "Short,Only\r\n"
                                                            "Extra,Band,,,surplus\r\n"
                                                            "Typed,Band,12/24/26,Bob\r\n"
                                                            "%1,x,,\r\n")
                                                            .arg(QString(71, u'T')));
        const auto targets = formats::matchColumns(t.definition(), rows.front());

        test::ScriptedProgress cancelling;
        cancelling.cancelAt = 3;
        QVERIFY_THROWS_EXCEPTION(Cancelled, formats::importCsv(t, rows, targets, cancelling));
        QCOMPARE(t.recordCount(), 0);

        test::ScriptedProgress progress;
        const formats::CsvImportOutcome outcome = formats::importCsv(t, rows, targets, progress);
        QCOMPARE(outcome.added, 4);
        QCOMPARE(
            outcome.skipped,
            (QStringList{str("record 2: it is empty"),
                         str("record 3: '13/45/2020' is not a valid date (month/day/year, e.g. "
                             "5/25/2024)"),
                         str("record 5: it has more fields than the header")}));
        QCOMPARE(outcome.shortened, 1);
        QStringList stored;
        for (const auto& r : TableBulk::readTexts(
                 t, {str("CDTitle"), str("CDArtist"), str("CDReturnDate"), str("CDBorrowed")})) {
            stored << QStringList{r.text(0).toString(), r.text(1).toString(), r.text(2).toString(),
                                  r.text(3).toString()}
                          .join(u'|');
        }
        stored.sort();
        QCOMPARE(stored,
                 (QStringList{str("Abbey|Band|2026-12-25|Ann"), str("Short|Only||"),
                              QString(70, u'T') + str("|x||"), str("Typed|Band|2026-12-24|Bob")}));
    }

    // A phone's heading fills in its description, unless the file gives one of its own.
    void aDescriptionTheFileGivesStands()
    {
        test::ProgramDirectory dir;
        const Opened opened = openModule(dir.session(), str("QYName2.DB"));
        Table& t = *opened.table;
        const formats::CsvRows rows = formats::parseCsv(
            str("Business Phone,Phone A Description,Mobile Phone\r\n555-0100,Office,555-0101\r\n"));
        test::ScriptedProgress progress;
        formats::importCsv(t, rows, formats::matchColumns(t.definition(), rows.front()), progress);
        const auto stored = TableBulk::readTexts(
            t, {str("PhNumber1"), str("PhDescription1"), str("CellPhNo"), str("CellPhDescr")});
        QCOMPARE(int(stored.size()), 1);
        QCOMPARE(stored[0].text(1).toString(), str("Office"));
        QCOMPARE(stored[0].text(3).toString(), str("Mobile"));
    }
};

QL_TEST_CLASS(CsvTableTest)

#include "tst_csvtable.moc"
