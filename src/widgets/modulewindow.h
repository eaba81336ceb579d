#pragma once

#include "core/designs.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>

class QAction;
class QMenu;

namespace ql {

class Table;
struct RunContext;

// A window of the organizer: it opens where it was last left (its designed place the first
// time), keeps that place under its settings key when it closes, and shows its context menu on
// a right click. A window over a table shows the table as it is when it opens. Closing it by any
// way hands the editors' pending texts to the record and stores the record being typed; if that
// fails, the failure is shown and the window stays open with the record. Escape first gives up a
// text the record would refuse. While a list is filtered, the caption says so and on what. An Alt
// letter that no button or menu of the window takes types nothing into the control that has the
// focus.
class ModuleWindow : public QDialog {
    Q_OBJECT
public:
    // The window's command (menu item) of that name.
    QAction* action(const QString& name) const;
    // Hands the editors' pending texts to the records and stores the records being typed, as
    // closing does; false, with the failure shown, when a record cannot be stored.
    bool storePendingRecords();

protected:
    // A window that asks nothing of the run: a chooser or a print menu, served by its owner.
    ModuleWindow(QWidget* parent, const WindowDesign& design);
    // A window of the run: it keeps the run's context and serves the run's services to
    // everything in it.
    ModuleWindow(QWidget* parent, const RunContext& context, const WindowDesign& design);
    ~ModuleWindow() override;
    // The table whose pending record closing stores; none by default.
    virtual Table* pendingTable() const { return nullptr; }
    // The run's context the window was made with; only a window of the run has one.
    const RunContext& context() const { return *m_context; }
    // The tables whose pending records closing stores: the one above unless a window has more.
    virtual QList<Table*> pendingTables() const;
    void setContextMenu(QMenu* menu) { m_contextMenu = menu; }
    // What the window does when it is first shown, once its place is restored: read what it
    // shows from the settings.
    void setFirstShowing(std::function<void()> work) { m_firstShowing = std::move(work); }
    // Whether the window shows the list of `table` now; the caption names the filters of the
    // lists it shows. Every list by default.
    virtual bool showsTable(const Table* table) const;
    // The list of `table` now shows only the records whose `what` (the field of its order)
    // equals `value`: the caption says "Filtered: what = value" ("Filtered: what is empty") until
    // the table's filter is dropped (Unfilter, another order), also while the window is closed
    // and opened again.
    void showFilter(Table* table, const QString& what, const QString& value);
    // The caption the window gives itself, followed by the filters still in force on the lists
    // it shows.
    void showCaption();

    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Filter {
        QPointer<Table> table;
        QString note;
    };
    // Watches the keys of a control of the window once it has the focus, before the control sees
    // them.
    void watchFocus(QWidget* now);

    const RunContext* m_context = nullptr;
    QString m_geometryKey;
    QRect m_design;
    // Following the focus ends with the window's own part: the dialog under it still moves the
    // focus while it closes.
    QMetaObject::Connection m_focusWatch;
    QMenu* m_contextMenu = nullptr;
    QString m_caption;
    QList<Filter> m_filters;
    bool m_captioning = false; // the caption is being set with the filters
    std::function<void()> m_firstShowing;
    bool m_shown = false;
};

// Makes `page` scroll its contents when it is shorter or narrower than they are, so that a window
// of tall pages fits a small screen: returns the widget that holds the contents.
QWidget* scrollingContents(QWidget* page);

} // namespace ql
