#include "table.h"

#include "datetext.h"
#include "session.h"
#include "tablefile.h"

#include <QDir>
#include <QStringDecoder>
#include <algorithm>
#include <limits>

namespace ql {
namespace {

const char* const kDateTimeFormat = "yyyy-MM-dd HH:mm:ss.zzz";

bool isTextType(FieldType type)
{
    return type == FieldType::Text || type == FieldType::Memo;
}

// The first `width` characters of a text, never splitting a character in two.
QString cutToWidth(const QString& text, int width)
{
    if (text.size() <= width)
        return text;
    qsizetype units = 0;
    for (int characters = 0; characters < width && units < text.size(); ++characters)
        units += (text.at(units).isHighSurrogate() && units + 1 < text.size()) ? 2 : 1;
    return text.left(units);
}

QByteArray storedText(FieldType type, const QVariant& value)
{
    switch (type) {
    case FieldType::Date:
        return value.toDate().toString(Qt::ISODate).toUtf8();
    case FieldType::DateTime:
        return value.toDateTime().toString(QLatin1String(kDateTimeFormat)).toUtf8();
    case FieldType::AutoIncrement:
        return QByteArray::number(value.toLongLong());
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return value.toString().toUtf8();
}

} // namespace

QVariant Record::value(const QString& fieldName) const
{
    return m_values.at(m_table->fieldIndex(fieldName));
}

QString Record::text(const QString& fieldName) const
{
    return value(fieldName).toString();
}

void Record::setValue(const QString& fieldName, QVariant value)
{
    m_values[m_table->fieldIndex(fieldName)] = std::move(value);
}

Table::Table(const TableDef& def, const QString& componentName, QObject* parent)
    : QObject(parent)
    , m_def(&def)
    , m_tableName(def.name)
{
    setObjectName(componentName);
    for (size_t i = 0; i < def.fields.size(); ++i)
        m_fields.push_back({def.fields[i], int(i)});
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fieldByName.insert(m_fields[i].def.name, int(i));
}

Table::~Table() = default;

void Table::addCalculatedField(const FieldDef& field, const QString& after)
{
    const auto at = m_fields.begin() + fieldIndex(after) + 1;
    m_fields.insert(at, TableField{field, -1});
    m_fieldByName.clear();
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fieldByName.insert(m_fields[i].def.name, int(i));
}

void Table::moveFieldToEnd(const QString& fieldName)
{
    const auto at = m_fields.begin() + fieldIndex(fieldName);
    std::rotate(at, at + 1, m_fields.end());
    m_fieldByName.clear();
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fieldByName.insert(m_fields[i].def.name, int(i));
}

Error Table::datasetError(const QString& text) const
{
    return Error(objectName() + QStringLiteral(": ") + text);
}

int Table::findField(const QString& name) const
{
    if (const auto it = m_fieldByName.constFind(name); it != m_fieldByName.cend())
        return *it;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].def.name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

int Table::fieldIndex(const QString& name) const
{
    const int index = findField(name);
    if (index < 0)
        throw datasetError(QStringLiteral("Field '%1' not found").arg(name));
    return index;
}

void Table::checkActive() const
{
    if (!isOpen())
        throw datasetError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void Table::checkWritable() const
{
    if (m_readOnly)
        throw datasetError(QStringLiteral("Cannot modify a read-only dataset"));
}

void Table::checkEditing() const
{
    checkActive();
    if (m_state != TableState::Edit && m_state != TableState::Insert)
        throw datasetError(QStringLiteral("Dataset not in edit or insert mode"));
}

// ---- opening and closing

void Table::open()
{
    if (isOpen())
        return;
    if (m_beforeOpen)
        m_beforeOpen();
    const QString directory = Session::instance().databasePath(m_databaseName);
    const QString path = tablefile::locate(directory, m_tableName);
    if (path.isEmpty()) {
        throw Error(QStringLiteral("Cannot open table \"%1\": there is no such file in %2.")
                        .arg(m_tableName, QDir::toNativeSeparators(directory)));
    }
    const IndexDef* index = resolveIndex(m_indexName, m_indexFieldNames);
    m_db = tablefile::open(*m_def, path, m_readOnly);
    try {
        prepareStatements();
        setActiveIndex(index);
        m_dataVersion = readDataVersion();
        forgetOrder();
        rowidAt(0); // the first records show at once; the rest is read when it is needed
    } catch (...) {
        m_db = sql::Database();
        throw;
    }
    m_state = TableState::Browse;
    m_modified = false;
    m_position = rowidAt(0) ? 0 : -1;
    m_bof = true;
    m_eof = m_position < 0;
    readCurrent();
    Q_EMIT rowsReset();
    Q_EMIT stateChanged();
    Q_EMIT currentChanged();
}

void Table::close()
{
    if (!isOpen())
        return;
    m_selectBlock = {};
    m_selectKey = {};
    m_dataVersionQuery = {};
    m_insert = {};
    m_update = {};
    m_delete = {};
    m_db = sql::Database();
    dropReadAhead();
    forgetOrder();
    m_position = -1;
    m_bof = m_eof = true;
    m_range.reset();
    m_current = {};
    m_buffer = {};
    m_modified = false;
    m_state = TableState::Inactive;
    Q_EMIT rowsReset();
    Q_EMIT stateChanged();
    Q_EMIT currentChanged();
}

void Table::prepareStatements()
{
    QByteArray columns;
    QByteArray assignments;
    QByteArray parameters;
    int stored = 0;
    for (const FieldDef& field : m_def->fields) {
        const QByteArray name = sql::quoted(field.name);
        if (!columns.isEmpty())
            columns += ", ";
        columns += name;
        if (field.type != FieldType::AutoIncrement) {
            ++stored;
            if (!assignments.isEmpty()) {
                assignments += ", ";
                parameters += ", ";
            }
            assignments += name + " = ?" + QByteArray::number(stored);
            parameters += '?' + QByteArray::number(stored);
        }
    }
    QByteArray insertColumns;
    for (const FieldDef& field : m_def->fields) {
        if (field.type == FieldType::AutoIncrement)
            continue;
        if (!insertColumns.isEmpty())
            insertColumns += ", ";
        insertColumns += sql::quoted(field.name);
    }
    QByteArray blockParameters;
    for (int i = 1; i <= kReadBlock; ++i)
        blockParameters += (i > 1 ? ", ?" : "?") + QByteArray::number(i);
    m_selectBlock = sql::Statement(m_db, "SELECT " + columns + " FROM records WHERE rowid IN (" +
                                             blockParameters + ")");
    m_insert = sql::Statement(m_db, "INSERT INTO records(" + insertColumns + ") VALUES (" +
                                        parameters + ")");
    m_update = sql::Statement(m_db, "UPDATE records SET " + assignments + " WHERE rowid = ?" +
                                        QByteArray::number(stored + 1));
    m_delete = sql::Statement(m_db, "DELETE FROM records WHERE rowid = ?1");
    m_dataVersionQuery = sql::Statement(m_db, "PRAGMA data_version");
}

// ---- the active order

void Table::setActiveIndex(const IndexDef* index)
{
    m_activeIndex = index;
    m_activeField = index ? m_def->fieldIndex(index->field) : 0;
    m_selectKey = sql::Statement(m_db, "SELECT " + sql::quoted(indexField().name) +
                                           " FROM records WHERE rowid = ?1");
}

const IndexDef* Table::resolveIndex(const QString& indexName, const QString& fieldName) const
{
    if (!indexName.isEmpty()) {
        const IndexDef* index = m_def->indexByName(indexName);
        if (!index)
            throw datasetError(QStringLiteral("Index '%1' not found").arg(indexName));
        return index;
    }
    if (fieldName.isEmpty() || m_def->fieldIndex(fieldName) == 0)
        return nullptr;
    const IndexDef* index = m_def->indexOnField(fieldName);
    if (!index)
        throw datasetError(QStringLiteral("No index for fields '%1'").arg(fieldName));
    return index;
}

const FieldDef& Table::indexField() const
{
    return m_def->fields[size_t(m_activeField)];
}

const TableField& Table::keyField() const
{
    return m_fields[size_t(fieldIndex(indexField().name))];
}

void Table::setIndexName(const QString& name)
{
    if (!isOpen()) {
        resolveIndex(name, {});
        m_indexName = name;
        m_indexFieldNames.clear();
        return;
    }
    const IndexDef* index = resolveIndex(name, {});
    m_indexName = name;
    m_indexFieldNames.clear();
    switchOrder(index, index == nullptr);
}

void Table::setIndexFieldNames(const QString& fieldName)
{
    const IndexDef* index = resolveIndex({}, fieldName);
    m_indexFieldNames = fieldName;
    m_indexName.clear();
    if (isOpen())
        switchOrder(index, index == nullptr);
}

void Table::switchOrder(const IndexDef* index, bool primary)
{
    if (index == m_activeIndex && primary == isPrimaryOrder())
        return; // the same order keeps its range
    checkBrowseMode();
    const qint64 current = currentRowid();
    setActiveIndex(index);
    // Every order holds the same records, unless a range left some out or another program
    // changed the file.
    if (const qint64 version = readDataVersion(); m_range || version != m_dataVersion) {
        m_count.reset();
        m_dataVersion = version;
    }
    m_range.reset();
    forgetOrderFrom(0);
    relocate(current, 0);
    Q_EMIT rowsReset();
    Q_EMIT currentChanged();
}

// ---- reading the order

std::optional<qint64> Table::rowidAt(int position) const
{
    if (position < 0 || !isOpen() || (m_count && position >= *m_count))
        return std::nullopt;
    const int index = position / kStretch;
    std::map<int, Stretch>::const_iterator it = m_stretches.find(index);
    if (it == m_stretches.end()) {
        // A stretch away from those read is reached by counting: none beyond the end.
        if (index > 0 && !m_stretches.contains(index - 1) && position >= recordCount())
            return std::nullopt;
        it = readStretch(index);
    }
    const int offset = position - index * kStretch;
    if (offset >= int(it->second.rowids.size()))
        return std::nullopt;
    return it->second.rowids[offset];
}

qint64 Table::currentRowid() const
{
    return rowidAt(m_position).value_or(-1);
}

// Reads a stretch from the one before it or back from the one after it; a stretch far from any
// read is reached by skipping along the index from the nearer end of the order.
std::map<int, Table::Stretch>::const_iterator Table::readStretch(int index) const
{
    const int start = index * kStretch;
    const sql::ReadTransaction reading(m_db);
    const auto before = m_stretches.find(index - 1);
    const auto after = m_stretches.find(index + 1);
    if (before != m_stretches.end()) {
        const Mark from{before->second.lastKey, before->second.rowids.last() + 1};
        std::vector<Row> rows = readRows(&from, true, 0, kStretch);
        const bool last = rows.size() < size_t(kStretch);
        return keepStretch(index, std::move(rows), last);
    }
    if (after != m_stretches.end() && !after->second.rowids.isEmpty()) {
        const Mark from{after->second.firstKey, after->second.rowids.first()};
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
void Table::readStretchAround(int position, const Mark& mark) const
{
    const int index = position / kStretch;
    if (m_stretches.contains(index))
        return;
    const int ahead = position - index * kStretch;
    const sql::ReadTransaction reading(m_db);
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
std::map<int, Table::Stretch>::const_iterator Table::keepStretch(int index, std::vector<Row> rows,
                                                                 bool last) const
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
std::vector<Table::OrderPart> Table::orderParts(const Mark* from, bool forward) const
{
    const FieldDef& field = indexField();
    const QByteArray column = isPrimaryOrder() ? QByteArray("rowid") : sql::quoted(field.name);
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
                             (isPrimaryOrder() ? QByteArray() : ", rowid" + descending);
    const QByteArray byRowid = " ORDER BY rowid" + descending;
    const QByteArray beyond = forward ? " >= ?4" : " < ?4";
    std::vector<std::pair<QByteArrayList, QByteArray>> parts;
    if (!from) {
        parts.push_back({conditions, byKey});
    } else if (isPrimaryOrder()) {
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
    if (m_activeIndex)
        source += " INDEXED BY " + sql::quoted(m_activeIndex->name);
    std::vector<OrderPart> result;
    for (const auto& [where, sorting] : parts)
        result.push_back(
            {source + (where.isEmpty() ? QByteArray() : " WHERE " + where.join(" AND ")), sorting,
             "SELECT rowid, " + column});
    return result;
}

void Table::bindOrder(sql::Statement& st, const Mark* from) const
{
    if (m_range) {
        bindKey(st, 1, m_range->low);
        bindKey(st, 2, m_range->high);
    }
    if (!from)
        return;
    if (isPrimaryOrder()) {
        st.bindInt(4, from->key.null ? from->rowid : std::max(from->key.integer, from->rowid));
        return;
    }
    bindKey(st, 3, from->key);
    st.bindInt(4, from->rowid);
}

// Reads at most `limit` records of the order from a mark or an end, nearest first, after
// skipping `offset` of them.
std::vector<Table::Row> Table::readRows(const Mark* from, bool forward, int offset, int limit) const
{
    std::vector<Row> rows;
    if (limit <= 0)
        return rows;
    try {
        for (const OrderPart& part : orderParts(from, forward)) {
            QByteArray query = part.select + part.source + part.sorting + " LIMIT " +
                               QByteArray::number(limit - qsizetype(rows.size()));
            if (offset > 0)
                query += " OFFSET " + QByteArray::number(offset);
            sql::Statement st(m_db, query);
            bindOrder(st, from);
            while (st.step()) {
                Key key;
                if (isPrimaryOrder()) {
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
        throw datasetError(e.text());
    }
    return rows;
}

// Counts the records of the order from a mark on, or all of them. The index is read from the
// mark to the end, which needs no comparison on the way when there is no range.
int Table::countRows(const Mark* from) const
{
    try {
        if (!from && !m_range) {
            // The engine counts along the smallest index, not through the records.
            sql::Statement st(m_db, "SELECT count(*) FROM records");
            st.step();
            return int(st.columnInt(0));
        }
        const sql::ReadTransaction reading(m_db);
        int count = 0;
        for (const OrderPart& part : orderParts(from, true)) {
            sql::Statement st(m_db, "SELECT count(*)" + part.source);
            bindOrder(st, from);
            st.step();
            count += int(st.columnInt(0));
        }
        return count;
    } catch (const Error& e) {
        throw datasetError(e.text());
    }
}

int Table::recordCount() const
{
    if (!m_count)
        m_count = countRows(nullptr);
    return *m_count;
}

// The position a mark stands at: found among the stretches read when one holds it or ends right
// before it, else counted in the file, and then the stretch around it is read.
int Table::positionOf(const Mark& mark) const
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
        const sql::ReadTransaction reading(m_db);
        const auto at =
            std::partition_point(stretch.rowids.begin(), stretch.rowids.end(), [&](qint64 rowid) {
                return compareMarks({storedKey(rowid).value_or(Key{}), rowid}, mark) < 0;
            });
        return start + int(at - stretch.rowids.begin());
    }
    const sql::ReadTransaction reading(m_db);
    const int position = recordCount() - countRows(&mark);
    readStretchAround(position, mark);
    return position;
}

// Drops the stretches from the one holding a position on: the positions there have moved.
void Table::forgetOrderFrom(int position)
{
    dropReadAhead();
    m_stretches.erase(m_stretches.lower_bound(std::max(position, 0) / kStretch), m_stretches.end());
}

// Drops everything read of the order, its length too.
void Table::forgetOrder()
{
    forgetOrderFrom(0);
    m_count.reset();
}

// Makes the record with that row id current, or the row at `fallback` when it is gone.
void Table::relocate(qint64 rowid, int fallback)
{
    int position = -1;
    if (rowid >= 0 && rowidAt(fallback) == rowid) {
        position = fallback;
    } else if (const std::optional<Key> key = rowid >= 0 ? storedKey(rowid) : std::nullopt;
               key && inRange(*key)) {
        position = positionOf({*key, rowid});
    }
    if (!rowidAt(position))
        position = fallback < 0 ? 0 : (rowidAt(fallback) ? fallback : recordCount() - 1);
    m_position = rowidAt(position) ? position : -1;
    m_bof = m_eof = m_position < 0;
    readCurrent();
}

// ---- keys

Table::Key Table::keyOf(const QVariant& value) const
{
    Key key;
    const FieldDef& field = indexField();
    if (value.isNull() || (value.userType() == QMetaType::QString && value.toString().isEmpty()))
        return key;
    key.null = false;
    if (isPrimaryOrder())
        key.integer = value.toLongLong();
    else
        key.bytes = storedText(field.type, value);
    return key;
}

Table::Key Table::keyText(const QString& text) const
{
    if (text.isEmpty())
        return {};
    switch (indexField().type) {
    case FieldType::Date:
        return keyOf(datetext::parseDate(text));
    case FieldType::DateTime:
        return keyOf(datetext::parseDateTime(text));
    case FieldType::AutoIncrement:
        return keyOf(datetext::parseInteger(text));
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return keyOf(text);
}

// The key of a record in the active order; none when there is no such record.
std::optional<Table::Key> Table::storedKey(qint64 rowid) const
{
    try {
        std::optional<Key> key;
        m_selectKey.bindInt(1, rowid);
        if (m_selectKey.step()) {
            key = Key{};
            if (isPrimaryOrder()) {
                *key = {false, m_selectKey.columnInt(0), {}};
            } else if (!m_selectKey.isNull(0)) {
                key->null = false;
                key->bytes = m_selectKey.columnBytes(0);
            }
        }
        m_selectKey.reset();
        return key;
    } catch (const Error& e) {
        m_selectKey.reset();
        throw datasetError(e.text());
    }
}

void Table::bindKey(sql::Statement& st, int parameter, const Key& key) const
{
    if (key.null)
        return;
    if (isPrimaryOrder())
        st.bindInt(parameter, key.integer);
    else
        st.bindText(parameter, key.bytes);
}

int Table::compareKeys(const Key& a, const Key& b) const
{
    if (a.null || b.null)
        return int(b.null) - int(a.null);
    if (isPrimaryOrder())
        return a.integer < b.integer ? -1 : (a.integer > b.integer ? 1 : 0);
    if (isTextType(indexField().type))
        return m_db.collator().compare(a.bytes, b.bytes);
    return a.bytes.compare(b.bytes);
}

bool Table::inRange(const Key& key) const
{
    return !m_range ||
           (compareKeys(key, m_range->low) >= 0 && compareKeys(key, m_range->high) <= 0);
}

int Table::compareMarks(const Mark& a, const Mark& b) const
{
    if (const int order = compareKeys(a.key, b.key); order != 0)
        return order;
    return a.rowid < b.rowid ? -1 : (a.rowid > b.rowid ? 1 : 0);
}

// ---- reading

// Records are read a block at a time with one statement, so a scan or a grid page costs one
// lock on the file and one pass of the engine instead of one per record.
Record Table::recordAtPosition(int position) const
{
    const int offset = position - m_aheadStart;
    if (offset >= 0 && offset < int(m_ahead.size()))
        return m_ahead[size_t(offset)];
    // Going on from the block read last reads far ahead; a jump reads a screenful around.
    const int size = m_ahead.size();
    const bool forward = !m_ahead.empty() && offset == size;
    const bool backward = !m_ahead.empty() && offset == -1;
    const int block = forward || backward ? kReadBlock : kJumpBlock;
    m_ahead.clear();
    m_aheadStart = backward ? std::max(0, position - block + 1)
                            : std::max(0, forward ? position : position - block / 4);
    std::vector<qint64> rowids;
    for (int p = m_aheadStart; p < m_aheadStart + block; ++p) {
        const std::optional<qint64> rowid = rowidAt(p);
        if (!rowid)
            break;
        rowids.push_back(*rowid);
    }
    readBlock(rowids);
    if (position - m_aheadStart >= int(m_ahead.size()))
        return Record(this, QList<QVariant>(qsizetype(m_fields.size())));
    return m_ahead[size_t(position - m_aheadStart)];
}

// Reads the records with these row ids into the read-ahead block. The engine returns them in an
// order of its own; a record deleted meanwhile reads as empty values.
void Table::readBlock(const std::vector<qint64>& rowids) const
{
    std::vector<std::pair<qint64, int>> wanted; // row id and offset in the block
    wanted.reserve(rowids.size());
    for (size_t i = 0; i < rowids.size(); ++i) {
        wanted.emplace_back(rowids[i], int(i));
        m_selectBlock.bindInt(int(i) + 1, rowids[i]);
    }
    std::sort(wanted.begin(), wanted.end());
    m_ahead.assign(wanted.size(), Record());
    try {
        while (m_selectBlock.step()) {
            const qint64 rowid = m_selectBlock.columnInt(0);
            const auto it = std::lower_bound(wanted.begin(), wanted.end(), std::pair(rowid, 0));
            if (it != wanted.end() && it->first == rowid)
                m_ahead[size_t(it->second)] = Record(this, decodeRow());
        }
    } catch (const Error& e) {
        m_selectBlock.reset();
        m_ahead.clear();
        throw datasetError(e.text());
    }
    m_selectBlock.reset();
    for (Record& record : m_ahead) {
        if (!record.isValid())
            record = Record(this, QList<QVariant>(qsizetype(m_fields.size())));
        calculate(record);
    }
}

// The values of the row the block statement stands on, in the field order.
QList<QVariant> Table::decodeRow() const
{
    QList<QVariant> values;
    values.reserve(qsizetype(m_fields.size()));
    for (const TableField& field : m_fields) {
        int length = 0;
        const char* data =
            field.isCalculated() ? nullptr : m_selectBlock.columnData(field.column, &length);
        if (!data) {
            values.emplace_back();
            continue;
        }
        switch (field.def.type) {
        case FieldType::AutoIncrement:
            values.emplace_back(m_selectBlock.columnInt(field.column));
            break;
        case FieldType::Date:
            values.emplace_back(QDate::fromString(QString::fromUtf8(data, length), Qt::ISODate));
            break;
        case FieldType::DateTime:
            values.emplace_back(QDateTime::fromString(QString::fromUtf8(data, length),
                                                      QLatin1String(kDateTimeFormat)));
            break;
        case FieldType::Text:
        case FieldType::Memo:
            values.emplace_back(QString::fromUtf8(data, length));
            break;
        }
    }
    return values;
}

void Table::calculate(Record& record) const
{
    if (m_onCalcFields)
        m_onCalcFields(record);
}

void Table::readCurrent()
{
    m_current = m_position >= 0 ? recordAtPosition(m_position)
                                : Record(this, QList<QVariant>(qsizetype(m_fields.size())));
}

const Record& Table::shownRecord() const
{
    checkActive();
    return (m_state == TableState::Edit || m_state == TableState::Insert) ? m_buffer : m_current;
}

QVariant Table::value(int field) const
{
    return shownRecord().at(field);
}

QVariant Table::value(const QString& fieldName) const
{
    return value(fieldIndex(fieldName));
}

QString fieldText(FieldType type, const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (type) {
    case FieldType::Date:
        return datetext::shortDate(value.toDate());
    case FieldType::DateTime:
        return datetext::dateTime(value.toDateTime());
    case FieldType::AutoIncrement:
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return value.toString();
}

QString Table::asText(int field) const
{
    return fieldText(m_fields[size_t(field)].def.type, shownRecord().at(field));
}

QString Table::asText(const QString& fieldName) const
{
    return asText(fieldIndex(fieldName));
}

QDate Table::asDate(const QString& fieldName) const
{
    const int field = fieldIndex(fieldName);
    const QVariant v = value(field);
    if (v.isNull())
        return {};
    switch (m_fields[size_t(field)].def.type) {
    case FieldType::Date:
        return v.toDate();
    case FieldType::DateTime:
        return v.toDateTime().date();
    case FieldType::AutoIncrement:
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return datetext::parseDate(v.toString());
}

QDateTime Table::asDateTime(const QString& fieldName) const
{
    const int field = fieldIndex(fieldName);
    const QVariant v = value(field);
    if (v.isNull())
        return {};
    switch (m_fields[size_t(field)].def.type) {
    case FieldType::Date:
        return QDateTime(v.toDate(), QTime(0, 0));
    case FieldType::DateTime:
        return v.toDateTime();
    case FieldType::AutoIncrement:
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return datetext::parseDateTime(v.toString());
}

int Table::asInteger(const QString& fieldName) const
{
    const int field = fieldIndex(fieldName);
    const QVariant v = value(field);
    if (v.isNull())
        return 0;
    if (m_fields[size_t(field)].def.type == FieldType::AutoIncrement)
        return v.toInt();
    return datetext::parseInteger(v.toString());
}

// ---- writing values

QVariant Table::normalized(const TableField& field, const QVariant& value) const
{
    if (value.isNull())
        return {};
    switch (field.def.type) {
    case FieldType::Text: {
        const QString text = value.toString();
        return text.isEmpty() ? QVariant() : QVariant(cutToWidth(text, field.def.size));
    }
    case FieldType::Memo: {
        const QString text = value.toString();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case FieldType::Date: {
        const QDate date =
            value.userType() == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
        return date.isValid() ? QVariant(date) : QVariant();
    }
    case FieldType::DateTime: {
        const QDateTime moment = value.userType() == QMetaType::QDate
                                     ? QDateTime(value.toDate(), QTime(0, 0))
                                     : value.toDateTime();
        return moment.isValid() ? QVariant(moment) : QVariant();
    }
    case FieldType::AutoIncrement:
        break;
    }
    return value.toLongLong();
}

void Table::setValue(int field, const QVariant& value)
{
    checkEditing();
    const TableField& f = m_fields[size_t(field)];
    if (f.isCalculated() || f.def.type == FieldType::AutoIncrement)
        throw datasetError(QStringLiteral("Field '%1' cannot be modified").arg(f.def.name));
    m_buffer.set(field, normalized(f, value));
    calculate(m_buffer);
    m_modified = true;
    Q_EMIT fieldChanged(field);
}

void Table::setValue(const QString& fieldName, const QVariant& value)
{
    setValue(fieldIndex(fieldName), value);
}

void Table::setAsText(const QString& fieldName, const QString& text)
{
    const int field = fieldIndex(fieldName);
    checkEditing();
    if (text.isEmpty()) {
        setValue(field, QVariant());
        return;
    }
    switch (m_fields[size_t(field)].def.type) {
    case FieldType::Date:
        setValue(field, datetext::parseDate(text));
        return;
    case FieldType::DateTime:
        setValue(field, datetext::parseDateTime(text));
        return;
    case FieldType::AutoIncrement:
        setValue(field, datetext::parseInteger(text));
        return;
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    setValue(field, text);
}

void Table::setAsDate(const QString& fieldName, QDate date)
{
    setValue(fieldName, date);
}

void Table::setAsDateTime(const QString& fieldName, const QDateTime& value)
{
    setValue(fieldName, value);
}

void Table::setAsInteger(const QString& fieldName, int value)
{
    const int field = fieldIndex(fieldName);
    if (isTextType(m_fields[size_t(field)].def.type))
        setValue(field, QString::number(value));
    else
        setValue(field, value);
}

// ---- moves

void Table::setCurrentPosition(int position, bool bof, bool eof)
{
    position = std::max(position, 0);
    if (!rowidAt(position))
        position = recordCount() - 1;
    m_position = std::max(position, -1);
    m_bof = bof || m_position < 0;
    m_eof = eof || m_position < 0;
    readCurrent();
    Q_EMIT currentChanged();
}

void Table::first()
{
    checkActive();
    checkBrowseMode();
    syncWithOtherWriters();
    setCurrentPosition(0, true, false);
}

void Table::last()
{
    checkActive();
    checkBrowseMode();
    syncWithOtherWriters();
    setCurrentPosition(recordCount() - 1, false, true);
}

void Table::next()
{
    moveBy(1);
}

void Table::prior()
{
    moveBy(-1);
}

void Table::moveBy(int distance)
{
    checkActive();
    checkBrowseMode();
    syncWithOtherWriters(distance == 1 || distance == -1);
    if (m_position < 0) {
        m_bof = m_eof = true;
        return;
    }
    const qint64 target = qint64(m_position) + distance;
    const bool bof = distance < 0 && target < 0;
    const bool eof =
        distance > 0 && (target > std::numeric_limits<int>::max() || !rowidAt(int(target)));
    const int position = bof ? 0 : (eof ? recordCount() - 1 : int(target));
    if (position != m_position || distance == 0) {
        setCurrentPosition(position, bof, eof);
    } else {
        m_bof = bof;
        m_eof = eof;
    }
}

int Table::currentRow() const
{
    if (m_state == TableState::Insert)
        return m_insertRow;
    return m_position;
}

Record Table::recordAt(int row) const
{
    checkActive();
    if (m_state == TableState::Insert) {
        if (row == m_insertRow)
            return m_buffer;
        if (row > m_insertRow)
            --row;
    } else if (m_state == TableState::Edit && row == m_position) {
        return m_buffer;
    }
    if (!rowidAt(row))
        return Record(this, QList<QVariant>(qsizetype(m_fields.size())));
    if (row == m_position)
        return m_current;
    return recordAtPosition(row);
}

void Table::moveToRow(int row)
{
    checkActive();
    int keyRow = row;
    if (m_state == TableState::Insert) {
        if (row == m_insertRow)
            return;
        if (row > m_insertRow)
            --keyRow;
    }
    const std::optional<qint64> target = rowidAt(keyRow);
    if (!target)
        return;
    checkBrowseMode();
    syncWithOtherWriters();
    relocate(*target, keyRow);
    Q_EMIT currentChanged();
}

// ---- the order, searches and ranges

bool Table::findNearest(const QVariant& key)
{
    checkActive();
    return seek(keyOf(key));
}

bool Table::findNearestText(const QString& key)
{
    checkActive();
    return seek(keyText(key));
}

bool Table::seek(const Key& key)
{
    checkBrowseMode();
    syncWithOtherWriters();
    const int position = positionOf({key, std::numeric_limits<qint64>::min()});
    setCurrentPosition(position, false, false);
    return m_position == position;
}

void Table::setRange(const QVariant& low, const QVariant& high)
{
    checkActive();
    applyRange(Range{keyOf(low), keyOf(high)});
}

void Table::setRangeText(const QString& low, const QString& high)
{
    checkActive();
    applyRange(Range{keyText(low), keyText(high)});
}

void Table::applyRange(const Range& range)
{
    checkBrowseMode();
    m_dataVersion = readDataVersion();
    m_range = range;
    forgetOrder();
    Q_EMIT rowsReset();
    setCurrentPosition(0, true, false);
}

void Table::cancelRange()
{
    checkActive();
    checkBrowseMode();
    if (!m_range)
        return;
    const qint64 current = currentRowid();
    m_range.reset();
    m_dataVersion = readDataVersion();
    forgetOrder();
    relocate(current, 0);
    Q_EMIT rowsReset();
    Q_EMIT currentChanged();
}

// ---- editing

void Table::checkBrowseMode()
{
    checkActive();
    if (m_state == TableState::Edit || m_state == TableState::Insert) {
        if (m_modified)
            post();
        else
            cancel();
    }
}

void Table::insert()
{
    checkActive();
    checkWritable();
    checkBrowseMode();
    syncWithOtherWriters();
    m_insertRow = std::max(m_position, 0);
    m_buffer = Record(this, QList<QVariant>(qsizetype(m_fields.size())));
    m_state = TableState::Insert;
    if (m_onNewRecord) {
        try {
            m_onNewRecord(*this);
        } catch (...) {
            m_state = TableState::Browse;
            m_buffer = {};
            throw;
        }
    }
    calculate(m_buffer);
    m_modified = false;
    m_eof = m_bof = false;
    Q_EMIT rowsReset();
    Q_EMIT stateChanged();
    Q_EMIT currentChanged();
}

void Table::edit()
{
    checkActive();
    if (m_state != TableState::Browse)
        return;
    checkWritable();
    syncWithOtherWriters();
    if (m_position < 0) {
        insert();
        return;
    }
    readCurrent();
    m_buffer = m_current;
    m_state = TableState::Edit;
    m_modified = false;
    Q_EMIT stateChanged();
}

void Table::bindValue(sql::Statement& st, int parameter, const TableField& field,
                      const QVariant& value) const
{
    if (value.isNull())
        st.bindNull(parameter);
    else
        st.bindText(parameter, storedText(field.def.type, value));
}

void Table::post()
{
    checkActive();
    if (m_state != TableState::Edit && m_state != TableState::Insert)
        return;
    checkWritable();
    const bool inserting = m_state == TableState::Insert;
    sql::Statement& st = inserting ? m_insert : m_update;
    int parameter = 0;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const TableField& field = m_fields[i];
        if (field.isCalculated() || field.def.type == FieldType::AutoIncrement)
            continue;
        // Stored columns are bound in their stored order, whatever the field list's order.
        bindValue(st, field.column, field, m_buffer.at(int(i)));
        ++parameter;
    }
    qint64 rowid = inserting ? 0 : currentRowid();
    if (!inserting)
        st.bindInt(parameter + 1, rowid);
    try {
        st.step();
    } catch (const Error& e) {
        st.reset();
        throw datasetError(e.text());
    }
    st.reset();
    if (inserting) {
        rowid = m_db.lastInsertRowid();
    } else if (m_db.changes() == 0) {
        throw datasetError(QStringLiteral("The record was deleted by another program"));
    }
    // The stored record takes its place in the order at once. Unless it kept its key, the
    // positions from where it was on have moved.
    dropReadAhead();
    const int keyIndex = fieldIndex(indexField().name);
    const Key key = isPrimaryOrder() ? Key{false, rowid, {}} : keyOf(m_buffer.at(keyIndex));
    const bool moved =
        inserting || (!isPrimaryOrder() && compareKeys(key, keyOf(m_current.at(keyIndex))) != 0);
    if (moved && !inserting)
        forgetOrderFrom(m_position);
    Record posted = std::move(m_buffer);
    posted.set(fieldIndex(m_def->fields[0].name), rowid);
    m_state = TableState::Browse;
    m_modified = false;
    m_buffer = {};
    const bool kept = inRange(key);
    if (m_count && inserting && kept)
        ++*m_count;
    else if (m_count && !inserting && !kept)
        --*m_count;
    int position = std::max(inserting ? m_insertRow : m_position, 0);
    try {
        if (kept && moved) {
            position = positionOf({key, rowid});
            // The positions from its new place on have moved too, unless they were just read.
            const auto around = m_stretches.find(position / kStretch);
            const int offset = position % kStretch;
            const bool fresh = around != m_stretches.end() &&
                               offset < int(around->second.rowids.size()) &&
                               around->second.rowids[offset] == rowid;
            forgetOrderFrom(fresh ? (position / kStretch + 1) * kStretch : position);
        }
        relocate(rowid, position);
    } catch (const Error&) {
        // The record is stored, but the file cannot be read just now: it stays where it was
        // typed, and the order is read again at the next move.
        forgetOrder();
        m_position = position;
        m_current = std::move(posted);
        m_dataVersion = -1;
    }
    Q_EMIT rowsReset();
    Q_EMIT stateChanged();
    Q_EMIT currentChanged();
}

void Table::cancel()
{
    checkActive();
    if (m_state != TableState::Edit && m_state != TableState::Insert)
        return;
    const bool inserting = m_state == TableState::Insert;
    m_state = TableState::Browse;
    m_modified = false;
    m_buffer = {};
    readCurrent();
    if (inserting)
        Q_EMIT rowsReset();
    Q_EMIT stateChanged();
    Q_EMIT currentChanged();
}

void Table::deleteRecord()
{
    checkActive();
    if (m_state == TableState::Insert) {
        cancel();
        return;
    }
    if (m_position < 0)
        throw datasetError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    checkWritable();
    m_delete.bindInt(1, currentRowid());
    try {
        m_delete.step();
    } catch (const Error& e) {
        m_delete.reset();
        throw datasetError(e.text());
    }
    m_delete.reset();
    m_state = TableState::Browse;
    m_modified = false;
    m_buffer = {};
    forgetOrderFrom(m_position);
    if (m_count)
        --*m_count;
    if (!rowidAt(m_position))
        --m_position;
    if (!rowidAt(m_position))
        m_position = -1;
    m_bof = m_eof = m_position < 0;
    readCurrent();
    Q_EMIT rowsReset();
    Q_EMIT stateChanged();
    Q_EMIT currentChanged();
}

// ---- work over a whole table

std::vector<Table::Texts> Table::readTexts(const QStringList& fieldNames) const
{
    checkActive();
    QByteArray columns;
    for (const QString& name : fieldNames)
        columns += ", " + sql::quoted(m_def->fields[size_t(m_def->fieldIndex(name))].name);
    std::vector<Texts> rows;
    try {
        // The order is read along its index alone, and the records along the file: two reads
        // straight through instead of a look-up for each record.
        const sql::ReadTransaction reading(m_db);
        std::vector<qint64> order;
        for (const OrderPart& part : orderParts(nullptr, true)) {
            sql::Statement st(m_db, "SELECT rowid" + part.source + part.sorting);
            bindOrder(st, nullptr);
            while (st.step())
                order.push_back(st.columnInt(0));
        }
        std::vector<Texts> stored;
        stored.reserve(order.size());
        sql::Statement st(m_db, "SELECT rowid" + columns + " FROM records ORDER BY rowid");
        const int count = int(fieldNames.size());
        std::vector<QByteArrayView> values(static_cast<size_t>(count));
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        while (st.step()) {
            qsizetype bytes = 0;
            for (int column = 1; column <= count; ++column) {
                int length = 0;
                const char* data = st.columnData(column, &length);
                values[size_t(column - 1)] = QByteArrayView(data, data ? length : 0);
                bytes += length;
            }
            // A text has at most as many characters as bytes.
            Texts row{st.columnInt(0), QString(2 * count + bytes, Qt::Uninitialized)};
            QChar* out = row.packed.data();
            for (const QByteArrayView value : values) {
                QChar* text = decoder.appendToBuffer(out + 2, value);
                const qsizetype length = text - (out + 2);
                out[0] = QChar(ushort(length >> 16));
                out[1] = QChar(ushort(length & 0xffff));
                out = text;
            }
            row.packed.truncate(out - row.packed.constData());
            stored.push_back(std::move(row));
        }
        rows.reserve(order.size());
        for (const qint64 rowid : order) {
            const auto it =
                std::lower_bound(stored.begin(), stored.end(), rowid,
                                 [](const Texts& row, qint64 key) { return row.key < key; });
            rows.push_back(std::move(*it));
        }
    } catch (const Error& e) {
        throw datasetError(e.text());
    }
    return rows;
}

QStringView Table::Texts::text(int field) const
{
    qsizetype at = 0;
    for (;;) {
        const qsizetype length = qsizetype(packed[at].unicode()) << 16 | packed[at + 1].unicode();
        if (field-- == 0)
            return QStringView(packed).mid(at + 2, length);
        at += 2 + length;
    }
}

void Table::deleteKeys(const std::vector<qint64>& keys, int& deleted)
{
    deleted = 0;
    checkActive();
    checkWritable();
    checkBrowseMode();
    // Going along the file rather than along an index touches each page once.
    std::vector<qint64> inFileOrder = keys;
    std::sort(inFileOrder.begin(), inFileOrder.end());
    std::optional<Error> failure;
    try {
        sql::Transaction transaction(m_db);
        for (const qint64 key : inFileOrder) {
            m_delete.bindInt(1, key);
            try {
                m_delete.step();
            } catch (const Error& e) {
                failure = datasetError(e.text());
                break;
            }
            m_delete.reset();
            deleted += m_db.changes();
        }
        m_delete.reset();
        transaction.commit();
    } catch (const Error& e) {
        // Nothing was kept: the transaction could not start, or could not be committed.
        deleted = 0;
        if (!failure)
            failure = datasetError(e.text());
    }
    const qint64 current = currentRowid();
    forgetOrder();
    relocate(current, m_position);
    Q_EMIT rowsReset();
    Q_EMIT currentChanged();
    if (failure)
        throw *failure;
}

// ---- other writers

qint64 Table::readDataVersion() const
{
    try {
        m_dataVersionQuery.step();
        const qint64 version = m_dataVersionQuery.columnInt(0);
        m_dataVersionQuery.reset();
        return version;
    } catch (const Error& e) {
        throw datasetError(e.text());
    }
}

bool Table::syncWithOtherWriters(bool stepping)
{
    if (m_state != TableState::Browse)
        return false;
    // A loop stepping through the records looks once in a while, not at every step.
    if (stepping && m_lastLook.isValid() && m_lastLook.elapsed() < 50)
        return false;
    m_lastLook.start();
    const qint64 version = readDataVersion();
    if (version == m_dataVersion)
        return false;
    m_dataVersion = version;
    const qint64 current = currentRowid();
    forgetOrder();
    relocate(current, m_position);
    Q_EMIT rowsReset();
    Q_EMIT currentChanged();
    return true;
}

void Table::refresh()
{
    checkActive();
    if (!syncWithOtherWriters() && m_state == TableState::Browse) {
        readCurrent();
        Q_EMIT currentChanged();
    }
}

} // namespace ql
