#pragma once

#include "store/error.h"
#include "store/fieldvalue.h"
#include "store/schema.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ql {

class TableOrder;
class TableBulk;
class RecordReader;
class Session;
class Table;
struct OrderKey;
struct OrderRange;

enum class TableState { Inactive, Browse, Edit, Insert };

// A field as the table lists it: a stored column or a value the holder calculates.
struct TableField {
    FieldDef def;
    int column = -1; // position among the stored columns; -1 for a calculated value
    bool isCalculated() const { return column < 0; }
};

// The values of one record, in the table's field order. An empty value is a null QVariant;
// texts are QString, dates QDate, date-times QDateTime and keys qint64. Copies share the values
// until one of them changes.
class Record {
public:
    Record() = default;
    Record(const Table* table, QList<QVariant> values)
        : m_table(table)
        , m_values(std::move(values))
    {
    }

    const QVariant& at(int field) const { return m_values.at(field); }
    void set(int field, QVariant value) { m_values[field] = std::move(value); }
    QVariant value(const QString& fieldName) const;
    QString text(const QString& fieldName) const; // the stored text, empty for an empty value
    void setValue(const QString& fieldName, QVariant value);
    bool isValid() const { return m_table != nullptr; }
    // A record the file holds but cannot give (its part of the file is damaged): its values are
    // empty and it cannot be changed.
    bool isUnreadable() const { return m_unreadable; }
    void markUnreadable() { m_unreadable = true; }

private:
    const Table* m_table = nullptr;
    QList<QVariant> m_values;
    bool m_unreadable = false;
};

// A cursor over one table file: a current record, an active order (the primary key, or a
// secondary index chosen by name or by its field), an optional range on that order, and a state
// of browsing, inserting or editing. Work over many records at once, with no cursor, is
// TableBulk's (tablebulk.h).
//
// Leaving a record (a move, a search, a change of order or range, a new insert) stores it when
// it was changed and drops a new record that was not; cancel abandons the pending record, and so
// does closing the table. Every failure is a ql::Error with the engine's text; dataset errors
// name the table's file as the user knows it ("Table \"Journal2.DB\": Cannot perform this
// operation on an empty dataset"), never the component's name, and a failed store or delete
// names the record too ("Could not store the record \"Smith, John\" in table \"QYName2.DB\":
// disk I/O error"). A failed post leaves the record pending and intact.
//
// The active order is read in stretches of row ids, each when a position in it is first asked
// for: a stretch goes on from the one before it or back from the one after it, and a position far
// from every stretch read is counted in the file (order.h). So no operation reads the whole
// order, however long it is, and records are read when they are needed, a block at a time
// (recordreader.h). The cursor tells both what its own writes moved.
class Table : public QObject {
    Q_OBJECT
public:
    // A table of `session`, which tells it where its database name stands, which passwords it
    // may open with and how long a write waits for another program.
    Table(Session& session, const TableDef& def, const QString& componentName,
          QObject* parent = nullptr);
    ~Table() override;

    Session& session() const { return m_session; }

