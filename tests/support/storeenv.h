#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <utility>

namespace ql {
class Session;
}

// What every test relies on, over the store alone.
namespace ql::test {

// The text of the ql::Error the call fails with; "(no error)" when it does not fail.
QString failureText(const std::function<void()>& call);

// Fixes what every test relies on: the en_US locale.
void setUpProcess();

// The number of records a table file keeps and the number it holds, read through a connection of
// its own; the number kept is -1 when the file keeps none.
std::pair<qint64, qint64> keptAndHeldRecords(const QString& tablePath);

// Makes a table file one that an earlier build wrote, which kept no number of its records.
void keepNoCount(const QString& tablePath);

// Puts the clock of a run's session at a fixed moment for as long as it lives.
class FixedClock {
public:
    FixedClock(Session& session, const QDateTime& moment);
    ~FixedClock();
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;
    void set(const QDateTime& moment) { m_moment = moment; }

private:
    Session& m_session;
    QDateTime m_moment;
};

} // namespace ql::test
