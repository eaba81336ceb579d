#pragma once

#include <QString>

namespace ql {
class Progress;
class Session;
} // namespace ql

// The maintenance tools' runs over the address book, apart from the window. Each opens an
// address-book holder of its own in the run's session for its length, on the thread that runs it,
// and deletes in one transaction: a cancel through its progress rolls the whole delete back and
// throws Cancelled, so every record and the stored count stay as they were. The records deleted are
// the steps.
namespace ql::tools {

// What a run of the compactor ends with.
struct CompactorResult {
    bool finished = false; // the run reached its end, and its counts are to be shown
    int identical = 0;     // the identical count, as shown: 0 when deleting
    int total = 0;         // the records left in the book
    // What the user is told in words: why nothing was done ("Compact Aborted" on No), or that a
    // delete found nothing to delete. Empty otherwise.
    QString note;
};

// The duplicate compactor over the criterion of the chooser's entry, counting the identical
// records or deleting them. Before it deletes, it asks through its progress, naming how many
// records it deletes and what they share with a record that is kept. When the table fails part
// way, the records deleted before stay deleted, and the failure says how many they are.
CompactorResult compactDuplicates(Session& session, int criterionEntry, bool deleting,
                                  Progress& progress);

// What a run of the bulk delete ends with.
struct BulkDeleteResult {
    bool finished = false; // false when the user answered No to the question
    int deleted = 0;
    // Why nothing was deleted, in words; empty when records were deleted or the user answered No.
    QString note;
};

// The bulk delete of every record whose field of the chooser's entry is exactly the value. It
// asks, through its progress, before it deletes anything.
BulkDeleteResult deleteMatching(Session& session, int fieldEntry, const QString& value,
                                Progress& progress);

} // namespace ql::tools