    // Set up before open.
    void setDatabaseName(const QString& name) { m_databaseName = name; }
    QString databaseName() const { return m_databaseName; }
    void setTableName(const QString& name) { m_tableName = name; }
    QString tableName() const { return m_tableName; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // Runs right before every open (the holders register the table's password there).
    void setBeforeOpen(std::function<void()> hook) { m_beforeOpen = std::move(hook); }
    // Runs when a new record is started, before the user enters anything; the values it sets
    // do not count as a change.
    void setOnNewRecord(std::function<void(Table&)> hook) { m_onNewRecord = std::move(hook); }
    // Fills the calculated values of every record the table reads or edits.
    void setOnCalcFields(std::function<void(Record&)> hook) { m_onCalcFields = std::move(hook); }
    // Adds a calculated value to the field list, after the field named `after`.
    void addCalculatedField(const FieldDef& field, const QString& after);
    // Moves a field to the end of the field list (the order grids show by default).
    void moveFieldToEnd(const QString& fieldName);

    void open();
    void close();
    // A table of the same file, fields, calculated values, order and range as this open one,
    // opened on the calling thread: for work on another thread that reads what a window's table
    // shows without touching it. It reads the file as stored; this table's pending change is not
    // in it.
    std::unique_ptr<Table> openTwin() const;
    bool isOpen() const { return m_state != TableState::Inactive; }
    const TableDef& definition() const { return *m_def; }

    // Fields, in the table's field order.
    int fieldCount() const { return int(m_fields.size()); }
    const TableField& field(int index) const { return m_fields[size_t(index)]; }
    int fieldIndex(const QString& name) const; // throws when there is no such field
    int findField(const QString& name) const;  // -1 when there is no such field

    // The current record's values; an empty table reads empty values.
    QVariant value(const QString& fieldName) const;
    QVariant value(int field) const;
    bool isNull(const QString& fieldName) const { return value(fieldName).isNull(); }
    QString asText(const QString& fieldName) const;
    QString asText(int field) const;
    QDate asDate(const QString& fieldName) const;
    QDateTime asDateTime(const QString& fieldName) const;

    // Changing values needs the edit or insert state. Texts longer than their field are cut to
    // its width; an empty text makes the value empty.
    void setValue(const QString& fieldName, const QVariant& value);
    void setValue(int field, const QVariant& value);
    void setAsText(const QString& fieldName, const QString& text);
    void setAsDate(const QString& fieldName, QDate date);
    void setAsDateTime(const QString& fieldName, const QDateTime& value);
    void clearField(const QString& fieldName) { setValue(fieldName, QVariant()); }

    // Moves.
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const { return !rowidAt(0) && m_state != TableState::Insert; }
    int recordCount() const;

    // The active order.
    QString indexName() const { return m_indexName; }
    void setIndexName(const QString& name);
    QString indexFieldNames() const { return m_indexFieldNames; }
    void setIndexFieldNames(const QString& fieldName);
    // The field the active order sorts by (the key field for the primary order).
    const FieldDef& indexField() const;
    // Sorts by the index named and makes current the first record at or after the key in it, as
    // setIndexName and findNearestText do one after the other, without looking for the current
    // record in the new order first.
    void setIndexNameAt(const QString& name, const QString& key);

    // Makes current the first record whose key is at or after the value (the last record when
    // none is, and then returns false). A text key is read as the type of the order's field.
    bool findNearest(const QVariant& key);
    bool findNearestText(const QString& key);
    // Limits the records to the keys from low to high, both included; the first becomes current.
    void setRange(const QVariant& low, const QVariant& high);
    void setRangeText(const QString& low, const QString& high);
    void cancelRange();
    bool hasRange() const;

    // Editing.
    TableState state() const { return m_state; }
    bool isModified() const { return m_modified; }
    void insert();
    void append() { insert(); }
    void edit();
    void post();
    void cancel();
    void deleteRecord();
    // Stores a changed pending record and drops an unchanged new one.
    void checkBrowseMode();

    // Looks for changes posted by another program and follows them.
    void refresh();
    // Whether the current record lies in a damaged part of the file and cannot be read.
    bool currentIsUnreadable() const
    {
        return m_state == TableState::Browse && m_current.isUnreadable();
    }

    // Rows as a grid shows them: the records of the order, with the pending new record at its
    // place while inserting.
    int rowCount() const { return recordCount() + (m_state == TableState::Insert ? 1 : 0); }
    int currentRow() const;
    Record recordAt(int row) const;
    // Makes the record shown at a row current, storing or dropping a pending record first.
    void moveToRow(int row);

Q_SIGNALS:
    void stateChanged();
    // Another record became current, or the current record was read anew.
    void currentChanged();
    // A value of the pending record changed.
    void fieldChanged(int field);
    // Records came, went or moved: every row may show another record now.
    void rowsReset();

private:
    friend class TableOrder;
    friend class RecordReader;
    friend class TableBulk;
    // What the table holds of the engine while its file is open (tableengine.h).
    struct Engine;

    // An error of this table, prefixed with the name of its file.
    TableError datasetError(const QString& text) const;
    // A store or a delete of a record that failed: names the record, the table's file and the
    // reason of the failure.
    Error storeError(const Record& record, const Error& failure) const;
    Error deleteError(const Record& record, const Error& failure) const;
    // The record as a message names it: by the values the catalogue names it by, else by its key.
    QString recordName(const Record& record) const;
    void checkActive() const;
    void moveBy(int distance);
    void checkEditing() const;
    // Refuses a change to a table opened for reading only; a table the user could not write opens
    // again for writing once the file can be written.
    void checkWritable();
    // Before a write: when another program dropped a part of what keeps the file's count (or an
    // earlier build wrote it), the file learns to keep it again, its records counted.
    void checkCountKept();
    const IndexDef* resolveIndex(const QString& indexName, const QString& fieldName) const;
    // Goes over to another order and keeps the current record, or makes current the first record
    // at or after a key when one is given.
    void switchOrder(const IndexDef* index, bool primary, const QString* key = nullptr);
    bool seek(const OrderKey& key);
    void applyRange(const OrderRange& range);
    std::optional<qint64> rowidAt(int position) const;
    qint64 currentRowid() const;
    void forgetOrderFrom(int position);
    void forgetOrder();
    // Reads the order again after records changed anywhere in it, from the record that was current.
    void readOrderAgain();
    void relocate(qint64 rowid, int fallback);
    // Makes the record at a position current (the last when the order is shorter), and tells so.
    void setCurrentPosition(int position, bool bof, bool eof);
    void placeAt(int position, bool bof, bool eof);
    Record emptyRecord() const;
    void readCurrent();
    // The record the values are read from: the pending one while editing or inserting.
    const Record& shownRecord() const;
    void calculate(Record& record) const;
    // Binds the stored values of a record to the statement that inserts it or the one that
    // updates it, and returns the number of values bound; `fit` cuts texts to their fields.
    int bindStored(bool inserting, const Record& record, bool fit);
    bool syncWithOtherWriters(bool stepping = false);
    qint64 readDataVersion() const;
    // Refuses the store of an edit when another program changed or deleted the record in the
    // file since this table read it; a failure to read it is the engine's.
    void checkStoredUnchanged(qint64 rowid) const;
    // Stores the pending record in the file and returns its key.
    qint64 storePending(bool inserting);

    Session& m_session;
    const TableDef* m_def;
    std::vector<TableField> m_fields;
    QHash<QString, int> m_fieldByName;
    QString m_databaseName;
    QString m_tableName;
    bool m_readOnly = false;
    // A twin only reads: that its file may not be written is no news to the user.
    bool m_twin = false;
    std::function<void()> m_beforeOpen;
    std::function<void(Table&)> m_onNewRecord;
    std::function<void(Record&)> m_onCalcFields;

    QString m_indexName;
    QString m_indexFieldNames;

    std::unique_ptr<Engine> m_engine;
    // They hold statements on the engine's file: declared after it, they are destroyed before it
    // closes.
    std::unique_ptr<TableOrder> m_order;
    std::unique_ptr<RecordReader> m_reader;

    int m_position = -1;
    int m_insertRow = 0;
    bool m_bof = true;
    bool m_eof = true;
    TableState m_state = TableState::Inactive;
    bool m_modified = false;
    Record m_current;
    Record m_buffer;
};

} // namespace ql
