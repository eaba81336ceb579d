#include "formats/vcard.h"

#include "formats/contentline.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QUuid>
#include <algorithm>
#include <optional>

namespace ql::formats {
namespace {

// The characters a URI holds as they are: printable ASCII but for the ones RFC 3986 never lets
// stand in a URI.
bool uriCharacter(char16_t c)
{
    return c > 0x20 && c < 0x7F && !QStringView(u"\"<>\\^`{|}").contains(QChar(c));
}

bool isUri(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return uriCharacter(c.unicode()); });
}

QString percentEncoded(QStringView text)
{
    QString encoded;
    for (const char octet : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(octet);
        if (uriCharacter(byte) && byte != '%')
            encoded += QLatin1Char(octet);
        else
            encoded += QStringLiteral("%%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    }
    return encoded;
}

QString percentDecoded(QStringView text)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text.toUtf8()));
}

// A phone number written whole: "(212) 555-0100 ext. 12".
QString wholeNumber(QStringView area, QStringView number, QStringView extension)
{
    QString whole;
    if (!area.isEmpty()) {
        whole += QLatin1Char('(');
        whole += area;
        whole += QLatin1String(") ");
    }
    whole += number;
    if (!extension.isEmpty()) {
        whole += QLatin1String(" ext. ");
        whole += extension;
    }
    return whole;
}

// Writes the lines of one card.
class CardWriter {
public:
    explicit CardWriter(QByteArray& out)
        : m_out(out)
    {
    }
    void start(const char* name)
    {
        m_line.truncate(0);
        m_line += QLatin1String(name);
    }
    void parameter(const char* name, QStringView text)
    {
        m_line += QLatin1Char(';') + QLatin1String(name) + QLatin1Char('=');
        m_line += parameterValue(text);
    }
    // A TYPE parameter of a kind, with a description after it when there is one.
    void types(const char* kind, QStringView description)
    {
        m_line += QLatin1String(";TYPE=") + QLatin1String(kind);
        if (!description.isEmpty())
            m_line += QLatin1Char(',') + parameterValue(description);
    }
    void text(QStringView value)
    {
        m_line += QLatin1Char(':');
        appendEscaped(m_line, value);
        end();
    }
    // A value of several parts, each escaped, separated by `separator`.
    void parts(std::initializer_list<QStringView> values, QChar separator = QLatin1Char(';'))
    {
        QChar before = QLatin1Char(':');
        for (const QStringView value : values) {
            m_line += before;
            appendEscaped(m_line, value);
            before = separator;
        }
        end();
    }
    void uri(QStringView value)
    {
        m_line += QLatin1Char(':');
        m_line += value;
        end();
    }
    void line(const char* text)
    {
        start(text);
        end();
    }

private:
    void end()
    {
        // A UTF-8 character takes at most three bytes for each UTF-16 unit.
        m_bytes.resize(3 * m_line.size());
        const char* end = m_encoder.appendToBuffer(m_bytes.data(), m_line);
        m_bytes.truncate(end - m_bytes.constData());
        appendFolded(m_out, m_bytes);
    }

    QByteArray& m_out;
    QString m_line;
    QByteArray m_bytes;
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
};

bool anyFilled(const ContactView& c, std::initializer_list<ContactField> fields)
{
    return std::any_of(fields.begin(), fields.end(),
                       [&c](ContactField field) { return !c[field].isEmpty(); });
}

void writePhone(CardWriter& card, const char* kind, QStringView description, QStringView area,
                QStringView number, QStringView extension)
{
    if (description.isEmpty() && area.isEmpty() && number.isEmpty() && extension.isEmpty())
        return;
    card.start("TEL");
    card.types(kind, description);
    if (!area.isEmpty())
        card.parameter("X-AREA-CODE", area);
    if (!extension.isEmpty())
        card.parameter("X-EXTENSION", extension);
    card.text(wholeNumber(area, number, extension));
}

