#include "store/tableholder.h"

#include "store/session.h"

namespace ql {

void registerPassword(const TableDef& def)
{
    Session::instance().addPassword(catalogue::password(def));
}

} // namespace ql
