#include "report/report.h"

#include "store/datetext.h"
#include "store/session.h"

#include <QFontMetricsF>
#include <QImage>
#include <QScopeGuard>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>
#include <utility>

namespace ql::report {
namespace {

// Texts are measured on a device of the layout's own resolution, so pages come out the same
// whatever screen or printer is attached.
const QImage& measuringDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_Mono);
        const int dotsPerMetre = qRound(UnitsPerInch / 0.0254);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        return image;
    }();
    return device;
}

QFontMetricsF metrics(const QFont& font)
{
    return QFontMetricsF(font, &measuringDevice());
}

// Lays a text out on one line of the measuring device. The font's design metrics place the
// glyphs, not advances rounded to the device's pixels, so what is measured here is what prints.
void layOutLine(QTextLayout& layout)
{
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setUseDesignMetrics(true);
    layout.setTextOption(option);
    layout.beginLayout();
    layout.createLine().setLineWidth(1e6);
    layout.endLayout();
}

double lineWidth(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font, &measuringDevice());
    layOutLine(layout);
    return layout.lineAt(0).naturalTextWidth();
}

// Calls `f` with each piece of the text between two boundaries of the kind.
template <typename F>
void forEachPiece(QTextBoundaryFinder::BoundaryType type, const QString& text, F f)
{
    QTextBoundaryFinder boundaries(type, text);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = boundaries.toNextBoundary();
        if (end < 0)
            end = text.size();
        f(text.mid(start, end - start));
        start = end;
    }
}

// Breaks one paragraph (no line breaks in it) into lines no wider than the width.
void wrapParagraph(const QString& paragraph, const QFont& font, double width, QStringList& lines)
{
    const auto fits = [&](const QString& text) { return lineWidth(text, font) <= width; };
    if (fits(paragraph)) {
        lines << paragraph;
        return;
    }
    QString line;
    const auto flush = [&] {
        lines << line;
        line.clear();
    };
    forEachPiece(QTextBoundaryFinder::Line, paragraph, [&](const QString& word) {
        if (fits(line + word.trimmed())) {
            line += word;
            return;
        }
        if (!line.isEmpty())
            flush();
        if (fits(word.trimmed())) {
            line = word;
            return;
        }
        // A word wider than the box: as many characters as fit on each line. Its trailing blank
        // ends a line, as after any word, and never starts the next.
        forEachPiece(QTextBoundaryFinder::Grapheme, word, [&](const QString& piece) {
            if (!line.isEmpty() && !fits(line + piece.trimmed()))
                flush();
            line += piece;
        });
    });
    lines << line;
    for (QString& l : lines)
        while (l.endsWith(QLatin1Char(' ')))
            l.chop(1);
}

} // namespace

QStringList wrapText(const QString& text, const QFont& font, double width)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    plain.replace(QLatin1Char('\t'), QStringLiteral("    "));
    QStringList lines;
    for (const QString& paragraph : plain.split(QLatin1Char('\n'))) {
        QStringList wrapped;
        wrapParagraph(paragraph, font, width, wrapped);
        lines << wrapped;
    }
    return lines;
}

ShapedLine shapeLine(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font, &measuringDevice());
    layOutLine(layout);
    ShapedLine line{layout.lineAt(0).naturalTextWidth(), layout.glyphRuns(), {}, 0};
    if (font.underline()) {
        // Drawn as a rule of its own: painted at a scale, the glyphs' own underline strays from
        // the text on the screen.
        for (QGlyphRun& run : line.glyphs)
            run.setUnderline(false);
        const QFontMetricsF fm = metrics(font);
        const double y = fm.ascent() + fm.underlinePos();
        line.underline = QLineF(0, y, line.width, y);
        line.underlineThickness = fm.lineWidth();
    }
    return line;
}

Band::Band(BandKind kind, QString name, double height, Band* parent)
    : height(height)
    , m_kind(kind)
    , m_name(std::move(name))
    , m_parent(parent)
{
}

Item* Band::add(Item::Kind kind, const QString& name, const QRectF& rect)
{
    auto item = std::make_unique<Item>();
    item->kind = kind;
    item->name = name;
    item->rect = rect;
    m_items.push_back(std::move(item));
    return m_items.back().get();
}

Item* Band::addLabel(const QString& name, const QString& caption, const QRectF& rect)
{
    Item* item = add(Item::Kind::Label, name, rect);
    item->caption = caption;
    return item;
}

Item* Band::addField(const QString& name, const QString& field, const QRectF& rect)
{
    Item* item = add(Item::Kind::Field, name, rect);
    item->field = field;
    return item;
}

