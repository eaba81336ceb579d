#pragma once

#include <QString>

namespace ql {
class Progress;
class Session;
} // namespace ql

// The text export: the records of one module written to a file as lines of tab-separated fields,
// the column captions first. Every line ends with CR LF; nothing is quoted; the text is UTF-8
// without a byte-order mark, every character as the table holds it; dates have four-digit years.
namespace ql::exchange {

enum class Module { Organizer, Journal, ToDo, CD, CDR, Tapes, Books, UserDefined };

// Writes the module's records, in the order its holder opens the table, to the named file,
// replacing it. The memo columns are written only with `memos`; the user-defined records have
// none. The export opens a holder of its own in `session`, on the thread that runs it, and reads
// the table from its first record to its end; a module window's holder and its pending record are
// never touched. The records written are its progress's steps.
//
// The file is written under a temporary name beside it and takes the name only when complete:
// a failure or a cancel leaves no partial file, and a file that was there stays as it was. Throws
// ql::Error "Cannot export to "<name>": <reason>" when the file cannot be created, written or
// closed, and Cancelled when the user cancels.
void exportText(Session& session, Module module, bool memos, const QString& fileName,
                Progress& progress);

} // namespace ql::exchange
