#include "UpdateSchedule.h"

namespace {
// True while `now` lies within `seconds` after `since`. A time after `now` (the
// clock was set back) does not count, so a wrong clock never stops checks for long.
bool within(const QDateTime &since, const QDateTime &now, qint64 seconds)
{
    if (!since.isValid())
        return false;
    const qint64 elapsed = since.secsTo(now);
    return elapsed >= 0 && elapsed < seconds;
}
}

bool UpdateSchedule::checkDue(const UpdaterState &state, const QDateTime &now)
{
    return !within(state.lastCheck, now, CheckIntervalSecs) && !within(state.lastFailure, now, RetryAfterFailureSecs);
}
