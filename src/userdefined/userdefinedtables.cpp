#include "userdefined/userdefinedtables.h"

namespace ql {

UserDefinedTables::UserDefinedTables(Session& session, QObject* owner)
    : TableHolder(session, owner, "DataModule8")
    , tbUserDefined(addTable(catalogue::userDefined(), "tbUserDefined"))
    , dsUserDefined(addSource(tbUserDefined, "dsUserDefined"))
{
    openTables();
}

} // namespace ql
