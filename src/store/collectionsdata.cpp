#include "store/collectionsdata.h"

namespace ql {

TDataModule3::TDataModule3(QObject* owner)
    : QObject(owner)
    , tbCD(makeTable(this, catalogue::cds(), "tbCD", &TDataModule3::tbCDBeforeOpen))
    , tbCDR(makeTable(this, catalogue::cdrs(), "tbCDR", &TDataModule3::tbCDRBeforeOpen))
    , tbTapes(makeTable(this, catalogue::tapes(), "tbTapes", &TDataModule3::tbTapesBeforeOpen))
    , tbBooks(makeTable(this, catalogue::books(), "tbBooks", &TDataModule3::tbBooksBeforeOpen))
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

void TDataModule3::tbCDBeforeOpen()
{
    registerPassword(catalogue::cds());
}
void TDataModule3::tbCDRBeforeOpen()
{
    registerPassword(catalogue::cdrs());
}
void TDataModule3::tbTapesBeforeOpen()
{
    registerPassword(catalogue::tapes());
}
void TDataModule3::tbBooksBeforeOpen()
{
    registerPassword(catalogue::books());
}

} // namespace ql
