#pragma once

#include "store/schema.h"
#include "store/sqlite.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QVariant>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace ql {

class Table;

// A key of the order as the file holds it: the row id in the primary order, the stored text of
// the index's field in a secondary one; null for an empty value, which sorts first.
struct OrderKey {
    bool null = true;
    qint64 integer = 0;
    QByteArray bytes;
};

// The keys from low to high, both included.
struct OrderRange {
    OrderKey low;
    OrderKey high;
};

// A place in the order: right before the record with this key and row id, where it would stand
// if there were one.
struct OrderMark {
    OrderKey key;
    qint64 rowid = 0;
};

// The active order of a table's records: the row ids in the order of the primary key or of one
// secondary index, limited to an optional range of keys. Positions are read in stretches of 256
// row ids, each when a position in it is first asked for: going on from the stretch before it,
// back from the one after it, or, far from every stretch read, skipped to along the index from
// the nearer end of the order. The length is read from the file the first time it is needed,
// and a place found by key among positions not read yet is counted from the nearer end. So
// nothing reads the whole order, however long it is.
//
// The order only reads the file. Whoever changes the file tells it which positions moved (the
// stretches from there on are forgotten) and how many records came or went; a change it cannot
// follow is met by forgetting everything. Failures are the table's dataset errors.
class TableOrder {
public:
    TableOrder(const Table& table, const TableDef& def, const sql::Database& db);

    // Whether the file may keep the number of its records (tablefile.h), set when it opens: an
    // untrusted file's number is never read.
    void setFileKeepsCount(bool keeps)
    {
        m_fileKeepsCount = keeps;
        m_layoutVersion = -1;
    }
    // Whether the file keeps its count with every part now; looked at again whenever its layout
    // changed (another program may drop a part).
    bool fileKeepsCount() const;
    // Sorts by a secondary index, or by the primary key for none; needs the file open. The
    // stretches read and the range are the caller's to drop.
    void setIndex(const IndexDef* index);
    const IndexDef* index() const { return m_index; }
    bool isPrimary() const { return m_index == nullptr; }
    // The field the order sorts by (the key field for the primary order).
    const FieldDef& field() const { return m_def->fields[size_t(m_field)]; }

    // Limits the order to a range of keys, or to none; the order read is the caller's to drop.
    const std::optional<OrderRange>& range() const { return m_range; }
    void setRange(std::optional<OrderRange> range) { m_range = std::move(range); }

    // The row id at a position of the order; none beyond its end.
    std::optional<qint64> rowidAt(int position) const;
    // The number of records of the order.
    int count() const;
    // The position a mark stands at: found among the stretches read, or counted in the file,
    // and then the stretch around it is read.
    int positionOf(const OrderMark& mark) const;

    // The row ids of the whole order in one read along the index, for work over a whole table.
    std::vector<qint64> allRowids() const;

    // Forgets the stretches from the one holding a position on: the positions there have moved.
    void forgetFrom(int position);
    // Forgets everything read of the order, its length too.
    void forget();
    // A record just took its place at a position: the positions from there on have moved, but
    // for those of the stretch holding it when that stretch was read with the record in place.
    void forgetAfterPlacing(int position, qint64 rowid);
    // Records came into the order or left it; a known length follows them.
    void adjustCount(int records);
    // Drops the number of records read, which the file counts again.
    void forgetCount() { m_count.reset(); }
    // The file closes: drops the statement on it, the range and everything read.
    void close();

    OrderKey keyOf(const QVariant& value) const;
    // A text key, read as the type of the order's field.
    OrderKey keyOfText(const QString& text) const;
    // The key of a record; none when there is no such record.
    std::optional<OrderKey> storedKey(qint64 rowid) const;
    int compareKeys(const OrderKey& a, const OrderKey& b) const;
    bool inRange(const OrderKey& key) const;

private:
    // Positions read at once.
    static constexpr int kStretch = 256;

    // Row ids at consecutive positions of the order, with the keys of the first and the last.
    struct Stretch {
        QList<qint64> rowids;
        OrderKey firstKey;
        OrderKey lastKey;
    };
    using Row = std::pair<qint64, OrderKey>;
    // One statement's worth of the order: what it selects, where from and how it sorts.
    struct Part {
        QByteArray source;
        QByteArray sorting;
        QByteArray select;
    };

    std::map<int, Stretch>::const_iterator readStretch(int index) const;
    void readStretchAround(int position, const OrderMark& mark) const;
    std::map<int, Stretch>::const_iterator keepStretch(int index, std::vector<Row> rows,
                                                       bool last) const;
    std::vector<Part> parts(const OrderMark* from, bool forward) const;
    void bindOrder(sql::Statement& st, const OrderMark* from) const;
    void bindKey(sql::Statement& st, int parameter, const OrderKey& key) const;
    std::vector<Row> readRows(const OrderMark* from, bool forward, int offset, int limit) const;
    int countRows(const OrderMark* from, bool forward = true) const;
    // The number of records of the order before a mark.
    int countBefore(const OrderMark& mark) const;
    int compareMarks(const OrderMark& a, const OrderMark& b) const;

    const Table* m_table;
    const TableDef* m_def;
    const sql::Database* m_db;
    const IndexDef* m_index = nullptr;
    bool m_fileKeepsCount = false;
    mutable bool m_countKept = false;
    mutable qint64 m_layoutVersion = -1; // of the file when m_countKept was looked at
    int m_field = 0;                     // stored column of the order's field
    std::optional<OrderRange> m_range;
    mutable sql::Statement m_selectKey;

    // The stretches read so far, by their index (position / kStretch), and the number of
    // records of the order once it is known. Every stretch but the last is full.
    mutable std::map<int, Stretch> m_stretches;
    mutable std::optional<int> m_count;
    // The record a fifth into each order without a range when it was last looked for, by index
    // (none for the primary order).
    mutable std::map<const IndexDef*, OrderMark> m_pivots;
};

} // namespace ql
