#pragma once

#include "store/error.h"
#include "store/sqlite.h"
#include "store/table.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>
#include <vector>

namespace ql {

class Progress;
namespace sql {
class Database;
}

// Work over a whole table, with no cursor: the stored texts of some fields of every record of the
// order (within the range) with each record's key, read at once, and a delete or an append of
// many records in one transaction. The table must be open; its cursor follows what the work
// changed.
class TableBulk {
public:
    struct Texts {
        qint64 key = 0;
        // The fields' texts one after the other, each after its length (in two characters): two
        // records' fields are all equal exactly when these are. An empty value is an empty text.
        QString packed;
        QStringView text(int field) const;
    };

    static std::vector<Texts> readTexts(const Table& table, const QStringList& fieldNames);
    // The same records as readTexts reads, kept as the file stores them in one buffer, so a
    // table of a million records costs no allocation and no decoding per record. A record's
    // bytes are its fields' UTF-8 texts one after the other, each after its length (four
    // bytes): two records' fields are all equal exactly when their bytes are.
    class StoredTexts {
    public:
        size_t size() const { return m_rows.size(); }
        qint64 key(size_t row) const { return m_rows[row].key; }
        QByteArrayView bytes(size_t row) const
        {
            return QByteArrayView(m_buffer).sliced(m_rows[row].at, m_rows[row].size);
        }

    private:
        friend class TableBulk;
        struct Row {
            qint64 key = 0;
            qsizetype at = 0;
            qsizetype size = 0;
        };
        std::vector<Row> m_rows; // in the order
        QByteArray m_buffer;
    };
    static StoredTexts readStoredTexts(const Table& table, const QStringList& fieldNames);
    // Gives `visit` each record in which at least one of the fields has a value: its key and the
    // UTF-8 texts of those fields (empty for an empty value), in the order of the keys and
    // without regard to the range. They are read from the fields' indexes alone, not from the
    // records, so a table where few records qualify reads little.
    static void readFilled(
        const Table& table, const QStringList& fieldNames,
        const std::function<void(qint64 key, const std::vector<QByteArrayView>& texts)>& visit);
    // The texts of the fields of the first `count` records in which `orderField` has a value, in
    // the order of that field's index (the records of one value in the order of their keys).
    static std::vector<Texts> readFirstFilled(const Table& table, const QString& orderField,
                                              const QStringList& fieldNames, int count);
    // The keys of the records whose field, one with an index, holds exactly `text` (letter case
    // and all) among those whose value sorts at or after `from`, in the order of the keys. They
    // are read from the field's index alone, so only the records the index takes for equal to
    // the text are read.
    static std::vector<qint64> keysHolding(const Table& table, const QString& fieldName,
                                           const QString& text, const QString& from);
    // The texts of the fields of the records with those keys, in the order of the keys; a key
    // no record has is left out.
    static std::vector<Texts> readTextsOf(const Table& table, std::vector<qint64> keys,
                                          const QStringList& fieldNames);
    // The delete goes along the file, in the order of the keys; `deleted` counts the records
    // deleted, and so does `progress`, when given, of the keys' number. A failure ends it: the
    // deletes made before are kept and counted, and the failure is thrown, naming the record it
    // stopped at. A cancel through `progress` rolls the whole delete back and throws Cancelled
    // with `deleted` 0.
    static void deleteKeys(Table& table, const std::vector<qint64>& keys, int& deleted,
                           Progress* progress = nullptr);
    // Appends new records in one transaction: `fill` gives each new record its values (it starts
    // empty; no new-record hook runs) and returns false when there are no more; each value is
    // stored as its field holds it (texts cut to the field's width). `appended` counts the
    // records stored. A failure ends it: the records appended before it are kept and counted, and
    // the failure is thrown, naming the record it stopped at. When `fill` throws Cancelled, every
    // record of the run is rolled back, `appended` is 0 and Cancelled goes on to the caller.
    static void appendRecords(Table& table, const std::function<bool(Record&)>& fill,
                              int& appended);

