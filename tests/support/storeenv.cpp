#include "support/storeenv.h"

#include "store/error.h"
#include "store/session.h"
#include "store/sqlite.h"

#include <QLocale>

namespace ql::test {

QString failureText(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Error& e) {
        return e.text();
    }
    return QStringLiteral("(no error)");
}

void setUpProcess()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

FixedClock::FixedClock(Session& session, const QDateTime& moment)
    : m_session(session)
    , m_moment(moment)
{
    m_session.clock().setSource([this] { return m_moment; });
}

FixedClock::~FixedClock()
{
    m_session.clock().setSource({});
}

std::pair<qint64, qint64> keptAndHeldRecords(const QString& tablePath)
{
    const sql::Database db(tablePath, sql::OpenMode::ReadOnly);
    sql::Statement keeps(db, "SELECT count(*) FROM sqlite_schema WHERE name = 'tally'");
    keeps.step();
    sql::Statement count(db, keeps.columnInt(0) ? "SELECT (SELECT records FROM tally), "
                                                  "(SELECT count(*) FROM records)"
                                                : "SELECT -1, count(*) FROM records");
    count.step();
    return {count.columnInt(0), count.columnInt(1)};
}

void keepNoCount(const QString& tablePath)
{
    sql::Database db(tablePath, sql::OpenMode::ReadWrite);
    db.exec("DROP TRIGGER tally_insert; DROP TRIGGER tally_delete; "
            "DROP TRIGGER tally_key_inserted; DROP TRIGGER tally_key_changed; "
            "DROP TRIGGER IF EXISTS tally_key_above_zero; DROP TABLE tally");
}

} // namespace ql::test
