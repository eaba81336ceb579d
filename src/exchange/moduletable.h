#pragma once

#include "exchange/textexport.h"
#include "store/table.h"

#include <QObject>
#include <memory>

namespace ql {
class Session;
}

namespace ql::exchange {

// A module's table, open in a holder made for the caller alone: the table lives as long as the
// holder, made over `session`. A module window's holder is never used.
struct HeldTable {
    std::unique_ptr<QObject> holder;
    Table* table;
};

HeldTable openTable(Session& session, Module module);

} // namespace ql::exchange
