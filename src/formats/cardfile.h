#pragma once

#include "formats/exportfile.h"

#include <QString>

// The address book to a file of vCards and back. Each runs on the thread that runs it, with a
// holder of the address book of its own in `session`; a window's holder and its pending record are
// never touched.
namespace ql::formats {

// Writes every contact, in last-name order, as a vCard 4.0 (vcard.h). The contacts written are
// its progress's steps; the file is complete or not written at all (exportfile.h).
void exportCards(Session& session, const QString& fileName, Progress& progress);

// Adds the contacts of a file of vCards 4.0, 3.0 or 2.1 to the address book in one transaction.
// The cards that cannot be read are skipped and named; nothing of them is added. A cancel rolls
// every contact of the run back and throws Cancelled.
ImportOutcome importCards(Session& session, const QString& fileName, Progress& progress);

} // namespace ql::formats
