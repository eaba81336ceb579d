#include "store/datetext.h"

#include "store/error.h"

#include <QRegularExpression>
#include <QStringList>
#include <optional>

namespace ql::datetext {
namespace {

// Copies a QLocale date or time format, replacing every unquoted run of one pattern letter by
// what `field(letter, run)` returns. Quoted literals ('...', with '' for a quote) stay as they are.
template <typename Field> QString rewriteFormat(const QString& format, Field field)
{
    QString out;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        qsizetype end = i + 1;
        if (c == u'\'') {
            const qsizetype close = format.indexOf(u'\'', end);
            end = close < 0 ? format.size() : close + 1;
            out += format.mid(i, end - i);
        } else if (c.isLetter()) {
            while (end < format.size() && format[end] == c)
                ++end;
            out += field(c, format.mid(i, end - i));
        } else {
            out += c;
        }
        i = end;
    }
    return out;
}

// The order of day, month and year in the locale's short date as three letters, e.g. "Mdy".
QString fieldOrder()
{
    QString order;
    const auto note = [&](QChar letter, const QString& run) {
        const bool field = (letter == u'd' && run.size() <= 2) || letter == u'M' || letter == u'y';
        if (field && !order.contains(letter))
            order += letter;
        return run;
    };
    rewriteFormat(QLocale().dateFormat(QLocale::ShortFormat), note);
    // No locale lacks one of the three, but should one, read dates the ISO way.
    return order.size() == 3 ? order : QStringLiteral("yMd");
}

// The form the user is asked for, in words and by example in `thisYear`: "month/day/year, e.g.
// 5/25/2026".
QString expectedDate(int thisYear)
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    QString separator = QStringLiteral("/");
    for (const QChar c : format) {
        if (!c.isLetter() && c != u'\'') {
            separator = c;
            break;
        }
    }
    QStringList words;
    for (const QChar field : fieldOrder())
        words << (field == u'd'   ? QStringLiteral("day")
                  : field == u'M' ? QStringLiteral("month")
                                  : QStringLiteral("year"));
    return QStringLiteral("%1, e.g. %2")
        .arg(words.join(separator), shortDate(QDate(thisYear, 5, 25)));
}

// A date in ISO form, year first: 2026-05-25.
std::optional<QDate> readIsoDate(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(),
                     match.captured(3).toInt());
    if (!match.hasMatch() || !date.isValid())
        return std::nullopt;
    return date;
}

// Day, month and year in the locale's order, separated by one of / - . or a blank (the same
// separator both times), the year optional (then `thisYear`); or a date in ISO form.
std::optional<QDate> readDate(const QString& text, int thisYear)
{
    if (const auto iso = readIsoDate(text))
        return iso;
    static const QRegularExpression pattern(
        QStringLiteral("^([0-9]{1,4})([/.\\s-])([0-9]{1,4})(?:\\2([0-9]{1,4}))?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    QStringList numbers{match.captured(1), match.captured(3)};
    QString order = fieldOrder();
    if (match.hasCaptured(4))
        numbers << match.captured(4);
    else
        order.remove(u'y');

    int day = 0;
    int month = 0;
    int year = thisYear;
    for (qsizetype i = 0; i < order.size(); ++i) {
        const QString& digits = numbers[i];
        if (order[i] == u'y')
            year = digits.size() > 2 ? digits.toInt() : thisYear / 100 * 100 + digits.toInt();
        else if (digits.size() > 2)
            return std::nullopt;
        else
            (order[i] == u'd' ? day : month) = digits.toInt();
    }
    if (!QDate::isValid(year, month, day))
        return std::nullopt;
    return QDate(year, month, day);
}

bool isMarker(const QString& marker, const QString& english, const QString& local)
{
    return marker.compare(english, Qt::CaseInsensitive) == 0 ||
           marker.compare(local, Qt::CaseInsensitive) == 0;
}

// h:m, h:m:s or h:m:s.zzz, optionally followed by AM or PM (in English or the locale's words).
std::optional<QTime> readTime(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2})(?:\\.([0-9]{1,3}))?)?\\s*(.*)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    int hour = match.captured(1).toInt();
    const QString marker = match.captured(5);
    if (!marker.isEmpty()) {
        const bool am = isMarker(marker, QStringLiteral("AM"), QLocale().amText());
        const bool pm = !am && isMarker(marker, QStringLiteral("PM"), QLocale().pmText());
        if ((!am && !pm) || hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    // Fractions of a second are read as decimals: ".5" is half a second.
    const int msec = match.captured(4).leftJustified(3, u'0').toInt();
    const int minute = match.captured(2).toInt();
    const int second = match.captured(3).toInt();
    if (!QTime::isValid(hour, minute, second, msec))
        return std::nullopt;
    return QTime(hour, minute, second, msec);
}

} // namespace

