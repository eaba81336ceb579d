#include "store/table.h"

#include "store/catalogue.h"
#include "store/order.h"
#include "store/recordreader.h"
#include "store/session.h"
#include "store/tableengine.h"
#include "store/tablefile.h"

#include <QDir>
#include <algorithm>
#include <limits>

namespace ql {
namespace {

// The row id of a mark that stands before every record of its key.
constexpr qint64 kBeforeEveryRecord = std::numeric_limits<qint64>::min();

} // namespace

Table::Table(const TableDef& def, const QString& componentName, QObject* parent)
    : QObject(parent)
    , m_def(&def)
    , m_tableName(def.name)
    , m_engine(std::make_unique<Engine>())
    , m_order(std::make_unique<TableOrder>(*this, def, m_engine->db))
    , m_reader(std::make_unique<RecordReader>(*this, m_fields, m_onCalcFields))
{
    setObjectName(componentName);
    for (size_t i = 0; i < def.fields.size(); ++i)
        m_fields.push_back({def.fields[i], int(i)});
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fieldByName.insert(m_fields[i].def.name, int(i));
}

Table::~Table() = default;

TableError Table::datasetError(const QString& text) const
{
    return TableError(m_tableName, text);
}

QString Table::recordName(const Record& record) const
{
    QStringList values;
    for (const QString& name : catalogue::namingFields(m_def->name)) {
        const int field = findField(name);
        const QString text =
            field < 0 ? QString() : fieldText(m_fields[size_t(field)].def.type, record.at(field));
        if (!text.isEmpty())
            values << text;
    }
    if (!values.isEmpty())
        return QStringLiteral("the record \"%1\"").arg(values.join(QStringLiteral(", ")));
    const QVariant key = record.at(findField(m_def->fields[0].name));
    if (!key.isNull())
        return QStringLiteral("the record with the key %1").arg(key.toLongLong());
    return QStringLiteral("the new record");
}

Error Table::storeError(const Record& record, const Error& failure) const
{
    return Error(QStringLiteral("Could not store %1 in table \"%2\": %3")
                     .arg(recordName(record), m_tableName, TableError::reasonOf(failure)));
}

Error Table::deleteError(const Record& record, const Error& failure) const
{
    return Error(QStringLiteral("Could not delete %1 from table \"%2\": %3")
                     .arg(recordName(record), m_tableName, TableError::reasonOf(failure)));
}

void Table::checkActive() const
{
    if (!isOpen())
        throw datasetError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void Table::checkWritable()
{
    if (m_readOnly)
        throw datasetError(QStringLiteral("Cannot modify a read-only dataset"));
    if (m_engine->writeRefusal.isEmpty()) {
        checkCountKept();
        return;
    }
    // Opened for reading only because the user could not write the file: once that is back,
    // the table opens again for writing, on the same record.
    if (!tablefile::isWritable(m_engine->path))
        throw Error(m_engine->writeRefusal);
    const qint64 current = currentRowid();
    const int position = m_position;
    close();
    open();
    relocate(current, position);
    Q_EMIT rowsReset();
    Q_EMIT currentChanged();
    if (!m_engine->writeRefusal.isEmpty())
        throw Error(m_engine->writeRefusal);
}

void Table::checkCountKept()
{
    // A file from elsewhere is never trusted with a count.
    if (!m_readOnly && !m_order->fileKeepsCount() && tablefile::learnToKeepCount(m_engine->db))
        m_order->forgetCount();
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
    tablefile::OpenFile opened = tablefile::open(*m_def, path, m_readOnly);
    Engine& engine = *m_engine;
    engine.db = std::move(opened.db);
    engine.copy = std::move(opened.copy);
    engine.path = path;
    engine.writeRefusal = opened.readOnlyNote;
    if (!engine.writeRefusal.isEmpty())
        Session::instance().addNotice(engine.writeRefusal);
    try {
        engine.prepare(*m_def);
        m_reader->prepare(engine.db, *m_def);
        m_order->setFileKeepsCount(!m_readOnly);
        if (engine.writeRefusal.isEmpty())
            checkCountKept();
        m_order->setIndex(index);
        engine.dataVersion = readDataVersion();
        forgetOrder();
        rowidAt(0); // the first records show at once; the rest is read when it is needed
    } catch (...) {
        m_reader->close();
        m_order->close();
        engine.close();
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
    m_reader->close();
    m_order->close();
    m_engine->close();
    m_position = -1;
    m_bof = m_eof = true;
    m_current = {};
    m_buffer = {};
    m_modified = false;
    m_state = TableState::Inactive;
    Q_EMIT rowsReset();
    Q_EMIT stateChanged();
    Q_EMIT currentChanged();
}

void Table::Engine::prepare(const TableDef& def)
{
    QByteArray assignments;
    QByteArray parameters;
    QByteArray insertColumns;
    int stored = 0;
    parameterOfColumn.clear();
    for (const FieldDef& field : def.fields) {
        parameterOfColumn.push_back(field.type == FieldType::AutoIncrement ? 0 : stored + 1);
        if (field.type == FieldType::AutoIncrement)
            continue;
        const QByteArray name = sql::quoted(field.name);
        const QByteArray parameter = '?' + QByteArray::number(++stored);
        const QByteArray comma = stored > 1 ? ", " : "";
        assignments += comma + name + " = " + parameter;
        parameters += comma + parameter;
        insertColumns += comma + name;
    }
    insert = sql::Statement(db, "INSERT INTO records(" + insertColumns + ") VALUES (" + parameters +
                                    ")");
    update = sql::Statement(db, "UPDATE records SET " + assignments + " WHERE rowid = ?" +
                                    QByteArray::number(stored + 1));
    remove = sql::Statement(db, "DELETE FROM records WHERE rowid = ?1");
    dataVersionQuery = sql::Statement(db, "PRAGMA data_version");
}

void Table::Engine::close()
{
    insert = {};
    update = {};
    remove = {};
    dataVersionQuery = {};
    db = sql::Database();
}

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

// ---- reading

void Table::calculate(Record& record) const
{
    if (m_onCalcFields)
        m_onCalcFields(record);
}

Record Table::emptyRecord() const
{
    return Record(this, QList<QVariant>(qsizetype(m_fields.size())));
}

void Table::readCurrent()
{
    m_current = m_position >= 0 ? m_reader->read(m_position, *m_order) : emptyRecord();
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
    if (m_position < 0) {
        insert();
        return;
    }
    // The edit starts from the record as this copy read and showed it, not as the file holds it
    // now: a change another program stored since then is found when the edit is stored, and
    // refused there, whatever field it touched.
    if (m_current.isUnreadable())
        throw datasetError(QStringLiteral("This record cannot be read: its part of the table file "
                                          "is damaged. Restore the table from a backup."));
    m_buffer = m_current;
    m_state = TableState::Edit;
    m_modified = false;
    Q_EMIT stateChanged();
}

int Table::bindStored(bool inserting, const Record& record, bool fit)
{
    sql::Statement& statement = inserting ? m_engine->insert : m_engine->update;
    int bound = 0;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const TableField& field = m_fields[i];
        if (field.isCalculated() || field.def.type == FieldType::AutoIncrement)
            continue;
        const QVariant value = fit ? normalized(field.def, record.at(int(i))) : record.at(int(i));
        // Each stored column takes its own parameter, whatever the field list's order.
        const int parameter = m_engine->parameterOfColumn[size_t(field.column)];
        if (value.isNull())
            statement.bindNull(parameter);
        else
            statement.bindText(parameter, storedText(field.def.type, value));
        ++bound;
    }
    return bound;
}

qint64 Table::storePending(bool inserting)
{
    Engine& engine = *m_engine;
    sql::Statement& statement = inserting ? engine.insert : engine.update;
    const sql::Statement::Use use(statement);
    // The values were made to fit their fields as they were set.
    const int bound = bindStored(inserting, m_buffer, false);
    if (inserting) {
        statement.step();
        return engine.db.lastInsertRowid();
    }
    const qint64 rowid = currentRowid();
    statement.bindInt(bound + 1, rowid);
    // An edit is stored only when the record in the file is still the one this copy read; the
    // check and the store are one transaction, so no other writer comes in between.
    sql::Transaction transaction(engine.db);
    checkStoredUnchanged(rowid);
    statement.step();
    if (engine.db.changes() == 0)
        throw Error(QStringLiteral("it was deleted by another program"));
    transaction.commit();
    return rowid;
}

void Table::post()
{
    checkActive();
    if (m_state != TableState::Edit && m_state != TableState::Insert)
        return;
    const bool inserting = m_state == TableState::Insert;
    qint64 rowid = 0;
    try {
        checkWritable();
        rowid = storePending(inserting);
    } catch (const Error& e) {
        throw storeError(m_buffer, e);
    }
    // The stored record takes its place in the order at once. Unless it kept its key, the
    // positions from where it was on have moved.
    m_reader->forget();
    const int keyIndex = fieldIndex(indexField().name);
    const OrderKey key =
        m_order->isPrimary() ? OrderKey{false, rowid, {}} : m_order->keyOf(m_buffer.at(keyIndex));
    const bool moved =
        inserting || (!m_order->isPrimary() &&
                      m_order->compareKeys(key, m_order->keyOf(m_current.at(keyIndex))) != 0);
    if (moved && !inserting)
        forgetOrderFrom(m_position);
    Record posted = std::move(m_buffer);
    posted.set(fieldIndex(m_def->fields[0].name), rowid);
    m_state = TableState::Browse;
    m_modified = false;
    m_buffer = {};
    const bool kept = m_order->inRange(key);
    if (inserting && kept)
        m_order->adjustCount(1);
    else if (!inserting && !kept)
        m_order->adjustCount(-1);
    int position = std::max(inserting ? m_insertRow : m_position, 0);
    try {
        if (kept && moved) {
            position = m_order->positionOf({key, rowid});
            // The positions from its new place on have moved too, unless they were just read.
            m_order->forgetAfterPlacing(position, rowid);
        }
        relocate(rowid, position);
    } catch (const Error&) {
        // The record is stored, but the file cannot be read just now: it stays where it was
        // typed, and the order is read again at the next move.
        forgetOrder();
        m_position = position;
        m_current = std::move(posted);
        m_engine->dataVersion = -1;
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
    try {
        checkWritable();
        const sql::Statement::Use use(m_engine->remove);
        m_engine->remove.bindInt(1, currentRowid());
        m_engine->remove.step();
    } catch (const Error& e) {
        throw deleteError(m_current, e);
    }
    m_state = TableState::Browse;
    m_modified = false;
    m_buffer = {};
    forgetOrderFrom(m_position);
    m_order->adjustCount(-1);
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

// ---- other writers

void Table::checkStoredUnchanged(qint64 rowid) const
{
    if (readDataVersion() == m_engine->dataVersion)
        return; // no other connection wrote to the file since the record was read
    const std::optional<Record> stored = m_reader->readStored(rowid);
    if (!stored)
        throw Error(QStringLiteral("it was deleted by another program"));
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (!m_fields[i].isCalculated() && stored->at(int(i)) != m_current.at(int(i)))
            throw Error(QStringLiteral("it was changed by another program"));
    }
}

qint64 Table::readDataVersion() const
{
    try {
        sql::Statement& query = m_engine->dataVersionQuery;
        const sql::Statement::Use use(query);
        query.step();
        return query.columnInt(0);
    } catch (const Error& e) {
        throw datasetError(e.text());
    }
}

bool Table::syncWithOtherWriters(bool stepping)
{
    if (m_state != TableState::Browse)
        return false;
    // A loop stepping through the records looks once in a while, not at every step.
    Engine& engine = *m_engine;
    if (stepping && engine.lastLook.isValid() && engine.lastLook.elapsed() < 50)
        return false;
    engine.lastLook.start();
    const qint64 version = readDataVersion();
    if (version == engine.dataVersion)
        return false;
    engine.dataVersion = version;
    readOrderAgain();
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
