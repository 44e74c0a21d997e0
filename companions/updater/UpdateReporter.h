#pragma once
#include <QString>

// The step that tells the user: a desktop notification for the quiet check, a
// small dialog for the check the user asked for.
class UpdateReporter {
public:
    virtual ~UpdateReporter() = default;
    // A newer version was found by the quiet check. False when nothing could tell the user.
    virtual bool announce(const QString &summary, const QString &body) = 0;
    // The outcome of a check the user asked for; `failed` picks a warning instead of an information box.
    virtual void showResult(const QString &text, bool failed) = 0;
};
