#pragma once

#include <QDateTime>
#include <QMutex>
#include <functional>

namespace ql {

// What a run reads as the current local date and time: the system's clock, unless a test puts
// the run at a moment of its own. Everything that stamps or compares with "now" asks the clock of
// its run's session. Its functions may be called from any thread.
class Clock {
public:
    QDateTime now() const;
    QDate today() const { return now().date(); }
    // Replaces the time source (a test puts the run at a moment); an empty function restores the
    // system's clock.
    void setSource(std::function<QDateTime()> source);

private:
    mutable QMutex m_mutex;
    std::function<QDateTime()> m_source;
};

} // namespace ql
