#pragma once
#include "UpdateReporter.h"

// Announces through the desktop's notification service (org.freedesktop.Notifications
// on the session bus); where none answers, in a small message box. Results of a
// check the user asked for always go to a message box.
class DesktopReporter : public UpdateReporter {
public:
    bool announce(const QString &summary, const QString &body) override;
    void showResult(const QString &text, bool failed) override;

    static constexpr int BusTimeoutMs = 3000;

private:
    bool notify(const QString &summary, const QString &body);
    bool showBox(const QString &text, bool failed);
};
