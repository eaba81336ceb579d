#pragma once

#include "store/progress.h"
#include "store/table.h"

#include <QDateTime>
#include <QFont>
#include <QGlyphRun>
#include <QLineF>
#include <QList>
#include <QMarginsF>
#include <QObject>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// A banded report over an open table: a title band once at the top of the first page, detail
// bands once per record with their child bands straight after them, and a page footer at the
// foot of every page. Laying a report out gives pages of positioned texts and rules; painting
// them is left to paint.h, so the layout can be read and checked on its own.
namespace ql::report {

// Positions and sizes are in layout units of 1/96 inch, measured from the top left of the
// page for placed items and from the top left of their band for designed ones.
inline constexpr double UnitsPerInch = 96.0;

enum class SystemData { Date, Time, DateTime, PageNumber, RecordCount };

// One printed element as the layout put it on a page: a line of text or a band's rule.
struct PlacedItem {
    enum class Kind { Text, Rule };
    Kind kind = Kind::Text;
    QString name; // the component that printed it
    QRectF rect;  // a rule runs along the top edge of its rectangle
    QString text;
    QFont font;
    Qt::Alignment alignment = Qt::AlignLeft;
};

struct Page {
    QList<PlacedItem> items;
};

struct Document {
    QString title; // names the preview and the print job
    QSizeF pageSize;
    QList<Page> pages;
};

// A designed element of a band.
struct Item {
    enum class Kind { Label, Field, Memo, SystemData };
    Kind kind = Kind::Label;
    QString name;
    QRectF rect;
    bool enabled = true;
    QFont font;
    Qt::Alignment alignment = Qt::AlignLeft;
    QString caption;       // a label's text
    QString field;         // the field a field item prints
    QStringList lines;     // a memo's text, word-wrapped to its width when laid out
    bool wordWrap = false; // a label's or a field's text goes over lines as a memo's does
    // A memo (or a wrapping label or field) grows downward, and its band with it, to show every
    // line.
    bool stretch = true;
    SystemData data = SystemData::Date;

    void setLeft(double left) { rect.moveLeft(left); }
    void setTop(double top) { rect.moveTop(top); }
};

enum class BandKind { Title, Detail, Child, PageFooter };

class Band {
public:
    Band(BandKind kind, QString name, double height, Band* parent);

    BandKind kind() const { return m_kind; }
    const QString& name() const { return m_name; }
    // The band a child band follows.
    Band* parent() const { return m_parent; }

    double height = 0;
    bool enabled = true;
    bool ruleAbove = false;
    bool ruleBelow = false;
    // Runs before the band prints, while the record it prints is the report's record.
    std::function<void()> beforePrint;

    Item* addLabel(const QString& name, const QString& caption, const QRectF& rect);
    Item* addField(const QString& name, const QString& field, const QRectF& rect);
    Item* addMemo(const QString& name, const QRectF& rect);
    Item* addSystemData(const QString& name, SystemData data, const QRectF& rect);

    const std::vector<std::unique_ptr<Item>>& items() const { return m_items; }
    Item* item(const QString& name) const;

private:
    Item* add(Item::Kind kind, const QString& name, const QRectF& rect);

    BandKind m_kind;
    QString m_name;
    Band* m_parent;
    std::vector<std::unique_ptr<Item>> m_items;
};

// A report bound to an open table; it reads the table in its current order and range and
// leaves both, and the current record, as they were. A pending change of the table is stored
// first, as leaving the record would store it.
class Report : public QObject {
    Q_OBJECT
public:
    Report(QObject* owner, Table* table);
    ~Report() override;

    Table* table() const { return m_table; }

    // Names the preview and the print job.
    QString title;
    QPageSize pageSize{QPageSize::Letter};
    QMarginsF margins; // in layout units; half an inch (12.7 mm) on every side unless set
    QString fontFamily{QStringLiteral("Arial")};

    // A font of the report's family at a size in points.
    QFont font(double pointSize, bool bold = false) const;

    Band* addBand(BandKind kind, const QString& name, double height, Band* parent = nullptr);
    Band* band(const QString& name) const;
    const std::vector<std::unique_ptr<Band>>& bands() const { return m_bands; }
    // The width between the left and right margins.
    double bandWidth() const;

    // While laying out: the record being printed and its field as the user reads it.
    const Record& record() const { return m_record; }
    QString fieldText(const QString& field) const;

    // Runs the report over the table: no pages when it has no records.
    Document layOut();
    // Runs the report over `twin`, the report's table opened again on this thread
    // (Table::openTwin), so that the layout may run on a worker thread while the window's table
    // serves the window. The records laid out are the progress's steps; a cancel throws
    // Cancelled. The report's table's pending change must be stored first.
    Document layOutFrom(Table& twin, Progress& progress);

private:
    QString systemText(SystemData data, int page) const;
    Document layOutRecords(Progress* progress);
    friend class Layout;

    Table* m_table;
    std::vector<std::unique_ptr<Band>> m_bands;
    Record m_record;
    int m_recordCount = 0;
    QDateTime m_runAt;
};

// A memo editor that is never shown, bound to a field of the report's table: the source a
// before-print handler copies the record's text from.
class DataMemo {
public:
    DataMemo(const Report& report, QString field);
    // The field's text in the record being printed, line by line; none for an empty text.
    QStringList lines() const;

private:
    const Report& m_report;
    QString m_field;
};

// Splits a text into the lines a box of the width shows: at its line breaks, then between
// words; a word wider than the box is broken between characters.
QStringList wrapText(const QString& text, const QFont& font, double width);

// A line of text as the layout measures it: its width and its glyphs, placed in layout units
// from the line's top left. Painting draws these glyphs where they stand, so a line is as wide
// on paper and on the screen as it was when the layout fitted it to its box.
struct ShapedLine {
    double width = 0;
    QList<QGlyphRun> glyphs; // without the font's underline, which `underline` draws
    QLineF underline;        // from the line's top left; null when the font has none
    double underlineThickness = 0;
};
ShapedLine shapeLine(const QString& text, const QFont& font);

} // namespace ql::report
