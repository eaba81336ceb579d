#include "formats/exportfile.h"

#include "store/error.h"

namespace ql::formats {

ExportFile::ExportFile(const QString& fileName)
    : m_file(fileName)
{
    // Unbuffered, a write the file system takes only in part shows as such here, and the write
    // of the rest tells why.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail();
    m_buffer.reserve(kPiece * 2);
}

void ExportFile::commit()
{
    flush();
    if (!m_file.commit())
        fail();
}

void ExportFile::flush()
{
    for (qsizetype written = 0; written < m_buffer.size();) {
        const qint64 taken =
            m_file.write(m_buffer.constData() + written, m_buffer.size() - written);
        if (taken <= 0)
            fail();
        written += qsizetype(taken);
    }
    m_buffer.truncate(0);
}

void ExportFile::fail() const
{
    throw Error(
        QStringLiteral("Cannot export to \"%1\": %2").arg(m_file.fileName(), m_file.errorString()));
}

} // namespace ql::formats
