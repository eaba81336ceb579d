#include "userdefined/userdefinedtables.h"

namespace ql {

UserDefinedTables::UserDefinedTables(Session& session, QObject* owner)
    : QObject(owner)
    , tbUserDefined(makeTable(session, this, catalogue::userDefined(), "tbUserDefined",
                              &UserDefinedTables::tbUserDefinedBeforeOpen))
    , dsUserDefined(new DataSource(tbUserDefined, QStringLiteral("dsUserDefined"), this))
{
    setObjectName(QStringLiteral("DataModule8"));
    tbUserDefined->open();
}

void UserDefinedTables::tbUserDefinedBeforeOpen()
{
    registerPassword(tbUserDefined->session(), catalogue::userDefined());
}

} // namespace ql
