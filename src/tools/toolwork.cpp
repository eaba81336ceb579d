#include "tools/toolwork.h"

#include "addressbook/addressbooktables.h"
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

QString records(int count)
{
    return count == 1 ? QStringLiteral("1 record") : QStringLiteral("%1 records").arg(count);
}

} // namespace

CompactorResult compactDuplicates(Session& session, int criterionEntry, bool deleting,
                                  Progress& progress)
{
    const auto holder = std::make_unique<AddressBookTables>(session);
    Table& names = *holder->tbNames;
    const Criterion* criterion = tools::criterion(criterionEntry);
    if (!criterion)
        return {false, 0, 0,
                QStringLiteral("Choose what makes two records identical: nothing was compared.")};
    if (names.isEmpty())
        return {false, 0, 0,
                QStringLiteral("The address book has no records: nothing was compared.")};
    names.setIndexName(criterion->index);
    // The first pass's base is the first record at or after "AAAA"; the passes after it count
    // their bases from the very first record.
    names.findNearestText(QStringLiteral("AAAA"));
    const Compaction run = compact(TableBulk::readStoredTexts(names, criterion->fields),
                                   names.currentRow(), deleting, *criterion);
    progress.checkCancelled();
    if (!deleting)
        return {true, run.identical, names.recordCount(), {}};
    const int found = int(run.doomed.size());
    if (found == 0)
        return {true, 0, names.recordCount(),
                QStringLiteral("No record has the same %1 as another: nothing was deleted.")
                    .arg(criterion->description)};
    const QString question =
        QStringLiteral("%1 the same %2 as a record that is kept.\n\n")
            .arg(found == 1 ? QStringLiteral("1 record has")
                            : records(found) + QStringLiteral(" have"),
                 criterion->description) +
        QStringLiteral("Are you sure you want to delete identical records? \r Deleted entries "
                       "cannot be recovered. \t");
    if (!progress.confirm(question))
        return {false, 0, 0, QStringLiteral("Compact Aborted")};
    progress.checkCancelled();
    deleteAll(names, run.doomed, progress);
    return {true, 0, names.recordCount(), {}};
}

BulkDeleteResult deleteMatching(Session& session, int fieldEntry, const QString& value,
                                Progress& progress)
{
    const BulkField* field = bulkField(fieldEntry);
    if (!field)
        return {true, 0, QStringLiteral("Choose the field to compare: nothing was deleted.")};
    const auto holder = std::make_unique<AddressBookTables>(session);
    Table& names = *holder->tbNames;
    // The records sorting before "aaaa" are never examined.
    const std::vector<qint64> doomed = TableBulk::keysHolding(
        names, QString::fromLatin1(field->field), value, QStringLiteral("aaaa"));
    const QString what =
        QStringLiteral("the %1 \"%2\"").arg(QString::fromLatin1(field->description), value);
    if (doomed.empty()) {
        const std::vector<TableBulk::Texts> texts =
            TableBulk::readTexts(names, {QString::fromLatin1(field->field)});
        const int before = countHolding(texts, value);
        return {true, 0,
                before == 0
                    ? QStringLiteral("No record has %1: nothing was deleted.").arg(what)
                    : QStringLiteral("%1 %2 %3, but values that sort before \"aaaa\" (those "
                                     "beginning with a digit, a blank or most punctuation marks) "
                                     "are never deleted: nothing was deleted.")
                          .arg(records(before),
                               before == 1 ? QStringLiteral("has") : QStringLiteral("have"), what)};
    }
    const int count = int(doomed.size());
    const QString question =
        QStringLiteral("Delete %1 %2 whose %3 is \"%4\"? Deleted records cannot be recovered.")
            .arg(count)
            .arg(count == 1 ? QStringLiteral("record") : QStringLiteral("records"),
                 QString::fromLatin1(field->description), value);
    if (!progress.confirm(question))
        return {false, 0, {}};
    progress.checkCancelled();
    return {true, deleteAll(names, doomed, progress), {}};
}

} // namespace ql::tools
