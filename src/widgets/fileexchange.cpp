#include "widgets/fileexchange.h"

#include "core/seams.h"
#include "store/table.h"
#include "widgets/workrunner.h"

#include <QWidget>

namespace ql {

void exportRecords(QWidget* window, Table* table, const FileFormat& format,
                   const std::function<void(Progress&, const QString&)>& work)
{
    if (table)
        table->checkBrowseMode();
    const QString title = QStringLiteral("Export to %1").arg(format.name);
    const QString file =
        Services::of(window).prompts().saveFileName(window, title, format.filter, format.suffix);
    if (file.isEmpty())
        return;
    const WorkEnd end = runWork(window, title, [&](Progress& progress) { work(progress, file); });
    Services::of(window).prompts().message(
        window, end == WorkEnd::Cancelled ? QStringLiteral("Export cancelled; no file was written.")
                                          : QStringLiteral("Exported to \"%1\".").arg(file));
}

void importRecords(QWidget* window, Table& table, const FileFormat& format,
                   const std::function<QString(Progress&, const QString&)>& work)
{
    const QString title = QStringLiteral("Import from %1").arg(format.name);
    const QString file = Services::of(window).prompts().openFileName(window, title, format.filter);
    if (file.isEmpty())
        return;
    table.checkBrowseMode();
    QString summary;
    const WorkEnd end =
        runWork(window, title, [&](Progress& progress) { summary = work(progress, file); });
    table.refresh();
    Services::of(window).prompts().message(
        window, end == WorkEnd::Cancelled ? QStringLiteral("Import cancelled; nothing was added.")
                                          : summary);
}

} // namespace ql
