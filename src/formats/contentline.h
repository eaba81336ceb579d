#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

// The lines of the text formats that other programs read: a content line is a name, its
// parameters and a value; a long line is folded into lines of at most 75 octets, each further one
// starting with a blank, and a text value escapes what would end it early.
namespace ql::formats {

// Appends a content line folded at 75 octets, with CR LF after each piece. A character written in
// several octets is never split.
void appendFolded(QByteArray& out, QByteArrayView line);

// The logical lines of a text: a line break followed by a blank or a tab joins the lines (the
// blank or tab dropped); CR LF, LF and CR all end a line. Empty lines are left out.
std::vector<QByteArray> unfoldLines(QByteArrayView text);

// Appends a text value with backslash, comma and semicolon escaped and every line break (CR LF,
// LF or CR) written as "\n".
void appendEscaped(QString& out, QStringView text);
// The text of an escaped value: "\n" and "\N" a line break, "\\", "\,", "\;" and "\:" the
// character; a backslash before anything else is kept.
QString unescaped(QStringView value);
// The parts of a value split at the separator where it is not escaped; the parts stay escaped.
QList<QStringView> splitUnescaped(QStringView value, QChar separator);
// The parts of `text` split at each place `separates(i)` says is a separator; it may move `i`
// over a character that it says escapes the next.
template <typename View, typename Separates> QList<View> splitWhere(View text, Separates separates)
{
    QList<View> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (separates(i)) {
            parts << text.sliced(start, i - start);
            start = i + 1;
        }
    }
    parts << text.sliced(start);
    return parts;
}

// A parameter's value as written after "=": quoted when it holds a comma, a semicolon or a colon,
// with the caret, the line break and the double quote written as "^^", "^n" and "^'".
QString parameterValue(QStringView text);
// The text of a parameter value: its quotes dropped and the caret escapes read.
QString parameterText(QStringView value);

} // namespace ql::formats
