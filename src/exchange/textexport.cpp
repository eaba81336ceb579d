#include "exchange/textexport.h"

#include "exchange/moduletable.h"
#include "formats/exportfile.h"
#include "store/error.h"
#include "store/fieldvalue.h"
#include "store/progress.h"
#include "store/tablebulk.h"

#include <vector>

namespace ql::exchange {
namespace {

// A column of the file: its caption and the field it is filled from. A column without a field
// holds the same text on every record line.
struct Column {
    const char* caption;
    const char* field;
    const char* fixed = "";
    bool memo = false;
};

const std::vector<Column>& organizerColumns()
{
    static const std::vector<Column> columns = {
        {"FirstName", "FirstName"},
        {"LastName", "LastName"},
        {"Company", "Company"},
        {"NickName", "NickName"},
        {"Address_A-1", "AdAddress1"},
        {"Address_A-2", "AdAddress2"},
        {"Address_B-1", "AdAddress3"},
        {"Address_B-2", "AdAddress4"},
        {"City_A", "AdCity1"},
        {"City_B", "AdCity2"},
        {"State_A", "AdState1"},
        {"State_B", "AdState2"},
        {"Zip_A", "AdZip1"},
        {"Zip_B", "AdZip2"},
        {"Phone_Desc._A", "PhDescription1"},
        {"Phone_Desc._B", "PhDescription2"},
        {"Phone_Number_A", "PhNumber1"},
        {"Phone Number B", "PhNumber2"},
        {"Area_Code_A", "PhAreaCode1"},
        {"Area_Code_B", "PhAreaCode2"},
        {"Ext_A", "PhExt1"},
        {"Ext_B", "PhExt2"},
        {"EMail_Add._A", "EmAddress1"},
        {"EMail_Add._B", "EmAddress2"},
        {"EMail_Desc._A", "EmDescription1"},
        {"EMail_Desc._B", "EmDescription2"},
        {"Memo_Desc.", "MeDescription1"},
        {"Memo_A", "MeMemoData1", "", true},
        {"Memo_B", "MeMemoData2", "", true},
    };
    return columns;
}

// The CD and tape catalogues share their captions; each fills them from fields of its own.
std::vector<Column> recordingColumns(const char* title, const char* artist, const char* kind,
                                     const char* date, const char* const (&titles)[10],
                                     const char* returnDate, const char* borrowed)
{
    std::vector<Column> columns = {
        {"Title", title}, {"Artist", artist}, {"Kind", kind}, {"Date", date}};
    static const char* const captions[10] = {"Title1", "Title2", "Title3", "Title4", "Title5",
                                             "Title6", "Title7", "Title8", "Title9", "Title10"};
    for (int i = 0; i < 10; ++i)
        columns.push_back({captions[i], titles[i]});
    columns.push_back({"ReturnDate", returnDate});
    columns.push_back({"Borrowed", borrowed});
    return columns;
}

const std::vector<Column>& columnsOf(Module module)
{
    static const std::vector<Column> journal = {
        {"Date/Time", "DateTimeStamp"},
        {"Memo 1", "MemoField1", "", true},
        {"Memo 2", "MemoField2", "", true},
    };
    static const std::vector<Column> toDo = {
        {"ToDoByDate", "ToDoByDate"},
        {"Priority Code", nullptr, "N/A"},
        {"Memo", "ToDoMemo", "", true},
    };
    static const char* const cdTitles[10] = {"CDTitle1", "CDTitle2", "CDTitle3", "CDTitle4",
                                             "CDTitle5", "CDTitle6", "CDTitle7", "CDTitle8",
                                             "CDTitle9", "CDTitle10"};
    static const std::vector<Column> cd = recordingColumns(
        "CDTitle", "CDArtist", "CDKind", "CDDate", cdTitles, "CDReturnDate", "CDBorrowed");
    static const char* const tapeTitles[10] = {"TpTitle1", "TpTitle2", "TpTitle3", "TpTitle4",
                                               "TpTitle5", "TpTitle6", "TpTitle7", "TpTitle8",
                                               "TpTitle9", "TpTitle10"};
    static const std::vector<Column> tapes = recordingColumns(
        "TpTitle", "TpArtist", "TpKind", "TpDate", tapeTitles, "TpReturnDate", "TpBorrowed");
    // Every line of the recordable CDs carries an empty column after "Borrowed".
    static const std::vector<Column> cdr = {
        {"Title", "CDRTitle"},           {"Manufacturer", "CDRMaker"}, {"Kind", "CDRKind"},
        {"ReturnDate", "CDRReturnDate"}, {"Borrowed", "CDRBorrowed"},  {"", nullptr},
        {"Notes", "CDRNotes", "", true},
    };
    static const std::vector<Column> books = {
        {"Title", "BkTitle"},
        {"First Name", "BkAuthorFirst"},
        {"Last Name", "BkAuthorLast"},
        {"Kind", "BkKind"},
        {"Pub. Date", "BkPubDate"},
        {"Publisher", "BkPublisher"},
        {"Borrowed", "BkBorrowed"},
        {"Return Date", "BkReturnDate"},
        {"Description", "BkDescription", "", true},
    };
    static const std::vector<Column> userDefined = {
        {"Label1", "Label1"}, {"Label2", "Label2"}, {"Label3", "Label3"},
        {"Label4", "Label4"}, {"Label5", "Label5"}, {"Label6", "Label6"},
        {"Label7", "Label7"}, {"Label8", "Label8"}, {"Label9", "Label9"},
    };
    switch (module) {
    case Module::Organizer:
        return organizerColumns();
    case Module::Journal:
        return journal;
    case Module::ToDo:
        return toDo;
    case Module::CD:
        return cd;
    case Module::CDR:
        return cdr;
    case Module::Tapes:
        return tapes;
    case Module::Books:
        return books;
    case Module::UserDefined:
        break;
    }
    return userDefined;
}

// A field's text as the user reads it, from the text the file stores: dates in the short date
// form with four-digit years, date-times with their long time unless it is midnight.
QString shownText(FieldType type, QStringView stored)
{
    switch (type) {
    case FieldType::Date:
        return fieldText(type, storedDate(stored));
    case FieldType::DateTime:
        return fieldText(type, storedDateTime(stored));
    case FieldType::AutoIncrement:
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return stored.toString();
}

} // namespace

void exportText(Session& session, Module module, bool memos, const QString& fileName,
                Progress& progress)
{
    std::vector<Column> columns;
    for (const Column& column : columnsOf(module)) {
        if (memos || !column.memo)
            columns.push_back(column);
    }
    progress.status(QStringLiteral("Exporting..."));
    formats::ExportFile file(fileName);
    const auto field = [&file](bool first, QStringView text) {
        if (!first)
            file.append('\t');
        file.append(text);
    };
    for (size_t i = 0; i < columns.size(); ++i)
        field(i == 0, QString::fromLatin1(columns[i].caption));
    file.endLine();
    // The records of the whole order, read at once: the order along its index and the records
    // along the file, rather than a look-up for each record.
    std::vector<TableBulk::Texts> records;
    QStringList fieldNames;
    // Per column: its place in a record (-1 for a fixed text), its type and its fixed text.
    struct Read {
        int place;
        FieldType type;
        QString fixed;
    };
    std::vector<Read> read;
    {
        const HeldTable source = openTable(session, module);
        const Table& table = *source.table;
        for (const Column& column : columns) {
            if (!column.field) {
                read.push_back({-1, FieldType::Text, QString::fromLatin1(column.fixed)});
                continue;
            }
            const int field = table.fieldIndex(QString::fromLatin1(column.field));
            read.push_back({int(fieldNames.size()), table.field(field).def.type, {}});
            fieldNames << table.field(field).def.name;
        }
        records = TableBulk::readTexts(table, fieldNames);
    }
    const auto total = qint64(records.size());
    qint64 written = 0;
    for (const TableBulk::Texts& record : records) {
        progress.checkCancelled();
        for (size_t i = 0; i < columns.size(); ++i) {
            const Read& column = read[i];
            if (column.place < 0)
                field(i == 0, column.fixed);
            else if (column.type == FieldType::Date || column.type == FieldType::DateTime)
                field(i == 0, shownText(column.type, record.text(column.place)));
            else
                field(i == 0, record.text(column.place));
        }
        file.endLine();
        progress.progress(++written, total);
    }
    file.commit();
}

} // namespace ql::exchange
