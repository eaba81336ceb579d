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

// The duplicate compactor over the criterion of the chooser's entry, counting the identical
// records or deleting them. Before it deletes, it asks through its progress, naming how many
// records it deletes and what they share with a record that is kept.
class Compactor {
public:
    struct Result {
        bool finished = false; // the run reached its end, and its counts are to be shown
        int identical = 0;     // the identical count, as shown: 0 when deleting
        int total = 0;         // the records left in the book
        // What the user is told in words: why nothing was done ("Compact Aborted" on No), or
        // that a delete found nothing to delete. Empty otherwise.
        QString note;
    };

    Compactor(Session& session, int criterionEntry, bool deleting)
        : m_session(session)
        , m_entry(criterionEntry)
        , m_deleting(deleting)
    {
    }
    // When the table fails part way, the records deleted before stay deleted, and the failure
    // says how many they are.
    Result run(Progress& progress) const;

private:
    Session& m_session;
    int m_entry;
    bool m_deleting;
};

// The bulk delete of every record whose field of the chooser's entry is exactly the value. It
// asks, through its progress, before it deletes anything.
class BulkDelete {
public:
    struct Result {
        bool finished = false; // false when the user answered No to the question
        int deleted = 0;
        // Why nothing was deleted, in words; empty when records were deleted or the user
        // answered No.
        QString note;
    };

    BulkDelete(Session& session, int fieldEntry, QString value)
        : m_session(session)
        , m_entry(fieldEntry)
        , m_value(std::move(value))
    {
    }
    Result run(Progress& progress) const;

private:
    Session& m_session;
    int m_entry;
    QString m_value;
};

} // namespace ql::tools
