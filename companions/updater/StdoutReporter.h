#pragma once
#include "UpdateReporter.h"

// Prints what would be shown, one line each, instead of showing it: lets the
// updater's process tests run without a display or a notification service.
class StdoutReporter : public UpdateReporter {
public:
    bool announce(const QString &summary, const QString &body) override;
    void showResult(const QString &text, bool failed) override;
};
