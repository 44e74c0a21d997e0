#pragma once
#include <QFile>
#include <QString>

// The lock that keeps one updater at work at a time: an flock on a file in the
// state folder, released by the system however the holder ends.
class UpdaterLock {
public:
    enum class Result { Held, Busy, Failed };

    explicit UpdaterLock(const QString &path); // tries once, never waits
    UpdaterLock(const UpdaterLock &) = delete;
    UpdaterLock &operator=(const UpdaterLock &) = delete;

    Result result() const { return m_result; }
    const QString &error() const { return m_error; }

private:
    QFile m_file; // the lock lives as long as this open file
    Result m_result = Result::Failed;
    QString m_error;
};
