#include "store/tabledirectory.h"

#include "store/catalogue.h"
#include "store/sqlite.h"
#include "store/tablefile.h"

namespace ql {

QString TableDirectory::fileOf(const QString& tableName) const
{
    return tablefile::locate(m_path, tableName);
}

void TableDirectory::create(const TableDef& def, const QString& password) const
{
    tablefile::create(def, m_path, password);
}

void TableDirectory::createMissingTables() const
{
    for (const TableDef* def : catalogue::all()) {
        if (!holds(def->name))
            create(*def, catalogue::password(*def));
    }
}

QSet<QString> TableDirectory::storedFields(const QString& tableName) const
{
    const QString path = fileOf(tableName);
    QSet<QString> fields;
    if (path.isEmpty())
        return fields;
    const TableDef keyOnly{tableName, {}, {}};
    const tablefile::OpenFile file = tablefile::open(keyOnly, path, true);
    sql::Statement info(file.db, "SELECT lower(name) FROM pragma_table_info('records')");
    while (info.step())
        fields.insert(QString::fromUtf8(info.columnBytes(0)));
    return fields;
}

} // namespace ql
