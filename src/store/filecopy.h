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

// What a restore needs: files that reach the disk before anything relies on them, and renames
// that do.

// Copies the bytes of `source` as they are into the new file `fresh` (a file or a link of that
// name fails it), readable by the user alone, and makes sure they are on the disk. False when they
// cannot be read or written; then no `fresh` remains.
bool copyToDisk(const QString& source, const QString& fresh);

// Renames `fresh` over `target` in one step: a reader finds either the old file or the new one
// under that name, never a part of either. False when the rename fails; then both stay as they
// were.
bool moveIntoPlace(const QString& fresh, const QString& target);

// Keeps the table file `path` as `kept` as it was last committed: a second name for the file
// where the file system has them, else a copy; on the disk when it returns. A crash's journal
// beside the table is undone first, so neither the kept file nor the table keeps a write half
// done. False when it cannot be kept; then no `kept` remains.
bool keepAside(const QString& path, const QString& kept);

// Makes sure the names a folder holds (files made, renamed or removed in it) are on the disk.
bool syncFolder(const QString& folder);

} // namespace ql::filecopy
