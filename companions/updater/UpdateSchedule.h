#pragma once
#include "UpdaterState.h"

// When the quiet check may go to the network again. It is started every minute,
// so this is what keeps it to one check a day.
namespace UpdateSchedule {
inline constexpr qint64 CheckIntervalSecs = 24 * 60 * 60;
// A check that never reached a valid manifest (offline, server down, a captive
// portal's page) is tried again after an hour rather than after a day, so that a
// machine started offline still checks that day, and rather than every minute.
inline constexpr qint64 RetryAfterFailureSecs = 60 * 60;

bool checkDue(const UpdaterState &state, const QDateTime &now);
}
