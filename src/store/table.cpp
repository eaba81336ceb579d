#include "store/table.h"

#include "store/catalogue.h"
#include "store/order.h"
#include "store/recordreader.h"
#include "store/session.h"
#include "store/tableengine.h"
#include "store/tablefile.h"

#include <QDir>

namespace ql {

Table::Table(Session& session, const TableDef& def, const QString& componentName, QObject* parent)
    : QObject(parent)
    , m_session(session)
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

std::unique_ptr<Table> Table::openTwin() const
{
    checkActive();
    auto twin = std::make_unique<Table>(m_session, *m_def, objectName());
    twin->m_databaseName = m_databaseName;
    twin->m_tableName = m_tableName;
    twin->m_beforeOpen = m_beforeOpen;
    twin->m_onCalcFields = m_onCalcFields;
    twin->m_fields = m_fields;
    twin->m_fieldByName = m_fieldByName;
    twin->m_indexName = m_indexName;
    twin->m_indexFieldNames = m_indexFieldNames;
    twin->m_twin = true;
    twin->open();
    if (const std::optional<OrderRange>& range = m_order->range())
        twin->applyRange(*range);
    return twin;
}

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
    const QVariant& key = record.at(findField(m_def->fields[0].name));
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
    const QString directory = m_session.databasePath(m_databaseName);
    const QString path = tablefile::locate(directory, m_tableName);
    if (path.isEmpty()) {
        if (const QString note = m_session.unavailableNote(m_tableName); !note.isEmpty())
            throw Error(note);
        throw tablefile::missing(m_tableName, directory);
    }
    const IndexDef* index = resolveIndex(m_indexName, m_indexFieldNames);
    tablefile::OpenFile opened = tablefile::open(m_session, *m_def, path, m_readOnly);
    Engine& engine = *m_engine;
    engine.db = std::move(opened.db);
    engine.copy = std::move(opened.copy);
    engine.path = path;
    engine.writeRefusal = opened.readOnlyNote;
    if (!engine.writeRefusal.isEmpty() && !m_twin)
        m_session.addNotice(engine.writeRefusal);
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
        try {
            throw;
        } catch (const sql::DamagedError& e) {
            throw tablefile::damaged(m_tableName, path, e.text());
        }
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

} // namespace ql
