#include "collections/collectionstables.h"

namespace ql {

CollectionsTables::CollectionsTables(Session& session, QObject* owner)
    : QObject(owner)
    , tbCD(makeTable(session, this, catalogue::cds(), "tbCD", &CollectionsTables::tbCDBeforeOpen))
    , tbCDR(
          makeTable(session, this, catalogue::cdrs(), "tbCDR", &CollectionsTables::tbCDRBeforeOpen))
    , tbTapes(makeTable(session, this, catalogue::tapes(), "tbTapes",
                        &CollectionsTables::tbTapesBeforeOpen))
    , tbBooks(makeTable(session, this, catalogue::books(), "tbBooks",
                        &CollectionsTables::tbBooksBeforeOpen))
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

void CollectionsTables::tbCDBeforeOpen()
{
    registerPassword(tbCD->session(), catalogue::cds());
}
void CollectionsTables::tbCDRBeforeOpen()
{
    registerPassword(tbCDR->session(), catalogue::cdrs());
}
void CollectionsTables::tbTapesBeforeOpen()
{
    registerPassword(tbTapes->session(), catalogue::tapes());
}
void CollectionsTables::tbBooksBeforeOpen()
{
    registerPassword(tbBooks->session(), catalogue::books());
}

} // namespace ql
