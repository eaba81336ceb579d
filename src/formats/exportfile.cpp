#include "formats/exportfile.h"

#include "store/error.h"
#include "store/progress.h"
#include "store/tablebulk.h"

#include <QFile>

namespace ql::formats {
namespace {

constexpr qsizetype kPiece = 1 << 16;

} // namespace

ExportFile::ExportFile(const QString& fileName)
    : m_file(fileName)
{
    // Unbuffered, a write the file system takes only in part shows as such here, and the write of
    // the rest tells why.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail();
    m_buffer.reserve(kPiece * 2);
}

void ExportFile::flushWhenLarge()
{
    if (m_buffer.size() >= kPiece)
        flush();
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

QByteArray readImportFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("Cannot import from \"%1\": %2").arg(fileName, file.errorString()));
    return file.readAll();
}

QString ImportOutcome::summary(const QString& records) const
{
    const QString text = QStringLiteral("%1 added: %2").arg(records).arg(added);
    if (skipped.isEmpty())
        return text + QLatin1Char('.');
    return text + QStringLiteral("; skipped: %1 (%2).").arg(skipped.size()).arg(skipped.join("; "));
}

ImportOutcome appendImported(Table& table, size_t count, const QStringList& unreadable,
                             Progress& progress, const std::function<void(Record&, size_t)>& fill)
{
    ImportOutcome outcome;
    outcome.skipped = unreadable;
    size_t next = 0;
    TableBulk::appendRecords(
        table,
        [&](Record& record) {
            progress.checkCancelled();
            if (next == count)
                return false;
            fill(record, next);
            progress.progress(qint64(++next), qint64(count));
            return true;
        },
        outcome.added);
    return outcome;
}

} // namespace ql::formats
