#include "store/table.h"

#include "store/order.h"
#include "store/recordreader.h"
#include "store/tableengine.h"

// What another program wrote to the file since this table read it.
namespace ql {

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
