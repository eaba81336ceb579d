#include "store/tablebulk.h"

#include "store/fieldvalue.h"
#include "store/order.h"
#include "store/progress.h"
#include "store/recordreader.h"
#include "store/tableengine.h"
#include "store/tablefile.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstring>

namespace ql {
namespace {

// Decodes UTF-8 text into `out` and returns the end of what it wrote. The ASCII at the start of
// a text, often all of it, is widened at once; the decoder takes the rest.
QChar* decodeInto(QChar* out, QByteArrayView utf8, QStringDecoder& decoder)
{
    const qsizetype size = utf8.size();
    const char* data = utf8.data();
    qsizetype ascii = 0;
    while (ascii < size && static_cast<unsigned char>(data[ascii]) < 0x80) {
        out[ascii] = QChar(ushort(data[ascii]));
        ++ascii;
    }
    if (ascii == size)
        return out + size;
    return decoder.appendToBuffer(out + ascii, utf8.sliced(ascii));
}

// A record's key with the texts of its fields packed, from their UTF-8 bytes.
TableBulk::Texts packed(qint64 key, const std::vector<QByteArrayView>& values,
                        QStringDecoder& decoder)
{
    qsizetype bytes = 0;
    for (const QByteArrayView value : values)
        bytes += value.size();
    // A text has at most as many characters as bytes.
    TableBulk::Texts row{key, QString(2 * qsizetype(values.size()) + bytes, Qt::Uninitialized)};
    QChar* out = row.packed.data();
    for (const QByteArrayView value : values) {
        QChar* text = decodeInto(out + 2, value, decoder);
        const qsizetype length = text - (out + 2);
        out[0] = QChar(ushort(length >> 16));
        out[1] = QChar(ushort(length & 0xffff));
        out = text;
    }
    row.packed.truncate(out - row.packed.constData());
    return row;
}

// The row id and the packed texts of the columns after it of the row a statement stands on.
TableBulk::Texts packedRow(const sql::Statement& st, int count, std::vector<QByteArrayView>& values,
                           QStringDecoder& decoder)
{
    for (int column = 1; column <= count; ++column) {
        int length = 0;
        const char* data = st.columnData(column, &length);
        values[size_t(column - 1)] = QByteArrayView(data, data ? length : 0);
    }
    return packed(st.columnInt(0), values, decoder);
}

// The rows read along the file put in the order of `order` (the keys of some of them, each
// once). Keys are given one after the other, so most files have few gaps between them: a table of
// places by key then finds each row's place at once.
template <typename Row>
std::vector<Row> inOrder(const std::vector<qint64>& order, std::vector<Row> stored)
{
    std::vector<Row> rows(order.size());
    if (order.empty())
        return rows;
    const auto [low, high] = std::minmax_element(order.begin(), order.end());
    if (quint64(*high - *low) / 4 < quint64(order.size())) {
        std::vector<qint64> place(size_t(*high - *low + 1), -1);
        for (size_t i = 0; i < order.size(); ++i)
            place[size_t(order[i] - *low)] = qint64(i);
        for (Row& row : stored) {
            if (row.key >= *low && row.key <= *high && place[size_t(row.key - *low)] >= 0)
                rows[size_t(place[size_t(row.key - *low)])] = std::move(row);
        }
        return rows;
    }
    for (size_t i = 0; i < order.size(); ++i) {
        const auto it = std::lower_bound(stored.begin(), stored.end(), order[i],
                                         [](const Row& row, qint64 key) { return row.key < key; });
        rows[i] = std::move(*it);
    }
    return rows;
}

// The columns of the fields, each after a comma, for a statement's column list.
QByteArray quotedColumns(const TableDef& def, const QStringList& fieldNames)
{
    QByteArray columns;
    for (const QString& name : fieldNames)
        columns += ", " + sql::quoted(def.fields[size_t(def.fieldIndex(name))].name);
    return columns;
}

} // namespace

Record TableBulk::storedRecord(const Table& table, qint64 key)
{
    try {
        if (std::optional<Record> stored = table.m_reader->readStored(key))
            return *stored;
    } catch (const Error&) {
        // Named by its key alone.
    }
    Record record = table.emptyRecord();
    record.set(table.findField(table.m_def->fields[0].name), key);
    return record;
}

template <typename Read>
auto TableBulk::readFields(const Table& table, const QStringList& fieldNames,
                           const QByteArray& rest, Read read)
{
    table.checkActive();
    const sql::Database& db = table.m_engine->db;
    try {
        const sql::ReadTransaction reading(db);
        sql::Statement st(db, "SELECT rowid" + quotedColumns(*table.m_def, fieldNames) +
                                  " FROM records " + rest);
        return read(st);
    } catch (const Error& e) {
        throw table.datasetError(e.text());
    }
}

template <typename Row, typename Take>
std::vector<Row> TableBulk::readInOrder(const Table& table, const QStringList& fieldNames,
                                        Take take)
{
    // The order is read along its index alone, and the records along the file: two reads
    // straight through instead of a look-up for each record.
    table.checkActive();
    table.m_engine->db.mapFile();
    return readFields(table, fieldNames, "ORDER BY rowid", [&](sql::Statement& st) {
        const std::vector<qint64> order = table.m_order->allRowids();
        std::vector<Row> stored;
        stored.reserve(order.size());
        while (st.step())
            stored.push_back(take(st));
        return inOrder(order, std::move(stored));
    });
}

std::vector<TableBulk::Texts> TableBulk::readTexts(const Table& table,
                                                   const QStringList& fieldNames)
{
    const int count = int(fieldNames.size());
    std::vector<QByteArrayView> values(static_cast<size_t>(count));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    return readInOrder<Texts>(table, fieldNames, [&](const sql::Statement& st) {
        return packedRow(st, count, values, decoder);
    });
}

TableBulk::StoredTexts TableBulk::readStoredTexts(const Table& table, const QStringList& fieldNames)
{
    StoredTexts texts;
    std::vector<QByteArrayView> values(size_t(fieldNames.size()));
    texts.m_rows = readInOrder<StoredTexts::Row>(table, fieldNames, [&](const sql::Statement& st) {
        // The record's texts are measured first, so the buffer grows once for the record.
        qsizetype size = 0;
        for (size_t field = 0; field < values.size(); ++field) {
            int length = 0;
            const char* data = st.columnData(int(field) + 1, &length);
            values[field] = QByteArrayView(data, data ? length : 0);
            size += qsizetype(sizeof(quint32)) + values[field].size();
        }
        const qsizetype at = texts.m_buffer.size();
        texts.m_buffer.resize(at + size);
        char* out = texts.m_buffer.data() + at;
        for (const QByteArrayView value : values) {
            const auto length = quint32(value.size());
            std::memcpy(out, &length, sizeof length);
            out += sizeof length;
            if (length > 0)
                std::memcpy(out, value.data(), length);
            out += length;
        }
        return StoredTexts::Row{st.columnInt(0), at, size};
    });
    return texts;
}

void TableBulk::readFilled(
    const Table& table, const QStringList& fieldNames,
    const std::function<void(qint64, const std::vector<QByteArrayView>&)>& visit)
{
    table.checkActive();
    const sql::Database& db = table.m_engine->db;
    const TableDef& def = *table.m_def;
    // Each field's values with their keys, from its index alone: every value stands at or after
    // the empty text there, where no empty value stands. The values' bytes follow one another in
    // `bytes`.
    struct Value {
        qint64 key;
        int field;
        qsizetype at;
        int length;
    };
    std::vector<Value> values;
    QByteArray bytes;
    try {
        const sql::ReadTransaction reading(db);
        for (int f = 0; f < int(fieldNames.size()); ++f) {
            const FieldDef& field = def.fields[size_t(def.fieldIndex(fieldNames[f]))];
            const QByteArray column = sql::quoted(field.name);
            QByteArray select =
                "SELECT rowid, " + column + " FROM records WHERE " + column + " >= ''";
            if (isTextType(field.type))
                select += QByteArray(" COLLATE ") + sql::kKeyCollation;
            sql::Statement st(db, select);
            while (st.step()) {
                int length = 0;
                const char* data = st.columnData(1, &length);
                values.push_back({st.columnInt(0), f, bytes.size(), length});
                bytes.append(data, length);
            }
        }
    } catch (const Error& e) {
        throw table.datasetError(e.text());
    }
    std::sort(values.begin(), values.end(), [](const Value& a, const Value& b) {
        return a.key < b.key || (a.key == b.key && a.field < b.field);
    });
    std::vector<QByteArrayView> texts(size_t(fieldNames.size()));
    for (auto value = values.begin(); value != values.end();) {
        const qint64 key = value->key;
        std::fill(texts.begin(), texts.end(), QByteArrayView());
        for (; value != values.end() && value->key == key; ++value)
            texts[size_t(value->field)] = QByteArrayView(bytes).sliced(value->at, value->length);
        visit(key, texts);
    }
}

std::vector<TableBulk::Texts> TableBulk::readFirstFilled(const Table& table,
                                                         const QString& orderField,
                                                         const QStringList& fieldNames, int count)
{
    const FieldDef& field = table.m_def->fields[size_t(table.m_def->fieldIndex(orderField))];
    QByteArray column = sql::quoted(field.name);
    if (isTextType(field.type))
        column += QByteArray(" COLLATE ") + sql::kKeyCollation;
    const QByteArray rest = "WHERE " + column + " >= '' ORDER BY " + column + ", rowid LIMIT ?1";
    return readFields(table, fieldNames, rest, [&](sql::Statement& st) {
        st.bindInt(1, count);
        std::vector<Texts> rows;
        std::vector<QByteArrayView> values(size_t(fieldNames.size()));
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        while (st.step())
            rows.push_back(packedRow(st, int(fieldNames.size()), values, decoder));
        return rows;
    });
}

std::vector<qint64> TableBulk::keysHolding(const Table& table, const QString& fieldName,
                                           const QString& text, const QString& from)
{
    table.checkActive();
    const sql::Database& db = table.m_engine->db;
    const TableDef& def = *table.m_def;
    const QByteArray column = sql::quoted(def.fields[size_t(def.fieldIndex(fieldName))].name);
    const QByteArray wanted = text.toUtf8();
    std::vector<qint64> keys;
    try {
        sql::Statement st(db, "SELECT rowid, " + column + " FROM records WHERE " + column +
                                  " = ?1 COLLATE " + sql::kKeyCollation + " AND " + column +
                                  " >= ?2 COLLATE " + sql::kKeyCollation);
        st.bindText(1, wanted);
        st.bindText(2, from.toUtf8());
        while (st.step()) {
            int length = 0;
            const char* data = st.columnData(1, &length);
            if (QByteArrayView(data, data ? length : 0) == wanted)
                keys.push_back(st.columnInt(0));
        }
    } catch (const Error& e) {
        throw table.datasetError(e.text());
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::vector<TableBulk::Texts> TableBulk::readTextsOf(const Table& table, std::vector<qint64> keys,
                                                     const QStringList& fieldNames)
{
    std::sort(keys.begin(), keys.end());
    return readFields(table, fieldNames, "WHERE rowid = ?1", [&](sql::Statement& st) {
        std::vector<Texts> rows;
        rows.reserve(keys.size());
        std::vector<QByteArrayView> values(size_t(fieldNames.size()));
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        for (const qint64 key : keys) {
            const sql::Statement::Use use(st);
            st.bindInt(1, key);
            if (st.step())
                rows.push_back(packedRow(st, int(fieldNames.size()), values, decoder));
        }
        return rows;
    });
}

QStringView TableBulk::Texts::text(int field) const
{
    qsizetype at = 0;
    for (;;) {
        const qsizetype length = qsizetype(packed[at].unicode()) << 16 | packed[at + 1].unicode();
        if (field-- == 0)
            return QStringView(packed).mid(at + 2, length);
        at += 2 + length;
    }
}

void TableBulk::deleteKeys(Table& table, const std::vector<qint64>& keys, int& deleted,
                           Progress* progress)
{
    deleted = 0;
    table.checkActive();
    table.checkWritable();
    table.checkBrowseMode();
    Table::Engine& engine = *table.m_engine;
    // Going along the file rather than along an index touches each page once.
    std::vector<qint64> inFileOrder = keys;
    std::sort(inFileOrder.begin(), inFileOrder.end());
    const auto work = [&](std::optional<Error>& failure) {
        for (const qint64 key : inFileOrder) {
            try {
                const sql::Statement::Use use(engine.remove);
                engine.remove.bindInt(1, key);
                engine.remove.step();
            } catch (const Error& e) {
                failure = table.deleteError(storedRecord(table, key), e);
                return;
            }
            deleted += engine.db.changes();
            if (progress) {
                progress->checkCancelled();
                progress->progress(deleted, qint64(inFileOrder.size()));
            }
        }
    };
    inOneTransaction(table, work, deleted, -1, QStringLiteral("Could not delete the records"));
}

void TableBulk::appendRecords(Table& table, const std::function<bool(Record&)>& fill, int& appended)
{
    Record record;
    appendEach(
        table,
        [&] {
            record = table.emptyRecord();
            return fill(record);
        },
        [&] { table.bindStored(true, record, true); }, [&] { return record; }, appended);
}

void TableBulk::appendStored(Table& table, const std::function<bool(StoredRecord&)>& fill,
                             int& appended)
{
    StoredRecord record(table);
    sql::Statement& insert = table.m_engine->insert;
    appendEach(
        table,
        [&] {
            record.clear();
            return fill(record);
        },
        [&] { record.bind(insert); }, [&] { return record.record(); }, appended);
}

void TableBulk::appendEach(Table& table, const std::function<bool()>& fill,
                           const std::function<void()>& bind, const std::function<Record()>& record,
                           int& appended)
{
    appended = 0;
    table.checkActive();
    table.checkWritable();
    table.checkBrowseMode();
    sql::Statement& insert = table.m_engine->insert;
    const auto work = [&](std::optional<Error>& failure) {
        for (;;) {
            try {
                if (!fill())
                    return;
            } catch (const Error& e) {
                failure = e;
                return;
            }
            try {
                const sql::Statement::Use use(insert);
                bind();
                insert.step();
            } catch (const Error& e) {
                failure = table.storeError(record(), e);
                return;
            }
            ++appended;
        }
    };
    inOneTransaction(table, work, appended, 1, QStringLiteral("Could not store the new records"));
}

TableBulk::StoredRows::StoredRows(const Table& table, const QStringList& fieldNames)
    : m_table(table)
    , m_reading((table.checkActive(), table.m_engine->db))
{
    const sql::Database& db = table.m_engine->db;
    try {
        db.mapFile();
        m_select = sql::Statement(db, "SELECT rowid" + quotedColumns(*table.m_def, fieldNames) +
                                          " FROM records ORDER BY rowid");
    } catch (const Error& e) {
        throw table.datasetError(e.text());
    }
}

bool TableBulk::StoredRows::next()
{
    try {
        return m_select.step();
    } catch (const sql::DamagedError&) {
        throw Error(QStringLiteral("its part of the file is damaged."));
    } catch (const Error& e) {
        throw m_table.datasetError(e.text());
    }
}

QByteArrayView TableBulk::StoredRows::text(int field) const
{
    int length = 0;
    const char* data = m_select.columnData(field + 1, &length);
    return QByteArrayView(data, data ? length : 0);
}

TableBulk::StoredRecord::StoredRecord(const Table& table)
    : m_table(table)
    , m_values(size_t(table.fieldCount()))
{
}

void TableBulk::StoredRecord::set(int field, QByteArrayView stored)
{
    QByteArray& value = m_values[size_t(field)];
    value.resize(stored.size());
    std::copy(stored.begin(), stored.end(), value.begin());
}

void TableBulk::StoredRecord::clear()
{
    for (QByteArray& value : m_values)
        value.resize(0);
}

void TableBulk::StoredRecord::bind(sql::Statement& insert) const
{
    for (size_t i = 0; i < m_values.size(); ++i) {
        const QByteArray& value = m_values[i];
        const TableField& field = m_table.m_fields[i];
        if (value.isEmpty() || field.isCalculated() || field.def.type == FieldType::AutoIncrement)
            continue;
        const int parameter = m_table.m_engine->parameterOfColumn[size_t(field.column)];
        // A text has at least as many bytes as characters: one of no more bytes than the width
        // fits as it is.
        if (field.def.type == FieldType::Text && value.size() > field.def.size)
            insert.bindText(parameter,
                            cutToWidth(QString::fromUtf8(value), field.def.size).toUtf8());
        else
            insert.bindText(parameter, value);
    }
}

Record TableBulk::StoredRecord::record() const
{
    Record record = m_table.emptyRecord();
    for (size_t i = 0; i < m_values.size(); ++i) {
        const FieldDef& field = m_table.m_fields[i].def;
        if (!m_values[i].isEmpty())
            record.set(int(i), normalized(field, storedValue(field.type, m_values[i])));
    }
    return record;
}

void TableBulk::inOneTransaction(Table& table,
                                 const std::function<void(std::optional<Error>&)>& work, int& done,
                                 int perRecord, const QString& commitFailure)
{
    sql::Database& db = table.m_engine->db;
    // New records land all over the indexes, which a large cache keeps. A delete along the file
    // changes every page it passes once and is done with it: there the large cache only costs,
    // since each page it takes is fresh memory for the system to hand over, while the usual cache
    // reads a page it let go again from the system's copy of the file.
    const bool largeCache = perRecord > 0;
    std::optional<Error> failure;
    bool cancelled = false;
    try {
        db.setLargeCache(largeCache);
        sql::Transaction transaction(db);
        const bool counted = table.m_order->fileKeepsCount();
        if (counted)
            tablefile::setCountAside(db);
        work(failure);
        if (counted)
            tablefile::countAgain(db, qint64(done) * perRecord);
        transaction.commit();
    } catch (const Error& e) {
        // Nothing was kept: the transaction could not start, or could not be committed.
        done = 0;
        if (!failure)
            failure = Error(QStringLiteral("%1 in table \"%2\": %3")
                                .arg(commitFailure, table.tableName(), TableError::reasonOf(e)));
    } catch (const Cancelled&) {
        // The transaction was rolled back on the way out: nothing of the work was kept.
        done = 0;
        cancelled = true;
    }
    try {
        db.setLargeCache(false);
    } catch (const Error&) {
        // The pages go when the table closes.
    }
    table.readOrderAgain();
    if (cancelled)
        throw Cancelled{};
    if (failure)
        throw *failure;
}

} // namespace ql

namespace ql {

int TableBulk::make(Table& table, Change& change, Record& record)
{
    Table::Engine& engine = *table.m_engine;
    if (change.remove) {
        try {
            const sql::Statement::Use use(engine.remove);
            engine.remove.bindInt(1, change.key);
            engine.remove.step();
        } catch (const Error& e) {
            throw table.deleteError(record, e);
        }
        return -1;
    }
    for (int i = 0; i < table.fieldCount(); ++i) {
        const TableField& field = table.field(i);
        if (!field.isCalculated() && field.def.type != FieldType::AutoIncrement)
            record.set(i, normalized(field.def, record.at(i)));
    }
    const bool inserting = change.key == 0;
    sql::Statement& statement = inserting ? engine.insert : engine.update;
    try {
        const sql::Statement::Use use(statement);
        const int bound = table.bindStored(inserting, record, false);
        if (!inserting)
            statement.bindInt(bound + 1, change.key);
        statement.step();
    } catch (const Error& e) {
        throw table.storeError(record, e);
    }
    if (!inserting)
        return 0;
    change.key = engine.db.lastInsertRowid();
    record.set(table.findField(table.m_def->fields[0].name), change.key);
    return 1;
}

void TableBulk::applyChanges(Table& table, std::vector<Change>& changes,
                             const std::function<void(sql::Database&)>& alongside)
{
    table.checkActive();
    table.checkWritable();
    table.checkBrowseMode();
    sql::Database& db = table.m_engine->db;
    try {
        sql::Transaction transaction(db);
        const bool counted = table.m_order->fileKeepsCount();
        if (counted)
            tablefile::setCountAside(db);
        qint64 count = 0;
        for (Change& change : changes) {
            change.made = false;
            std::optional<Record> record = table.emptyRecord();
            if (change.key != 0)
                record = table.m_reader->readStored(change.key);
            if (!record || !change.apply(*record))
                continue;
            count += make(table, change, *record);
            change.made = true;
            change.stored = *record;
        }
        if (counted)
            tablefile::countAgain(db, count);
        alongside(db);
        transaction.commit();
    } catch (...) {
        table.readOrderAgain();
        throw;
    }
    table.readOrderAgain();
}

void TableBulk::readAlongside(const Table& table,
                              const std::function<void(const sql::Database&)>& read)
{
    table.checkActive();
    const sql::Database& db = table.m_engine->db;
    const sql::ReadTransaction reading(db);
    read(db);
}

} // namespace ql
