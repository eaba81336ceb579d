#include "widgets/dbcontrols.h"

#include "core/guard.h"
#include "store/datetext.h"
#include "store/error.h"
#include "store/session.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTextEdit>
#include <QValidator>
#include <algorithm>

namespace ql {
namespace {

// The widest text a date or date-time column shows: two-digit months and days, a four-digit
// year and, for a date-time, a two-digit hour, in the user's short date and long time forms.
QString widestValue(FieldType type)
{
    const QDateTime sample(QDate(2000, 12, 28), QTime(12, 58, 58));
    switch (type) {
    case FieldType::Date:
        return datetext::shortDate(sample.date());
    case FieldType::DateTime:
        return datetext::dateTime(sample);
    default:
        return {};
    }
}

// Rows a grid keeps read: a screenful or two.
constexpr size_t kCachedRows = 256;

// QLineEdit's own limit, for fields without a width.
constexpr int kUnlimitedLength = 32767;

// Refuses a text of more characters (code points, as the engine counts them) than the field
// holds.
class CharacterLimit : public QValidator {
public:
    CharacterLimit(qsizetype limit, QObject* parent)
        : QValidator(parent)
        , m_limit(limit)
    {
    }
    State validate(QString& input, int&) const override
    {
        const auto lowSurrogates =
            std::count_if(input.cbegin(), input.cend(), [](QChar c) { return c.isLowSurrogate(); });
        return input.size() - lowSurrogates <= m_limit ? Acceptable : Invalid;
    }

private:
    qsizetype m_limit;
};

// Controls where the user types text: leaving a date editor for one of them reads the date.
bool isTextEditor(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget);
}

bool isEditing(const Table& table)
{
    return table.state() == TableState::Edit || table.state() == TableState::Insert;
}

const FieldDef* boundField(const FieldLink& link)
{
    const int field = link.fieldIndex();
    return field >= 0 ? &link.table()->field(field).def : nullptr;
}

bool isDateField(const FieldLink& link)
{
    const FieldDef* def = boundField(link);
    return def && (def->type == FieldType::Date || def->type == FieldType::DateTime);
}

// Values the user never types: calculated ones and the key.
bool isFixedField(const FieldLink& link)
{
    const int field = link.fieldIndex();
    if (field < 0)
        return false;
    const TableField& f = link.table()->field(field);
    return f.isCalculated() || f.def.type == FieldType::AutoIncrement;
}

// Values the user cannot change: calculated ones, the key, and every value of a record that
// cannot be read.
bool isLocked(const FieldLink& link)
{
    const Table* table = link.table();
    return isFixedField(link) || (table && table->isOpen() && table->currentIsUnreadable());
}

// The field's text as the control shows it: nothing while unbound or while the table is closed.
QString fieldText(QWidget* control, const FieldLink& link)
{
    const Table* table = link.table();
    const int field = link.fieldIndex();
    QString text;
    if (table && field >= 0 && table->isOpen())
        guarded(control, [&] { text = table->asText(field); });
    return text;
}

// Puts the table into editing (a new record on an empty table) and writes the typed text.
bool writeTyped(QWidget* control, const FieldLink& link, const QString& text)
{
    Table* table = link.table();
    const int field = link.fieldIndex();
    if (!table || field < 0)
        return true;
    return guarded(control, [&] {
        table->edit();
        table->setAsText(table->field(field).def.name, text);
    });
}

// Points `watched` at `table`, ending what `receiver` followed before: a change of the table's
// state, current record or fields then runs `changed`; new rows, or the table's end, `reset`.
template <class Receiver>
void follow(QPointer<Table>& watched, Table* table, Receiver* receiver, void (Receiver::*changed)(),
            void (Receiver::*reset)())
{
    if (watched)
        QObject::disconnect(watched, nullptr, receiver, nullptr);
    watched = table;
    if (!table)
        return;
    QObject::connect(table, &Table::stateChanged, receiver, changed);
    QObject::connect(table, &Table::currentChanged, receiver, changed);
    QObject::connect(table, &Table::fieldChanged, receiver, changed);
    QObject::connect(table, &Table::rowsReset, receiver, reset);
    QObject::connect(table, &QObject::destroyed, receiver, reset);
}

} // namespace

// ---- FieldLink

FieldLink::FieldLink(QWidget* control)
    : QObject(control)
{
}

