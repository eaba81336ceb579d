#include "modulewindow.h"

#include "dbcontrols.h"
#include "geometry.h"
#include "guard.h"
#include "table.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

namespace ql {

ModuleWindow::ModuleWindow(QWidget* parent, const QString& geometryKey, const QRect& design)
    : QDialog(parent)
    , m_geometryKey(geometryKey)
    , m_design(design)
{
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
    geometry::restore(this, m_geometryKey, m_design);
    QDialog::showEvent(event);
}

QList<Table*> ModuleWindow::pendingTables() const
{
    Table* table = pendingTable();
    return table ? QList<Table*>{table} : QList<Table*>{};
}

void ModuleWindow::done(int result)
{
    if (!commitEditors(this))
        return;
    for (Table* table : pendingTables()) {
        if (!guarded(this, [table] { table->checkBrowseMode(); }))
            return;
    }
    guarded(this, [this] { geometry::save(this, m_geometryKey); });
    QDialog::done(result);
}

void ModuleWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape gives up a text the record would refuse, then closes as every other way does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        dropRefusedTexts(this);
    QDialog::keyPressEvent(event);
}

void ModuleWindow::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_contextMenu)
        m_contextMenu->popup(event->globalPos());
}

} // namespace ql
