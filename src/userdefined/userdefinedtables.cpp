#include "userdefined/userdefinedtables.h"

namespace ql {

UserDefinedTables::UserDefinedTables(Session& session, QObject* owner)
    : QObject(owner)
    , tbUserDefined(makeTable(session, this, catalogue::userDefined(), "tbUserDefined"))
    , dsUserDefined(new DataSource(tbUserDefined, QStringLiteral("dsUserDefined"), this))
{
    setObjectName(QStringLiteral("DataModule8"));
    tbUserDefined->open();
}

} // namespace ql