Item* Band::addMemo(const QString& name, const QRectF& rect)
{
    return add(Item::Kind::Memo, name, rect);
}

Item* Band::addSystemData(const QString& name, SystemData data, const QRectF& rect)
{
    Item* item = add(Item::Kind::SystemData, name, rect);
    item->data = data;
    return item;
}

Item* Band::item(const QString& name) const
{
    for (const auto& item : m_items)
        if (item->name == name)
            return item.get();
    return nullptr;
}

Report::Report(QObject* owner, Table* table)
    : QObject(owner)
    , margins(UnitsPerInch / 2, UnitsPerInch / 2, UnitsPerInch / 2, UnitsPerInch / 2)
    , m_table(table)
{
}

Report::~Report() = default;

QFont Report::font(double pointSize, bool bold) const
{
    QFont f(fontFamily);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    // Unhinted, so the widths measured for the layout hold at every resolution.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

Band* Report::addBand(BandKind kind, const QString& name, double height, Band* parent)
{
    m_bands.push_back(std::make_unique<Band>(kind, name, height, parent));
    return m_bands.back().get();
}

Band* Report::band(const QString& name) const
{
    for (const auto& band : m_bands)
        if (band->name() == name)
            return band.get();
    return nullptr;
}

double Report::bandWidth() const
{
    return pageSize.sizePoints().width() * UnitsPerInch / 72.0 - margins.left() - margins.right();
}

QString Report::fieldText(const QString& field) const
{
    return ql::fieldText(m_table->field(m_table->fieldIndex(field)).def.type,
                         m_record.value(field));
}

DataMemo::DataMemo(const Report& report, QString field)
    : m_report(report)
    , m_field(std::move(field))
{
}

QStringList DataMemo::lines() const
{
    QString text = m_report.fieldText(m_field);
    if (text.isEmpty())
        return {};
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.split(QLatin1Char('\n'));
}

QString Report::systemText(SystemData data, int page) const
{
    switch (data) {
    case SystemData::Date:
        return datetext::shortDate(m_runAt.date());
    case SystemData::Time:
        return datetext::longTime(m_runAt.time());
    case SystemData::DateTime:
        return datetext::dateTime(m_runAt);
    case SystemData::PageNumber:
        return QString::number(page);
    case SystemData::RecordCount:
        return QString::number(m_recordCount);
    }
    return {};
}

// Places bands down the pages: a band that does not fit in the rest of a page starts the next
// one, and only a band taller than a whole page is split, between its lines.
class Layout {
public:
    explicit Layout(Report& report)
        : m_report(report)
    {
        const QSizeF paper = report.pageSize.sizePoints() * (UnitsPerInch / 72.0);
        m_document.title = report.title;
        m_document.pageSize = paper;
        m_area = QRectF(QPointF(0, 0), paper).marginsRemoved(report.margins);
        for (const auto& band : report.bands())
            if (band->kind() == BandKind::PageFooter && band->enabled)
                m_footers.push_back(band.get());
        for (const Band* footer : m_footers)
            m_footerHeight += footer->height;
    }

    void print(const Band& band)
    {
        double height = band.height;
        std::vector<PlacedItem> items = content(band, 0, height);
        if (m_document.pages.isEmpty())
            startPage();
        const double limit = m_area.bottom() - m_footerHeight;
        if (m_y + height > limit && m_y > m_area.top())
            startPage();
        std::stable_sort(items.begin(), items.end(), [](const PlacedItem& a, const PlacedItem& b) {
            return a.rect.top() < b.rect.top();
        });
        double offset = 0; // the band's coordinate at the top of the current page
        double pageTop = m_y;
        for (PlacedItem& item : items) {
            double y = pageTop + item.rect.top() - offset;
            if (y + item.rect.height() > limit && item.rect.top() > offset) {
                startPage();
                offset = item.rect.top();
                pageTop = m_y;
                y = pageTop;
            }
            item.rect.translate(m_area.left(), y - item.rect.top());
            m_document.pages.last().items << item;
        }
        m_y = std::min(pageTop + height - offset, limit);
    }

    Document finish()
    {
        if (!m_document.pages.isEmpty())
            printFooters();
        return std::move(m_document);
    }

private:
    // The band's items as they print, placed from the band's top; stretching memos make the
    // band taller.
    std::vector<PlacedItem> content(const Band& band, int page, double& height) const
    {
        std::vector<PlacedItem> placed;
        const auto text = [&](const Item& item, const QRectF& rect, const QString& line) {
            placed.push_back(
                {PlacedItem::Kind::Text, item.name, rect, line, item.font, item.alignment});
        };
        // A text over as many lines as its width makes of it, one placed line each; the box
        // and its band grow downward to hold them when the item stretches.
        const auto wrapped = [&](const Item& item, const QString& source) {
            const double lineHeight = metrics(item.font).lineSpacing();
            QStringList lines;
            if (!source.isEmpty())
                lines = wrapText(source, item.font, item.rect.width());
            if (!item.stretch)
                lines = lines.mid(0, qsizetype(item.rect.height() / lineHeight));
            for (qsizetype i = 0; i < lines.size(); ++i)
                text(item,
                     QRectF(item.rect.left(), item.rect.top() + double(i) * lineHeight,
                            item.rect.width(), lineHeight),
                     lines.at(i));
            const double needed = double(lines.size()) * lineHeight;
            if (needed > item.rect.height())
                height = std::max(height, band.height + needed - item.rect.height());
        };
        for (const auto& owned : band.items()) {
            const Item& item = *owned;
            if (!item.enabled)
                continue;
            switch (item.kind) {
            case Item::Kind::Label:
                if (item.wordWrap)
                    wrapped(item, item.caption);
                else
                    text(item, item.rect, item.caption);
                break;
            case Item::Kind::Field:
                if (item.wordWrap)
                    wrapped(item, m_report.fieldText(item.field));
                else
                    text(item, item.rect, m_report.fieldText(item.field));
                break;
            case Item::Kind::SystemData:
                text(item, item.rect, m_report.systemText(item.data, page));
                break;
            case Item::Kind::Memo:
                wrapped(item, item.lines.join(QLatin1Char('\n')));
                break;
            }
        }
        const double width = m_area.width();
        if (band.ruleAbove)
            placed.push_back(
                {PlacedItem::Kind::Rule, band.name(), QRectF(0, 0, width, 0), {}, {}, {}});
        if (band.ruleBelow)
            placed.push_back(
                {PlacedItem::Kind::Rule, band.name(), QRectF(0, height, width, 0), {}, {}, {}});
        return placed;
    }

    void startPage()
    {
        if (!m_document.pages.isEmpty())
            printFooters();
        m_document.pages.append(Page());
        m_y = m_area.top();
    }

    void printFooters()
    {
        double y = m_area.bottom() - m_footerHeight;
        const int page = int(m_document.pages.size());
        for (const Band* footer : m_footers) {
            if (footer->beforePrint)
                footer->beforePrint();
            double height = footer->height;
            for (PlacedItem& item : content(*footer, page, height)) {
                item.rect.translate(m_area.left(), y);
                m_document.pages.last().items << item;
            }
            y += height;
        }
    }

    Report& m_report;
    Document m_document;
    QRectF m_area;
    std::vector<const Band*> m_footers;
    double m_footerHeight = 0;
    double m_y = 0;
};

Document Report::layOut()
{
    m_table->checkBrowseMode();
    return layOutRecords(nullptr);
}

Document Report::layOutFrom(Table& twin, Progress& progress)
{
    Table* const shown = std::exchange(m_table, &twin);
    const auto back = qScopeGuard([this, shown] { m_table = shown; });
    return layOutRecords(&progress);
}

Document Report::layOutRecords(Progress* progress)
{
    m_recordCount = m_table->recordCount();
    m_runAt = m_table->session().clock().now();
    Layout layout(*this);
    if (m_recordCount == 0)
        return layout.finish();

    const auto run = [&layout](const Band& band) {
        if (!band.enabled)
            return;
        if (band.beforePrint)
            band.beforePrint();
        layout.print(band);
    };
    const auto each = [this](BandKind kind, const std::function<void(const Band&)>& f) {
        for (const auto& band : m_bands)
            if (band->kind() == kind)
                f(*band);
    };
    m_record = m_table->recordAt(0);
    each(BandKind::Title, run);
    for (int row = 0; row < m_recordCount; ++row) {
        if (progress && row % 64 == 0) {
            progress->checkCancelled();
            progress->progress(row, m_recordCount);
        }
        if (row > 0)
            m_record = m_table->recordAt(row);
        each(BandKind::Detail, [&](const Band& detail) {
            // A detail band's handler prepares its children too, so it runs even when only a
            // child band prints.
            if (detail.enabled)
                run(detail);
            else if (detail.beforePrint)
                detail.beforePrint();
            each(BandKind::Child, [&](const Band& child) {
                if (child.parent() == &detail)
                    run(child);
            });
        });
    }
    if (progress)
        progress->progress(m_recordCount, m_recordCount);
    Document document = layout.finish();
    m_record = Record();
    return document;
}

} // namespace ql::report
