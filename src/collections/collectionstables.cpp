#include "collections/collectionstables.h"

namespace ql {

CollectionsTables::CollectionsTables(Session& session, QObject* owner)
    : QObject(owner)
    , tbCD(makeTable(session, this, catalogue::cds(), "tbCD"))
    , tbCDR(makeTable(session, this, catalogue::cdrs(), "tbCDR"))
    , tbTapes(makeTable(session, this, catalogue::tapes(), "tbTapes"))
    , tbBooks(makeTable(session, this, catalogue::books(), "tbBooks"))
    , dsCD(new DataSource(tbCD, QStringLiteral("dsCD"), this))
    , dsCDR(new DataSource(tbCDR, QStringLiteral("dsCDR"), this))
    , dsTapes(new DataSource(tbTapes, QStringLiteral("dsTapes"), this))
    , dsBooks(new DataSource(tbBooks, QStringLiteral("dsBooks"), this))
{
    setObjectName(QStringLiteral("DataModule3"));
    tbCD->moveFieldToEnd(QStringLiteral("CDDate"));
    tbTapes->moveFieldToEnd(QStringLiteral("TpDate"));
    tbBooks->moveFieldToEnd(QStringLiteral("BkPubDate"));
    tbCD->setIndexName(QStringLiteral("idxCDTitle"));
    tbCDR->setIndexName(QStringLiteral("idxCDRTitle"));
    tbTapes->setIndexName(QStringLiteral("idxTpTitle"));
    tbBooks->setIndexName(QStringLiteral("idxBkTitle"));
    tbCD->open();
    tbCDR->open();
    tbTapes->open();
    tbBooks->open();
}

} // namespace ql