void writeAddresses(CardWriter& card, const ContactView& c)
{
    const bool second = anyFilled(c, {Address3, Address4, City2, State2, Zip2});
    if (second || anyFilled(c, {Address1, Address2, City1, State1, Zip1})) {
        card.start("ADR");
        card.parts({{}, c[Address2], c[Address1], c[City1], c[State1], c[Zip1], {}});
    }
    if (second) {
        card.start("ADR");
        card.parts({{}, c[Address4], c[Address3], c[City2], c[State2], c[Zip2], {}});
    }
}

void writeContacts(CardWriter& card, const ContactView& c)
{
    writePhone(card, "voice", c[PhoneDescription1], c[AreaCode1], c[PhoneNumber1], c[Extension1]);
    writePhone(card, "voice", c[PhoneDescription2], c[AreaCode2], c[PhoneNumber2], c[Extension2]);
    writePhone(card, "cell", c[CellPhoneDescription], {}, c[CellPhoneNumber], {});
    writePhone(card, "pager", c[PagerDescription], {}, c[PagerNumber], {});
    for (const auto& [description, address] : {std::pair(EmailDescription1, EmailAddress1),
                                               std::pair(EmailDescription2, EmailAddress2)}) {
        if (c[description].isEmpty() && c[address].isEmpty())
            continue;
        card.start("EMAIL");
        if (!c[description].isEmpty())
            card.parameter("TYPE", c[description]);
        card.text(c[address]);
    }
    for (const ContactField site : {WebSite1, WebSite2}) {
        if (c[site].isEmpty())
            continue;
        card.start("URL");
        if (isUri(c[site])) {
            card.uri(c[site]);
        } else {
            card.parameter("X-PERCENT-ENCODED", u"TRUE");
            card.uri(percentEncoded(c[site]));
        }
    }
}

void writeNotes(CardWriter& card, const ContactView& c)
{
    if (anyFilled(c, {Category, Group})) {
        card.start("CATEGORIES");
        if (c[Group].isEmpty())
            card.text(c[Category]);
        else
            card.parts({c[Category], c[Group]}, QLatin1Char(','));
    }
    if (anyFilled(c, {MemoDescription, Memo1, Memo2})) {
        card.start("NOTE");
        if (!c[MemoDescription].isEmpty())
            card.parameter("TYPE", c[MemoDescription]);
        card.text(c[Memo1]);
    }
    if (!c[Memo2].isEmpty()) {
        card.start("NOTE");
        card.text(c[Memo2]);
    }
}

// One line of a card: its name without a group, its parameters and its value as text, still
// escaped.
struct Property {
    QByteArray name;
    std::vector<std::pair<QByteArray, QStringList>> parameters;
    QString value;
    bool binary = false;

    QStringList parameter(const char* parameterName) const
    {
        QStringList values;
        for (const auto& [key, list] : parameters) {
            if (key == parameterName)
                values += list;
        }
        return values;
    }
    bool hasType(QLatin1String type) const
    {
        return parameter("TYPE").contains(type, Qt::CaseInsensitive);
    }
};

// The parts of a text split where `separator` stands outside double quotes.
QList<QByteArrayView> splitOutsideQuotes(QByteArrayView text, char separator)
{
    bool quoted = false;
    return splitWhere(text, [text, separator, &quoted](qsizetype i) {
        if (text[i] == '"')
            quoted = !quoted;
        return text[i] == separator && !quoted;
    });
}

QByteArray quotedPrintableDecoded(QByteArrayView value)
{
    QByteArray bytes;
    bytes.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '=' && i + 2 < value.size()) {
            bool ok = false;
            const int byte = value.sliced(i + 1, 2).toByteArray().toInt(&ok, 16);
            if (ok) {
                bytes += char(byte);
                i += 2;
                continue;
            }
        }
        // A last "=" only joined a line to the next.
        if (value[i] != '=' || i + 1 < value.size())
            bytes += value[i];
    }
    return bytes;
}