QString shortDate(QDate date)
{
    if (!date.isValid())
        return {};
    // Always a four-digit year, and the month as a number, so the text reads back as a date
    // also where the locale writes month names (as the C locale does).
    const auto numeric = [](QChar letter, const QString& run) {
        if (letter == u'y')
            return QStringLiteral("yyyy");
        return letter == u'M' && run.size() > 2 ? QStringLiteral("M") : run;
    };
    const QString format = rewriteFormat(QLocale().dateFormat(QLocale::ShortFormat), numeric);
    return QLocale().toString(date, format);
}

QString shortDateTwoDigitYear(QDate date)
{
    if (!date.isValid())
        return {};
    QChar separator = u'/';
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    for (const QChar c : format) {
        if (!c.isLetter() && c != u'\'') {
            separator = c;
            break;
        }
    }
    return QString::number(date.month()) + separator + QString::number(date.day()) + separator +
           QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
}

QString longTime(QTime time)
{
    if (!time.isValid())
        return {};
    const QString format = rewriteFormat(
        QLocale().timeFormat(QLocale::LongFormat),
        [](QChar letter, const QString& run) { return letter == u't' ? QString() : run; });
    return QLocale().toString(time, format.trimmed());
}

QString dateTime(const QDateTime& value)
{
    if (!value.isValid())
        return {};
    const QString date = shortDate(value.date());
    return value.time() == QTime(0, 0) ? date : date + u' ' + longTime(value.time());
}

QString longDate(QDate date)
{
    return QLocale().toString(date, QStringLiteral("dddd, MMMM dd, yyyy"));
}

QString clockTime(QTime time)
{
    return QLocale::c().toString(time, QStringLiteral("h:mm:ss AP"));
}

QDate parseDate(const QString& text, QDate today)
{
    if (const auto date = readDate(text.trimmed(), today.year()))
        return *date;
    throw Error(
        QStringLiteral("'%1' is not a valid date (%2)").arg(text, expectedDate(today.year())));
}

QDateTime parseDateTime(const QString& text, QDate today)
{
    // The time starts at the first word beginning with hours and a colon; blanks may also
    // separate the numbers of the date, so the first blank does not end it.
    static const QRegularExpression split(QStringLiteral("^(.*?)\\s+([0-9]{1,2}:.*)$"));
    const QString trimmed = text.trimmed();
    const QRegularExpressionMatch match = split.match(trimmed);
    const auto date = readDate(match.hasMatch() ? match.captured(1) : trimmed, today.year());
    const auto time = match.hasMatch() ? readTime(match.captured(2)) : QTime(0, 0);
    if (date && time) {
        // Invalid when the local clock skips that time (the change to daylight saving time).
        QDateTime value(*date, *time);
        if (value.isValid())
            return value;
    }
    throw Error(QStringLiteral("'%1' is not a valid date and time (%2 and a time, e.g. %3)")
                    .arg(text, expectedDate(today.year()).section(u',', 0, 0),
                         dateTime(QDateTime(QDate(today.year(), 5, 25), QTime(14, 30)))));
}

int parseInteger(const QString& text)
{
    // QString::toInt reads in the C locale: blanks around, a sign, decimal digits only.
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

} // namespace ql::datetext
