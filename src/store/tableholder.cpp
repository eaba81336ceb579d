#include "store/tableholder.h"

#include "store/session.h"

namespace ql {

void registerPassword(Session& session, const TableDef& def)
{
    session.addPassword(catalogue::password(def));
}

} // namespace ql