// Reads the lines of cards into properties; the first failure of a card is its reason.
class LineReader {
public:
    // Reads a line into `property`; false with the reason when it cannot be read.
    bool read(QByteArrayView line, Property& property, QString& failure)
    {
        const QList<QByteArrayView> head = splitHead(line);
        if (head.isEmpty()) {
            failure = QStringLiteral("a line has no value: %1")
                          .arg(QString::fromUtf8(line.first(std::min<qsizetype>(line.size(), 40))));
            return false;
        }
        QByteArrayView name = splitOutsideQuotes(head.front(), ';').front();
        name = name.sliced(name.lastIndexOf('.') + 1);
        property.name = name.toByteArray().toUpper();
        property.parameters.clear();
        property.binary = false;
        bool quotedPrintable = false;
        QByteArray charset;
        const QList<QByteArrayView> parts = splitOutsideQuotes(head.front(), ';');
        for (qsizetype i = 1; i < parts.size(); ++i) {
            auto [key, values] = parameterOf(parts[i]);
            if (key == "ENCODING") {
                const QString encoding = values.value(0).toUpper();
                quotedPrintable = encoding == QLatin1String("QUOTED-PRINTABLE");
                property.binary =
                    encoding == QLatin1String("B") || encoding == QLatin1String("BASE64");
            } else if (key == "CHARSET") {
                charset = values.value(0).toLatin1();
            }
            property.parameters.emplace_back(std::move(key), std::move(values));
        }
        const QByteArrayView raw = head.back();
        property.binary = property.binary || raw.startsWith("data:");
        return decode(quotedPrintable ? QByteArrayView(quotedPrintableDecoded(raw)) : raw, charset,
                      property.value, failure);
    }

private:
    // The name and parameters, and the value: split at the first colon outside quotes.
    static QList<QByteArrayView> splitHead(QByteArrayView line)
    {
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            else if (line[i] == ':' && !quoted)
                return {line.first(i), line.sliced(i + 1)};
        }
        return {};
    }
    // A parameter and its values; a bare word ("HOME", "QUOTED-PRINTABLE") of an old card names
    // a type or an encoding.
    static std::pair<QByteArray, QStringList> parameterOf(QByteArrayView text)
    {
        const qsizetype equals = text.indexOf('=');
        if (equals < 0) {
            const QByteArray word = text.toByteArray().toUpper();
            if (word == "QUOTED-PRINTABLE" || word == "BASE64")
                return {"ENCODING", {QString::fromLatin1(word)}};
            return {"TYPE", {QString::fromUtf8(text)}};
        }
        const QByteArray key = text.first(equals).toByteArray().toUpper();
        QStringList values;
        for (const QByteArrayView value : splitOutsideQuotes(text.sliced(equals + 1), ',')) {
            // A quoted list of types is a list all the same.
            const QString decoded = parameterText(QString::fromUtf8(value));
            if (key == "TYPE")
                values += decoded.split(QLatin1Char(','));
            else
                values << decoded;
        }
        return {key, values};
    }
    bool decode(QByteArrayView bytes, const QByteArray& charset, QString& text, QString& failure)
    {
        if (!charset.isEmpty() && charset.toUpper() != "UTF-8") {
            QStringDecoder decoder(charset.constData());
            if (!decoder.isValid()) {
                failure = QStringLiteral("its character set %1 is unknown")
                              .arg(QString::fromLatin1(charset));
                return false;
            }
            text = decoder.decode(bytes);
            return true;
        }
        // Without a character set, UTF-8; an old card's other bytes are read as Latin-1.
        m_utf8.resetState();
        text = m_utf8.decode(bytes);
        if (m_utf8.hasError())
            text = QString::fromLatin1(bytes);
        return true;
    }

    QStringDecoder m_utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
};

// The unescaped parts of a structured value.
QStringList partsOf(const QString& value, QChar separator = QLatin1Char(';'))
{
    QStringList parts;
    for (const QStringView part : splitUnescaped(value, separator))
        parts << unescaped(part);
    return parts;
}

QString joinedFilled(const QStringList& parts, const QString& separator)
{
    QStringList filled;
    for (const QString& part : parts) {
        if (!part.isEmpty())
            filled << part;
    }
    return filled.join(separator);
}

