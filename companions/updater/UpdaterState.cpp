#include "UpdaterState.h"

#include "Version.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {
const QByteArray CheckedKey = "checked";
const QByteArray FailedKey = "failed";
const QByteArray AnnouncedKey = "announced";

QDateTime parseTime(const QByteArray &text)
{
    QDateTime time = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
    return time.isValid() ? time.toUTC() : QDateTime();
}
}

UpdaterStateStore::UpdaterStateStore(QString folder) : m_folder(std::move(folder)) {}

QString UpdaterStateStore::defaultFolder(QString *error)
{
    // Relative paths are not valid here and are ignored, as the XDG base directories ask.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        const QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty() || !QDir::isAbsolutePath(home)) {
            *error = QStringLiteral("neither XDG_STATE_HOME nor HOME names a folder for the updater's state");
            return {};
        }
        base = home + QStringLiteral("/.local/state");
    }
    return QDir::cleanPath(base + QStringLiteral("/zorvel"));
}

QString UpdaterStateStore::statePath() const
{
    return m_folder + QStringLiteral("/updater.state");
}

QString UpdaterStateStore::lockPath() const
{
    return m_folder + QStringLiteral("/updater.lock");
}

bool UpdaterStateStore::ensureFolder(QString *error) const
{
    if (QDir().mkpath(m_folder))
        return true;
    *error = QStringLiteral("cannot create the state folder %1").arg(m_folder);
    return false;
}

UpdaterState UpdaterStateStore::load() const
{
    UpdaterState state;
    QFile file(statePath());
    if (!file.open(QIODevice::ReadOnly))
        return state;
    const QList<QByteArray> lines = file.read(64 * 1024).split('\n');
    for (const QByteArray &line : lines) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (key == CheckedKey)
            state.lastCheck = parseTime(value);
        else if (key == FailedKey)
            state.lastFailure = parseTime(value);
        else if (key == AnnouncedKey)
            state.announced = parseVersion(QString::fromLatin1(value));
    }
    return state;
}

bool UpdaterStateStore::save(const UpdaterState &state, QString *error) const
{
    QByteArray text;
    if (state.lastCheck.isValid())
        text += CheckedKey + '=' + state.lastCheck.toUTC().toString(Qt::ISODate).toLatin1() + '\n';
    if (state.lastFailure.isValid())
        text += FailedKey + '=' + state.lastFailure.toUTC().toString(Qt::ISODate).toLatin1() + '\n';
    if (state.announced)
        text += AnnouncedKey + '=' + versionText(*state.announced).toLatin1() + '\n';
    QSaveFile file(statePath());
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit())
        return true;
    *error = QStringLiteral("cannot write %1: %2").arg(statePath(), file.errorString());
    return false;
}
