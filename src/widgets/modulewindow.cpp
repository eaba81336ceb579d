#include "modulewindow.h"

#include "geometry.h"
#include "guard.h"
#include "table.h"

#include <QAction>
#include <QContextMenuEvent>
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

void ModuleWindow::done(int result)
{
    Table* table = pendingTable();
    if (table && !guarded(this, [table] { table->checkBrowseMode(); }))
        return;
    guarded(this, [this] { geometry::save(this, m_geometryKey); });
    QDialog::done(result);
}

void ModuleWindow::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_contextMenu)
        m_contextMenu->popup(event->globalPos());
}

} // namespace ql
