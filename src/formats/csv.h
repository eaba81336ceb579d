#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

// Comma-separated values as RFC 4180 lays them out, written and read.
namespace ql::formats {

class ExportFile;

// Writes records into a file: fields separated by commas, each record ended by CR LF. A field is
// quoted, its quotes doubled, when it holds a comma, a quote, a line break or a tab, or begins or
// ends with a blank, so every reader takes it as it is.
class CsvWriter {
public:
    explicit CsvWriter(ExportFile& file)
        : m_file(file)
    {
    }
    void field(QStringView text);
    void endRecord();

private:
    ExportFile& m_file;
    bool m_first = true;
};

// The records of a file, the header first, each a list of its fields.
using CsvRows = std::vector<QStringList>;

// The text of a file: UTF-8 or UTF-16 as its byte-order mark says (the mark dropped), else UTF-8,
// and Latin-1 when the bytes are no UTF-8.
QString decodeCsv(const QByteArray& bytes);

// Reads records: CR LF, LF or CR between records; a quoted field holds commas, line breaks and
// doubled quotes. Fields are separated by commas, or by semicolons or tabs when the first line has
// no comma but one of those. A line end at the end of the text ends the last record. Throws
// ql::Error "Line <n>: a quoted field is not closed." when a quote is left open.
CsvRows parseCsv(QStringView text);

} // namespace ql::formats