// Puts the properties of one card into the address book's fields.
class ContactBuilder {
public:
    void add(const Property& p)
    {
        if (p.binary)
            keep(p.name + " (not kept)");
        else if (p.name == "N")
            name(p);
        else if (p.name == "FN")
            m_fullName = unescaped(p.value);
        else if (p.name == "NICKNAME")
            fillOrKeep(p, {{NickName}}, {unescaped(p.value)});
        else if (p.name == "ORG")
            fillOrKeep(p, {{Company}}, {joinedFilled(partsOf(p.value), QStringLiteral(", "))});
        else if (p.name == "ADR")
            address(p);
        else if (p.name == "TEL")
            phone(p);
        else if (p.name == "EMAIL")
            email(p);
        else if (p.name == "URL")
            webSite(p);
        else if (p.name == "CATEGORIES")
            m_categories += partsOf(p.value, QLatin1Char(','));
        else if (p.name == "NOTE")
            note(p);
        else if (p.name != "VERSION" && p.name != "PRODID" && p.name != "REV" && p.name != "UID")
            keep(p);
    }
    Contact finish()
    {
        if (m_contact[FirstName].isEmpty() && m_contact[LastName].isEmpty() &&
            m_fullName != m_contact[Company]) {
            const qsizetype blank = m_fullName.lastIndexOf(QLatin1Char(' '));
            m_contact[FirstName] = blank < 0 ? QString() : m_fullName.first(blank);
            m_contact[LastName] = m_fullName.sliced(blank + 1);
        }
        m_contact[Category] = m_categories.value(0);
        m_contact[Group] = m_categories.value(1);
        if (m_categories.size() > 2)
            keep("CATEGORIES: " + m_categories.sliced(2).join(QStringLiteral(", ")).toUtf8());
        if (!m_kept.isEmpty()) {
            QString& memo = m_contact[Memo2];
            memo += (memo.isEmpty() ? QString() : QStringLiteral("\n")) + m_kept.join('\n');
        }
        return m_contact;
    }

private:
    bool empty(std::initializer_list<ContactField> fields) const
    {
        return std::all_of(fields.begin(), fields.end(),
                           [this](ContactField field) { return m_contact[field].isEmpty(); });
    }
    // Fills the first of the places that is still empty; keeps the line when none is.
    bool fillOrKeep(const Property& p,
                    std::initializer_list<std::initializer_list<ContactField>> places,
                    std::initializer_list<QString> values)
    {
        for (const auto& fields : places) {
            if (!empty(fields))
                continue;
            auto value = values.begin();
            for (const ContactField field : fields)
                m_contact[field] = *value++;
            return true;
        }
        keep(p);
        return false;
    }
    void name(const Property& p)
    {
        const QStringList parts = partsOf(p.value);
        m_contact[LastName] = parts.value(0);
        m_contact[FirstName] = joinedFilled({parts.value(1), parts.value(2)}, QStringLiteral(" "));
        if (!parts.value(3).isEmpty() || !parts.value(4).isEmpty())
            keep(p);
    }
    void address(const Property& p)
    {
        const QStringList parts = partsOf(p.value);
        fillOrKeep(
            p,
            {{Address1, Address2, City1, State1, Zip1}, {Address3, Address4, City2, State2, Zip2}},
            {parts.value(2), parts.value(1), parts.value(3), parts.value(4), parts.value(5)});
        // The post office box and the country have no field of their own.
        if (!parts.value(0).isEmpty() || !parts.value(6).isEmpty())
            keep(p);
    }
    void phone(const Property& p)
    {
        QStringList types = p.parameter("TYPE");
        types.removeIf(
            [](const QString& type) { return type.compare(u"pref", Qt::CaseInsensitive) == 0; });
        // The first of the kinds says where the number goes; the other types describe it.
        const auto kind = std::find_if(types.begin(), types.end(), [](const QString& type) {
            return type.compare(u"voice", Qt::CaseInsensitive) == 0 ||
                   type.compare(u"cell", Qt::CaseInsensitive) == 0 ||
                   type.compare(u"pager", Qt::CaseInsensitive) == 0;
        });
        const QString kindName = kind == types.end() ? QStringLiteral("voice") : kind->toLower();
        if (kind != types.end())
            types.erase(kind);
        const QString description = types.join(QLatin1Char(','));
        QString number = unescaped(p.value);
        QString area = p.parameter("X-AREA-CODE").value(0);
        QString extension = p.parameter("X-EXTENSION").value(0);
        const QString prefix = area.isEmpty() ? QString() : "(" + area + ") ";
        const QString suffix = extension.isEmpty() ? QString() : " ext. " + extension;
        if (number.startsWith(QLatin1String("tel:"))) {
            const qsizetype ext = number.indexOf(QLatin1String(";ext="));
            extension = ext < 0 ? QString() : number.sliced(ext + 5);
            number = number.mid(4, ext < 0 ? -1 : ext - 4);
        } else if (number.size() >= prefix.size() + suffix.size() && number.startsWith(prefix) &&
                   number.endsWith(suffix)) {
            number = number.mid(prefix.size(), number.size() - prefix.size() - suffix.size());
        } else {
            area.clear();
            extension.clear();
        }
        if (kindName == QLatin1String("cell"))
            fillOrKeep(p, {{CellPhoneDescription, CellPhoneNumber}}, {description, number});
        else if (kindName == QLatin1String("pager"))
            fillOrKeep(p, {{PagerDescription, PagerNumber}}, {description, number});
        else
            fillOrKeep(p,
                       {{PhoneDescription1, AreaCode1, PhoneNumber1, Extension1},
                        {PhoneDescription2, AreaCode2, PhoneNumber2, Extension2}},
                       {description, area, number, extension});
    }
    void email(const Property& p)
    {
        QStringList types = p.parameter("TYPE");
        types.removeIf([](const QString& type) {
            return type.compare(u"pref", Qt::CaseInsensitive) == 0 ||
                   type.compare(u"internet", Qt::CaseInsensitive) == 0;
        });
        fillOrKeep(p, {{EmailDescription1, EmailAddress1}, {EmailDescription2, EmailAddress2}},
                   {types.join(QLatin1Char(',')), unescaped(p.value)});
    }
    void webSite(const Property& p)
    {
        const bool encoded =
            p.parameter("X-PERCENT-ENCODED").contains(QLatin1String("TRUE"), Qt::CaseInsensitive);
        fillOrKeep(p, {{WebSite1}, {WebSite2}}, {encoded ? percentDecoded(p.value) : p.value});
    }
    void note(const Property& p)
    {
        const QString text = unescaped(p.value);
        if (m_notes++ == 0) {
            m_contact[MemoDescription] = p.parameter("TYPE").join(QLatin1Char(','));
            m_contact[Memo1] = text;
        } else {
            QString& memo = m_contact[Memo2];
            memo += (m_notes > 2 ? QStringLiteral("\n") : QString()) + text;
        }
    }
    // A line the address book has no field for, in the second memo: its name, its types and
    // its value's parts.
    void keep(const Property& p)
    {
        QByteArray line = p.name;
        const QStringList types = p.parameter("TYPE");
        if (!types.isEmpty())
            line += " (" + types.join(QLatin1Char(',')).toUtf8() + ")";
        keep(line + ": " + joinedFilled(partsOf(p.value), QStringLiteral("; ")).toUtf8());
    }
    void keep(const QByteArray& line) { m_kept << QString::fromUtf8(line); }

