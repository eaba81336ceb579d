#include "sync/resource.h"

#include "formats/contentline.h"
#include "formats/icalendar.h"
#include "formats/vcard.h"
#include "store/fieldvalue.h"

#include <QCryptographicHash>
#include <QSet>

namespace ql::sync {
namespace {

using Lines = std::vector<QByteArray>;

constexpr const char* kLowerText = "X-LOWER-TEXT";

// The properties the record's fields stand for: the server's lines of these names give way to
// the record's.
QSet<QByteArray> mappedNames(Kind kind)
{
    switch (kind) {
    case Kind::Contacts:
        return {"VERSION", "FN",    "N",   "NICKNAME",   "ORG", "ADR",
                "TEL",     "EMAIL", "URL", "CATEGORIES", "NOTE"};
    case Kind::ToDo:
        return {"DUE", "SUMMARY", "DESCRIPTION", "DTSTAMP"};
    case Kind::Journal:
        return {"DTSTART", "SUMMARY", "DESCRIPTION", "DTSTAMP", kLowerText};
    }
    return {};
}

// A server may take one DESCRIPTION alone in a journal entry: the lower text goes there as a
// property of its own, and comes back as the formats read it.
QByteArray lowerTextOut(const QByteArray& line)
{
    const qsizetype colon = line.indexOf(':');
    const QByteArray head = line.first(colon).toUpper();
    if (!head.startsWith("DESCRIPTION;") || !head.contains(";X-TEXT=LOWER"))
        return line;
    return kLowerText + line.sliced(colon);
}
QByteArray lowerTextIn(const QByteArray& line)
{
    return line.startsWith(kLowerText + QByteArray(":"))
               ? "DESCRIPTION;X-TEXT=LOWER" + line.sliced(qstrlen(kLowerText))
               : line;
}

// A line's property name in capitals, without its group.
QByteArray nameOf(const QByteArray& line)
{
    qsizetype end = 0;
    while (end < line.size() && line[end] != ';' && line[end] != ':')
        ++end;
    QByteArray name = line.first(end).toUpper();
    const qsizetype dot = name.indexOf('.');
    return dot < 0 ? name : name.sliced(dot + 1);
}

bool isBegin(const QByteArray& line, QByteArrayView component)
{
    return line.compare(QByteArray("BEGIN:") + component.toByteArray(), Qt::CaseInsensitive) == 0;
}
bool isEnd(const QByteArray& line, QByteArrayView component)
{
    return line.compare(QByteArray("END:") + component.toByteArray(), Qt::CaseInsensitive) == 0;
}

// Where the first component of the kind starts and ends (its BEGIN and END lines); none when the
// text holds none.
std::optional<std::pair<size_t, size_t>> componentIn(const Lines& lines, QByteArrayView component)
{
    for (size_t begin = 0; begin < lines.size(); ++begin) {
        if (!isBegin(lines[begin], component))
            continue;
        for (size_t end = begin + 1; end < lines.size(); ++end) {
            if (isEnd(lines[end], component))
                return std::pair{begin, end};
        }
        return std::nullopt;
    }
    return std::nullopt;
}

// The lines of a component's own body, each with whether it stands in a component nested in it.
std::vector<std::pair<QByteArray, bool>> bodyOf(const Lines& lines, size_t begin, size_t end)
{
    std::vector<std::pair<QByteArray, bool>> body;
    int depth = 0;
    for (size_t i = begin + 1; i < end; ++i) {
        const QByteArray name = nameOf(lines[i]);
        if (name == "BEGIN")
            ++depth;
        body.emplace_back(lines[i], depth > 0);
        if (name == "END")
            --depth;
    }
    return body;
}

QByteArray folded(const Lines& lines)
{
    QByteArray out;
    for (const QByteArray& line : lines)
        formats::appendFolded(out, line);
    return out;
}

// The text of a new record as the formats write it, with a UID the formats made up.
QByteArray writtenText(Kind kind, const QStringList& record)
{
    switch (kind) {
    case Kind::Contacts: {
        formats::ContactView contact;
        for (int i = 0; i < formats::kContactFieldCount; ++i)
            contact[size_t(i)] = record[i];
        QByteArray out;
        formats::appendVCard(out, contact);
        return out;
    }
    case Kind::ToDo:
        return formats::toDoCalendar({{storedDate(record[0]), record[1]}});
    case Kind::Journal:
        return formats::journalCalendar({{storedDateTime(record[0]), record[1], record[2]}});
    }
    return {};
}

// The calendar reader trims the blanks at the edges of a text, which the user typed and a server
// keeps: the text of the component's first line of that property, unescaped as it stands, when
// it is the text read but for those blanks.
QString edgesKept(const QString& read, const Lines& lines, std::pair<size_t, size_t> place,
                  QByteArrayView property)
{
    for (const auto& [line, nested] : bodyOf(lines, place.first, place.second)) {
        if (nested || nameOf(line) != property)
            continue;
        const QString kept =
            formats::unescaped(QString::fromUtf8(line.sliced(line.indexOf(':') + 1)));
        return kept.trimmed() == read.trimmed() ? kept : read;
    }
    return read;
}

QString storedOrEmpty(FieldType type, const QVariant& value)
{
    return value.isNull() ? QString() : QString::fromUtf8(storedText(type, value));
}

} // namespace

const ModuleMap& moduleMap(Kind kind)
{
    static const ModuleMap contacts{Kind::Contacts, QStringLiteral("Address Book"), "VCARD",
                                    "text/vcard; charset=utf-8", formats::contactFieldNames()};
    static const ModuleMap toDo{Kind::ToDo,
                                QStringLiteral("To Do"),
                                "VTODO",
                                "text/calendar; charset=utf-8",
                                {QStringLiteral("ToDoByDate"), QStringLiteral("ToDoMemo")}};
    static const ModuleMap journal{Kind::Journal,
                                   QStringLiteral("Journal"),
                                   "VJOURNAL",
                                   "text/calendar; charset=utf-8",
                                   {QStringLiteral("DateTimeStamp"), QStringLiteral("MemoField1"),
                                    QStringLiteral("MemoField2")}};
    return kind == Kind::Contacts ? contacts : kind == Kind::ToDo ? toDo : journal;
}

QByteArray resourceText(Kind kind, const QStringList& record, const QByteArray& uid,
                        const QByteArray& serverText)
{
    const QByteArray component = moduleMap(kind).component;
    Lines ours = formats::unfoldLines(writtenText(kind, record));
    const auto ourPlace = componentIn(ours, component);
    if (!ourPlace)
        return {};
    QSet<QByteArray> replaced = mappedNames(kind);
    Lines ourBody;
    for (const auto& [line, nested] : bodyOf(ours, ourPlace->first, ourPlace->second)) {
        const QByteArray name = nameOf(line);
        replaced.insert(nameOf(lowerTextOut(line)));
        ourBody.push_back(name == "UID" ? "UID:" + uid : lowerTextOut(line));
    }
    const Lines server = formats::unfoldLines(serverText);
    const auto serverPlace = componentIn(server, component);
    const Lines& frame = serverPlace ? server : ours;
    const auto place = serverPlace ? *serverPlace : *ourPlace;
    Lines out(frame.begin(), frame.begin() + qsizetype(place.first) + 1);
    out.insert(out.end(), ourBody.begin(), ourBody.end());
    if (serverPlace) {
        for (const auto& [line, nested] : bodyOf(server, place.first, place.second)) {
            if (nested || !replaced.contains(nameOf(line)))
                out.push_back(line);
        }
    }
    out.insert(out.end(), frame.begin() + qsizetype(place.second), frame.end());
    return folded(out);
}

std::optional<QStringList> recordOf(Kind kind, const QByteArray& text)
{
    const QByteArray component = moduleMap(kind).component;
    const Lines lines = formats::unfoldLines(text);
    const auto place = componentIn(lines, component);
    if (!place)
        return std::nullopt;
    // Only what the fields stand for is read: the rest stays in the server's text.
    const QSet<QByteArray> mapped = mappedNames(kind);
    Lines reduced(lines.begin(), lines.begin() + qsizetype(place->first) + 1);
    for (const auto& [line, nested] : bodyOf(lines, place->first, place->second)) {
        if (!nested && mapped.contains(nameOf(line)))
            reduced.push_back(lowerTextIn(line));
    }
    // Later components of the kind are left out; the rest (time zones) stays.
    bool later = false;
    for (size_t i = place->second; i < lines.size(); ++i) {
        later = later || (i > place->second && isBegin(lines[i], component));
        if (!later)
            reduced.push_back(lines[i]);
        later = later && !isEnd(lines[i], component);
    }
    const QByteArray readText = folded(reduced);
    if (kind == Kind::Contacts) {
        const formats::CardsRead read = formats::readVCards(readText);
        if (read.contacts.empty())
            return std::nullopt;
        return QStringList(read.contacts.front().begin(), read.contacts.front().end());
    }
    const formats::CalendarRead read = formats::readCalendar(readText);
    if (kind == Kind::ToDo && !read.items.empty()) {
        const formats::ToDoItem& item = read.items.front();
        return QStringList{storedOrEmpty(FieldType::Date, item.due),
                           edgesKept(item.text, lines, *place, "DESCRIPTION")};
    }
    if (kind == Kind::Journal && !read.entries.empty()) {
        const formats::JournalEntry& entry = read.entries.front();
        return QStringList{storedOrEmpty(FieldType::DateTime, entry.stamp),
                           edgesKept(entry.upper, lines, *place, "DESCRIPTION"),
                           edgesKept(entry.lower, lines, *place, kLowerText)};
    }
    return std::nullopt;
}

QByteArray uidOf(Kind kind, const QByteArray& text)
{
    const Lines lines = formats::unfoldLines(text);
    const auto place = componentIn(lines, moduleMap(kind).component);
    if (!place)
        return {};
    for (const auto& [line, nested] : bodyOf(lines, place->first, place->second)) {
        if (!nested && nameOf(line) == "UID")
            return line.sliced(line.indexOf(':') + 1);
    }
    return {};
}

QString readable(Kind kind, const QStringList& record)
{
    const QStringList& fields = moduleMap(kind).fields;
    QStringList lines;
    for (int i = 0; i < fields.size() && i < record.size(); ++i) {
        if (!record[i].isEmpty())
            lines << fields[i] + QStringLiteral(": ") + record[i];
    }
    return lines.join(QLatin1Char('\n'));
}

QByteArray contentHash(const QStringList& record)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString& text : record) {
        const QByteArray bytes = text.toUtf8();
        hash.addData(QByteArray::number(bytes.size()) + ':' + bytes);
    }
    return hash.result().toHex();
}

} // namespace ql::sync
