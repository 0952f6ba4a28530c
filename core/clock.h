#pragma once
// The program's one clock. "Today" and "now" decide the sales-read file
// names, the yearly table names, the work log's month and the package
// number, so every Part asks here and tests can set the time.

#include <QDate>
#include <QDateTime>

namespace rubso {

class Clock {
public:
    static QDateTime Now();
    static QDate Today() { return Now().date(); }

    // Freezes the clock at `moment` (local time) until Reset(). For tests.
    static void SetFixed(const QDateTime& moment);
    static void Reset();
};

// Sets the clock for the lifetime of the object, then restores the real one.
class ScopedFixedClock {
public:
    explicit ScopedFixedClock(const QDateTime& moment) { Clock::SetFixed(moment); }
    ~ScopedFixedClock() { Clock::Reset(); }
    ScopedFixedClock(const ScopedFixedClock&) = delete;
    ScopedFixedClock& operator=(const ScopedFixedClock&) = delete;
};

}  // namespace rubso