void FieldLink::setDataSource(DataSource* source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (source) {
        connect(source, &QObject::destroyed, this, [this] {
            m_source = nullptr;
            rebind();
        });
    }
    rebind();
}

void FieldLink::setDataField(const QString& field)
{
    if (auto* control = qobject_cast<QWidget*>(parent())) {
        const QString name = control->accessibleName();
        if (name.isEmpty() || name == m_field)
            control->setAccessibleName(field);
    }
    m_field = field;
    Q_EMIT refresh();
}

int FieldLink::fieldIndex() const
{
    return m_table && !m_field.isEmpty() ? m_table->findField(m_field) : -1;
}

void FieldLink::rebind()
{
    follow(m_table, m_source ? m_source->dataSet() : nullptr, this, &FieldLink::refresh,
           &FieldLink::refresh);
    Q_EMIT refresh();
}

// ---- DBEdit

DBEdit::DBEdit(QWidget* parent)
    : FieldControl(parent)
{
    connect(m_link, &FieldLink::refresh, this, &DBEdit::showValue);
    connect(this, &QLineEdit::textChanged, this, &DBEdit::typed);
}

void DBEdit::linkChanged()
{
    const FieldDef* def = boundField(*m_link);
    delete validator();
    setMaxLength(kUnlimitedLength);
    if (def && def->type == FieldType::Text)
        setValidator(new CharacterLimit(def->size, this));
}

void DBEdit::typed(const QString& text)
{
    if (m_syncing)
        return;
    const bool date = isDateField(*m_link);
    bool written = false;
    {
        const QScopedValueRollback syncing(m_syncing, true);
        // A date is read only when the editor is left; typing it only starts the editing.
        written = date ? guarded(this, [this] { m_link->table()->edit(); })
                       : writeTyped(this, *m_link, text);
    }
    m_dirtyDate = date && written;
    showValue();
}

bool DBEdit::commit()
{
    if (!m_dirtyDate)
        return true;
    bool written = false;
    {
        const QScopedValueRollback syncing(m_syncing, true);
        written = writeTyped(this, *m_link, text());
    }
    if (!written) {
        setFocus(Qt::OtherFocusReason);
        return false;
    }
    m_dirtyDate = false;
    showValue();
    return true;
}

void DBEdit::dropRefusedText()
{
    if (!m_dirtyDate)
        return;
    const FieldDef* def = boundField(*m_link);
    if (!def)
        return;
    const QDate today = m_link->table()->session().clock().today();
    try {
        if (def->type == FieldType::Date)
            datetext::parseDate(text(), today);
        else
            datetext::parseDateTime(text(), today);
    } catch (const Error&) {
        m_dirtyDate = false;
        showValue();
    }
}

void DBEdit::showValue()
{
    if (m_syncing)
        return;
    setReadOnly(isLocked(*m_link));
    const Table* table = m_link->table();
    // A date still being typed stays until it is read, or until the record is let go.
    if (m_dirtyDate && table && table->isOpen() && isEditing(*table))
        return;
    m_dirtyDate = false;
    const QString value = fieldText(this, *m_link);
    if (value == text())
        return;
    const int cursor = cursorPosition();
    const QScopedValueRollback syncing(m_syncing, true);
    setText(value);
    setCursorPosition(std::min(cursor, int(value.size())));
}

void DBEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    switch (event->reason()) {
    case Qt::PopupFocusReason:
    case Qt::ActiveWindowFocusReason:
        // A context menu or another window taking the focus does not leave the editor.
        return;
    case Qt::MouseFocusReason:
        // A click on a button or a list: the command or the move reads the date first, and
        // Cancel abandons it.
        if (!isTextEditor(QApplication::focusWidget()))
            return;
        break;
    default:
        break;
    }
    commit();
}

bool leavesKeyToWindow(const QWidget* editor, QEvent* event, bool undoAvailable)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    bool leaves = false;
    if (key->matches(QKeySequence::Undo)) {
        leaves = !undoAvailable;
    } else if (key->matches(QKeySequence::SelectAll)) {
        const QKeySequence pressed(key->keyCombination());
        const QList<QAction*> commands = editor->window()->actions();
        leaves = std::any_of(commands.cbegin(), commands.cend(), [&pressed](QAction* command) {
            return command->isEnabled() && command->shortcut() == pressed;
        });
    }
    if (leaves)
        event->ignore();
    return leaves;
}

