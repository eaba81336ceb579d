#include "userdefined/userdefinedtables.h"

namespace ql {

UserDefinedTables::UserDefinedTables(QObject* owner)
    : QObject(owner)
    , tbUserDefined(makeTable(this, catalogue::userDefined(), "tbUserDefined",
                              &UserDefinedTables::tbUserDefinedBeforeOpen))
    , dsUserDefined(new DataSource(tbUserDefined, QStringLiteral("dsUserDefined"), this))
{
    setObjectName(QStringLiteral("DataModule8"));
    tbUserDefined->open();
}

void UserDefinedTables::tbUserDefinedBeforeOpen()
{
    registerPassword(catalogue::userDefined());
}

} // namespace ql
