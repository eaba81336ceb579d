#include "store/tablefile.h"

#include "store/error.h"
#include "store/session.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>

namespace ql::tablefile {
namespace {

constexpr int kFormat = 1;

QByteArray columnType(FieldType type)
{
    switch (type) {
    case FieldType::AutoIncrement:
        return "INTEGER PRIMARY KEY AUTOINCREMENT";
    case FieldType::Date:
    case FieldType::DateTime:
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return "TEXT";
}

bool isTextKey(FieldType type)
{
    return type == FieldType::Text || type == FieldType::Memo;
}

QByteArray passwordHash(const QByteArray& salt, const QString& password)
{
    return QCryptographicHash::hash(salt + password.toUtf8(), QCryptographicHash::Sha256).toHex();
}

QString meta(const sql::Database& db, const char* key)
{
    sql::Statement st(db, "SELECT value FROM meta WHERE key = ?1");
    st.bindText(1, key);
    return st.step() ? QString::fromUtf8(st.columnBytes(0)) : QString();
}

void setMeta(const sql::Database& db, const char* key, const QString& value)
{
    sql::Statement st(db, "INSERT OR REPLACE INTO meta(key, value) VALUES (?1, ?2)");
    st.bindText(1, key);
    st.bindText(2, value.toUtf8());
    st.step();
}

// The file keeps the number of its records in a table of one row, which triggers keep in step with
// every insert and delete, in the same transaction, whoever writes: a window learns the number
// without counting. A record that another program's statement replaces may go without firing a
// trigger, so a key already given is refused instead of replaced; so is a key below 1, for before
// the insert a key of -1 reads as no key given, and only after it is the key known.
constexpr const char* kTallyParts[] = {"tally",
                                       "tally_insert",
                                       "tally_delete",
                                       "tally_key_inserted",
                                       "tally_key_changed",
                                       "tally_key_above_zero"};

constexpr const char* kDropCountTriggers =
    "DROP TRIGGER IF EXISTS tally_insert; DROP TRIGGER IF EXISTS tally_delete; "
    "DROP TRIGGER IF EXISTS tally_key_inserted; DROP TRIGGER IF EXISTS tally_key_changed; "
    "DROP TRIGGER IF EXISTS tally_key_above_zero";

constexpr const char* kCountTriggers =
    "CREATE TRIGGER tally_insert AFTER INSERT ON records "
    "BEGIN UPDATE tally SET records = records + 1; END; "
    "CREATE TRIGGER tally_delete AFTER DELETE ON records "
    "BEGIN UPDATE tally SET records = records - 1; END; "
    // A new record's key reads as -1 before it is given.
    "CREATE TRIGGER tally_key_inserted BEFORE INSERT ON records "
    "WHEN NEW.rowid <> -1 AND EXISTS (SELECT 1 FROM records WHERE rowid = NEW.rowid) "
    "BEGIN SELECT RAISE(ABORT, 'a record has this key already'); END; "
    "CREATE TRIGGER tally_key_changed BEFORE UPDATE ON records "
    "WHEN NEW.rowid <> OLD.rowid AND EXISTS (SELECT 1 FROM records WHERE rowid = NEW.rowid) "
    "BEGIN SELECT RAISE(ABORT, 'a record has this key already'); END; "
    "CREATE TRIGGER tally_key_above_zero AFTER INSERT ON records WHEN NEW.rowid < 1 "
    "BEGIN SELECT RAISE(ABORT, 'a record key must be 1 or more'); END";

void keepCount(sql::Database& db)
{
    db.exec(kDropCountTriggers);
    db.exec("DROP TABLE IF EXISTS tally; "
            "CREATE TABLE tally(records INTEGER NOT NULL); "
            "INSERT INTO tally(records) SELECT count(*) FROM records");
    db.exec(kCountTriggers);
}

// Refuses a file whose records lack a field of def or hold it in a column of another type.
void checkColumns(const sql::Database& db, const TableDef& def)
{
    // Each column by its name in lower case: its declared type, and whether it is the key.
    QHash<QString, std::pair<QString, bool>> columns;
    sql::Statement info(db, "SELECT name, upper(type), pk, (SELECT count(*) FROM "
                            "pragma_table_info('records') WHERE pk > 0) FROM "
                            "pragma_table_info('records')");
    while (info.step())
        columns.insert(QString::fromUtf8(info.columnBytes(0)).toLower(),
                       {QString::fromUtf8(info.columnBytes(1)),
                        info.columnInt(2) > 0 && info.columnInt(3) == 1});
    for (const FieldDef& field : def.fields) {
        const auto column = columns.constFind(field.name.toLower());
        const bool key = field.type == FieldType::AutoIncrement;
        // Every record is reached by its row id: a key column must be that row id. A file
        // without one still has it.
        if (key && column != columns.cend() &&
            (column->first != QLatin1String("INTEGER") || !column->second))
            throw Error(QStringLiteral("its field %1 is not the row id").arg(field.name));
        if (key)
            continue;
        if (column == columns.cend())
            throw Error(QStringLiteral("the field %1 is missing").arg(field.name));
        if (column->first != QLatin1String("TEXT"))
            throw Error(QStringLiteral("its field %1 is of the type %2, not TEXT")
                            .arg(field.name,
                                 column->first.isEmpty() ? QStringLiteral("none") : column->first));
    }
}

} // namespace

bool keepsCount(const sql::Database& db)
{
    sql::Statement st(db,
                      "SELECT count(*) FROM sqlite_schema WHERE name IN (?1, ?2, ?3, ?4, ?5, ?6)");
    int parameter = 0;
    for (const char* name : kTallyParts)
        st.bindText(++parameter, name);
    st.step();
    return st.columnInt(0) == qint64(std::size(kTallyParts));
}

void create(const TableDef& def, const QString& directory, const QString& password)
{
    const QString path = QDir(directory).filePath(def.name);
    if (QFileInfo::exists(path) || !locate(directory, def.name).isEmpty())
        throw Error(QStringLiteral("Cannot create table \"%1\": the file exists already in %2.")
                        .arg(def.name, QDir::toNativeSeparators(directory)));
    // Built under a temporary name and renamed, so a half-made file never carries the name.
    const QString building = path + QStringLiteral(".new");
    QFile::remove(building);
    try {
        {
            sql::Database db(building, sql::OpenMode::Create);
            QFile::setPermissions(building, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            db.exec("PRAGMA page_size=32768");
            sql::Transaction tx(db);
            db.exec("CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT)");
            QByteArray columns;
            for (const FieldDef& field : def.fields) {
                if (!columns.isEmpty())
                    columns += ", ";
                columns += sql::quoted(field.name) + ' ' + columnType(field.type);
            }
            db.exec("CREATE TABLE records(" + columns + ")");
            for (const IndexDef& index : def.indexes) {
                const FieldDef& field = def.fields[size_t(def.fieldIndex(index.field))];
                QByteArray sqlText = "CREATE INDEX " + sql::quoted(index.name) + " ON records(" +
                                     sql::quoted(field.name);
                if (isTextKey(field.type))
                    sqlText += QByteArray(" COLLATE ") + sql::kKeyCollation;
                db.exec(sqlText + ")");
            }
            keepCount(db);
            QByteArray salt(16, '\0');
            QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()),
                                                  salt.size() / 4);
            setMeta(db, "table", def.name);
            setMeta(db, "format", QString::number(kFormat));
            setMeta(db, "salt", QString::fromLatin1(salt.toHex()));
            setMeta(db, "password", QString::fromLatin1(passwordHash(salt.toHex(), password)));
            setMeta(db, "collation", sql::KeyCollator::version());
            tx.commit();
        }
        if (!QFile::rename(building, path))
            throw Error(QStringLiteral("Cannot create table \"%1\" in %2.")
                            .arg(def.name, QDir::toNativeSeparators(directory)));
    } catch (const Error& e) {
        QFile::remove(building);
        throw Error(QStringLiteral("Cannot create table \"%1\": %2").arg(def.name, e.text()));
    }
}

QString locate(const QString& directory, const QString& tableName)
{
    const QDir dir(directory);
    QString exact = dir.filePath(tableName);
    if (QFileInfo(exact).isFile())
        return exact;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(tableName, Qt::CaseInsensitive) == 0 &&
            QFileInfo(dir.filePath(entry)).isFile())
            return dir.filePath(entry);
    }
    return {};
}

