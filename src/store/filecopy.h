#pragma once

#include <QString>

// Copies of the data directory's files that are never half written: the copy is made under a
// temporary name beside the target, checked, and only then renamed over an older copy, so a
// failure leaves the older copy as it was. Every copy is readable by the user alone from the
// moment it is made, and nothing is written through a link that stands in the target folder.
namespace ql::filecopy {

// Whether the file is a table file (an SQLite database).
bool isTable(const QString& path);

// Copies `source` to `target`, replacing it: a table as a consistent snapshot taken under the
// table's read lock (also while another program is writing it, or when a crash left a journal
// beside it), checked before it replaces the older copy; any other file as it is. False when
// the source is no file or cannot be read, or the copy cannot be written or checked.
bool copy(const QString& source, const QString& target);

// Writes the bytes as the file `target` in the same way: under a temporary name, readable by the
// user alone, then renamed over it. False when they cannot be written.
bool write(const QByteArray& bytes, const QString& target);

} // namespace ql::filecopy