bool DBEdit::event(QEvent* event)
{
    return leavesKeyToWindow(this, event, isUndoAvailable()) || QLineEdit::event(event);
}

void DBEdit::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !commit()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool commitEditors(QWidget* window)
{
    const QList<DBEdit*> editors = window->findChildren<DBEdit*>();
    return std::all_of(editors.cbegin(), editors.cend(), [](DBEdit* e) { return e->commit(); });
}

void dropRefusedTexts(QWidget* window)
{
    for (DBEdit* editor : window->findChildren<DBEdit*>())
        editor->dropRefusedText();
}

// ---- DBMemo

DBMemo::DBMemo(QWidget* parent)
    : FieldControl(parent)
{
    connect(m_link, &FieldLink::refresh, this, &DBMemo::showValue);
    connect(this, &QPlainTextEdit::textChanged, this, &DBMemo::typed);
    setTabChangesFocus(true);
}

bool DBMemo::event(QEvent* event)
{
    return leavesKeyToWindow(this, event, document()->isUndoAvailable()) ||
           QPlainTextEdit::event(event);
}

void DBMemo::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier) {
        insertPlainText(QStringLiteral("\t"));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DBMemo::typed()
{
    if (m_syncing)
        return;
    {
        const QScopedValueRollback syncing(m_syncing, true);
        writeTyped(this, *m_link, toPlainText());
    }
    showValue();
}

void DBMemo::showValue()
{
    if (m_syncing)
        return;
    setReadOnly(isLocked(*m_link));
    const QString value = fieldText(this, *m_link);
    if (value == toPlainText())
        return;
    const int cursor = textCursor().position();
    {
        const QScopedValueRollback syncing(m_syncing, true);
        setPlainText(value);
    }
    QTextCursor restored = textCursor();
    restored.setPosition(std::min(cursor, int(document()->characterCount()) - 1));
    setTextCursor(restored);
}

// ---- DBText

DBText::DBText(QWidget* parent)
    : FieldControl(parent)
{
    setTextFormat(Qt::PlainText);
    connect(m_link, &FieldLink::refresh, this,
            [this] { showValue(this, m_caption, fieldText(this, *m_link)); });
}

void DBText::setCaption(const QString& caption)
{
    m_caption = caption;
    showValue(this, m_caption, text());
}

void showValue(QLabel* label, const QString& caption, const QString& value)
{
    label->setText(value);
    label->setAccessibleName(value.isEmpty() ? caption : caption + QStringLiteral(": ") + value);
}

// ---- DBGridModel

DBGridModel::DBGridModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void DBGridModel::setTable(Table* table)
{
    beginResetModel();
    follow(m_table, table, this, &DBGridModel::valuesChanged, &DBGridModel::reset);
    refill();
    endResetModel();
}

void DBGridModel::setColumns(const QStringList& fields)
{
    beginResetModel();
    m_columnNames = fields;
    refill();
    endResetModel();
}

void DBGridModel::setColumnTitles(const QStringList& titles, const QStringList& spoken)
{
    m_titles = titles;
    m_spoken = spoken;
    if (columnCount() > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void DBGridModel::reset()
{
    beginResetModel();
    refill();
    endResetModel();
}

void DBGridModel::refill()
{
    m_columns.clear();
    m_cache.clear();
    m_failed = false;
    if (!m_table)
        return;
    if (m_columnNames.isEmpty()) {
        for (int field = 0; field < m_table->fieldCount(); ++field)
            m_columns.push_back(field);
        return;
    }
    for (const QString& name : m_columnNames) {
        if (const int field = m_table->findField(name); field >= 0)
            m_columns.push_back(field);
    }
}

// A value of the pending record changed, or the current record was read anew: the rows keep
// their places, so the view only paints again.
void DBGridModel::valuesChanged()
{
    m_cache.clear();
    m_failed = false;
    const int rows = rowCount();
    const int columns = columnCount();
    if (rows > 0 && columns > 0)
        Q_EMIT dataChanged(index(0, 0), index(rows - 1, columns - 1), {Qt::DisplayRole});
}

int DBGridModel::fieldAt(int column) const
{
    return column >= 0 && column < int(m_columns.size()) ? m_columns[size_t(column)] : -1;
}

int DBGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_table || !m_table->isOpen())
        return 0;
    // The rows keep the number last read while the table cannot be read.
    if (m_failed)
        return m_rows;
    try {
        m_rows = m_table->rowCount();
    } catch (const Error& e) {
        readFailed(e);
    }
    return m_rows;
}

int DBGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_table ? 0 : int(m_columns.size());
}

