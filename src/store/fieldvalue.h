#pragma once

#include "store/schema.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

// The values of fields in their three forms: the value a field holds (texts cut to the field's
// width, an empty value null), the text the user reads and types, and the text the file stores
// (ISO dates, date-times to the millisecond, keys as numbers). Nothing here reads a table.
namespace ql {

// How the file stores a date-time.
inline constexpr const char* kStoredDateTimeFormat = "yyyy-MM-dd HH:mm:ss.zzz";

inline bool isTextType(FieldType type)
{
    return type == FieldType::Text || type == FieldType::Memo;
}

// The first `width` characters of a text, never splitting a character in two.
QString cutToWidth(const QString& text, int width);

// A value as the user reads it: dates in the short date form, date-times with their time, an
// empty value as empty text.
QString fieldText(FieldType type, const QVariant& value);
// The value a text the user typed stands for in a field of that type; the text is not empty.
// Throws ql::Error with the date module's text when it is no date, date-time or number. A date
// is read as on `today` (a year left out is its year).
QVariant valueOfText(FieldType type, const QString& text, QDate today);
// A value as the field holds it: texts cut to the field's width, dates and date-times
// converted to the field's type, an empty text or an invalid date as an empty value.
QVariant normalized(const FieldDef& field, const QVariant& value);

// A value read as a date, a date-time or an integer: a text is parsed as the user would type
// it; an empty value reads as no date and as 0.
QDate dateOf(FieldType type, const QVariant& value, QDate today);
QDateTime dateTimeOf(FieldType type, const QVariant& value, QDate today);
int integerOf(FieldType type, const QVariant& value);

// The text the file stores for a value that is not empty.
QByteArray storedText(FieldType type, const QVariant& value);
// The value a field of that type holds for the text the file stores (UTF-8, not empty).
QVariant storedValue(FieldType type, QByteArrayView utf8);
// A date and a date-time as the file stores them; an invalid value for a text of another form.
QDate storedDate(QStringView stored);
QDateTime storedDateTime(QStringView stored);

} // namespace ql
