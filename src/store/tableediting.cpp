#include "store/table.h"

#include "store/order.h"
#include "store/recordreader.h"
#include "store/tableengine.h"

#include <algorithm>

// Inserting, editing, storing and deleting the current record.
namespace ql {

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

} // namespace ql