    // The stored texts of some fields of every record of a table, read one record after the
    // other in the order of the keys, in one read of the file (the table stays open meanwhile).
    class StoredRows {
    public:
        StoredRows(const Table& table, const QStringList& fieldNames);
        // Moves to the next record: false after the last. A failure is the table's dataset
        // error, and a record whose part of the file is damaged fails with that said.
        bool next();
        // The UTF-8 text of a field of the record moved to, as the file stores it; empty for an
        // empty value. Valid until the next move.
        QByteArrayView text(int field) const;

    private:
        const Table& m_table;
        sql::ReadTransaction m_reading;
        sql::Statement m_select;
    };

    // A new record as the file stores it: the texts given are bound straight into the insert.
    class StoredRecord {
    public:
        // Sets a field to a stored text (UTF-8; dates and date-times in the file's forms). A text
        // is cut to the field's width; an empty text leaves the field empty.
        void set(int field, QByteArrayView stored);

    private:
        friend class TableBulk;
        explicit StoredRecord(const Table& table);
        void clear();
        void bind(sql::Statement& insert) const;
        // The record as the table reads it, for a message to name.
        Record record() const;

        const Table& m_table;
        std::vector<QByteArray> m_values; // by field; empty for an empty value
    };
    // As appendRecords, with each new record given as the file stores it: no value is made and
    // converted on the way.
    static void appendStored(Table& table, const std::function<bool(StoredRecord&)>& fill,
                             int& appended);
    // One change among those applyChanges makes: a record stored over the one with its key, a
    // new record (key 0, which gets its key once stored), or a record deleted.
    struct Change {
        qint64 key = 0;
        bool remove = false;
        // Gets the record as the file holds it now (an empty one for a new record) and changes
        // it; false leaves the record as it is (and keeps a record to delete). Not called for a
        // key no record has any more.
        std::function<bool(Record&)> apply;
        bool made = false; // whether the change was made
        Record stored;     // the record as it was stored, its values fitted to their fields
    };
    // Makes the changes in one transaction, then runs `alongside` in it on the table's file, so
    // what it writes there (a table of its own beside the records) is kept exactly when the
    // changes are. A failure anywhere rolls every change back and is thrown; a failed store or
    // delete names its record.
    static void applyChanges(Table& table, std::vector<Change>& changes,
                             const std::function<void(sql::Database&)>& alongside);
    // Runs `read` in one read transaction on the table's file.
    static void readAlongside(const Table& table,
                              const std::function<void(const sql::Database&)>& read);

private:
    // Runs `read` in one read transaction of the table's file on the statement that selects the
    // row id and the fields' columns of the records, `rest` (its WHERE and ORDER clauses) after
    // it, and returns what `read` returns. A failure is the table's dataset error.
    template <typename Read>
    static auto readFields(const Table& table, const QStringList& fieldNames,
                           const QByteArray& rest, Read read);
    // Every record of the order (within the range), read along the file, each made a row by
    // `take` from the statement standing on it, in the order.
    template <typename Row, typename Take>
    static std::vector<Row> readInOrder(const Table& table, const QStringList& fieldNames,
                                        Take take);
    // The loop of both appends: `fill` gathers the next record (false: there is none), `bind`
    // binds it into the insert and `record` gives it for a message naming it.
    static void appendEach(Table& table, const std::function<bool()>& fill,
                           const std::function<void()>& bind, const std::function<Record()>& record,
                           int& appended);
    // The record with that key as the file holds it, for a message to name; its key alone when
    // it cannot be read.
    static Record storedRecord(const Table& table, qint64 key);
    // Stores or deletes the record of a change; the change of the file's count of records.
    static int make(Table& table, Change& change, Record& record);
    // Runs work over many records in one transaction, which keeps what the work stored before a
    // failure: the work stops at its first failure and leaves it in `failure`, and `done` counts
    // what it stored (0 when nothing could be kept); each record done moves the file's count by
    // `perRecord`, and work that adds records has the large cache. A failure to begin or commit
    // is told as what could not be done (`commitFailure`) in the table. The order is read again;
    // the failure is thrown.
    static void inOneTransaction(Table& table,
                                 const std::function<void(std::optional<Error>&)>& work, int& done,
                                 int perRecord, const QString& commitFailure);
};

} // namespace ql
