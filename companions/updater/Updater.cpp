#include "Updater.h"

#include "Manifest.h"
#include "UpdateSchedule.h"
#include "UpdaterLock.h"
#include "UpdaterState.h"
#include "Version.h"

#include <QFileInfo>

#include <memory>

Updater::Updater(UpdaterParts parts) : m_parts(std::move(parts)) {}

void Updater::startRuntime()
{
    if (!m_runtimeStarted && m_parts.startRuntime)
        m_parts.startRuntime();
    m_runtimeStarted = true;
}

void Updater::error(const QString &line)
{
    if (m_parts.errorLine)
        m_parts.errorLine(line);
}

CheckOutcome Updater::check()
{
    CheckOutcome outcome;
    if (!QFileInfo(m_parts.zorvelPath).isFile()) {
        outcome.reason = QStringLiteral("zorvel was not found beside the updater (%1)").arg(m_parts.zorvelPath);
        return outcome;
    }
    const std::optional<FileVersion> installed = readFileVersion(m_parts.zorvelPath);
    if (!installed) {
        outcome.reason = QStringLiteral("no version found in %1").arg(m_parts.zorvelPath);
        return outcome;
    }
    outcome.installed = *installed;

    outcome.askedServer = true;
    const FetchResult fetched = m_parts.source.fetch(m_parts.manifestAddress);
    if (!fetched.ok) {
        outcome.reason = fetched.error;
        return outcome;
    }
    const ManifestParse parsed = parseManifest(fetched.body);
    if (!parsed.manifest) {
        outcome.reason = QStringLiteral("the update server at %1 sent a bad manifest: %2")
                             .arg(m_parts.manifestAddress.toDisplayString(), parsed.error);
        return outcome;
    }
    outcome.latest = parsed.manifest->version;
    outcome.download = parsed.manifest->download;
    outcome.kind = outcome.latest > outcome.installed ? CheckOutcome::Kind::Newer : CheckOutcome::Kind::UpToDate;
    return outcome;
}

int Updater::runSilentAll()
{
    if (m_parts.stateFolder.isEmpty()) {
        error(m_parts.stateError);
        return 1;
    }
    const UpdaterStateStore store(m_parts.stateFolder);
    QString problem;
    if (!store.ensureFolder(&problem)) {
        error(problem);
        return 1;
    }
    // Held until the run ends, the announcement's box included, so that the copies
    // the bar starts every minute meanwhile leave at once instead of telling again.
    const UpdaterLock lock(store.lockPath());
    if (lock.result() == UpdaterLock::Result::Busy)
        return 0;
    if (lock.result() == UpdaterLock::Result::Failed) {
        error(lock.error());
        return 1;
    }

    UpdaterState state = store.load();
    const QDateTime now = m_parts.clock.now();
    if (!UpdateSchedule::checkDue(state, now))
        return 0;

    startRuntime();
    const CheckOutcome outcome = check();
    if (outcome.kind == CheckOutcome::Kind::Failed) {
        error(outcome.reason);
        // A local fault (no zorvel, no stamp) asked nothing of the server, so it
        // does not hold the next check back.
        if (outcome.askedServer) {
            state.lastFailure = now;
            if (!store.save(state, &problem))
                error(problem);
        }
        return 1;
    }

    state.lastCheck = now;
    state.lastFailure = QDateTime();
    if (!store.save(state, &problem)) {
        error(problem);
        return 1;
    }
    if (outcome.kind == CheckOutcome::Kind::Newer && state.announced != outcome.latest) {
        const QString latest = shownVersion(outcome.latest, outcome.installed);
        const QString summary = QStringLiteral("Zorvel %1 is available").arg(latest);
        const QString body = QStringLiteral("You have %1. Get it from: %2")
                                 .arg(shownVersion(outcome.installed, outcome.latest),
                                      outcome.download.toString(QUrl::FullyEncoded));
        if (!m_parts.reporter.announce(summary, body)) {
            // Not remembered as told: the next day's check tells it again.
            error(QStringLiteral("Zorvel %1 is available, but neither a notification service nor a display could "
                                 "tell the user").arg(latest));
            return 1;
        }
        state.announced = outcome.latest;
        if (!store.save(state, &problem)) {
            error(problem);
            return 1;
        }
    }
    return 0;
}

int Updater::runCheckNow()
{
    startRuntime();
    std::unique_ptr<UpdaterStateStore> store;
    std::unique_ptr<UpdaterLock> lock;
    QString problem;
    if (m_parts.stateFolder.isEmpty()) {
        error(m_parts.stateError);
    } else if (store = std::make_unique<UpdaterStateStore>(m_parts.stateFolder); !store->ensureFolder(&problem)) {
        error(problem);
        store.reset();
    } else {
        // Taken when free, so that no quiet copy tells the same news beside this
        // dialog; never waited for: the user asked for a check now.
        lock = std::make_unique<UpdaterLock>(store->lockPath());
    }

    const QDateTime now = m_parts.clock.now();
    const CheckOutcome outcome = check();
    if (outcome.kind == CheckOutcome::Kind::Failed) {
        error(outcome.reason);
        m_parts.reporter.showResult(QStringLiteral("The update check failed: %1.").arg(outcome.reason), true);
        return 1;
    }

    if (store) {
        UpdaterState state = store->load();
        state.lastCheck = now;
        state.lastFailure = QDateTime();
        if (outcome.kind == CheckOutcome::Kind::Newer)
            state.announced = outcome.latest;
        if (!store->save(state, &problem))
            error(problem); // the result is still worth showing
    }

    if (outcome.kind == CheckOutcome::Kind::UpToDate) {
        m_parts.reporter.showResult(
            QStringLiteral("Zorvel %1 is up to date.").arg(versionText(outcome.installed, 3)), false);
    } else {
        m_parts.reporter.showResult(QStringLiteral("Zorvel %1 is available (you have %2). Get it from: %3")
                                        .arg(shownVersion(outcome.latest, outcome.installed),
                                             shownVersion(outcome.installed, outcome.latest),
                                             outcome.download.toString(QUrl::FullyEncoded)),
                                    false);
    }
    return 0;
}
