#pragma once

#include "store/error.h"
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
    // Gives `visit` each record in which at least one of the fields has a value: its key and the
    // UTF-8 texts of those fields (empty for an empty value), in the order of the keys and
    // without regard to the range. They are read from the fields' indexes alone, not from the
    // records, so a table where few records qualify reads little.
    static void readFilled(
        const Table& table, const QStringList& fieldNames,
        const std::function<void(qint64 key, const std::vector<QByteArrayView>& texts)>& visit);
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
    // The record with that key as the file holds it, for a message to name; its key alone when
    // it cannot be read.
    static Record storedRecord(const Table& table, qint64 key);
    // Runs work over many records in one transaction, which keeps what the work stored before a
    // failure: the work stops at its first failure and leaves it in `failure`, and `done` counts
    // what it stored (0 when nothing could be kept); each record done moves the file's count by
    // `perRecord`. A failure to begin or commit is told as what could not be done
    // (`commitFailure`) in the table. The order is read again; the failure is thrown.
    // Stores or deletes the record of a change; the change of the file's count of records.
    static int make(Table& table, Change& change, Record& record);
    static void inOneTransaction(Table& table,
                                 const std::function<void(std::optional<Error>&)>& work, int& done,
                                 int perRecord, const QString& commitFailure);
};

} // namespace ql
