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
    m_keyColumn.clear();
    QByteArray columns;
    // The key is the row id, which every table file has, whether or not it names the column.
    for (const FieldDef& field : def.fields) {
        if (!columns.isEmpty())
            columns += ", ";
        const bool key = field.type == FieldType::AutoIncrement;
        columns += key ? QByteArray("rowid") : sql::quoted(field.name);
        m_keyColumn.push_back(key);
    }
    QByteArray parameters;
    for (int i = 1; i <= kReadBlock; ++i)
        parameters += (i > 1 ? ", ?" : "?") + QByteArray::number(i);
    m_selectBlock = sql::Statement(db, "SELECT " + columns + " FROM records WHERE rowid IN (" +
                                           parameters + ")");
    m_selectOne = sql::Statement(db, "SELECT " + columns + " FROM records WHERE rowid = ?1");
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
        return recordRead(m_ahead[size_t(offset)]);
    // Going on from the block read last reads far ahead; a jump reads a screenful around.
    const int size = m_ahead.size();
    const bool forward = !m_ahead.empty() && offset == size;
    const bool backward = !m_ahead.empty() && offset == -1;
    const int block = forward || backward ? kReadBlock : kJumpBlock;
    if (forward || backward)
        m_db->mapFile();
    m_ahead.clear();
    m_aheadStart = backward ? std::max(0, position - block + 1)
                            : std::max(0, forward ? position : position - block / 4);
    std::vector<qint64> rowids;
    for (int p = m_aheadStart; p < m_aheadStart + block; ++p) {
        const std::optional<qint64> rowid = order.rowidAt(p);
        if (!rowid)
            break;
        rowids.push_back(*rowid);
    }
    readBlock(rowids);
    if (position - m_aheadStart >= int(m_ahead.size()))
        return emptyRecord();
    return recordRead(m_ahead[size_t(position - m_aheadStart)]);
}

std::optional<Record> RecordReader::readStored(qint64 rowid) const
{
    readRows({rowid});
    const StoredRow row = m_ahead.front();
    m_ahead.clear();
    if (row.firstSpan < 0)
        return std::nullopt;
    return record(row);
}

// Reads the records with these row ids into the block. The engine returns them in an order of
// its own; a record deleted meanwhile reads as empty values.
void RecordReader::readBlock(const std::vector<qint64>& rowids) const
{
    try {
        readRows(rowids);
    } catch (const Error& e) {
        throw m_table->datasetError(e.text());
    }
}

void RecordReader::readRows(const std::vector<qint64>& rowids) const
{
    std::vector<std::pair<qint64, int>> wanted; // row id and offset in the block
    wanted.reserve(rowids.size());
    m_ahead.assign(rowids.size(), StoredRow());
    m_spans.clear();
    m_spans.reserve(rowids.size() * m_keyColumn.size());
    m_bytes.clear();
    try {
        const sql::Statement::Use use(m_selectBlock);
        for (size_t i = 0; i < rowids.size(); ++i) {
            wanted.emplace_back(rowids[i], int(i));
            m_ahead[i].rowid = rowids[i];
            m_selectBlock.bindInt(int(i) + 1, rowids[i]);
        }
        std::sort(wanted.begin(), wanted.end());
        while (m_selectBlock.step()) {
            const qint64 rowid = m_selectBlock.columnInt(0);
            const auto it = std::lower_bound(wanted.begin(), wanted.end(), std::pair(rowid, 0));
            if (it != wanted.end() && it->first == rowid)
                keepRow(m_selectBlock, m_ahead[size_t(it->second)]);
        }
    } catch (const sql::DamagedError&) {
        // Some record of the block lies in a damaged part of the file: read them one by one.
        m_spans.clear();
        m_bytes.clear();
        try {
            for (StoredRow& row : m_ahead)
                readOne(row);
        } catch (const Error&) {
            m_ahead.clear();
            throw;
        }
    } catch (const Error&) {
        m_ahead.clear();
        throw;
    }
}

void RecordReader::keepRow(const sql::Statement& row, StoredRow& slot) const
{
    slot.firstSpan = int(m_spans.size());
    for (size_t column = 0; column < m_keyColumn.size(); ++column) {
        int length = 0;
        const char* data = m_keyColumn[column] ? nullptr : row.columnData(int(column), &length);
        if (!data) {
            m_spans.push_back({});
            continue;
        }
        m_spans.push_back({int(m_bytes.size()), length});
        m_bytes.append(data, size_t(length));
    }
}

void RecordReader::readOne(StoredRow& slot) const
{
    slot.firstSpan = -1;
    const sql::Statement::Use use(m_selectOne);
    m_selectOne.bindInt(1, slot.rowid);
    try {
        if (m_selectOne.step())
            keepRow(m_selectOne, slot);
    } catch (const sql::DamagedError&) {
        slot.unreadable = true;
    }
}

Record RecordReader::recordRead(StoredRow& row) const
{
    if (row.kept.isValid())
        return row.kept;
    if (!row.readBefore) {
        row.readBefore = true;
        return record(row);
    }
    row.kept = record(row);
    return row.kept;
}

// The values of a record of the block, in the field order.
Record RecordReader::record(const StoredRow& row) const
{
    if (row.firstSpan < 0) {
        Record record = emptyRecord();
        if (row.unreadable)
            record.markUnreadable();
        if (*m_calculate)
            (*m_calculate)(record);
        return record;
    }
    QList<QVariant> values;
    values.reserve(qsizetype(m_fields->size()));
    for (const TableField& field : *m_fields) {
        if (field.isCalculated()) {
            values.emplace_back();
            continue;
        }
        if (field.def.type == FieldType::AutoIncrement) {
            values.emplace_back(row.rowid);
            continue;
        }
        const Span span = m_spans[size_t(row.firstSpan) + size_t(field.column)];
        if (span.length < 0) {
            values.emplace_back();
            continue;
        }
        const char* data = m_bytes.data() + span.offset;
        // Texts, most of the values, are made in place.
        if (isTextType(field.def.type))
            values.emplace_back(QString::fromUtf8(data, span.length));
        else
            values.push_back(storedValue(field.def.type, QByteArrayView(data, span.length)));
    }
    Record record(m_table, std::move(values));
    if (*m_calculate)
        (*m_calculate)(record);
    return record;
}

Record RecordReader::emptyRecord() const
{
    return Record(m_table, QList<QVariant>(qsizetype(m_fields->size())));
}

} // namespace ql
