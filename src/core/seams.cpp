#include "core/seams.h"

namespace ql {
namespace {

template <typename T> std::unique_ptr<T>& slot()
{
    static std::unique_ptr<T> service;
    return service;
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

namespace services {

Prompts& prompts()
{
    return *slot<Prompts>();
}
Printing& printing()
{
    return *slot<Printing>();
}
HelpViewer& helpViewer()
{
    return *slot<HelpViewer>();
}
ProcessStarter& processStarter()
{
    return *slot<ProcessStarter>();
}

void install(std::unique_ptr<Prompts> prompts)
{
    slot<Prompts>() = std::move(prompts);
}
void install(std::unique_ptr<Printing> printing)
{
    slot<Printing>() = std::move(printing);
}
void install(std::unique_ptr<HelpViewer> helpViewer)
{
    slot<HelpViewer>() = std::move(helpViewer);
}
void install(std::unique_ptr<ProcessStarter> starter)
{
    slot<ProcessStarter>() = std::move(starter);
}

} // namespace services
} // namespace ql
