#include "fieldvalue.h"

#include "datetext.h"

namespace ql {
namespace {

// The first `width` characters of a text, never splitting a character in two.
QString cutToWidth(const QString& text, int width)
{
    if (text.size() <= width)
        return text;
    qsizetype units = 0;
    for (int characters = 0; characters < width && units < text.size(); ++characters)
        units += (text.at(units).isHighSurrogate() && units + 1 < text.size()) ? 2 : 1;
    return text.left(units);
}

} // namespace

QString fieldText(FieldType type, const QVariant& value)
{
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

QVariant valueOfText(FieldType type, const QString& text)
{
    switch (type) {
    case FieldType::Date:
        return datetext::parseDate(text);
    case FieldType::DateTime:
        return datetext::parseDateTime(text);
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

QDate dateOf(FieldType type, const QVariant& value)
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
    return datetext::parseDate(value.toString());
}

QDateTime dateTimeOf(FieldType type, const QVariant& value)
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
    return datetext::parseDateTime(value.toString());
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

} // namespace ql
