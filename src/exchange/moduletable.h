#pragma once

#include "exchange/textexport.h"
#include "store/table.h"

#include <QObject>
#include <memory>

namespace ql::exchange {

// A module's table, open in a holder made for the caller alone: the table lives as long as the
// holder. A module window's holder is never used.
struct HeldTable {
    std::unique_ptr<QObject> holder;
    Table* table;
};

HeldTable openTable(Module module);

} // namespace ql::exchange
