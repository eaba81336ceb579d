#include "store/tabledirectory.h"

#include "store/catalogue.h"
#include "store/sqlite.h"
#include "store/tablefile.h"

#include <QDir>
#include <QStringList>

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

TableCheck TableDirectory::examine(const TableDef& def, CheckDepth depth) const
{
    const QString path = fileOf(def.name);
    if (path.isEmpty())
        return {QStringLiteral("there is no file of this table"), 0, {}};
    try {
        const tablefile::OpenFile file = tablefile::open(def, path, true);
        // A few findings say enough; the engine stops looking after them.
        sql::Statement check(file.db, depth == CheckDepth::Quick ? "PRAGMA quick_check(10)"
                                                                 : "PRAGMA integrity_check(10)");
        QStringList findings;
        while (check.step())
            findings << QString::fromUtf8(check.columnBytes(0));
        if (findings != QStringList{QStringLiteral("ok")})
            return {QStringLiteral("it is damaged (%1)").arg(findings.value(0)), 0, findings};
        sql::Statement count(file.db, tablefile::keepsCount(file.db)
                                          ? "SELECT records FROM tally"
                                          : "SELECT count(*) FROM records");
        count.step();
        return {{}, count.columnInt(0), {}};
    } catch (const sql::DamagedError& e) {
        // The check itself ran into a part of the file it cannot read.
        return {QStringLiteral("it is damaged (%1)").arg(e.text()), 0, {e.text()}};
    } catch (const PasswordError&) {
        return {QStringLiteral("its password is not one this program knows"), 0, {}};
    } catch (const Error& e) {
        // The open names the table and the file; the reason is said of the file alone.
        QString reason = e.text();
        reason.remove(QStringLiteral("Cannot open table \"%1\": ").arg(def.name));
        reason.replace(QStringLiteral("\"%1\" ").arg(QDir::toNativeSeparators(path)),
                       QStringLiteral("it "));
        reason.remove(QStringLiteral(" Restore it from a backup."));
        if (reason.endsWith(QLatin1Char('.')))
            reason.chop(1);
        return {reason, 0, {}};
    }
}

} // namespace ql
