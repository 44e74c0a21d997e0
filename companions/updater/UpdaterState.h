#pragma once
#include "FileVersion.h"

#include <QDateTime>
#include <QString>
#include <optional>

// What the updater remembers between runs.
struct UpdaterState {
    QDateTime lastCheck;                  // the last check that got a valid manifest
    QDateTime lastFailure;                // the last quiet check that failed on the way to the server
    std::optional<FileVersion> announced; // the newest version the user has been told about
};

// The updater's folder under the user's state directory and the files in it:
// updater.state (key=value lines) and updater.lock.
class UpdaterStateStore {
public:
    explicit UpdaterStateStore(QString folder);

    // ${XDG_STATE_HOME:-$HOME/.local/state}/zorvel; empty with `error` set when neither is usable.
    static QString defaultFolder(QString *error);

    const QString &folder() const { return m_folder; }
    QString statePath() const;
    QString lockPath() const;

    bool ensureFolder(QString *error) const;
    // A missing or unreadable file, or a line that does not parse, leaves that part empty.
    UpdaterState load() const;
    // Replaces the file atomically, so a crash never leaves half a state behind.
    bool save(const UpdaterState &state, QString *error) const;

private:
    QString m_folder;
};