    Contact m_contact;
    QString m_fullName;
    QStringList m_categories;
    QStringList m_kept;
    int m_notes = 0;
};

// The name a card is known by in a message: its number, and its formatted name when it has one.
QString cardName(int number, const QString& fullName)
{
    return fullName.isEmpty() ? QStringLiteral("card %1").arg(number)
                              : QStringLiteral("card %1 \"%2\"").arg(number).arg(fullName);
}

bool isLine(QByteArrayView line, const char* text)
{
    return line.compare(text, Qt::CaseInsensitive) == 0;
}

// Whether a line's value goes on in the next line: a quoted-printable value ending in "=".
bool continuesQuotedPrintable(const QByteArray& line)
{
    const qsizetype colon = line.indexOf(':');
    return line.endsWith('=') && colon > 0 &&
           line.first(colon).toUpper().contains("QUOTED-PRINTABLE");
}

} // namespace

const QStringList& contactFieldNames()
{
    static const QStringList names = {
        "FirstName",   "LastName",       "Company",        "NickName",       "AdAddress1",
        "AdAddress2",  "AdCity1",        "AdState1",       "AdZip1",         "AdAddress3",
        "AdAddress4",  "AdCity2",        "AdState2",       "AdZip2",         "PhDescription1",
        "PhAreaCode1", "PhNumber1",      "PhExt1",         "PhDescription2", "PhAreaCode2",
        "PhNumber2",   "PhExt2",         "EmDescription1", "EmAddress1",     "EmDescription2",
        "EmAddress2",  "MeDescription1", "MeMemoData1",    "MeMemoData2",    "PagerDescr",
        "PagerNo",     "CellPhDescr",    "CellPhNo",       "Category",       "Group",
        "WebSite1",    "WebSite2"};
    return names;
}

