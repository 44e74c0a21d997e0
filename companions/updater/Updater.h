#pragma once
#include "Clock.h"
#include "FileVersion.h"
#include "ManifestSource.h"
#include "UpdateReporter.h"

#include <QString>
#include <QUrl>
#include <functional>

// Everything a run reaches outside itself.
struct UpdaterParts {
    Clock &clock;
    ManifestSource &source;
    UpdateReporter &reporter;
    QUrl manifestAddress;
    QString zorvelPath;  // the program file whose stamped version is the installed one
    QString stateFolder; // empty when none could be found: `stateError` says why
    QString stateError;
    // Called once before the first network or display work, so that a quiet run
    // that has nothing to do never starts more than it needs (a display connection).
    std::function<void()> startRuntime;
    // One line on standard error per failure.
    std::function<void(const QString &)> errorLine;
};

// The result of one check against the manifest.
struct CheckOutcome {
    enum class Kind { UpToDate, Newer, Failed };
    Kind kind = Kind::Failed;
    FileVersion installed{};
    FileVersion latest{};
    QUrl download;
    QString reason;          // why it failed
    bool askedServer = false; // a failure on the way to or from the server, not a local one
};

class Updater {
public:
    explicit Updater(UpdaterParts parts);

    // The bar's quiet check: at most one copy at work, at most one successful
    // check a day, and a newer version told once. Exit status: 0 also when there
    // was nothing to do; non-zero with one error line when a check failed.
    int runSilentAll();
    // The user's check: at once, and the result always shown.
    int runCheckNow();

    CheckOutcome check();

private:
    void startRuntime();
    void error(const QString &line);

    UpdaterParts m_parts;
    bool m_runtimeStarted = false;
};
