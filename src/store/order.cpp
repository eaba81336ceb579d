#include "store/order.h"

#include "store/fieldvalue.h"
#include "store/session.h"
#include "store/table.h"
#include "store/tablefile.h"

#include <algorithm>

namespace ql {

TableOrder::TableOrder(const Table& table, const TableDef& def, const sql::Database& db)
    : m_table(&table)
    , m_def(&def)
    , m_db(&db)
{
}

void TableOrder::setIndex(const IndexDef* index)
{
    m_index = index;
    m_field = index ? m_def->fieldIndex(index->field) : 0;
    m_selectKey = sql::Statement(*m_db, "SELECT " + sql::quoted(field().name) +
                                            " FROM records WHERE rowid = ?1");
}

void TableOrder::close()
{
    m_selectKey = {};
    m_pivots.clear();
    m_range.reset();
    forget();
}

// ---- positions

std::optional<qint64> TableOrder::rowidAt(int position) const
{
    if (position < 0 || (m_count && position >= *m_count))
        return std::nullopt;
    const int index = position / kStretch;
    std::map<int, Stretch>::const_iterator it = m_stretches.find(index);
    if (it == m_stretches.end()) {
        // A stretch away from those read is reached by counting: none beyond the end.
        if (index > 0 && !m_stretches.contains(index - 1) && position >= count())
            return std::nullopt;
        it = readStretch(index);
    }
    const int offset = position - index * kStretch;
    if (offset >= int(it->second.rowids.size()))
        return std::nullopt;
    return it->second.rowids[offset];
}

int TableOrder::count() const
{
    if (!m_count)
        m_count = countRows(nullptr);
    return *m_count;
}

// Found among the stretches read when one holds the mark or ends right before it.
int TableOrder::positionOf(const OrderMark& mark) const
{
    int below = -1; // the last stretch read whose records all sort before the mark
    for (const auto& [index, stretch] : m_stretches) {
        const int start = index * kStretch;
        const bool followsBelow = index == 0 || below == index - 1;
        if (stretch.rowids.isEmpty() ||
            compareMarks(mark, {stretch.firstKey, stretch.rowids.first()}) <= 0) {
            if (followsBelow)
                return start;
            break;
        }
        if (compareMarks(mark, {stretch.lastKey, stretch.rowids.last()}) > 0) {
            if (stretch.rowids.size() < kStretch)
                return start + int(stretch.rowids.size()); // the end of the order
            below = index;
            continue;
        }
        const sql::ReadTransaction reading(*m_db);
        const auto at =
            std::partition_point(stretch.rowids.begin(), stretch.rowids.end(), [&](qint64 rowid) {
                return compareMarks({storedKey(rowid).value_or(OrderKey{}), rowid}, mark) < 0;
            });
        return start + int(at - stretch.rowids.begin());
    }
    const sql::ReadTransaction reading(*m_db);
    const int position = countBefore(mark);
    readStretchAround(position, mark);
    return position;
}

// Counted from the mark to the end of the order that is cheaper to reach, which a record a fifth
// into the order tells: going back costs about four times as much a record as going on, which
// reads the index to its end with no key compared on the way. That record is found once for each
// index and kept: the records that come and go afterwards move it a little, which changes what a
// count costs, never what it finds.
int TableOrder::countBefore(const OrderMark& mark) const
{
    if (m_range)
        return count() - countRows(&mark, true);
    auto pivot = m_pivots.find(m_index);
    if (pivot == m_pivots.end()) {
        std::vector<Row> rows = readRows(nullptr, true, count() / 5, 1);
        OrderMark found;
        if (!rows.empty())
            found = {std::move(rows.front().second), rows.front().first};
        pivot = m_pivots.emplace(m_index, std::move(found)).first;
    }
    if (compareMarks(mark, pivot->second) < 0)
        return countRows(&mark, false);
    return count() - countRows(&mark, true);
}

void TableOrder::forgetFrom(int position)
{
    m_stretches.erase(m_stretches.lower_bound(std::max(position, 0) / kStretch), m_stretches.end());
}

bool TableOrder::fileKeepsCount() const
{
    if (!m_fileKeepsCount)
        return false;
    try {
        sql::Statement st(*m_db, "PRAGMA schema_version");
        st.step();
        if (st.columnInt(0) != m_layoutVersion) {
            m_countKept = tablefile::keepsCount(*m_db);
            m_layoutVersion = st.columnInt(0);
        }
    } catch (const Error& e) {
        throw m_table->datasetError(e.text());
    }
    return m_countKept;
}

void TableOrder::forget()
{
    forgetFrom(0);
    m_count.reset();
}

void TableOrder::forgetAfterPlacing(int position, qint64 rowid)
{
    const auto around = m_stretches.find(position / kStretch);
    const int offset = position % kStretch;
    const bool fresh = around != m_stretches.end() && offset < int(around->second.rowids.size()) &&
                       around->second.rowids[offset] == rowid;
    forgetFrom(fresh ? (position / kStretch + 1) * kStretch : position);
}

void TableOrder::adjustCount(int records)
{
    if (m_count)
        *m_count += records;
}

// ---- reading stretches

// Reads a stretch from the one before it or back from the one after it; a stretch far from any
// read is reached by skipping along the index from the nearer end of the order.
std::map<int, TableOrder::Stretch>::const_iterator TableOrder::readStretch(int index) const
{
    const int start = index * kStretch;
    const sql::ReadTransaction reading(*m_db);
    const auto before = m_stretches.find(index - 1);
    const auto after = m_stretches.find(index + 1);
    if (before != m_stretches.end()) {
        const OrderMark from{before->second.lastKey, before->second.rowids.last() + 1};
        std::vector<Row> rows = readRows(&from, true, 0, kStretch);
        const bool last = rows.size() < size_t(kStretch);
        return keepStretch(index, std::move(rows), last);
    }
    if (after != m_stretches.end() && !after->second.rowids.isEmpty()) {
        const OrderMark from{after->second.firstKey, after->second.rowids.first()};
        std::vector<Row> rows = readRows(&from, false, 0, kStretch);
        std::reverse(rows.begin(), rows.end());
        return keepStretch(index, std::move(rows), false);
    }
    if (m_count && start > *m_count / 2) {
        const int end = std::min(*m_count, start + kStretch);
        std::vector<Row> rows = readRows(nullptr, false, *m_count - end, end - start);
        std::reverse(rows.begin(), rows.end());
        return keepStretch(index, std::move(rows), false);
    }
    std::vector<Row> rows = readRows(nullptr, true, start, kStretch);
    const bool last = rows.size() < size_t(kStretch);
    return keepStretch(index, std::move(rows), last);
}

// Reads the stretch that holds a position whose place in the order is known, going both ways
// from there.
void TableOrder::readStretchAround(int position, const OrderMark& mark) const
{
    const int index = position / kStretch;
    if (m_stretches.contains(index))
        return;
    const int ahead = position - index * kStretch;
    const sql::ReadTransaction reading(*m_db);
    std::vector<Row> rows = readRows(&mark, false, 0, ahead);
    std::reverse(rows.begin(), rows.end());
    if (rows.size() < size_t(ahead))
        return; // the file changed meanwhile: the stretch is read from its start when needed
    std::vector<Row> rest = readRows(&mark, true, 0, kStretch - ahead);
    const bool last = rest.size() < size_t(kStretch - ahead);
    rows.insert(rows.end(), std::make_move_iterator(rest.begin()),
                std::make_move_iterator(rest.end()));
    keepStretch(index, std::move(rows), last);
}

// Keeps a stretch read; when it is the order's last, the order's length is known with it.
std::map<int, TableOrder::Stretch>::const_iterator
TableOrder::keepStretch(int index, std::vector<Row> rows, bool last) const
{
    Stretch stretch;
    stretch.rowids.reserve(qsizetype(rows.size()));
    for (const Row& row : rows)
        stretch.rowids.push_back(row.first);
    if (!rows.empty()) {
        stretch.firstKey = std::move(rows.front().second);
        stretch.lastKey = std::move(rows.back().second);
    }
    if (last)
        m_count = index * kStretch + int(rows.size());
    return m_stretches.insert_or_assign(index, std::move(stretch)).first;
}

// The parts of the order within the range, each in a way the index can seek to, nearest first:
// going on from the mark (or the start of the order) forward, or back from before it (or from
// the end). Going on from a mark, the rest of its equal keys come first, then the keys beyond it;
// the empty keys sort first.
std::vector<TableOrder::Part> TableOrder::parts(const OrderMark* from, bool forward) const
{
    const FieldDef& field = this->field();
    const QByteArray column = isPrimary() ? QByteArray("rowid") : sql::quoted(field.name);
    const QByteArray collated =
        isTextType(field.type) ? column + " COLLATE " + sql::kKeyCollation : column;
    QByteArrayList conditions;
    if (m_range) {
        if (!m_range->low.null)
            conditions << collated + " >= ?1";
        // An empty low key takes in the empty keys; otherwise they fail ">= low" anyway, and a
        // plain upper bound lets the index stop at the range's end.
        if (m_range->high.null)
            conditions << column + " IS NULL";
        else if (m_range->low.null)
            conditions << "(" + column + " IS NULL OR " + collated + " <= ?2)";
        else
            conditions << collated + " <= ?2";
    }
    const QByteArray descending = forward ? QByteArray() : QByteArray(" DESC");
    const QByteArray byKey = " ORDER BY " + collated + descending +
                             (isPrimary() ? QByteArray() : ", rowid" + descending);
    const QByteArray byRowid = " ORDER BY rowid" + descending;
    const QByteArray beyond = forward ? " >= ?4" : " < ?4";
    std::vector<std::pair<QByteArrayList, QByteArray>> parts;
    if (!from) {
        parts.push_back({conditions, byKey});
    } else if (isPrimary()) {
        parts.push_back({conditions + QByteArrayList{"rowid" + beyond}, byRowid});
    } else if (from->key.null) {
        parts.push_back(
            {conditions + QByteArrayList{column + " IS NULL AND rowid" + beyond}, byRowid});
        if (forward)
            parts.push_back({conditions + QByteArrayList{column + " IS NOT NULL"}, byKey});
    } else {
        parts.push_back(
            {conditions + QByteArrayList{collated + " = ?3 AND rowid" + beyond}, byRowid});
        parts.push_back(
            {conditions + QByteArrayList{collated + (forward ? " > ?3" : " < ?3")}, byKey});
        if (!forward)
            parts.push_back({conditions + QByteArrayList{column + " IS NULL"}, byRowid});
    }
    QByteArray source = " FROM records";
    if (m_index)
        source += " INDEXED BY " + sql::quoted(m_index->name);
    std::vector<Part> result;
    for (const auto& [where, sorting] : parts)
        result.push_back(
            {source + (where.isEmpty() ? QByteArray() : " WHERE " + where.join(" AND ")), sorting,
             "SELECT rowid, " + column});
    return result;
}

void TableOrder::bindOrder(sql::Statement& st, const OrderMark* from) const
{
    if (m_range) {
        bindKey(st, 1, m_range->low);
        bindKey(st, 2, m_range->high);
    }
    if (!from)
        return;
    if (isPrimary()) {
        st.bindInt(4, from->key.null ? from->rowid : std::max(from->key.integer, from->rowid));
        return;
    }
    // A part that takes every record of one side of the mark has no place for the mark.
    const int parameters = st.parameterCount();
    if (parameters >= 3)
        bindKey(st, 3, from->key);
    if (parameters >= 4)
        st.bindInt(4, from->rowid);
}

// Reads at most `limit` records of the order from a mark or an end, nearest first, after
// skipping `offset` of them.
std::vector<TableOrder::Row> TableOrder::readRows(const OrderMark* from, bool forward, int offset,
                                                  int limit) const
{
    std::vector<Row> rows;
    if (limit <= 0)
        return rows;
    if (offset > 0)
        m_db->mapFile();
    try {
        for (const Part& part : parts(from, forward)) {
            QByteArray query = part.select + part.source + part.sorting + " LIMIT " +
                               QByteArray::number(limit - qsizetype(rows.size()));
            if (offset > 0)
                query += " OFFSET " + QByteArray::number(offset);
            sql::Statement st(*m_db, query);
            bindOrder(st, from);
            while (st.step()) {
                OrderKey key;
                if (isPrimary()) {
                    key = {false, st.columnInt(0), {}};
                } else if (!st.isNull(1)) {
                    key.null = false;
                    key.bytes = st.columnBytes(1);
                }
                rows.emplace_back(st.columnInt(0), std::move(key));
            }
            if (rows.size() >= size_t(limit))
                break;
        }
    } catch (const Error& e) {
        throw m_table->datasetError(e.text());
    }
    return rows;
}

// Counts the records of the order from a mark on or before it, or all of them, which a file that
// keeps its count tells at once. The index is read from the mark to the end it goes to, which
// needs no comparison on the way when there is no range: going back, the records are counted in
// the order of the part, so the index is read downwards from the mark, where upwards each
// record's key would be compared with the mark's.
int TableOrder::countRows(const OrderMark* from, bool forward) const
{
    try {
        if (!from && !m_range) {
            const sql::ReadTransaction reading(*m_db);
            if (fileKeepsCount()) {
                sql::Statement st(*m_db, "SELECT records FROM tally");
                if (st.step())
                    return int(st.columnInt(0));
            }
            // The engine counts along the smallest index, not through the records.
            m_db->mapFile();
            sql::Statement st(*m_db, "SELECT count(*) FROM records");
            st.step();
            return int(st.columnInt(0));
        }
        m_db->mapFile();
        const sql::ReadTransaction reading(*m_db);
        int count = 0;
        for (const Part& part : parts(from, forward)) {
            sql::Statement st(*m_db, forward ? "SELECT count(*)" + part.source
                                             : "SELECT count(*) FROM (SELECT 1" + part.source +
                                                   part.sorting + " LIMIT -1)");
            bindOrder(st, from);
            st.step();
            count += int(st.columnInt(0));
        }
        return count;
    } catch (const Error& e) {
        throw m_table->datasetError(e.text());
    }
}

// ---- keys

OrderKey TableOrder::keyOf(const QVariant& value) const
{
    OrderKey key;
    if (value.isNull() || (value.userType() == QMetaType::QString && value.toString().isEmpty()))
        return key;
    key.null = false;
    if (isPrimary())
        key.integer = value.toLongLong();
    else
        key.bytes = storedText(field().type, value);
    return key;
}

OrderKey TableOrder::keyOfText(const QString& text) const
{
    if (text.isEmpty())
        return {};
    return keyOf(valueOfText(field().type, text, m_table->session().clock().today()));
}

std::optional<OrderKey> TableOrder::storedKey(qint64 rowid) const
{
    try {
        const sql::Statement::Use use(m_selectKey);
        m_selectKey.bindInt(1, rowid);
        if (!m_selectKey.step())
            return std::nullopt;
        if (isPrimary())
            return OrderKey{false, m_selectKey.columnInt(0), {}};
        if (m_selectKey.isNull(0))
            return OrderKey{};
        return OrderKey{false, 0, m_selectKey.columnBytes(0)};
    } catch (const Error& e) {
        throw m_table->datasetError(e.text());
    }
}

void TableOrder::bindKey(sql::Statement& st, int parameter, const OrderKey& key) const
{
    if (key.null)
        return;
    if (isPrimary())
        st.bindInt(parameter, key.integer);
    else
        st.bindText(parameter, key.bytes);
}

int TableOrder::compareKeys(const OrderKey& a, const OrderKey& b) const
{
    if (a.null || b.null)
        return int(b.null) - int(a.null);
    if (isPrimary())
        return a.integer < b.integer ? -1 : (a.integer > b.integer ? 1 : 0);
    if (isTextType(field().type))
        return m_db->collator().compare(a.bytes, b.bytes);
    return a.bytes.compare(b.bytes);
}

bool TableOrder::inRange(const OrderKey& key) const
{
    return !m_range ||
           (compareKeys(key, m_range->low) >= 0 && compareKeys(key, m_range->high) <= 0);
}

int TableOrder::compareMarks(const OrderMark& a, const OrderMark& b) const
{
    if (const int order = compareKeys(a.key, b.key); order != 0)
        return order;
    return a.rowid < b.rowid ? -1 : (a.rowid > b.rowid ? 1 : 0);
}

std::vector<qint64> TableOrder::allRowids() const
{
    std::vector<qint64> rowids;
    for (const Part& part : parts(nullptr, true)) {
        sql::Statement st(*m_db, "SELECT rowid" + part.source + part.sorting);
        bindOrder(st, nullptr);
        while (st.step())
            rowids.push_back(st.columnInt(0));
    }
    return rowids;
}

} // namespace ql
