#pragma once

#include <QDateTime>
#include <functional>

namespace ql::clock {

// The current local date and time. Everything that stamps or compares with "now" asks here,
// so tests can put the program at any moment.
QDateTime now();
QDate today();

// Replaces the time source for the whole process (a test puts the program at a moment); an empty
// function restores the system clock.
void setSource(std::function<QDateTime()> source);

} // namespace ql::clock
