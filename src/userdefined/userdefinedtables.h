#pragma once

#include "store/tableholder.h"

namespace ql {

// The user-defined records, in the order they were created.
class UserDefinedTables : public TableHolder {
    Q_OBJECT
public:
    explicit UserDefinedTables(Session& session, QObject* owner = nullptr);

    Table* tbUserDefined;
    DataSource* dsUserDefined;
};

} // namespace ql
