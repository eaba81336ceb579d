#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace ql::formats {

// A file being exported: written under a temporary name beside it and given its name only when
// complete, so a failure or a cancel leaves no partial file and a file that was there stays as it
// was. The text gathers in a buffer that goes out in large pieces. Throws ql::Error
// "Cannot export to "<name>": <reason>" when the file cannot be created, written or closed.
class ExportFile {
public:
    explicit ExportFile(const QString& fileName);
    // The buffer to append to; it goes out once it is large.
    QByteArray& buffer() { return m_buffer; }
    void flushWhenLarge();
    void commit();

private:
    void flush();
    [[noreturn]] void fail() const;

    QSaveFile m_file;
    QByteArray m_buffer;
};

// The bytes of a file to import; throws ql::Error "Cannot import from "<name>": <reason>".
QByteArray readImportFile(const QString& fileName);

// What an import did: the records it added and the name and reason of each one it skipped.
struct ImportOutcome {
    int added = 0;
    QStringList skipped;
    // "Contacts added: 2; skipped: 1 (card 3 "Jane Roe": it does not end)."
    QString summary(const QString& records) const;
};

} // namespace ql::formats
