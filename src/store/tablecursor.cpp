#include "store/table.h"

#include "store/order.h"
#include "store/recordreader.h"
#include "store/tableengine.h"

#include <algorithm>
#include <limits>

// The cursor's moves over the active order, the order's choice, its searches and ranges, and the
// rows a grid shows.
namespace ql {
namespace {

// The row id of a mark that stands before every record of its key.
constexpr qint64 kBeforeEveryRecord = std::numeric_limits<qint64>::min();

} // namespace

// ---- the active order

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
    return m_order->field();
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

void Table::setIndexNameAt(const QString& name, const QString& key)
{
    checkActive();
    const IndexDef* index = resolveIndex(name, {});
    m_indexName = name;
    m_indexFieldNames.clear();
    switchOrder(index, index == nullptr, &key);
}

void Table::switchOrder(const IndexDef* index, bool primary, const QString* key)
{
    if (index == m_order->index() && primary == m_order->isPrimary()) {
        // The same order keeps its range.
        if (key)
            findNearestText(*key);
        return;
    }
    checkBrowseMode();
    const qint64 current = currentRowid();
    m_order->setIndex(index);
    // Every order holds the same records, unless a range left some out or another program
    // changed the file.
    if (const qint64 version = readDataVersion();
        m_order->range() || version != m_engine->dataVersion) {
        m_order->forget();
        m_engine->dataVersion = version;
    }
    m_order->setRange(std::nullopt);
    forgetOrderFrom(0);
    if (key) {
        try {
            placeAt(m_order->positionOf({m_order->keyOfText(*key), kBeforeEveryRecord}), false,
                    false);
        } catch (...) {
            // A key that is no value of the order's field moves nothing.
            relocate(current, 0);
            Q_EMIT rowsReset();
            Q_EMIT currentChanged();
            throw;
        }
    } else {
        relocate(current, 0);
    }
    Q_EMIT rowsReset();
    Q_EMIT currentChanged();
}

// ---- reading the order

std::optional<qint64> Table::rowidAt(int position) const
{
    if (!isOpen())
        return std::nullopt;
    return m_order->rowidAt(position);
}

qint64 Table::currentRowid() const
{
    return rowidAt(m_position).value_or(-1);
}

int Table::recordCount() const
{
    return m_order->count();
}

bool Table::hasRange() const
{
    return m_order->range().has_value();
}

// Drops what was read from the position on: the positions there have moved.
void Table::forgetOrderFrom(int position)
{
    m_reader->forget();
    m_order->forgetFrom(position);
}

// Drops everything read of the order, its length too.
void Table::forgetOrder()
{
    m_reader->forget();
    m_order->forget();
}

void Table::readOrderAgain()
{
    const qint64 current = currentRowid();
    forgetOrder();
    relocate(current, m_position);
    Q_EMIT rowsReset();
    Q_EMIT currentChanged();
}

// Makes the record with that row id current, or the row at `fallback` when it is gone.
void Table::relocate(qint64 rowid, int fallback)
{
    int position = -1;
    if (rowid >= 0 && rowidAt(fallback) == rowid) {
        position = fallback;
    } else if (const std::optional<OrderKey> key =
                   rowid >= 0 ? m_order->storedKey(rowid) : std::nullopt;
               key && m_order->inRange(*key)) {
        position = m_order->positionOf({*key, rowid});
    }
    if (!rowidAt(position))
        position = fallback < 0 ? 0 : (rowidAt(fallback) ? fallback : recordCount() - 1);
    m_position = rowidAt(position) ? position : -1;
    m_bof = m_eof = m_position < 0;
    readCurrent();
}

// ---- moves

void Table::placeAt(int position, bool bof, bool eof)
{
    position = std::max(position, 0);
    if (!rowidAt(position))
        position = recordCount() - 1;
    m_position = std::max(position, -1);
    m_bof = bof || m_position < 0;
    m_eof = eof || m_position < 0;
    readCurrent();
}

void Table::setCurrentPosition(int position, bool bof, bool eof)
{
    placeAt(position, bof, eof);
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
    return m_reader->read(row, *m_order);
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
    return seek(m_order->keyOf(key));
}

bool Table::findNearestText(const QString& key)
{
    checkActive();
    return seek(m_order->keyOfText(key));
}

bool Table::seek(const OrderKey& key)
{
    checkBrowseMode();
    syncWithOtherWriters();
    const int position = m_order->positionOf({key, kBeforeEveryRecord});
    setCurrentPosition(position, false, false);
    return m_position == position;
}

void Table::setRange(const QVariant& low, const QVariant& high)
{
    checkActive();
    applyRange(OrderRange{m_order->keyOf(low), m_order->keyOf(high)});
}

void Table::setRangeText(const QString& low, const QString& high)
{
    checkActive();
    applyRange(OrderRange{m_order->keyOfText(low), m_order->keyOfText(high)});
}

void Table::applyRange(const OrderRange& range)
{
    checkBrowseMode();
    m_engine->dataVersion = readDataVersion();
    m_order->setRange(range);
    forgetOrder();
    Q_EMIT rowsReset();
    setCurrentPosition(0, true, false);
}

void Table::cancelRange()
{
    checkActive();
    checkBrowseMode();
    if (!m_order->range())
        return;
    const qint64 current = currentRowid();
    m_order->setRange(std::nullopt);
    m_engine->dataVersion = readDataVersion();
    forgetOrder();
    relocate(current, 0);
    Q_EMIT rowsReset();
    Q_EMIT currentChanged();
}

} // namespace ql