bool isWritable(const QString& path)
{
    return QFileInfo(path).isWritable() && QFileInfo(QFileInfo(path).absolutePath()).isWritable();
}

OpenFile open(const Session& session, const TableDef& def, const QString& path, bool untrusted)
{
    const auto fail = [&](const QString& why) {
        return Error(QStringLiteral("Cannot open table \"%1\": %2").arg(def.name, why));
    };
    const QString shown = QDir::toNativeSeparators(path);
    OpenFile opened;
    const bool writable = untrusted || isWritable(path);
    if (!writable) {
        opened.readOnlyNote =
            QStringLiteral("The table \"%1\" (%2) may not be written: it is open for reading only, "
                           "and changes to it cannot be stored until the file and its folder are "
                           "writable again.")
                .arg(def.name, shown);
    }
    QString file = path;
    const QString journal = path + QStringLiteral("-journal");
    if ((untrusted || !writable) && QFileInfo(journal).size() > 0) {
        // A crash left its journal, and only a writer can roll it back: read a private copy. A
        // file from elsewhere is never written, so it is read the same way.
        opened.copy = std::make_shared<QTemporaryDir>();
        file = opened.copy->filePath(QFileInfo(path).fileName());
        if (!opened.copy->isValid() || !QFile::copy(path, file) ||
            !QFile::copy(journal, file + QStringLiteral("-journal")))
            throw fail(QStringLiteral("a crash left \"%1\" unfinished, and it cannot be read "
                                      "without writing to it.")
                           .arg(shown));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    }
    const sql::OpenMode mode =
        untrusted ? (opened.copy ? sql::OpenMode::UntrustedCopy : sql::OpenMode::ReadOnlyUntrusted)
        : opened.copy ? sql::OpenMode::ReadWrite
        : writable    ? sql::OpenMode::ReadWrite
                      : sql::OpenMode::ReadOnly;
    sql::Database& db = opened.db;
    QString salt;
    QString hash;
    QString collation;
    try {
        db = sql::Database(file, mode, session.busyTimeout());
        if (meta(db, "format").toInt() != kFormat)
            throw Error(QStringLiteral("no table format stamp"));
        salt = meta(db, "salt");
        hash = meta(db, "password");
        collation = meta(db, "collation");
        checkColumns(db, def);
    } catch (const sql::BusyError& e) {
        throw fail(QStringLiteral("the file is in use by another program (%1).").arg(e.text()));
    } catch (const sql::DamagedError& e) {
        throw damaged(def.name, path, e.text());
    } catch (const Error& e) {
        const QString problem =
            QStringLiteral("it is not a table of this program (%1)").arg(e.text());
        throw UnusableTableError(
            fail(QStringLiteral("\"%1\" is not a table of this program (%2).").arg(shown, e.text()))
                .text(),
            def.name, problem);
    }
    bool passwordKnown = false;
    for (const QString& password : session.passwords()) {
        if (passwordHash(salt.toLatin1(), password) == hash.toLatin1()) {
            passwordKnown = true;
            break;
        }
    }
    if (!passwordKnown)
        throw PasswordError(fail(QStringLiteral("invalid password.")).text());
    if (writable && !untrusted && collation != sql::KeyCollator::version()) {
        // The alphabetical order changed with the system's Unicode data: rebuild the indexes.
        try {
            sql::Transaction tx(db);
            db.exec((QByteArray("REINDEX ") + sql::kKeyCollation).constData());
            setMeta(db, "collation", sql::KeyCollator::version());
            tx.commit();
        } catch (const Error& e) {
            throw fail(QStringLiteral("its indexes cannot be rebuilt (%1).").arg(e.text()));
        }
    }
    return opened;
}

UnusableTableError missing(const QString& tableName, const QString& directory)
{
    return {QStringLiteral("Cannot open table \"%1\": there is no such file in %2.")
                .arg(tableName, QDir::toNativeSeparators(directory)),
            tableName, QStringLiteral("there is no file of this table")};
}

UnusableTableError damaged(const QString& tableName, const QString& path, const QString& finding)
{
    return {QStringLiteral("Cannot open table \"%1\": \"%2\" is damaged (%3). Restore it from a "
                           "backup.")
                .arg(tableName, QDir::toNativeSeparators(path), finding),
            tableName, QStringLiteral("it is damaged (%1)").arg(finding)};
}

bool learnToKeepCount(sql::Database& db)
{
    try {
        sql::Transaction tx(db);
        keepCount(db);
        tx.commit();
        return true;
    } catch (const Error&) {
        return false;
    }
}

void setCountAside(sql::Database& db)
{
    db.exec(kDropCountTriggers);
}

void countAgain(sql::Database& db, qint64 change)
{
    sql::Statement st(db, "UPDATE tally SET records = records + ?1");
    st.bindInt(1, change);
    st.step();
    db.exec(kCountTriggers);
}

} // namespace ql::tablefile
