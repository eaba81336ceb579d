#include "formats/csv.h"

#include "formats/exportfile.h"
#include "store/error.h"

#include <QStringDecoder>

namespace ql::formats {
namespace {

bool needsQuotes(QStringView text)
{
    if (text.isEmpty())
        return false;
    if (text.front() == u' ' || text.back() == u' ')
        return true;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u',':
        case u'"':
        case u'\r':
        case u'\n':
        case u'\t':
            return true;
        default:
            break;
        }
    }
    return false;
}

// The separator the first line uses: a comma unless it has none but semicolons or tabs.
QChar separatorOf(QStringView text)
{
    int semicolons = 0;
    int tabs = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u',')
            return u',';
        else if (c == u'\n' || c == u'\r')
            break;
        else if (c == u';')
            ++semicolons;
        else if (c == u'\t')
            ++tabs;
    }
    if (semicolons > 0)
        return u';';
    return tabs > 0 ? QChar(u'\t') : QChar(u',');
}

// Reads the quoted part of a field, from the character after its opening quote to the one after
// its closing quote; `line` follows the line breaks in it.
qsizetype readQuoted(QStringView text, qsizetype i, QString& field, int& line)
{
    const int opened = line;
    for (;;) {
        if (i >= text.size())
            throw Error(QStringLiteral("Line %1: a quoted field is not closed.").arg(opened));
        const QChar c = text[i++];
        if (c == u'"') {
            if (i < text.size() && text[i] == u'"')
                ++i;
            else
                return i;
        } else if (c == u'\n' || (c == u'\r' && (i == text.size() || text[i] != u'\n'))) {
            ++line;
        }
        field += c;
    }
}

} // namespace

void CsvWriter::field(QStringView text)
{
    if (!m_first)
        m_file.append(',');
    m_first = false;
    if (!needsQuotes(text)) {
        m_file.append(text);
        return;
    }
    m_file.append('"');
    for (qsizetype from = 0;;) {
        const qsizetype quote = text.indexOf(u'"', from);
        if (quote < 0) {
            m_file.append(text.mid(from));
            break;
        }
        m_file.append(text.mid(from, quote + 1 - from));
        m_file.append('"');
        from = quote + 1;
    }
    m_file.append('"');
}

void CsvWriter::endRecord()
{
    m_file.endLine();
    m_first = true;
}

QString decodeCsv(const QByteArray& bytes)
{
    if (const auto marked = QStringConverter::encodingForData(bytes))
        return QStringDecoder(*marked)(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QStringDecoder(QStringDecoder::Latin1)(bytes);
}

CsvRows parseCsv(QStringView text)
{
    CsvRows rows;
    if (text.isEmpty())
        return rows;
    const QChar separator = separatorOf(text);
    const qsizetype n = text.size();
    QStringList record;
    QString field;
    int line = 1;
    for (qsizetype i = 0;;) {
        field.clear();
        if (i < n && text[i] == u'"')
            i = readQuoted(text, i + 1, field, line);
        const qsizetype start = i;
        while (i < n && text[i] != separator && text[i] != u'\n' && text[i] != u'\r')
            ++i;
        field += text.mid(start, i - start);
        record << field;
        if (i < n && text[i] == separator) {
            ++i;
            continue;
        }
        rows.push_back(record);
        record.clear();
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n')
            ++i;
        ++line;
        if (i >= n)
            return rows;
    }
}

} // namespace ql::formats