void appendVCard(QByteArray& out, const ContactView& c)
{
    CardWriter card(out);
    card.line("BEGIN:VCARD");
    card.line("VERSION:4.0");
    card.start("UID");
    card.uri(QLatin1String("urn:uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces));
    // The name as a person reads it; the company's when the contact has no name.
    QStringList name;
    for (const ContactField field : {FirstName, LastName}) {
        if (!c[field].isEmpty())
            name << c[field].toString();
    }
    card.start("FN");
    card.text(name.isEmpty() ? c[Company].toString() : name.join(QLatin1Char(' ')));
    card.start("N");
    card.parts({c[LastName], c[FirstName], {}, {}, {}});
    if (!c[NickName].isEmpty()) {
        card.start("NICKNAME");
        card.text(c[NickName]);
    }
    if (!c[Company].isEmpty()) {
        card.start("ORG");
        card.text(c[Company]);
    }
    writeAddresses(card, c);
    writeContacts(card, c);
    writeNotes(card, c);
    card.line("END:VCARD");
}

} // namespace ql::formats

namespace ql::formats {

CardsRead readVCards(QByteArrayView file)
{
    CardsRead read;
    const std::vector<QByteArray> lines = unfoldLines(file);
    LineReader reader;
    Property property;
    std::optional<ContactBuilder> card;
    QString failure;
    QString fullName;
    int number = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (!card) {
            if (isLine(line, "BEGIN:VCARD")) {
                card.emplace();
                failure.clear();
                fullName.clear();
                ++number;
            }
            continue;
        }
        if (isLine(line, "END:VCARD")) {
            if (failure.isEmpty())
                read.contacts.push_back(card->finish());
            else
                read.unreadable << cardName(number, fullName) + QStringLiteral(": ") + failure;
            card.reset();
            continue;
        }
        while (continuesQuotedPrintable(line) && i + 1 < lines.size())
            line = line.chopped(1) + lines[++i];
        // A card that fails is still named by its formatted name, wherever it stands.
        QString lineFailure;
        if (isLine(line, "BEGIN:VCARD")) {
            lineFailure = QStringLiteral("it holds another card");
        } else if (reader.read(line, property, lineFailure) && property.name == "FN") {
            fullName = unescaped(property.value);
        }
        if (!failure.isEmpty())
            continue;
        if (lineFailure.isEmpty() && property.name == "VERSION" &&
            property.value != QLatin1String("2.1") && property.value != QLatin1String("3.0") &&
            property.value != QLatin1String("4.0"))
            lineFailure =
                QStringLiteral("its version %1 is not one this program reads").arg(property.value);
        if (lineFailure.isEmpty())
            card->add(property);
        failure = lineFailure;
    }
    if (card)
        read.unreadable << cardName(number, fullName) + QStringLiteral(": it does not end");
    return read;
}

} // namespace ql::formats
