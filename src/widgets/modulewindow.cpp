#include "widgets/modulewindow.h"

#include "core/context.h"
#include "core/geometry.h"
#include "core/guard.h"
#include "core/seams.h"
#include "store/datetext.h"
#include "store/session.h"
#include "store/table.h"
#include "widgets/dbcontrols.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>

namespace ql {

ModuleWindow::ModuleWindow(QWidget* parent, const WindowDesign& design)
    : QDialog(parent)
    , m_geometryKey(design.geometryKey)
    , m_design(design.place)
{
    setObjectName(design.name);
    setWindowTitle(design.title);
    setSizeGripEnabled(design.sizeGrip);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this,
                           [this](QWidget*, QWidget* now) { watchFocus(now); });
}

ModuleWindow::ModuleWindow(QWidget* parent, const RunContext& context, const WindowDesign& design)
    : ModuleWindow(parent, design)
{
    m_context = &context;
    context.services->serve(this);
}

ModuleWindow::~ModuleWindow()
{
    disconnect(m_focusWatch);
}

void ModuleWindow::watchFocus(QWidget* now)
{
    // A control keeps the filter while it lives; installing it again only moves it to the front.
    if (now && now->window() == this)
        now->installEventFilter(this);
}

QAction* ModuleWindow::action(const QString& name) const
{
    return findChild<QAction*>(name);
}

void ModuleWindow::showEvent(QShowEvent* event)
{
    // What changed in the table while the window was hidden (another program, the maintenance
    // tools) shows at once.
    if (Table* table = pendingTable())
        guarded(this, [table] { table->refresh(); });
    geometry::restore(Services::of(this).settings(), this, m_geometryKey, m_design);
    QDialog::showEvent(event);
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        if (m_firstShowing)
            m_firstShowing();
    }
}

bool ModuleWindow::showsTable(const Table*) const
{
    return true;
}

QList<Table*> ModuleWindow::pendingTables() const
{
    Table* table = pendingTable();
    return table ? QList<Table*>{table} : QList<Table*>{};
}

bool ModuleWindow::storePendingRecords()
{
    if (!commitEditors(this))
        return false;
    for (Table* table : pendingTables()) {
        if (!guarded(this, [table] { table->checkBrowseMode(); }))
            return false;
    }
    return true;
}

void ModuleWindow::done(int result)
{
    if (!storePendingRecords())
        return;
    guarded(this, [this] { geometry::save(Services::of(this).settings(), this, m_geometryKey); });
    QDialog::done(result);
}

void ModuleWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape gives up a text the record would refuse, then closes as every other way does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        dropRefusedTexts(this);
    QDialog::keyPressEvent(event);
}

bool ModuleWindow::eventFilter(QObject* watched, QEvent* event)
{
    // An Alt letter that no button or menu of the window takes types nothing: an editor would
    // take it for its letter and store it.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers =
            key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        const auto* widget = qobject_cast<const QWidget*>(watched);
        if (modifiers == Qt::AltModifier && !key->text().isEmpty() && widget &&
            widget->window() == this)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ModuleWindow::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_contextMenu)
        m_contextMenu->popup(event->globalPos());
}

QWidget* scrollingContents(QWidget* page)
{
    auto* area = new QScrollArea(page);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    // Tab goes from control to control; the area scrolls to the one that has the focus.
    area->setFocusPolicy(Qt::NoFocus);
    auto* contents = new QWidget(area);
    area->setWidget(contents);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
    return contents;
}

void ModuleWindow::showFilter(Table* table, const QString& what, const QString& value)
{
    m_filters.removeIf([table](const Filter& filter) { return filter.table == table; });
    // The filter is on the order's field; a date reads as the list shows it, however typed, and
    // the empty text keeps the records without a value.
    QString note = what + QStringLiteral(" is empty");
    if (!value.isEmpty()) {
        const bool date = table->indexField().type == FieldType::Date;
        note = QStringLiteral("%1 = %2").arg(
            what,
            date ? datetext::shortDate(datetext::parseDate(value, table->session().clock().today()))
                 : value);
    }
    m_filters.append({table, note});
    connect(table, &Table::rowsReset, this, &ModuleWindow::showCaption, Qt::UniqueConnection);
    showCaption();
}

void ModuleWindow::showCaption()
{
    m_filters.removeIf(
        [](const Filter& filter) { return !filter.table || !filter.table->hasRange(); });
    QStringList notes;
    for (const Filter& filter : std::as_const(m_filters)) {
        if (showsTable(filter.table))
            notes << filter.note;
    }
    const QScopedValueRollback captioning(m_captioning, true);
    setWindowTitle(notes.isEmpty() ? m_caption
                                   : m_caption + QStringLiteral(" - Filtered: ") +
                                         notes.join(QStringLiteral("; ")));
}

void ModuleWindow::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // The window gave itself another caption: the filters follow it.
    if (event->type() == QEvent::WindowTitleChange && !m_captioning) {
        m_caption = windowTitle();
        if (!m_filters.isEmpty())
            showCaption();
    }
}

} // namespace ql
