#include "tools/toolwork.h"

#include "store/holders.h"
#include "store/progress.h"
#include "store/tablebulk.h"
#include "tools/compaction.h"

#include <memory>

namespace ql::tools {
namespace {

// Deletes the records of a run in one transaction. When the table fails part way, the records
// deleted before stay deleted, and the failure says how many they are.
int deleteAll(Table& names, const std::vector<qint64>& keys, Progress& progress)
{
    int deleted = 0;
    try {
        TableBulk::deleteKeys(names, keys, deleted, &progress);
    } catch (const Error& e) {
        throw Error(e.text() +
                    QStringLiteral("\n\nRecords deleted before the run stopped: %1").arg(deleted));
    }
    return deleted;
}

} // namespace

std::optional<Compactor::Result> Compactor::run(Progress& progress) const
{
    const auto holder = std::make_unique<TDataModule1>();
    Table& names = *holder->tbNames;
    const Criterion* criterion = tools::criterion(m_entry);
    if (!criterion || names.isEmpty())
        return std::nullopt;
    names.setIndexName(criterion->index);
    // The first pass's base is the first record at or after "AAAA"; the passes after it count
    // their bases from the very first record.
    names.findNearestText(QStringLiteral("AAAA"));
    const Compaction run = compact(TableBulk::readTexts(names, criterion->fields),
                                   names.currentRow(), m_deleting, *criterion);
    progress.checkCancelled();
    if (!run.doomed.empty())
        deleteAll(names, run.doomed, progress);
    return Result{run.identical, names.recordCount()};
}

std::optional<int> BulkDelete::run(Progress& progress) const
{
    const auto holder = std::make_unique<TDataModule1>();
    Table& names = *holder->tbNames;
    const BulkField* field = bulkField(m_entry);
    std::vector<qint64> doomed;
    if (field) {
        names.setIndexName(QString::fromLatin1(field->index));
        // The records sorting before "aaaa" are never examined, also when no record is after it.
        if (names.findNearestText(QStringLiteral("aaaa")))
            doomed = matching(TableBulk::readTexts(names, {QString::fromLatin1(field->field)}),
                              names.currentRow(), m_value);
    }
    if (doomed.empty())
        return 0;
    const int count = int(doomed.size());
    const QString question =
        QStringLiteral("Delete %1 %2 whose %3 is \"%4\"? Deleted records cannot be recovered.")
            .arg(count)
            .arg(count == 1 ? QStringLiteral("record") : QStringLiteral("records"),
                 QString::fromLatin1(field->description), m_value);
    if (!progress.confirm(question))
        return std::nullopt;
    progress.checkCancelled();
    return deleteAll(names, doomed, progress);
}

} // namespace ql::tools
