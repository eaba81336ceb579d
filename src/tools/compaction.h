#pragma once

#include "store/tablebulk.h"

#include <QString>
#include <QStringList>
#include <vector>

// What the maintenance tools decide over the address book, apart from the window: which records
// the duplicate compactor deletes and what it counts, and which the bulk delete removes. Each is
// worked out from the records read once in index order, so a run costs one read and one delete
// however many passes the tool's rules describe.
namespace ql::tools {

// When the compactor takes two records for identical: every field equal as exact, case-sensitive
// text, in the order of the criterion's index.
struct Criterion {
    QString index;
    QStringList fields;
    // Whether two records whose fields are all empty are identical.
    bool emptiesIdentical = true;
    // What identical records share, as a question names it: "first and last name".
    QString description;
};

// The compactor's criteria, by the entry of its chooser; null for an entry that is none of them.
const Criterion* criterion(int entry);

// What a compactor run does to records in index order, given the position of its first base.
struct Compaction {
    std::vector<qint64> doomed; // the keys to delete, in index order
    int identical = 0;          // the identical count, as shown
};

// The first pass takes its base at `firstBase`; pass k (from 2) takes the k-th record of the
// order as it stands then, and the run ends when the order has no k-th record. Deleting, a pass
// deletes every later record identical to its base, and the count shown is 0; counting only,
// nothing is deleted and the count is the number of records deleting would delete.
Compaction compact(const TableBulk::StoredTexts& records, int firstBase, bool deleting,
                   const Criterion& criterion);

// The bulk delete's field chooser: the field by entry; none for another entry.
struct BulkField {
    const char* field;
    const char* description; // as a question names it: "last name"
};
const BulkField* bulkField(int entry);

// How many of the records have a text that equals the value exactly.
int countHolding(const std::vector<TableBulk::Texts>& records, const QString& value);

} // namespace ql::tools