const Record* DBGridModel::record(int row) const
{
    if (const auto it = m_cache.find(row); it != m_cache.end())
        return &it->second;
    if (m_failed)
        return nullptr;
    if (m_cache.size() >= kCachedRows)
        m_cache.clear();
    Record read;
    try {
        read = m_table->recordAt(row);
    } catch (const Error& e) {
        readFailed(e);
        return nullptr;
    }
    return &m_cache.emplace(row, std::move(read)).first->second;
}

void DBGridModel::readFailed(const Error& failure) const
{
    m_failed = true;
    QMetaObject::invokeMethod(
        const_cast<DBGridModel*>(this),
        [this, text = failure.text()] {
            guarded(qobject_cast<QWidget*>(QObject::parent()), [&] { throw Error(text); });
        },
        Qt::QueuedConnection);
}

QVariant DBGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || !m_table || !m_table->isOpen())
        return {};
    const int field = fieldAt(index.column());
    const Record* row = field >= 0 ? record(index.row()) : nullptr;
    if (!row)
        return {};
    if (row->isUnreadable())
        return index.column() == 0 ? QStringLiteral("(unreadable record)") : QString();
    return fieldText(m_table->field(field).def.type, row->at(field));
}

QVariant DBGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const int field = fieldAt(section);
    if (orientation == Qt::Horizontal && role == Qt::AccessibleTextRole &&
        !m_spoken.value(section).isEmpty())
        return m_spoken.at(section);
    if (orientation != Qt::Horizontal ||
        (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section < m_titles.size())
        return m_titles.at(section);
    if (m_table && field >= 0)
        return m_table->field(field).def.name;
    return QAbstractTableModel::headerData(section, orientation, role);
}

// ---- DBGrid

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(new DBGridModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &DBGrid::rowChosen);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::followTable);
    applySizes();
}

void DBGrid::setDataSource(DataSource* source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    if (Table* old = m_model->table())
        disconnect(old, nullptr, this, nullptr);
    m_source = source;
    Table* table = source ? source->dataSet() : nullptr;
    if (source)
        connect(source, &QObject::destroyed, this, [this] { setDataSource(nullptr); });
    if (table)
        connect(table, &Table::currentChanged, this, &DBGrid::followTable);
    m_model->setTable(table);
    applySizes();
}

void DBGrid::setColumns(const QStringList& fields)
{
    m_model->setColumns(fields);
    applySizes();
}

void DBGrid::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applySizes();
}

void DBGrid::applySizes()
{
    const QFontMetrics metrics = fontMetrics();
    const int rowHeight = metrics.height() + 6;
    // Setting the height sets it for every row the grid has, and a table has up to millions.
    if (verticalHeader()->defaultSectionSize() != rowHeight) {
        verticalHeader()->setMinimumSectionSize(rowHeight);
        verticalHeader()->setDefaultSectionSize(rowHeight);
    }
    const Table* table = m_model->table();
    if (!table)
        return;
    const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const FieldDef& def = table->field(m_model->fieldAt(column)).def;
        horizontalHeader()->resizeSection(
            column, std::max(def.displayWidth * metrics.averageCharWidth() + margin,
                             cellWidth(widestValue(def.type))));
    }
}

int DBGrid::cellWidth(const QString& text) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.text = text;
    option.features |= QStyleOptionViewItem::HasDisplay;
    return style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).width() +
           (showGrid() ? 1 : 0);
}

void DBGrid::followTable()
{
    const QScopedValueRollback following(m_following, true);
    const Table* table = m_model->table();
    const int row = table && table->isOpen() ? table->currentRow() : -1;
    const QModelIndex index = m_model->index(row, std::max(currentIndex().column(), 0));
    if (!index.isValid()) {
        selectionModel()->clear();
        return;
    }
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
}

// The user selected a row: its record becomes current. Posting the record left behind may move
// the rows, so the selection is then set to wherever the table stands.
void DBGrid::rowChosen()
{
    if (m_following)
        return;
    Table* table = m_model->table();
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (table && !rows.isEmpty() && rows.first().row() != table->currentRow() &&
        commitEditors(window()))
        guarded(this, [&] { table->moveToRow(rows.first().row()); });
    followTable();
}

} // namespace ql
