#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringEncoder>
#include <QStringList>
#include <QStringView>
#include <functional>

// What the formats' files are read from and written to: every format's header includes this one.
namespace ql {
class Progress;
class Record;
class Session;
class Table;
} // namespace ql

namespace ql::formats {

// A file being exported: written under a temporary name beside it and given its name only when
// complete, so a failure or a cancel leaves no partial file and a file that was there stays as it
// was. The text gathers in a buffer, as UTF-8 without a byte-order mark, that goes out in large
// pieces. Throws ql::Error "Cannot export to "<name>": <reason>" when the file cannot be created,
// written or closed.
class ExportFile {
public:
    explicit ExportFile(const QString& fileName);
    // The buffer to append to; it goes out once it is large.
    QByteArray& buffer() { return m_buffer; }
    void flushWhenLarge();
    // Appends text, encoded straight into the buffer: a UTF-8 character takes at most three bytes
    // for each UTF-16 unit.
    void append(QStringView text)
    {
        const qsizetype at = m_buffer.size();
        m_buffer.resize(at + 3 * text.size());
        const char* end = m_encoder.appendToBuffer(m_buffer.data() + at, text);
        m_buffer.truncate(end - m_buffer.constData());
    }
    void append(char c) { m_buffer += c; }
    // Ends a line with CR LF.
    void endLine()
    {
        m_buffer += "\r\n";
        flushWhenLarge();
    }
    void commit();

private:
    void flush();
    [[noreturn]] void fail() const;

    QSaveFile m_file;
    QByteArray m_buffer;
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
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

// Adds the `count` records a file held to `table` in one transaction, the i-th filled by
// `fill(record, i)`; they are the progress's steps, and a cancel rolls every one of them back and
// throws Cancelled. The outcome names `unreadable` as the records skipped.
ImportOutcome appendImported(Table& table, size_t count, const QStringList& unreadable,
                             Progress& progress, const std::function<void(Record&, size_t)>& fill);

} // namespace ql::formats
