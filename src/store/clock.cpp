#include "store/clock.h"

namespace ql {

QDateTime Clock::now() const
{
    const QMutexLocker lock(&m_mutex);
    return m_source ? m_source() : QDateTime::currentDateTime();
}

void Clock::setSource(std::function<QDateTime()> source)
{
    const QMutexLocker lock(&m_mutex);
    m_source = std::move(source);
}

} // namespace ql
