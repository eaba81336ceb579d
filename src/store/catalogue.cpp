#include "store/catalogue.h"

#include <QHash>

namespace ql {

int TableDef::fieldIndex(const QString& fieldName) const
{
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

const IndexDef* TableDef::indexByName(const QString& indexName) const
{
    for (const auto& index : indexes) {
        if (index.name.compare(indexName, Qt::CaseInsensitive) == 0)
            return &index;
    }
    return nullptr;
}

const IndexDef* TableDef::indexOnField(const QString& fieldName) const
{
    for (const auto& index : indexes) {
        if (index.field.compare(fieldName, Qt::CaseInsensitive) == 0)
            return &index;
    }
    return nullptr;
}

namespace catalogue {
namespace {

FieldDef key(const char* name)
{
    return {QString::fromLatin1(name), FieldType::AutoIncrement, 0, 11};
}
FieldDef text(const char* name, int size, int width = 0)
{
    return {QString::fromLatin1(name), FieldType::Text, size, width > 0 ? width : size};
}
FieldDef memo(const char* name, int size = 15, int width = 10)
{
    return {QString::fromLatin1(name), FieldType::Memo, size, width};
}
FieldDef date(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Date, 0, 10};
}
FieldDef dateTime(const char* name)
{
    return {QString::fromLatin1(name), FieldType::DateTime, 0, 18};
}
IndexDef index(const char* name, const char* field)
{
    return {QString::fromLatin1(name), QString::fromLatin1(field)};
}

// Ten track titles, "CDTitle1" ... "CDTitle10".
void addTracks(TableDef& def, const char* prefix)
{
    for (int i = 1; i <= 10; ++i) {
        def.fields.push_back(
            {QString::fromLatin1(prefix) + QString::number(i), FieldType::Text, 70, 70});
    }
}

TableDef makeNames()
{
    TableDef d{QStringLiteral("QYName2.DB"), {}, {}};
    d.fields = {key("NameCode"),
                text("FirstName", 30, 43),
                text("LastName", 30, 43),
                text("Company", 30, 43),
                text("NickName", 30, 43),
                text("AdAddress1", 30, 43),
                text("AdAddress2", 30, 43),
                text("AdCity1", 30, 43),
                text("AdCity2", 30, 43),
                text("AdState1", 3, 11),
                text("AdState2", 3, 11),
                text("AdZip1", 10, 15),
                text("AdZip2", 10, 15),
                text("PhDescription1", 15, 22),
                text("PhDescription2", 15, 22),
                text("PhNumber1", 25, 36),
                text("PhNumber2", 25, 36),
                text("PhAreaCode1", 3, 16),
                text("PhAreaCode2", 3, 16),
                text("PhExt1", 5, 9),
                text("PhExt2", 5, 9),
                text("EmAddress1", 50, 72),
                text("EmAddress2", 50, 72),
                text("EmDescription1", 65, 94),
                text("EmDescription2", 65, 94),
                text("MeDescription1", 25, 36),
                text("AdAddress3", 30, 43),
                memo("MeMemoData1", 15, 18),
                memo("MeMemoData2", 15, 18),
                text("AdAddress4", 30, 43),
                text("FirstLastComp", 60),
                text("PagerDescr", 60),
                text("PagerNo", 25),
                text("CellPhDescr", 60),
                text("CellPhNo", 25),
                text("Category", 60),
                text("Group", 60),
                text("WebSite1", 70),
                text("WebSite2", 70),
                text("ExtraField", 60)};
    d.fields[0].displayWidth = 5;
    d.indexes = {index("idxLastName", "LastName"),   index("idxNickName", "NickName"),
                 index("idxFirstName", "FirstName"), index("idxCompany", "Company"),
                 index("idxCategory", "Category"),   index("idxGroup", "Group")};
    return d;
}

TableDef makeJournal()
{
    return {QStringLiteral("Journal2.DB"),
            {key("JournalCode"), dateTime("DateTimeStamp"), memo("MemoField1"), memo("MemoField2"),
             text("ExtraField", 60)},
            {index("idxJnDate", "DateTimeStamp")}};
}

TableDef makeCds()
{
    TableDef d{QStringLiteral("CollCD2.DB"),
               {key("CDImputOrder"), text("CDTitle", 70), text("CDArtist", 30), text("CDKind", 20),
                text("CDDate", 60)},
               {index("idxCDReturnDate", "CDReturnDate"), index("idxCDArtist", "CDArtist"),
                index("idxCDTitle", "CDTitle"), index("idxCDKind", "CDKind"),
                index("idxCDDate", "CDDate"), index("idxCDBorrowed", "CDBorrowed")}};
    addTracks(d, "CDTitle");
    d.fields.insert(d.fields.end(),
                    {text("CDBorrowed", 60), date("CDReturnDate"), text("ExtraField", 60)});
    return d;
}

TableDef makeCdrs()
{
    return {QStringLiteral("CollCDR2.DB"),
            {key("CDRCode"), text("CDRTitle", 70), text("CDRMaker", 60), text("CDRKind", 20),
             memo("CDRNotes"), text("CDRBorrowed", 60), date("CDRReturnDate"), text("CDRTest", 10),
             text("ExtraField", 60)},
            {index("idxCDRTitle", "CDRTitle"), index("idxCDRMaker", "CDRMaker"),
             index("idxCDRKind", "CDRKind"), index("idxCDRBorrowed", "CDRBorrowed"),
             index("idxCDRReturnBy", "CDRReturnDate")}};
}

TableDef makeTapes()
{
    TableDef d{QStringLiteral("CollTp2.DB"),
               {key("TpCode"), text("TpTitle", 70), text("TpArtist", 30), text("TpKind", 20),
                text("TpDate", 60)},
               {index("idxTpTitle", "TpTitle"), index("idxTpKind", "TpKind"),
                index("idxTpDate", "TpDate"), index("idxTpBorrowed", "TpBorrowed"),
                index("idxTpReturnDate", "TPReturnDate"), index("idxTpArtist", "TpArtist")}};
    addTracks(d, "TpTitle");
    d.fields.insert(d.fields.end(),
                    {text("TpBorrowed", 60), date("TPReturnDate"), text("ExtraField", 60)});
    return d;
}

TableDef makeBooks()
{
    return {QStringLiteral("CollBk2.DB"),
            {key("BkCode"), text("BkTitle", 70), text("BkAuthorFirst", 30),
             text("BkAuthorLast", 30), text("BkKind", 20), text("BkPubDate", 60),
             text("BkPublisher", 60), memo("BkDescription"), text("BkBorrowed", 60),
             date("BkReturnDate"), text("ExtraField", 60)},
            {index("idxBkTitle", "BkTitle"), index("idxBkAuthorFirst", "BkAuthorFirst"),
             index("idxBkAuthorLast", "BkAuthorLast"), index("idxBkKind", "BkKind"),
             index("idxBkPubDate", "BkPubDate"), index("idxBkPublisher", "BkPublisher"),
             index("idxBkBorrowed", "BkBorrowed"), index("idxBkReturnDate", "BkReturnDate")}};
}

TableDef makeToDo()
{
    return {QStringLiteral("ToDo2.db"),
            {key("ToDoCode"), date("ToDoByDate"), memo("ToDoMemo"), text("ExtraField", 60)},
            {index("idxToDoDate", "ToDoByDate")}};
}

TableDef makeUserDefined()
{
    TableDef d{QStringLiteral("UserDa.db"), {key("Count")}, {}};
    for (int i = 1; i <= 9; ++i) {
        const QString label = QStringLiteral("Label%1").arg(i);
        d.fields.push_back({label, FieldType::Text, 60, 60});
        d.indexes.push_back({QStringLiteral("idxLabel%1").arg(i), label});
    }
    d.fields.insert(d.fields.end(),
                    {text("ExtraField4", 60), memo("Memo", 240), text("ExtraField1", 60),
                     text("ExtraField2", 60), text("ExtraField3", 60)});
    return d;
}

} // namespace

const TableDef& names()
{
    static const TableDef d = makeNames();
    return d;
}
const TableDef& journal()
{
    static const TableDef d = makeJournal();
    return d;
}
const TableDef& cds()
{
    static const TableDef d = makeCds();
    return d;
}
const TableDef& cdrs()
{
    static const TableDef d = makeCdrs();
    return d;
}
const TableDef& tapes()
{
    static const TableDef d = makeTapes();
    return d;
}
const TableDef& books()
{
    static const TableDef d = makeBooks();
    return d;
}
const TableDef& toDo()
{
    static const TableDef d = makeToDo();
    return d;
}
const TableDef& userDefined()
{
    static const TableDef d = makeUserDefined();
    return d;
}

const std::vector<const TableDef*>& all()
{
    static const std::vector<const TableDef*> list{&names(), &journal(), &cds(),  &cdrs(),
                                                   &tapes(), &books(),   &toDo(), &userDefined()};
    return list;
}

const TableDef* find(const QString& tableName)
{
    for (const TableDef* def : all()) {
        if (def->name.compare(tableName, Qt::CaseInsensitive) == 0)
            return def;
    }
    return nullptr;
}

QString password(const TableDef& table)
{
    static const QHash<QString, QString> passwords{
        {QStringLiteral("qyname2.db"), QStringLiteral("7qt42mkw")},
        {QStringLiteral("journal2.db"), QStringLiteral("zp41rk7vd")},
        {QStringLiteral("collcd2.db"), QStringLiteral("m2x8ta05q")},
        {QStringLiteral("collcdr2.db"), QStringLiteral("91wen46ry")},
        {QStringLiteral("colltp2.db"), QStringLiteral("tuv3k8152")},
        {QStringLiteral("collbk2.db"), QStringLiteral("gq7s0x4bn")},
        {QStringLiteral("todo2.db"), QStringLiteral("yrplo5632")},
        {QStringLiteral("userda.db"), QStringLiteral("kd58mv203")}};
    return passwords.value(table.name.toLower());
}

QStringList namingFields(const QString& tableName)
{
    static const QHash<QString, QStringList> fields{
        {QStringLiteral("qyname2.db"), {QStringLiteral("LastName"), QStringLiteral("FirstName")}},
        {QStringLiteral("journal2.db"), {QStringLiteral("DateTimeStamp")}},
        {QStringLiteral("collcd2.db"), {QStringLiteral("CDTitle")}},
        {QStringLiteral("collcdr2.db"), {QStringLiteral("CDRTitle")}},
        {QStringLiteral("colltp2.db"), {QStringLiteral("TpTitle")}},
        {QStringLiteral("collbk2.db"), {QStringLiteral("BkTitle")}},
        {QStringLiteral("todo2.db"), {QStringLiteral("ToDoByDate")}}};
    return fields.value(tableName.toLower());
}

} // namespace catalogue
} // namespace ql
