#include "collections/collectionstables.h"

namespace ql {

CollectionsTables::CollectionsTables(Session& session, QObject* owner)
    : TableHolder(session, owner, "DataModule3")
    , tbCD(addTable(catalogue::cds(), "tbCD"))
    , tbCDR(addTable(catalogue::cdrs(), "tbCDR"))
    , tbTapes(addTable(catalogue::tapes(), "tbTapes"))
    , tbBooks(addTable(catalogue::books(), "tbBooks"))
    , dsCD(addSource(tbCD, "dsCD"))
    , dsCDR(addSource(tbCDR, "dsCDR"))
    , dsTapes(addSource(tbTapes, "dsTapes"))
    , dsBooks(addSource(tbBooks, "dsBooks"))
{
    tbCD->moveFieldToEnd(QStringLiteral("CDDate"));
    tbTapes->moveFieldToEnd(QStringLiteral("TpDate"));
    tbBooks->moveFieldToEnd(QStringLiteral("BkPubDate"));
    tbCD->setIndexName(QStringLiteral("idxCDTitle"));
    tbCDR->setIndexName(QStringLiteral("idxCDRTitle"));
    tbTapes->setIndexName(QStringLiteral("idxTpTitle"));
    tbBooks->setIndexName(QStringLiteral("idxBkTitle"));
    openTables();
}

} // namespace ql
