#pragma once

#include "store/schema.h"
#include "store/sqlite.h"
#include "store/table.h"

#include <QList>
#include <QVariant>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ql {

class TableOrder;

// Reads a table's records by their position in its order, in blocks: one statement reads up to
// 256 records by row id, so a scan or a grid page costs one lock on the file and one pass of the
// engine instead of one per record. Going on from the block read last, the next block reads far
// ahead (or back); a jump reads a screenful around the position. The block read last is kept, as
// the file stores it, until the positions move under it, which the table says by forgetting it;
// a record's values are made from it when the record is read, so a scan holds the values of one
// record at a time. Every record read has its calculated values filled; a record gone from the
// file reads as empty values. A block that cannot be read is read again record by record, so a
// record whose part of the file is damaged reads as an unreadable record and its neighbours read
// as they are. Other failures are the table's dataset errors.
class RecordReader {
public:
    // The fields and the hook are the table's, read as they are at each read.
    RecordReader(const Table& table, const std::vector<TableField>& fields,
                 const std::function<void(Record&)>& calculate);

    // Prepares the statement on a table file just opened.
    void prepare(const sql::Database& db, const TableDef& def);
    // The file closes: drops the statement and the block read.
    void close();

    // The record at a position of the order; empty values beyond its end.
    Record read(int position, const TableOrder& order) const;
    // The record with that row id as the file holds it now; nothing when it is gone. Forgets the
    // block read. A failure is the engine's, for the caller to name.
    std::optional<Record> readStored(qint64 rowid) const;
    // Forgets the block read: the positions in it have moved.
    void forget() { m_ahead.clear(); }

private:
    // Records read at once going on through the order, and around a position jumped to.
    static constexpr int kReadBlock = 256;
    static constexpr int kJumpBlock = 32;

    // A record of the block as the file stores it: where its columns' texts lie in the block's
    // bytes, or nothing when it is gone from the file.
    struct StoredRow {
        qint64 rowid = 0;
        int firstSpan = -1; // its first column in m_spans; -1 when it was not read
        bool unreadable = false;
        // A record read again (a grid shows its rows again at every move) keeps its values; one
        // read once, as a scan reads them, does not.
        bool readBefore = false;
        Record kept;
    };
    // Where a column's text lies in the block's bytes; a length of -1 for an empty value.
    struct Span {
        int offset = 0;
        int length = -1;
    };

    // Reads the records with these row ids into the block, failing with the table's dataset error.
    void readBlock(const std::vector<qint64>& rowids) const;
    // The same, failing with the engine's error.
    void readRows(const std::vector<qint64>& rowids) const;
    // Keeps the columns of the row a statement stands on as the record of the block at `slot`.
    void keepRow(const sql::Statement& row, StoredRow& slot) const;
    // One record by its row id, kept as the block's record at `slot`; unreadable when its part of
    // the file is damaged, left unread when it is gone.
    void readOne(StoredRow& slot) const;
    // The values of a record of the block, its calculated values filled.
    Record record(const StoredRow& row) const;
    // The same, kept from its second read on.
    Record recordRead(StoredRow& row) const;
    Record emptyRecord() const;

    const Table* m_table;
    const std::vector<TableField>* m_fields;
    const std::function<void(Record&)>* m_calculate;
    const sql::Database* m_db = nullptr;
    mutable sql::Statement m_selectBlock;
    mutable sql::Statement m_selectOne;
    // The stored columns that hold the key, which reads as the row id.
    std::vector<bool> m_keyColumn;
    mutable int m_aheadStart = 0;
    mutable std::vector<StoredRow> m_ahead;
    mutable std::vector<Span> m_spans;
    mutable std::string m_bytes;
};

} // namespace ql
