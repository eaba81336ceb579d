#pragma once

#include "store/datasource.h"
#include "store/table.h"

#include <QAbstractTableModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>
#include <unordered_map>

namespace ql {

// What every data-aware control shares: the data link (a DataSource and a field name) and
// following the table as it moves, changes state and changes values. A control whose table is
// closed, or whose DataSource or table is gone, shows nothing. Binding names the control after its
// field unless the window named it.
class FieldLink : public QObject {
    Q_OBJECT
public:
    explicit FieldLink(QWidget* control);
    void setDataSource(DataSource* source);
    void setDataField(const QString& field);
    DataSource* dataSource() const { return m_source; }
    QString dataField() const { return m_field; }
    Table* table() const { return m_table; }
    // -1 while unbound.
    int fieldIndex() const;

Q_SIGNALS:
    // The control must show the field's value anew.
    void refresh();

private:
    void rebind();
    QPointer<DataSource> m_source;
    QPointer<Table> m_table;
    QString m_field;
};

// A control of the kind `Widget` bound to one field through its data link.
template <typename Widget> class FieldControl : public Widget {
public:
    void setDataSource(DataSource* source)
    {
        m_link->setDataSource(source);
        linkChanged();
    }
    void setDataField(const QString& field)
    {
        m_link->setDataField(field);
        linkChanged();
    }
    FieldLink* link() const { return m_link; }

protected:
    explicit FieldControl(QWidget* parent)
        : Widget(parent)
        , m_link(new FieldLink(this))
    {
    }
    // The link names another source or field.
    virtual void linkChanged() {}

    FieldLink* const m_link;
};

// A line editor bound to one field. Typing (or a text set by assistive technology) puts the table
// into editing and writes the field; it stops at the field's width in characters. A date or
// date-time field is read when the editor is left for another editor by the keyboard or the mouse,
// when Enter is pressed, and before any command, move or close of its window (commitEditors): a
// text that is not a date shows the date failure text once and keeps the focus and the text. A
// click on a button or a list leaves the text to the command or the move it starts, so Cancel
// abandons a bad date without a word. A calculated or key field is read-only.
class DBEdit : public FieldControl<QLineEdit> {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);
    // Hands a date still being typed to the record; false (message shown, focus kept) when it is
    // no date. True when nothing is pending.
    bool commit();
    // Drops a text still pending that the record would refuse (no date), showing the field's
    // value again.
    void dropRefusedText();

protected:
    bool event(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // A text field's editor stops at its width.
    void linkChanged() override;

private:
    void typed(const QString& text);
    void showValue();
    bool m_dirtyDate = false;
    bool m_syncing = false; // the editor is writing the table, or the table the editor
};

// Keys an editor leaves to its window's commands: the undo key when it has nothing of its own
// to undo (the window's Cancel abandons the record being typed), and the select-all key where
// a command of the window holds it (Print all; select all stays on the editor's context menu).
// True when the event is such a key and was left so.
bool leavesKeyToWindow(const QWidget* editor, QEvent* event, bool undoAvailable);

// Hands the texts still pending in the window's editors to their records before a command, a
// move or a close; false (the refusing editor focused, its message shown once) when one is no
// date.
bool commitEditors(QWidget* window);
// Drops the texts still pending in the window's editors that their records would refuse.
void dropRefusedTexts(QWidget* window);

// A multi-line editor bound to one (memo) field, written as it is typed. Tab and Shift+Tab
// leave it as they leave every control; Ctrl+Tab types a tab.
class DBMemo : public FieldControl<QPlainTextEdit> {
    Q_OBJECT
public:
    explicit DBMemo(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void typed();
    void showValue();
    bool m_syncing = false; // the editor is writing the table, or the table the editor
};

// A read-only text bound to one field.
class DBText : public FieldControl<QLabel> {
    Q_OBJECT
public:
    explicit DBText(QWidget* parent = nullptr);
    // What the value is, read before the value by a screen reader.
    void setCaption(const QString& caption);

private:
    QString m_caption;
};

// Shows a value on a label that a screen reader reads as "<what it is>: <value>", so that the
// value is heard, not only what it is.
void showValue(QLabel* label, const QString& caption, const QString& value);

// The rows of a table as a grid shows them: the records of the active order within its range,
// with a pending new record at its place. Records are read as rows are painted, each once until
// the table changes.
class DBGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DBGridModel(QObject* parent = nullptr);
    void setTable(Table* table);
    Table* table() const { return m_table; }
    // The fields shown, in order; empty shows every field of the table in its field order.
    void setColumns(const QStringList& fields);
    // The headings of the columns, in order (an empty heading stays empty); a column without one
    // is headed by its field's name. A screen reader reads a column by its name in `spoken`
    // where one is given, else by its heading.
    void setColumnTitles(const QStringList& titles, const QStringList& spoken = {});
    // -1 for a column that is not shown.
    int fieldAt(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void reset();
    void valuesChanged();
    void refill();
    // The record at a row, read once; nothing when it cannot be read.
    const Record* record(int row) const;
    // A read asked by the view failed: no message box opens from inside painting or layout, so
    // the failure is told once the event is over, and no more reads are tried until the table
    // changes.
    void readFailed(const Error& failure) const;
    QPointer<Table> m_table;
    QStringList m_columnNames;
    QStringList m_titles;
    QStringList m_spoken;
    std::vector<int> m_columns;
    mutable std::unordered_map<int, Record> m_cache;
    mutable bool m_failed = false; // a read failed; no more reads until the table changes
    mutable int m_rows = 0;        // the number of rows last read
};

// A grid over a table: a row click makes that record current; the current row follows the
// table. Column widths come from the fields' display widths.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);
    void setDataSource(DataSource* source);
    void setColumns(const QStringList& fields);
    void setColumnTitles(const QStringList& titles, const QStringList& spoken = {})
    {
        m_model->setColumnTitles(titles, spoken);
    }
    DBGridModel* gridModel() const { return m_model; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void followTable();
    void rowChosen();
    void applySizes();
    // The width of a cell that shows the whole text.
    int cellWidth(const QString& text) const;
    DBGridModel* m_model;
    QPointer<DataSource> m_source;
    bool m_following = false; // the selection is being set to the table's row
};

} // namespace ql
