#pragma once
#include <QString>

// The title the program goes by: its file name cut before the first dot, every
// character after the first in lower case ("zorvel", or "Zorvel" for ZORVEL).
QString applicationTitleFor(const QString &executablePath);

// The name of the per-user instance lock: the executable's file name upper-cased.
QString instanceNameFor(const QString &executablePath);
