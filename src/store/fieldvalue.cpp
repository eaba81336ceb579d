#include "store/fieldvalue.h"

#include "store/datetext.h"

namespace ql {

QString cutToWidth(const QString& text, int width)
{
    if (text.size() <= width)
        return text;
    qsizetype units = 0;
    for (int characters = 0; characters < width && units < text.size(); ++characters)
        units += (text.at(units).isHighSurrogate() && units + 1 < text.size()) ? 2 : 1;
    return text.left(units);
}

namespace {

// The number the digits at [from, from + count) of a text stand for; -1 when one is no digit.
int digits(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

} // namespace

QString fieldText(FieldType type, const QVariant& value)
{
    // A text, most values, is handed back as it is held.
    if ((type == FieldType::Text || type == FieldType::Memo) &&
        value.metaType() == QMetaType::fromType<QString>())
        return *static_cast<const QString*>(value.constData());
    if (value.isNull())
        return {};
    switch (type) {
    case FieldType::Date:
        return datetext::shortDate(value.toDate());
    case FieldType::DateTime:
        return datetext::dateTime(value.toDateTime());
    case FieldType::AutoIncrement:
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return value.toString();
}

QVariant valueOfText(FieldType type, const QString& text, QDate today)
{
    switch (type) {
    case FieldType::Date:
        return datetext::parseDate(text, today);
    case FieldType::DateTime:
        return datetext::parseDateTime(text, today);
    case FieldType::AutoIncrement:
        return datetext::parseInteger(text);
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return text;
}

QVariant normalized(const FieldDef& field, const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (field.type) {
    case FieldType::Text: {
        const QString text = value.toString();
        return text.isEmpty() ? QVariant() : QVariant(cutToWidth(text, field.size));
    }
    case FieldType::Memo: {
        const QString text = value.toString();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case FieldType::Date: {
        const QDate date =
            value.userType() == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
        return date.isValid() ? QVariant(date) : QVariant();
    }
    case FieldType::DateTime: {
        const QDateTime moment = value.userType() == QMetaType::QDate
                                     ? QDateTime(value.toDate(), QTime(0, 0))
                                     : value.toDateTime();
        return moment.isValid() ? QVariant(moment) : QVariant();
    }
    case FieldType::AutoIncrement:
        break;
    }
    return value.toLongLong();
}

QDate dateOf(FieldType type, const QVariant& value, QDate today)
{
    if (value.isNull())
        return {};
    switch (type) {
    case FieldType::Date:
        return value.toDate();
    case FieldType::DateTime:
        return value.toDateTime().date();
    case FieldType::AutoIncrement:
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return datetext::parseDate(value.toString(), today);
}

QDateTime dateTimeOf(FieldType type, const QVariant& value, QDate today)
{
    if (value.isNull())
        return {};
    switch (type) {
    case FieldType::Date:
        return QDateTime(value.toDate(), QTime(0, 0));
    case FieldType::DateTime:
        return value.toDateTime();
    case FieldType::AutoIncrement:
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return datetext::parseDateTime(value.toString(), today);
}

int integerOf(FieldType type, const QVariant& value)
{
    if (value.isNull())
        return 0;
    if (type == FieldType::AutoIncrement)
        return value.toInt();
    return datetext::parseInteger(value.toString());
}

QByteArray storedText(FieldType type, const QVariant& value)
{
    switch (type) {
    case FieldType::Date:
        return value.toDate().toString(Qt::ISODate).toUtf8();
    case FieldType::DateTime:
        return value.toDateTime().toString(QLatin1String(kStoredDateTimeFormat)).toUtf8();
    case FieldType::AutoIncrement:
        return QByteArray::number(value.toLongLong());
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return value.toString().toUtf8();
}

QVariant storedValue(FieldType type, QByteArrayView utf8)
{
    switch (type) {
    case FieldType::Date:
        return storedDate(QString::fromUtf8(utf8));
    case FieldType::DateTime:
        return storedDateTime(QString::fromUtf8(utf8));
    case FieldType::AutoIncrement:
        return utf8.toByteArray().toLongLong();
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return QString::fromUtf8(utf8);
}

// The stored forms are read by hand: Qt's general parser looks the time zone up several times
// for each value, which makes reading many records slow.
QDate storedDate(QStringView stored)
{
    if (stored.size() == 10 && stored[4] == u'-' && stored[7] == u'-') {
        const int year = digits(stored, 0, 4);
        const int month = digits(stored, 5, 2);
        const int day = digits(stored, 8, 2);
        if (const QDate date(year, month, day); year >= 0 && date.isValid())
            return date;
    }
    return QDate::fromString(stored.toString(), Qt::ISODate);
}

QDateTime storedDateTime(QStringView stored)
{
    if (stored.size() == 23 && stored[10] == u' ' && stored[13] == u':' && stored[16] == u':' &&
        stored[19] == u'.') {
        const QDate date = storedDate(stored.left(10));
        const QTime time(digits(stored, 11, 2), digits(stored, 14, 2), digits(stored, 17, 2),
                         digits(stored, 20, 3));
        if (date.isValid() && time.isValid())
            return QDateTime(date, time);
    }
    return QDateTime::fromString(stored.toString(), QLatin1String(kStoredDateTimeFormat));
}

} // namespace ql
