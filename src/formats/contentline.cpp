#include "formats/contentline.h"

namespace ql::formats {
namespace {

constexpr qsizetype kLineOctets = 75;

// Whether an octet continues a character written in several octets.
bool continuesCharacter(char octet)
{
    return (static_cast<unsigned char>(octet) & 0xC0) == 0x80;
}

} // namespace

void appendFolded(QByteArray& out, QByteArrayView line)
{
    qsizetype at = 0;
    qsizetype room = kLineOctets;
    while (line.size() - at > room) {
        qsizetype end = at + room;
        while (end > at && continuesCharacter(line[end]))
            --end;
        out += line.sliced(at, end - at);
        out += "\r\n ";
        at = end;
        // A further line starts with the blank, which counts.
        room = kLineOctets - 1;
    }
    out += line.sliced(at);
    out += "\r\n";
}

std::vector<QByteArray> unfoldLines(QByteArrayView text)
{
    std::vector<QByteArray> lines;
    QByteArray current;
    qsizetype at = 0;
    const qsizetype size = text.size();
    while (at < size) {
        qsizetype end = at;
        while (end < size && text[end] != '\n' && text[end] != '\r')
            ++end;
        current += text.sliced(at, end - at);
        if (end < size && text[end] == '\r' && end + 1 < size && text[end + 1] == '\n')
            ++end;
        at = end + 1;
        if (at < size && (text[at] == ' ' || text[at] == '\t')) {
            ++at;
            continue;
        }
        if (!current.isEmpty())
            lines.push_back(std::move(current));
        current = QByteArray();
    }
    return lines;
}

void appendEscaped(QString& out, QStringView text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case ',':
            out += QLatin1String("\\,");
            break;
        case ';':
            out += QLatin1String("\\;");
            break;
        case '\r':
            if (i + 1 < size && text[i + 1] == QLatin1Char('\n'))
                ++i;
            out += QLatin1String("\\n");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        default:
            out += c;
        }
    }
}

QString unescaped(QStringView value)
{
    QString text;
    text.reserve(value.size());
    const qsizetype size = value.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == size) {
            text += c;
            continue;
        }
        const QChar next = value[++i];
        if (next == QLatin1Char('n') || next == QLatin1Char('N')) {
            text += QLatin1Char('\n');
        } else if (next == QLatin1Char('\\') || next == QLatin1Char(',') ||
                   next == QLatin1Char(';') || next == QLatin1Char(':')) {
            text += next;
        } else {
            text += c;
            text += next;
        }
    }
    return text;
}

QList<QStringView> splitUnescaped(QStringView value, QChar separator)
{
    return splitWhere(value, [value, separator](qsizetype& i) {
        if (value[i] != QLatin1Char('\\'))
            return value[i] == separator;
        ++i;
        return false;
    });
}

QString parameterValue(QStringView text)
{
    QString value;
    bool quote = false;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '^':
            value += QLatin1String("^^");
            break;
        case '\n':
            value += QLatin1String("^n");
            break;
        case '"':
            value += QLatin1String("^'");
            break;
        case '\r':
            break;
        case ',':
        case ';':
        case ':':
            quote = true;
            value += c;
            break;
        default:
            value += c;
        }
    }
    return quote ? QLatin1Char('"') + value + QLatin1Char('"') : value;
}

QString parameterText(QStringView value)
{
    if (value.size() >= 2 && value.front() == QLatin1Char('"') && value.back() == QLatin1Char('"'))
        value = value.sliced(1, value.size() - 2);
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('^') && i + 1 < value.size()) {
            const QChar next = value[i + 1];
            if (next == QLatin1Char('^') || next == QLatin1Char('n') || next == QLatin1Char('\'')) {
                text += next == QLatin1Char('n')    ? QLatin1Char('\n')
                        : next == QLatin1Char('\'') ? QLatin1Char('"')
                                                    : QLatin1Char('^');
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

} // namespace ql::formats
