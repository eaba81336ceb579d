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
    return m_ahead[size_t(position - m_aheadStart)];
}

std::optional<Record> RecordReader::readStored(qint64 rowid) const
{
    readRows({rowid});
    Record record = std::move(m_ahead.front());
    m_ahead.clear();
    // A record gone from the file reads as empty values, its key included.
    const auto key = std::find_if(m_fields->cbegin(), m_fields->cend(), [](const TableField& f) {
        return f.def.type == FieldType::AutoIncrement;
    });
    if (key != m_fields->cend() && record.at(int(key - m_fields->cbegin())).isNull())
        return std::nullopt;
    return record;
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
    m_ahead.assign(rowids.size(), Record());
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
                m_ahead[size_t(it->second)] = Record(m_table, decodeRow(m_selectBlock));
        }
    } catch (const sql::DamagedError&) {
        // Some record of the block lies in a damaged part of the file: read them one by one.
        try {
            for (size_t i = 0; i < rowids.size(); ++i)
                m_ahead[i] = readOne(rowids[i]);
        } catch (const Error&) {
            m_ahead.clear();
            throw;
        }
    } catch (const Error&) {
        m_ahead.clear();
        throw;
    }
    for (Record& record : m_ahead) {
        if (!record.isValid())
            record = emptyRecord();
        if (*m_calculate)
            (*m_calculate)(record);
    }
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
QList<QVariant> RecordReader::decodeRow(const sql::Statement& row) const
{
    QList<QVariant> values;
    values.reserve(qsizetype(m_fields->size()));
    for (const TableField& field : *m_fields) {
        int length = 0;
        const char* data = field.isCalculated() ? nullptr : row.columnData(field.column, &length);
        if (!data) {
            values.emplace_back();
            continue;
        }
        // Texts, most of the values, are made in place.
        if (isTextType(field.def.type))
            values.emplace_back(QString::fromUtf8(data, length));
        else if (field.def.type == FieldType::AutoIncrement)
            values.emplace_back(row.columnInt(field.column));
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
