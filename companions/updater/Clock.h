#pragma once
#include <QDateTime>

// Where the updater reads the time, so that the once-a-day rule tests with a test clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
};
