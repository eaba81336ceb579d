#include "formats/csvmapping.h"

#include "store/catalogue.h"
#include "store/schema.h"

#include <QHash>

namespace ql::formats {
namespace {

// Another program's header for a field, with the description it implies for the field's value.
struct Alias {
    QString header;
    QString description = {};
};

// A field the organizer writes under a header of its own and reads under others too.
struct ColumnHeading {
    QString field;
    QString header;
    std::vector<Alias> aliases = {};
    // The field that says what the value is, filled from an alias's description.
    QString describedBy = {};
};

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

std::vector<Alias> aliases(std::initializer_list<const char*> headers)
{
    std::vector<Alias> list;
    for (const char* header : headers)
        list.push_back({str(header)});
    return list;
}

// A phone number: other programs name it after its kind, which becomes its description.
ColumnHeading phone(const char* field, const char* header, const char* describedBy,
                    std::initializer_list<std::pair<const char*, const char*>> kinds)
{
    ColumnHeading heading{str(field), str(header), {}, str(describedBy)};
    for (const auto& [alias, description] : kinds)
        heading.aliases.push_back({str(alias), str(description)});
    return heading;
}

std::vector<ColumnHeading> addressBook()
{
    return {
        {"FirstName", "First Name", aliases({"Given Name", "First"})},
        {"LastName", "Last Name", aliases({"Family Name", "Surname", "Last"})},
        {"Company", "Company", aliases({"Organization", "Organisation", "Company Name"})},
        {"NickName", "Nickname", aliases({"Nick Name"})},
        {"Category", "Category", aliases({"Categories"})},
        {"Group", "Group", aliases({"Groups", "Group Membership"})},
        {"AdAddress1", "Address A Line 1",
         aliases({"Business Street", "Business Address", "Work Address", "Street", "Address"})},
        {"AdAddress2", "Address A Line 2", aliases({"Business Street 2", "Address 2"})},
        {"AdCity1", "City A", aliases({"Business City", "Work City", "City"})},
        {"AdState1", "State A", aliases({"Business State", "Work State", "State"})},
        {"AdZip1", "Zip A",
         aliases({"Business Postal Code", "Business ZIP", "Work ZIP", "Postal Code", "ZIP",
                  "ZIP Code"})},
        {"AdAddress3", "Address B Line 1", aliases({"Home Street", "Home Address"})},
        {"AdAddress4", "Address B Line 2", aliases({"Home Street 2"})},
        {"AdCity2", "City B", aliases({"Home City"})},
        {"AdState2", "State B", aliases({"Home State"})},
        {"AdZip2", "Zip B", aliases({"Home Postal Code", "Home ZIP"})},
        {"PhDescription1", "Phone A Description"},
        {"PhAreaCode1", "Phone A Area Code"},
        phone("PhNumber1", "Phone A Number", "PhDescription1",
              {{"Business Phone", "Business"}, {"Work Phone", "Work"}, {"Phone", ""}}),
        {"PhExt1", "Phone A Extension"},
        {"PhDescription2", "Phone B Description"},
        {"PhAreaCode2", "Phone B Area Code"},
        phone("PhNumber2", "Phone B Number", "PhDescription2",
              {{"Home Phone", "Home"}, {"Other Phone", "Other"}}),
        {"PhExt2", "Phone B Extension"},
        {"CellPhDescr", "Cell Phone Description"},
        phone("CellPhNo", "Cell Phone Number", "CellPhDescr",
              {{"Mobile Phone", "Mobile"}, {"Cell Phone", "Cell"}, {"Mobile", "Mobile"}}),
        {"PagerDescr", "Pager Description"},
        phone("PagerNo", "Pager Number", "PagerDescr", {{"Pager", "Pager"}}),
        {"EmAddress1", "E-mail A Address",
         aliases({"E-mail Address", "E-mail", "Email Address", "Primary Email"})},
        {"EmDescription1", "E-mail A Description", aliases({"E-mail Display Name"})},
        {"EmAddress2", "E-mail B Address",
         aliases({"E-mail 2 Address", "Email 2", "Secondary Email", "Other Email"})},
        {"EmDescription2", "E-mail B Description", aliases({"E-mail 2 Display Name"})},
        {"WebSite1", "Web Site 1",
         aliases({"Web Page", "Web Site", "Website", "Web Address", "Business Web Page", "URL"})},
        {"WebSite2", "Web Site 2", aliases({"Personal Web Page", "Home Web Page", "Web Page 2"})},
        {"MeDescription1", "Memo Description"},
        {"MeMemoData1", "Memo A", aliases({"Notes", "Note", "Comments", "Memo"})},
        {"MeMemoData2", "Memo B"},
    };
}

// The lender's fields every catalogue ends with.
void addLending(std::vector<ColumnHeading>& headings, const char* borrowed, const char* returnDate)
{
    headings.push_back({str(borrowed), str("Borrowed By"),
                        aliases({"Borrowed", "Borrower", "Lent To", "Loaned To"})});
    headings.push_back({str(returnDate), str("Return Date"), aliases({"Due Date", "Due"})});
}

// The music CDs and the tapes: a recording with ten tracks.
std::vector<ColumnHeading> recording(const char* prefix, const char* returnDate)
{
    const QString p = str(prefix);
    std::vector<ColumnHeading> headings = {
        {p + str("Title"), str("Title"), aliases({"Album", "Album Title"})},
        {p + str("Artist"), str("Artist"), aliases({"Performer", "Band"})},
        {p + str("Kind"), str("Kind"), aliases({"Genre", "Type"})},
        {p + str("Date"), str("Date"), aliases({"Year", "Release Date", "Released"})},
    };
    for (int n = 1; n <= 10; ++n) {
        headings.push_back(
            {p + QStringLiteral("Title%1").arg(n),
             QStringLiteral("Track %1").arg(n),
             {{QStringLiteral("Title%1").arg(n)}, {QStringLiteral("Song %1").arg(n)}}});
    }
    addLending(headings, (QByteArray(prefix) + "Borrowed").constData(), returnDate);
    return headings;
}

std::vector<ColumnHeading> recordables()
{
    std::vector<ColumnHeading> headings = {
        {"CDRTitle", "Title"},
        {"CDRMaker", "Maker", aliases({"Manufacturer", "Brand"})},
        {"CDRKind", "Kind", aliases({"Type", "Genre"})},
        {"CDRNotes", "Notes", aliases({"Note", "Comments", "Description"})},
    };
    addLending(headings, "CDRBorrowed", "CDRReturnDate");
    return headings;
}

std::vector<ColumnHeading> books()
{
    std::vector<ColumnHeading> headings = {
        {"BkTitle", "Title", aliases({"Book Title"})},
        {"BkAuthorFirst", "Author First Name", aliases({"First Name", "Author First"})},
        {"BkAuthorLast", "Author Last Name", aliases({"Last Name", "Author Last", "Author"})},
        {"BkKind", "Kind", aliases({"Genre", "Type", "Subject"})},
        {"BkPubDate", "Publication Date",
         aliases({"Pub. Date", "Published", "Year Published", "Year", "Date"})},
        {"BkPublisher", "Publisher"},
        {"BkDescription", "Description", aliases({"Notes", "Summary", "Comments"})},
    };
    addLending(headings, "BkBorrowed", "BkReturnDate");
    return headings;
}

std::vector<ColumnHeading> journal()
{
    return {{"DateTimeStamp", "Date and Time"},
            {"MemoField1", "Upper Text"},
            {"MemoField2", "Lower Text"}};
}

std::vector<ColumnHeading> toDo()
{
    return {{"ToDoByDate", "Due Date"}, {"ToDoMemo", "Text"}};
}

std::vector<ColumnHeading> userDefined(const QStringList& names)
{
    std::vector<ColumnHeading> headings;
    for (int n = 0; n < 9; ++n) {
        const QString name = n < names.size() ? names[n] : QString();
        const bool used = !name.isEmpty() && name != QStringLiteral("None");
        headings.push_back({QStringLiteral("Label%1").arg(n + 1),
                            used ? name : QStringLiteral("Field %1 (not in use)").arg(n + 1)});
    }
    headings.push_back({str("Memo"), str("Memo")});
    return headings;
}

std::vector<ColumnHeading> headingsOf(const TableDef& table, const QStringList& names = {})
{
    if (&table == &catalogue::names())
        return addressBook();
    if (&table == &catalogue::journal())
        return journal();
    if (&table == &catalogue::toDo())
        return toDo();
    if (&table == &catalogue::cds())
        return recording("CD", "CDReturnDate");
    if (&table == &catalogue::tapes())
        return recording("Tp", "TPReturnDate");
    if (&table == &catalogue::cdrs())
        return recordables();
    if (&table == &catalogue::books())
        return books();
    return userDefined(names);
}

// A header as it is compared: its letters and digits alone, in lower case.
QString compared(const QString& header)
{
    QString key;
    for (const QChar c : header) {
        if (c.isLetterOrNumber())
            key += c.toLower();
    }
    return key;
}

} // namespace

std::vector<CsvColumn> csvColumns(const TableDef& table, const QStringList& names)
{
    std::vector<CsvColumn> columns = {{table.fields.front().name, QStringLiteral("Record Number")}};
    QStringList written{table.fields.front().name};
    for (const ColumnHeading& heading : headingsOf(table, names)) {
        columns.push_back({heading.field, heading.header});
        written << heading.field;
    }
    int reserved = 0;
    for (const FieldDef& field : table.fields) {
        if (!written.contains(field.name))
            columns.push_back({field.name, QStringLiteral("Reserved %1").arg(++reserved)});
    }
    return columns;
}

std::vector<CsvColumn> csvImportFields(const TableDef& table)
{
    std::vector<CsvColumn> fields;
    for (const ColumnHeading& heading : headingsOf(table))
        fields.push_back({heading.field, heading.header});
    return fields;
}

std::vector<ColumnTarget> matchColumns(const TableDef& table, const QStringList& headers)
{
    QHash<QString, ColumnTarget> known;
    for (const ColumnHeading& heading : headingsOf(table)) {
        known.insert(compared(heading.header), {heading.field});
        known.insert(compared(heading.field), {heading.field});
        for (const Alias& alias : heading.aliases) {
            const QString description = alias.description;
            known.insert(compared(alias.header),
                         {heading.field, description.isEmpty() ? QString() : heading.describedBy,
                          description});
        }
    }
    std::vector<ColumnTarget> targets;
    QStringList filled;
    for (const QString& header : headers) {
        ColumnTarget target = known.value(compared(header));
        if (filled.contains(target.field))
            target = {};
        else if (!target.field.isEmpty())
            filled << target.field;
        targets.push_back(target);
    }
    return targets;
}

} // namespace ql::formats
