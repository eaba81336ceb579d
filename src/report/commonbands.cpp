#include "report/commonbands.h"

namespace ql::report {

Band* addPageFooter(Report& report, const QString& name)
{
    Band* band = report.addBand(BandKind::PageFooter, name, 28);
    const double width = report.bandWidth();
    Item* when = band->addSystemData(QStringLiteral("QRSysData1"), SystemData::DateTime,
                                     QRectF(0, 8, width / 2, 18));
    Item* page = band->addSystemData(QStringLiteral("QRSysData2"), SystemData::PageNumber,
                                     QRectF(width - 120, 8, 120, 18));
    page->alignment = Qt::AlignRight;
    when->font = page->font = report.font(10);
    return band;
}

Band* addTitleBand(Report& report, const QString& heading, double points, const QString& name)
{
    Band* band = report.addBand(BandKind::Title, name, 36);
    Item* label =
        band->addLabel(QStringLiteral("QRLabel1"), heading, QRectF(0, 6, report.bandWidth(), 24));
    label->font = report.font(points, true);
    label->alignment = Qt::AlignHCenter;
    return band;
}

} // namespace ql::report
