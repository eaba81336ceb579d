#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

namespace ql::formats {

// A file an export writes: the text gathers in a buffer, as UTF-8 without a byte-order mark, and
// goes out in large pieces. The file is written under a temporary name beside it and takes its
// name only at commit: a failure or a cancel leaves no partial file, and a file that was there
// stays as it was. Throws ql::Error "Cannot export to "<name>": <reason>" when the file cannot be
// created, written or closed.
class ExportFile {
public:
    explicit ExportFile(const QString& fileName);

    void append(QStringView text)
    {
        // Encoded straight into the buffer: a UTF-8 character takes at most three bytes for each
        // UTF-16 unit.
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
        if (m_buffer.size() >= kPiece)
            flush();
    }
    void commit();

private:
    static constexpr qsizetype kPiece = 1 << 16;

    void flush();
    [[noreturn]] void fail() const;

    QSaveFile m_file;
    QByteArray m_buffer;
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
};

} // namespace ql::formats
