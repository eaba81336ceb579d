#include "tools/compaction.h"

#include <QHash>
#include <algorithm>

namespace ql::tools {

const Criterion* criterion(int entry)
{
    static const Criterion criteria[] = {
        {QStringLiteral("idxLastName"),
         {QStringLiteral("FirstName"), QStringLiteral("LastName")},
         true,
         QStringLiteral("first and last name")},
        {QStringLiteral("idxLastName"),
         {QStringLiteral("FirstName"), QStringLiteral("LastName"), QStringLiteral("AdAddress1"),
          QStringLiteral("AdAddress2"), QStringLiteral("AdAddress3"), QStringLiteral("AdAddress4"),
          QStringLiteral("AdCity1"), QStringLiteral("AdCity2"), QStringLiteral("AdState1"),
          QStringLiteral("AdState2"), QStringLiteral("AdZip1"), QStringLiteral("AdZip2")},
         true,
         QStringLiteral("names and whole address")},
        {QStringLiteral("idxCompany"),
         {QStringLiteral("Company")},
         false,
         QStringLiteral("company")},
        {QStringLiteral("idxCategory"),
         {QStringLiteral("Category")},
         false,
         QStringLiteral("category")},
        {QStringLiteral("idxGroup"), {QStringLiteral("Group")}, false, QStringLiteral("group")},
    };
    return entry >= 0 && entry < int(std::size(criteria)) ? &criteria[entry] : nullptr;
}

// Pass k from 2 on takes the k-th record as its base: the bases after the first pass are the
// records from the second on, each in turn. A base still there when its turn comes is the first
// of its kind among them (an earlier one would have deleted it), so deleting keeps the first
// record of each kind from the second record on and removes every later one; the very first
// record only ever serves as a base in the first pass. Counting only, the count is the number of
// records a deleting run would delete, so the user reads what a delete would do before doing it.
Compaction compact(const TableBulk::StoredTexts& records, int firstBase, bool deleting,
                   const Criterion& criterion)
{
    // A record whose fields are all empty holds their lengths alone.
    const auto emptySize = qsizetype(criterion.fields.size() * sizeof(quint32));
    // Whether a record can be identical to another at all.
    const auto comparable = [&](size_t i) {
        return criterion.emptiesIdentical || records.bytes(i).size() != emptySize;
    };
    const auto identical = [&](size_t a, size_t b) {
        return records.bytes(a) == records.bytes(b) && comparable(a);
    };
    const size_t count = records.size();
    const auto base = size_t(firstBase);
    std::vector<bool> gone(count, false);
    for (size_t i = base + 1; i < count; ++i)
        gone[i] = identical(i, base);
    // The records of one kind share their bytes, so sorting them by the bytes' hash brings each
    // kind together, in the order of the records.
    std::vector<std::pair<size_t, size_t>> byHash;
    byHash.reserve(count);
    for (size_t i = 1; i < count; ++i) {
        if (!gone[i] && comparable(i))
            byHash.emplace_back(qHash(records.bytes(i)), i);
    }
    std::sort(byHash.begin(), byHash.end());
    std::vector<size_t> kinds; // the first record of each kind among those of one hash
    for (size_t at = 0; at < byHash.size(); ++at) {
        if (at == 0 || byHash[at].first != byHash[at - 1].first)
            kinds.clear();
        const size_t i = byHash[at].second;
        const auto first = std::find_if(kinds.begin(), kinds.end(), [&](size_t kind) {
            return records.bytes(kind) == records.bytes(i);
        });
        if (first == kinds.end())
            kinds.push_back(i);
        else
            gone[i] = true;
    }
    Compaction result;
    for (size_t i = 0; i < count; ++i) {
        if (gone[i])
            result.doomed.push_back(records.key(i));
    }
    if (!deleting) {
        result.identical = int(result.doomed.size());
        result.doomed.clear();
    }
    return result;
}

const BulkField* bulkField(int entry)
{
    static const BulkField fields[] = {
        {"FirstName", "first name"}, {"LastName", "last name"}, {"Company", "company"},
        {"Category", "category"},    {"Group", "group"},
    };
    return entry >= 0 && entry < int(std::size(fields)) ? &fields[entry] : nullptr;
}

int countHolding(const std::vector<TableBulk::Texts>& records, const QString& value)
{
    return int(std::ranges::count_if(
        records, [&value](const TableBulk::Texts& record) { return record.text(0) == value; }));
}

} // namespace ql::tools
