#pragma once

#include <QList>
#include <QWidget>
#include <QtGlobal>
#include <functional>

namespace ql {

// Runs a command; a failure is shown in a message box with its own text, through the prompts of
// the parent's window, and ends only that command. Nothing escapes into Qt's event handling.
// Returns false when the command failed.
bool guarded(QWidget* parent, const std::function<void()>& command);

// Disables a run's controls for as long as it lives and enables them again however the run ends.
class Reenable {
public:
    explicit Reenable(const QList<QWidget*>& widgets)
        : m_widgets(widgets)
    {
        for (QWidget* widget : m_widgets)
            widget->setEnabled(false);
    }
    ~Reenable()
    {
        for (QWidget* widget : m_widgets)
            widget->setEnabled(true);
    }
    Q_DISABLE_COPY_MOVE(Reenable)

private:
    QList<QWidget*> m_widgets;
};

} // namespace ql
