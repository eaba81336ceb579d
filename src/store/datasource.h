#pragma once

#include <QObject>

namespace ql {

class Table;

// The link through which windows and reports bind to a table's fields.
class DataSource : public QObject {
    Q_OBJECT
public:
    DataSource(Table* table, const QString& name, QObject* parent)
        : QObject(parent)
        , m_table(table)
    {
        setObjectName(name);
    }
    Table* dataSet() const { return m_table; }

private:
    Table* m_table;
};

} // namespace ql
