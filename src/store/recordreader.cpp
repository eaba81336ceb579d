#include "store/recordreader.h"

#include "store/fieldvalue.h"
#include "store/order.h"

#include <algorithm>

namespace ql {

RecordReader::RecordReader(const Table& table, const std::vector<TableField>& fields,
                           const std::function<void(Record&)>& calculate)
    : m_table(&table)
    , m_fields(&fields)
    , m_calculate(&calculate)
{
}

void RecordReader::prepare(const sql::Database& db, const TableDef& def)
{
    m_db = &db;
    QByteArray columns;
    // The key is the row id, which every table file has, whether or not it names the column.
    for (const FieldDef& field : def.fields) {
        if (!columns.isEmpty())
            columns += ", ";
        columns +=
            field.type == FieldType::AutoIncrement ? QByteArray("rowid") : sql::quoted(field.name);
    }
    QByteArray parameters;
    for (int i = 1; i <= kReadBlock; ++i)
        parameters += (i > 1 ? ", ?" : "?") + QByteArray::number(i);
    m_selectBlock = sql::Statement(db, "SELECT " + columns + " FROM records WHERE rowid IN (" +
                                           parameters + ")");
    m_selectOne = sql::Statement(db, "SELECT " + columns + " FROM records WHERE rowid = ?1");
    m_columns = columns;
}

void RecordReader::close()
{
    m_selectBlock = {};
    m_selectOne = {};
    forget();
}

Record RecordReader::read(int position, const TableOrder& order) const
{
    const int offset = position - m_aheadStart;
    if (offset >= 0 && offset < int(m_ahead.size()))
        return m_ahead[size_t(offset)];
    // Going on from the block read last reads the stretch ahead (or back); a jump reads a
    // screenful around.
    const int size = m_ahead.size();
    const bool forward = !m_ahead.empty() && offset == size;
    const bool backward = !m_ahead.empty() && offset == -1;
    if (forward || backward) {
        m_db->mapFile();
        if (readStretch(position, order))
            return position - m_aheadStart < int(m_ahead.size())
                       ? m_ahead[size_t(position - m_aheadStart)]
                       : emptyRecord();
    }
    m_ahead.clear();
    m_aheadStart = std::max(0, position - kJumpBlock / 4);
    std::vector<qint64> rowids;
    for (int p = m_aheadStart; p < m_aheadStart + kJumpBlock; ++p) {
        const std::optional<qint64> rowid = order.rowidAt(p);
        if (!rowid)
            break;
        rowids.push_back(*rowid);
    }
    readBlock(rowids);
    if (position - m_aheadStart >= int(m_ahead.size()))
        return emptyRecord();
    return m_ahead[size_t(position - m_aheadStart)];
}

std::optional<Record> RecordReader::readStored(qint64 rowid) const
{
    m_ahead.clear();
    Record record = std::move(readRows({rowid}).front());
    // A record gone from the file reads as empty values, its key included.
    const auto key = std::find_if(m_fields->cbegin(), m_fields->cend(), [](const TableField& f) {
        return f.def.type == FieldType::AutoIncrement;
    });
    if (key != m_fields->cend() && record.at(int(key - m_fields->cbegin())).isNull())
        return std::nullopt;
    return record;
}

// The statement along the order gives the records in the stretch's order unless the file
// changed; each is placed by its row id, and those it did not give are read by row id. A
// failure leaves the block to the reads by row id, which read a damaged record's neighbours.
bool RecordReader::readStretch(int position, const TableOrder& order) const
{
    std::vector<std::pair<qint64, Record>> read;
    std::optional<std::pair<int, int>> stretch;
    try {
        stretch = order.readStretchRecords(position, m_columns, [&](const sql::Statement& row) {
            read.emplace_back(row.columnInt(0), Record(m_table, decodeRow(row, 2)));
        });
    } catch (const Error&) {
        return false;
    }
    m_ahead.clear();
    m_aheadStart = stretch ? stretch->first : position;
    if (!stretch)
        return true;
    std::sort(read.begin(), read.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<qint64> missing;
    std::vector<size_t> missingAt;
    m_ahead.resize(size_t(stretch->second));
    for (size_t i = 0; i < m_ahead.size(); ++i) {
        const qint64 rowid = *order.rowidAt(m_aheadStart + int(i));
        const auto it = std::lower_bound(read.begin(), read.end(), rowid,
                                         [](const auto& a, qint64 b) { return a.first < b; });
        if (it != read.end() && it->first == rowid) {
            m_ahead[i] = std::move(it->second);
            if (*m_calculate)
                (*m_calculate)(m_ahead[i]);
        } else {
            missing.push_back(rowid);
            missingAt.push_back(i);
        }
    }
    if (missing.empty())
        return true;
    std::vector<Record> records;
    try {
        records = readRows(missing);
    } catch (const Error& e) {
        m_ahead.clear();
        throw m_table->datasetError(e.text());
    }
    for (size_t i = 0; i < missing.size(); ++i)
        m_ahead[missingAt[i]] = std::move(records[i]);
    return true;
}

// Reads the records with these row ids into the block.
void RecordReader::readBlock(const std::vector<qint64>& rowids) const
{
    try {
        m_ahead = readRows(rowids);
    } catch (const Error& e) {
        throw m_table->datasetError(e.text());
    }
}

// The engine returns the records in an order of its own; a record deleted meanwhile reads as
// empty values.
std::vector<Record> RecordReader::readRows(const std::vector<qint64>& rowids) const
{
    std::vector<std::pair<qint64, int>> wanted; // row id and offset in the block
    wanted.reserve(rowids.size());
    std::vector<Record> records(rowids.size());
    try {
        const sql::Statement::Use use(m_selectBlock);
        for (size_t i = 0; i < rowids.size(); ++i) {
            wanted.emplace_back(rowids[i], int(i));
            m_selectBlock.bindInt(int(i) + 1, rowids[i]);
        }
        std::sort(wanted.begin(), wanted.end());
        while (m_selectBlock.step()) {
            const qint64 rowid = m_selectBlock.columnInt(0);
            const auto it = std::lower_bound(wanted.begin(), wanted.end(), std::pair(rowid, 0));
            if (it != wanted.end() && it->first == rowid)
                records[size_t(it->second)] = Record(m_table, decodeRow(m_selectBlock));
        }
    } catch (const sql::DamagedError&) {
        // Some record of the block lies in a damaged part of the file: read them one by one.
        for (size_t i = 0; i < rowids.size(); ++i)
            records[i] = readOne(rowids[i]);
    }
    for (Record& record : records) {
        if (!record.isValid())
            record = emptyRecord();
        if (*m_calculate)
            (*m_calculate)(record);
    }
    return records;
}

Record RecordReader::readOne(qint64 rowid) const
{
    const sql::Statement::Use use(m_selectOne);
    m_selectOne.bindInt(1, rowid);
    try {
        if (m_selectOne.step())
            return Record(m_table, decodeRow(m_selectOne));
    } catch (const sql::DamagedError&) {
        Record record = emptyRecord();
        record.markUnreadable();
        return record;
    }
    return {};
}

// The values of the row a statement stands on, in the field order.
QList<QVariant> RecordReader::decodeRow(const sql::Statement& row, int first) const
{
    QList<QVariant> values;
    values.reserve(qsizetype(m_fields->size()));
    for (const TableField& field : *m_fields) {
        int length = 0;
        const int column = first + field.column;
        const char* data = field.isCalculated() ? nullptr : row.columnData(column, &length);
        if (!data) {
            values.emplace_back();
            continue;
        }
        // Texts, most of the values, are made in place.
        if (isTextType(field.def.type))
            values.emplace_back(QString::fromUtf8(data, length));
        else if (field.def.type == FieldType::AutoIncrement)
            values.emplace_back(row.columnInt(column));
        else
            values.push_back(storedValue(field.def.type, QByteArrayView(data, length)));
    }
    return values;
}

Record RecordReader::emptyRecord() const
{
    return Record(m_table, QList<QVariant>(qsizetype(m_fields->size())));
}

} // namespace ql
