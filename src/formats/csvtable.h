#pragma once

#include "formats/csv.h"
#include "formats/csvmapping.h"
#include "formats/exportfile.h"

#include <QString>
#include <QStringList>
#include <vector>

// A table's records written to a comma-separated file, and a file's records added to a table.
namespace ql::formats {

// Writes the records of the table's order (within its range) to the named file, replacing it: the
// columns' headers first, then one record a line, each value as the table stores it (dates as
// 2026-12-10, date-times as 2026-12-10 14:05:07.123). The records written are the progress's
// steps; returns how many there were. A failure or a cancel leaves no file (exportfile.h); a
// cancel throws Cancelled.
qint64 exportCsv(const Table& table, const std::vector<CsvColumn>& columns, const QString& fileName,
                 Progress& progress);

// What an import did: the records added and those skipped, each with its reason ("record 4:
// '13/45/2020' is not a valid date"), and how many values were longer than their field and were
// cut to it.
struct CsvImportOutcome : ImportOutcome {
    int shortened = 0;
};

// Adds the records of a file (the rows after its header) to the table in one transaction, each
// column into the field its target names. A date is read in the form the organizer writes or as
// the user types one. A record is skipped when it fills no field (an empty line), when a date of
// it cannot be read, or when it has values beyond the header's columns. The records added are the
// progress's steps; a cancel rolls every record of the run back and throws Cancelled. A failure of
// the table keeps the records added before it and is thrown.
CsvImportOutcome importCsv(Table& table, const CsvRows& rows,
                           const std::vector<ColumnTarget>& targets, Progress& progress);

} // namespace ql::formats
