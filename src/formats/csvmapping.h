#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace ql {
struct TableDef;
}

// Which column of a comma-separated file holds which field of a table: the headers the organizer
// writes, and how the headers of a file from elsewhere find their fields.
namespace ql::formats {

// A column of a file the organizer writes: the field it holds and its header.
struct CsvColumn {
    QString field;
    QString header;
};

// The columns of a table's file: every stored field, the key first ("Record Number"), the reserved
// ones last ("Reserved 1", …), the others in the order a reader looks for them under readable
// headers. The user-defined records head their nine values with the user's names, given in
// `names` for Label1 … Label9; an empty name or "None" marks a field not in use
// ("Field 3 (not in use)").
std::vector<CsvColumn> csvColumns(const TableDef& table, const QStringList& names = {});

// The fields an import fills, under their headers: every field but the key and the reserved ones.
std::vector<CsvColumn> csvImportFields(const TableDef& table);

// Where a column of a file goes: the field it fills (empty for none). A header that tells what a
// number is ("Business Phone") also gives the field that describes it its text ("Business").
struct ColumnTarget {
    QString field;
    QString describedBy = {};
    QString description = {};
};

// The field each column of a file fills, found by its header without regard to letter case,
// blanks and punctuation: the headers the organizer writes, the field names, and the headers
// other programs write ("E-mail Address", "Business Phone", "Notes"). A field is filled from the
// first column that names it; a later one fills nothing.
std::vector<ColumnTarget> matchColumns(const TableDef& table, const QStringList& headers);

} // namespace ql::formats
