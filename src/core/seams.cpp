#include "core/seams.h"

#include <QObject>
#include <QWidget>

namespace ql {
namespace {

const QString servedName = QStringLiteral("quilloryServices");

// Carries the services of the window it is a child of.
class ServedServices : public QObject {
public:
    ServedServices(const Services* services, QObject* window)
        : QObject(window)
        , services(services)
    {
        setObjectName(servedName);
    }
    const Services* services;
};

const ServedServices* servedBy(const QWidget* window)
{
    return static_cast<const ServedServices*>(
        window->findChild<QObject*>(servedName, Qt::FindDirectChildrenOnly));
}

} // namespace

QString Prompts::openProgramName(QWidget* parent, const QString& title, const QString& filterName)
{
    return openFileName(parent, title, filterName + QStringLiteral(" (*)|*"));
}

std::optional<QString> Prompts::passwordBox(QWidget* parent, const QString& caption,
                                            const QString& prompt)
{
    return inputBox(parent, caption, prompt);
}

void Services::serve(QWidget* window) const
{
    delete servedBy(window);
    new ServedServices(this, window);
}

const Services& Services::of(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (const ServedServices* served = servedBy(w))
            return *served->services;
    }
    qFatal("A widget outside any window that serves the program's services asked for them");
}

} // namespace ql
