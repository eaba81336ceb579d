// Where the import reads each module and which of its fields it copies, by layout.

#include "exchange/import.h"
#include "store/catalogue.h"

#include <array>
#include <optional>

namespace ql::import {
namespace {

// The layouts a field is copied from, one bit each.
enum Layouts : unsigned { EveryLayout = 0b111, CurrentLayouts = 0b110, WideLayout = 0b100 };

struct CopiedField {
    QString name;
    unsigned layouts = EveryLayout;
};

struct ModuleMap {
    const TableDef& destination;
    QString earlierTable; // the source table of layout 0; empty when the module has none
    QString currentTable; // the source table of layouts 1 and 2
    // In the order they are copied. A field of the same name (letter case aside) in the
    // destination receives each; a field the destination lacks is skipped.
    std::vector<CopiedField> fields;
    // Fields the earlier version kept in another type than the destination does.
    std::vector<FieldDef> earlierTypes;
};

std::vector<CopiedField> named(std::initializer_list<const char*> names,
                               unsigned layouts = EveryLayout)
{
    std::vector<CopiedField> fields;
    for (const char* name : names)
        fields.push_back({QString::fromLatin1(name), layouts});
    return fields;
}

// "CDTitle1" … "CDTitle10" for a prefix "CDTitle", first 1 and last 10.
std::vector<CopiedField> numbered(const QString& prefix, int first, int last, unsigned layouts)
{
    std::vector<CopiedField> fields;
    for (int n = first; n <= last; ++n)
        fields.push_back({prefix + QString::number(n), layouts});
    return fields;
}

std::vector<CopiedField> joined(std::initializer_list<std::vector<CopiedField>> parts)
{
    std::vector<CopiedField> fields;
    for (const std::vector<CopiedField>& part : parts)
        fields.insert(fields.end(), part.begin(), part.end());
    return fields;
}

// The CD and tape catalogues: ten track titles in every layout, twenty more in the wide one.
std::vector<CopiedField> recordingFields(const char* prefix, const char* returnDate)
{
    const QString p = QString::fromLatin1(prefix);
    return joined({{{p + QStringLiteral("Title")},
                    {p + QStringLiteral("Artist")},
                    {p + QStringLiteral("Kind")},
                    {p + QStringLiteral("Date")}},
                   numbered(p + QStringLiteral("Title"), 1, 10, EveryLayout),
                   numbered(p + QStringLiteral("Title"), 11, 30, WideLayout),
                   {{QString::fromLatin1(returnDate)}, {p + QStringLiteral("Borrowed")}},
                   named({"ExtraField"}, CurrentLayouts)});
}

std::vector<ModuleMap> makeMaps()
{
    std::vector<ModuleMap> maps;
    maps.push_back(
        {catalogue::names(),
         QStringLiteral("QYName.DB"),
         QStringLiteral("QYName2.DB"),
         joined({named({"FirstName",      "LastName",       "Company",        "NickName",
                        "AdAddress1",     "AdAddress2",     "AdCity1",        "AdCity2",
                        "AdState1",       "AdState2",       "AdZip1",         "AdZip2",
                        "PhDescription1", "PhDescription2", "PhNumber1",      "PhNumber2",
                        "PhAreaCode1",    "PhAreaCode2",    "PhExt1",         "PhExt2",
                        "EmAddress1",     "EmAddress2",     "EmDescription1", "EmDescription2",
                        "MeDescription1", "AdAddress3",     "MeMemoData1",    "MeMemoData2",
                        "AdAddress4"}),
                 named({"PagerDescr", "PagerNo", "CellPhDescr", "CellPhNo", "Category", "Group",
                        "WebSite1", "WebSite2", "ExtraField"},
                       CurrentLayouts)}),
         {}});
    maps.push_back({catalogue::journal(),
                    QStringLiteral("Journal.DB"),
                    QStringLiteral("Journal2.DB"),
                    joined({named({"DateTimeStamp", "MemoField1", "MemoField2"}),
                            named({"ExtraField"}, CurrentLayouts)}),
                    {}});
    maps.push_back({catalogue::toDo(),
                    QStringLiteral("ToDo.DB"),
                    QStringLiteral("ToDo2.DB"),
                    joined({named({"ToDoByDate", "ToDoMemo"}),
                            named({"ExtraField", "ExtraField2", "PriorityCode"}, CurrentLayouts)}),
                    {}});
    maps.push_back({catalogue::cds(),
                    QStringLiteral("CollCD.DB"),
                    QStringLiteral("CollCD2.DB"),
                    recordingFields("CD", "CDReturnDate"),
                    {}});
    maps.push_back({catalogue::cdrs(),
                    QStringLiteral("CollCDR.DB"),
                    QStringLiteral("CollCDR2.DB"),
                    joined({named({"CDRTitle", "CDRMaker", "CDRKind", "CDRNotes", "CDRReturnDate",
                                   "CDRBorrowed"}),
                            named({"CDRTest", "ExtraField"}, CurrentLayouts)}),
                    {}});
    maps.push_back({catalogue::tapes(),
                    QStringLiteral("CollTp.DB"),
                    QStringLiteral("CollTp2.DB"),
                    recordingFields("Tp", "TpReturnDate"),
                    {}});
    maps.push_back(
        {catalogue::books(),
         QStringLiteral("CollBK.DB"),
         QStringLiteral("CollBK2.DB"),
         joined({named({"BkTitle", "BkAuthorFirst", "BkAuthorLast", "BkKind", "BkPubDate",
                        "BkPublisher", "BkDescription", "BkBorrowed", "BkReturnDate"}),
                 named({"ExtraField"}, CurrentLayouts)}),
         // The earlier version kept a book's publication date as a date.
         {{QStringLiteral("BkPubDate"), FieldType::Date}}});
    maps.push_back({catalogue::userDefined(),
                    QString(),
                    QStringLiteral("UserDa.DB"),
                    joined({numbered(QStringLiteral("Label"), 1, 9, CurrentLayouts),
                            named({"Memo"}, CurrentLayouts),
                            numbered(QStringLiteral("ExtraField"), 1, 4, CurrentLayouts)}),
                    {}});
    return maps;
}

const std::vector<ModuleMap>& maps()
{
    static const std::vector<ModuleMap> all = makeMaps();
    return all;
}

// A field as the source holds it: typed as the destination's field of that name, unless the
// earlier version kept it otherwise; a field the destination lacks is read as text.
FieldDef sourceField(const ModuleMap& map, const QString& name, int layout)
{
    if (layout == 0) {
        for (const FieldDef& earlier : map.earlierTypes) {
            if (earlier.name.compare(name, Qt::CaseInsensitive) == 0)
                return earlier;
        }
    }
    for (const FieldDef& field : map.destination.fields) {
        if (field.name.compare(name, Qt::CaseInsensitive) == 0)
            return {name, field.type, field.size, field.displayWidth};
    }
    return {name, FieldType::Text, 70, 70};
}

TableDef makeSourceTable(const ModuleMap& map, int layout)
{
    TableDef def;
    def.name = layout == 0 ? map.earlierTable : map.currentTable;
    def.fields.push_back(map.destination.fields.front());
    for (const CopiedField& field : map.fields) {
        if (field.layouts & (1u << layout))
            def.fields.push_back(sourceField(map, field.name, layout));
    }
    return def;
}

} // namespace

const TableDef* sourceTable(Module module, int layout)
{
    static const auto tables = [] {
        std::array<std::array<std::optional<TableDef>, 3>, moduleCount> made;
        for (int m = 0; m < moduleCount; ++m) {
            for (int layout = 0; layout < 3; ++layout) {
                const ModuleMap& map = maps()[size_t(m)];
                if (layout > 0 || !map.earlierTable.isEmpty())
                    made[size_t(m)][size_t(layout)] = makeSourceTable(map, layout);
            }
        }
        return made;
    }();
    if (layout < 0 || layout > 2)
        return nullptr;
    const std::optional<TableDef>& table = tables[size_t(module)][size_t(layout)];
    return table ? &*table : nullptr;
}

} // namespace ql::import
