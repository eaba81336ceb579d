#include "collections/collectionprint.h"

#include "report/commonbands.h"
#include "store/collectionsdata.h"

namespace ql {
using report::addPageFooter;
using report::addTitleBand;
using report::BandKind;

CollectionPrint::CollectionPrint(QObject* owner, Table* table, const QString& reportTitle,
                                 const QString& heading, std::initializer_list<Line> lines)
    : Report(owner, table)
{
    title = reportTitle;
    const double width = bandWidth();
    constexpr double lineHeight = 18;
    constexpr double valueLeft = 130;

    QRBand1 = addTitleBand(*this, heading, 11);
    QRLabel1 = QRBand1->item(QStringLiteral("QRLabel1"));
    QRSysData3 =
        QRBand1->addSystemData(QStringLiteral("QRSysData3"), report::SystemData::RecordCount,
                               QRectF(width - 120, 8, 120, lineHeight));
    QRSysData3->font = font(10);
    QRSysData3->alignment = Qt::AlignRight;

    QRBand2 = addBand(BandKind::Detail, QStringLiteral("QRBand2"),
                      double(lines.size()) * lineHeight + 14);
    double top = 4;
    for (const Line& line : lines) {
        const int n = int(captions.size());
        report::Item* caption = QRBand2->addLabel(QStringLiteral("QRLabel%1").arg(n + 2),
                                                  QString::fromUtf8(line.caption),
                                                  QRectF(0, top, valueLeft - 6, lineHeight));
        report::Item* value = QRBand2->addField(
            QStringLiteral("QRDBText%1").arg(n + 1), QString::fromUtf8(line.field),
            QRectF(valueLeft, top, width - valueLeft, lineHeight));
        caption->font = value->font = font(10);
        captions.push_back(caption);
        values.push_back(value);
        top += lineHeight;
    }

    QRBand3 = addPageFooter(*this);
}

TCollCDPrint1::TCollCDPrint1(QObject* owner)
    : CollectionPrint(owner, DataModule3->tbCD, QStringLiteral("Quillory - CD Collection"),
                      QStringLiteral("CD Collection"),
                      {{"CD Title", "CDTitle"},
                       {"Artist/Group", "CDArtist"},
                       {"Music", "CDKind"},
                       {"Date", "CDDate"}})
{
}

TCollCDRPrint1::TCollCDRPrint1(QObject* owner)
    : CollectionPrint(
          owner, DataModule3->tbCDR, QStringLiteral("Quillory - CD -R/RW Collection"),
          QStringLiteral("CD-R/RW  Collection"),
          {{"CD-R/RW Title", "CDRTitle"}, {"Manufacturer", "CDRMaker"}, {"Kind", "CDRKind"}})
{
}

TCollTapesPrint1::TCollTapesPrint1(QObject* owner)
    : CollectionPrint(owner, DataModule3->tbTapes, QStringLiteral("Quillory - Tape Collection"),
                      QStringLiteral("Tape Collection"),
                      {{"Title", "TpTitle"},
                       {"Artist/Group", "TpArtist"},
                       {"Music", "TpKind"},
                       {"Date", "TpDate"}})
{
}

TCollBooksPrint1::TCollBooksPrint1(QObject* owner)
    : CollectionPrint(owner, DataModule3->tbBooks, QStringLiteral("Quillory - Book Collection"),
                      QStringLiteral("Book Collection"),
                      {{"Title", "BkTitle"},
                       {"Author", "BkAuthorLast"},
                       {"Publisher", "BkPublisher"},
                       {"Kind", "BkKind"},
                       {"Published Date", "BkPubDate"}})
{
}

} // namespace ql
