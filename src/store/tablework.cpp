#include "store/fieldvalue.h"
#include "store/order.h"
#include "store/progress.h"
#include "store/table.h"
#include "store/tablefile.h"

#include <QStringDecoder>
#include <algorithm>

// Work over a whole table, with no cursor: reading some fields of every record at once and
// deleting or appending many records in one transaction.
namespace ql {
namespace {

// The row id and the packed texts of the columns after it of the row a statement stands on.
Table::Texts packedRow(const sql::Statement& st, int count, std::vector<QByteArrayView>& values,
                       QStringDecoder& decoder)
{
    qsizetype bytes = 0;
    for (int column = 1; column <= count; ++column) {
        int length = 0;
        const char* data = st.columnData(column, &length);
        values[size_t(column - 1)] = QByteArrayView(data, data ? length : 0);
        bytes += length;
    }
    // A text has at most as many characters as bytes.
    Table::Texts row{st.columnInt(0), QString(2 * count + bytes, Qt::Uninitialized)};
    QChar* out = row.packed.data();
    for (const QByteArrayView value : values) {
        QChar* text = decoder.appendToBuffer(out + 2, value);
        const qsizetype length = text - (out + 2);
        out[0] = QChar(ushort(length >> 16));
        out[1] = QChar(ushort(length & 0xffff));
        out = text;
    }
    row.packed.truncate(out - row.packed.constData());
    return row;
}

} // namespace

QByteArray Table::quotedColumns(const QStringList& fieldNames) const
{
    QByteArray columns;
    for (const QString& name : fieldNames)
        columns += ", " + sql::quoted(m_def->fields[size_t(m_def->fieldIndex(name))].name);
    return columns;
}

std::vector<Table::Texts> Table::readTexts(const QStringList& fieldNames) const
{
    checkActive();
    const QByteArray columns = quotedColumns(fieldNames);
    std::vector<Texts> rows;
    try {
        // The order is read along its index alone, and the records along the file: two reads
        // straight through instead of a look-up for each record.
        m_db.mapFile();
        const sql::ReadTransaction reading(m_db);
        const std::vector<qint64> order = m_order->allRowids();
        std::vector<Texts> stored;
        stored.reserve(order.size());
        sql::Statement st(m_db, "SELECT rowid" + columns + " FROM records ORDER BY rowid");
        const int count = int(fieldNames.size());
        std::vector<QByteArrayView> values(static_cast<size_t>(count));
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        while (st.step())
            stored.push_back(packedRow(st, count, values, decoder));
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

std::vector<Table::Texts> Table::readTextsWhereFilled(const QStringList& fieldNames,
                                                      const QStringList& filled) const
{
    checkActive();
    const int count = int(fieldNames.size());
    std::vector<Texts> rows;
    try {
        const sql::ReadTransaction reading(m_db);
        // The keys come from the indexes of the fields alone: every value is at or after the empty
        // text in its index, where no empty value stands.
        std::vector<qint64> keys;
        for (const QString& name : filled) {
            const FieldDef& field = m_def->fields[size_t(m_def->fieldIndex(name))];
            QByteArray select =
                "SELECT rowid FROM records WHERE " + sql::quoted(field.name) + " >= ''";
            if (isTextType(field.type))
                select += QByteArray(" COLLATE ") + sql::kKeyCollation;
            sql::Statement st(m_db, select);
            while (st.step())
                keys.push_back(st.columnInt(0));
        }
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        // Then the records, along the file.
        sql::Statement st(m_db, "SELECT rowid" + quotedColumns(fieldNames) +
                                    " FROM records WHERE rowid = ?1");
        std::vector<QByteArrayView> values(static_cast<size_t>(count));
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        rows.reserve(keys.size());
        for (const qint64 key : keys) {
            st.bindInt(1, key);
            if (st.step())
                rows.push_back(packedRow(st, count, values, decoder));
            st.reset();
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

void Table::deleteKeys(const std::vector<qint64>& keys, int& deleted, Progress* progress)
{
    deleted = 0;
    checkActive();
    checkWritable();
    checkBrowseMode();
    // Going along the file rather than along an index touches each page once.
    std::vector<qint64> inFileOrder = keys;
    std::sort(inFileOrder.begin(), inFileOrder.end());
    inOneTransaction(
        [&](std::optional<Error>& failure) {
            for (const qint64 key : inFileOrder) {
                m_delete.bindInt(1, key);
                if (!stepKept(m_delete, failure))
                    return;
                deleted += m_db.changes();
                if (progress) {
                    progress->checkCancelled();
                    progress->progress(deleted, qint64(inFileOrder.size()));
                }
            }
        },
        deleted, -1);
}

void Table::appendRecords(const std::function<bool(Record&)>& fill, int& appended)
{
    appended = 0;
    checkActive();
    checkWritable();
    checkBrowseMode();
    inOneTransaction(
        [&](std::optional<Error>& failure) {
            for (;;) {
                Record record = emptyRecord();
                try {
                    if (!fill(record))
                        return;
                } catch (const Error& e) {
                    failure = e;
                    return;
                }
                for (size_t i = 0; i < m_fields.size(); ++i) {
                    const TableField& field = m_fields[i];
                    if (!field.isCalculated() && field.def.type != FieldType::AutoIncrement)
                        bindValue(m_insert, field.column, field,
                                  normalized(field.def, record.at(int(i))));
                }
                if (!stepKept(m_insert, failure))
                    return;
                ++appended;
            }
        },
        appended, 1);
}

void Table::inOneTransaction(const std::function<void(std::optional<Error>&)>& work, int& done,
                             int perRecord)
{
    std::optional<Error> failure;
    bool cancelled = false;
    try {
        m_db.setLargeCache(true);
        sql::Transaction transaction(m_db);
        const bool counted = m_order->fileKeepsCount();
        if (counted)
            tablefile::setCountAside(m_db);
        work(failure);
        if (counted)
            tablefile::countAgain(m_db, qint64(done) * perRecord);
        transaction.commit();
    } catch (const Error& e) {
        // Nothing was kept: the transaction could not start, or could not be committed.
        done = 0;
        if (!failure)
            failure = datasetError(e.text());
    } catch (const Cancelled&) {
        // The transaction was rolled back on the way out: nothing of the work was kept.
        done = 0;
        cancelled = true;
    }
    try {
        m_db.setLargeCache(false);
    } catch (const Error&) {
        // The pages go when the table closes.
    }
    readOrderAgain();
    if (cancelled)
        throw Cancelled{};
    if (failure)
        throw *failure;
}

bool Table::stepKept(sql::Statement& statement, std::optional<Error>& failure) const
{
    try {
        statement.step();
    } catch (const Error& e) {
        failure = datasetError(e.text());
    }
    statement.reset();
    return !failure;
}

void Table::readOrderAgain()
{
    const qint64 current = currentRowid();
    forgetOrder();
    relocate(current, m_position);
    Q_EMIT rowsReset();
    Q_EMIT currentChanged();
}

} // namespace ql
