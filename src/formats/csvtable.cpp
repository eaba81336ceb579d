#include "formats/csvtable.h"

#include "formats/exportfile.h"
#include "store/fieldvalue.h"
#include "store/progress.h"
#include "store/session.h"
#include "store/table.h"
#include "store/tablebulk.h"

namespace ql::formats {
namespace {

// A column of the file that fills a field of the table.
struct Filling {
    int column;
    int field;
    FieldDef def;
    int describedBy = -1;
    QString description;
};

std::vector<Filling> fillings(const Table& table, const std::vector<ColumnTarget>& targets)
{
    std::vector<Filling> list;
    for (size_t i = 0; i < targets.size(); ++i) {
        const ColumnTarget& target = targets[i];
        if (target.field.isEmpty())
            continue;
        const int field = table.fieldIndex(target.field);
        const int describedBy =
            target.describedBy.isEmpty() ? -1 : table.fieldIndex(target.describedBy);
        list.push_back({int(i), field, table.field(field).def, describedBy, target.description});
    }
    return list;
}

// The value a date or date-time column's text stands for: the form the organizer writes, else
// the form the user types on `today`. Throws ql::Error with the date module's text.
QVariant dateValue(FieldType type, const QString& text, QDate today)
{
    if (type == FieldType::Date) {
        if (const QDate date = storedDate(text); date.isValid())
            return date;
    } else if (const QDateTime stamp = storedDateTime(text); stamp.isValid()) {
        return stamp;
    }
    return valueOfText(type, text, today);
}

// Fills a new record from a row of the file, its dates read on `today`; false when the row fills
// nothing.
bool fillRecord(Record& record, const QStringList& row, const std::vector<Filling>& fillings,
                QDate today, int& shortened)
{
    bool filled = false;
    for (const Filling& f : fillings) {
        const QString text = row.value(f.column);
        if (text.isEmpty())
            continue;
        filled = true;
        if (f.def.type == FieldType::Date || f.def.type == FieldType::DateTime) {
            record.set(f.field, dateValue(f.def.type, text, today));
            continue;
        }
        if (f.def.type == FieldType::Text && cutToWidth(text, f.def.size).size() < text.size())
            ++shortened;
        record.set(f.field, text);
    }
    // A description the file gives in a column of its own stands; the header's fills the rest.
    for (const Filling& f : fillings) {
        if (f.describedBy >= 0 && !row.value(f.column).isEmpty() &&
            record.at(f.describedBy).isNull())
            record.set(f.describedBy, f.description);
    }
    return filled;
}

} // namespace

qint64 exportCsv(const Table& table, const std::vector<CsvColumn>& columns, const QString& fileName,
                 Progress& progress)
{
    progress.status(QStringLiteral("Exporting..."));
    const QString key = table.definition().fields.front().name;
    QStringList fields;
    // Per column: its place among the fields read, -1 for the key.
    std::vector<int> place;
    for (const CsvColumn& column : columns) {
        place.push_back(column.field == key ? -1 : int(fields.size()));
        if (column.field != key)
            fields << column.field;
    }
    const std::vector<TableBulk::Texts> records = TableBulk::readTexts(table, fields);
    ExportFile file(fileName);
    CsvWriter writer(file);
    for (const CsvColumn& column : columns)
        writer.field(column.header);
    writer.endRecord();
    const auto total = qint64(records.size());
    qint64 written = 0;
    for (const TableBulk::Texts& record : records) {
        progress.checkCancelled();
        for (const int at : place)
            writer.field(at < 0 ? QString::number(record.key) : record.text(at));
        writer.endRecord();
        progress.progress(++written, total);
    }
    file.commit();
    return written;
}

CsvImportOutcome importCsv(Table& table, const CsvRows& rows,
                           const std::vector<ColumnTarget>& targets, Progress& progress)
{
    progress.status(QStringLiteral("Importing..."));
    const std::vector<Filling> list = fillings(table, targets);
    CsvImportOutcome outcome;
    if (rows.empty())
        return outcome;
    const qint64 total = qint64(rows.size()) - 1;
    const auto width = qsizetype(targets.size());
    const QDate today = table.session().clock().today();
    size_t next = 1;
    // Why a row adds no record; empty when it fills the record.
    const auto read = [&](Record& record, const QStringList& row) {
        if (row.size() > width && !row.mid(width).join(QString()).isEmpty())
            return QStringLiteral("it has more fields than the header");
        int shortened = 0;
        try {
            if (!fillRecord(record, row, list, today, shortened))
                return QStringLiteral("it is empty");
        } catch (const Error& e) {
            return e.text();
        }
        outcome.shortened += shortened;
        return QString();
    };
    const auto fill = [&](Record& record) {
        const Record empty = record;
        while (next < rows.size()) {
            progress.checkCancelled();
            const size_t at = next++;
            progress.progress(qint64(at), total);
            const QString problem = read(record, rows[at]);
            if (problem.isEmpty())
                return true;
            outcome.skipped << QStringLiteral("record %1: %2").arg(at).arg(problem);
            record = empty;
        }
        return false;
    };
    TableBulk::appendRecords(table, fill, outcome.added);
    return outcome;
}

} // namespace ql::formats
