#include "collections/collectionreport.h"

#include "report/commonbands.h"

#include <span>

namespace ql {
namespace {

struct Line {
    const char* caption;
    const char* field;
};

struct Layout {
    const char* title;
    const char* heading;
    std::span<const Line> lines;
};

constexpr Line kCdLines[] = {
    {"CD Title", "CDTitle"}, {"Artist/Group", "CDArtist"}, {"Music", "CDKind"}, {"Date", "CDDate"}};
constexpr Line kCdrLines[] = {
    {"CD-R/RW Title", "CDRTitle"}, {"Manufacturer", "CDRMaker"}, {"Kind", "CDRKind"}};
constexpr Line kTapeLines[] = {
    {"Title", "TpTitle"}, {"Artist/Group", "TpArtist"}, {"Music", "TpKind"}, {"Date", "TpDate"}};
constexpr Line kBookLines[] = {{"Title", "BkTitle"},
                               {"Author", "BkAuthorLast"},
                               {"Publisher", "BkPublisher"},
                               {"Kind", "BkKind"},
                               {"Published Date", "BkPubDate"}};

// By catalogue, in the order of loans::Catalogue.
constexpr Layout kLayouts[] = {
    {"Quillory - CD Collection", "CD Collection", kCdLines},
    {"Quillory - CD -R/RW Collection", "CD-R/RW  Collection", kCdrLines},
    {"Quillory - Tape Collection", "Tape Collection", kTapeLines},
    {"Quillory - Book Collection", "Book Collection", kBookLines},
};

} // namespace

CollectionReport::CollectionReport(loans::Catalogue catalogue, Table& table, QObject* owner)
    : Report(owner, &table)
{
    const Layout& layout = kLayouts[size_t(catalogue)];
    title = QString::fromUtf8(layout.title);
    const double width = bandWidth();
    constexpr double lineHeight = 18;
    constexpr double valueLeft = 130;

    report::Band* heading = report::addTitleBand(*this, QString::fromUtf8(layout.heading), 11);
    report::Item* count =
        heading->addSystemData(QStringLiteral("QRSysData3"), report::SystemData::RecordCount,
                               QRectF(width - 120, 8, 120, lineHeight));
    count->font = font(10);
    count->alignment = Qt::AlignRight;

    report::Band* item = addBand(report::BandKind::Detail, QStringLiteral("QRBand2"),
                                 double(layout.lines.size()) * lineHeight + 14);
    double top = 4;
    int n = 0;
    for (const Line& line : layout.lines) {
        report::Item* caption =
            item->addLabel(QStringLiteral("QRLabel%1").arg(n + 2), QString::fromUtf8(line.caption),
                           QRectF(0, top, valueLeft - 6, lineHeight));
        report::Item* value =
            item->addField(QStringLiteral("QRDBText%1").arg(n + 1), QString::fromUtf8(line.field),
                           QRectF(valueLeft, top, width - valueLeft, lineHeight));
        caption->font = value->font = font(10);
        top += lineHeight;
        ++n;
    }

    report::addPageFooter(*this);
}

} // namespace ql
