#pragma once

#include "store/tableholder.h"

namespace ql {

// The four catalogues of the collection in `session`, open while it lives.
class CollectionsTables : public TableHolder {
    Q_OBJECT
public:
    explicit CollectionsTables(Session& session, QObject* owner = nullptr);

    Table* tbCD;
    Table* tbCDR;
    Table* tbTapes;
    Table* tbBooks;
    DataSource* dsCD;
    DataSource* dsCDR;
    DataSource* dsTapes;
    DataSource* dsBooks;
};

} // namespace ql
