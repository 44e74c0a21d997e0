// updater /silentall | /checknow: Zorvel's update check. It never installs anything.
#include "Clock.h"
#include "DesktopReporter.h"
#include "HttpManifestSource.h"
#include "StdoutReporter.h"
#include "Updater.h"
#include "UpdaterConstants.h"
#include "UpdaterState.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {
void printError(const QString &line)
{
    std::fprintf(stderr, "updater: %s\n", line.toLocal8Bit().constData());
}

// Whether a message box could be shown; Qt ends the process when it finds no display.
bool displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// The folder of the running updater, as the system reports it (links resolved).
QString ownFolder()
{
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}
}

int main(int argc, char **argv)
{
    using namespace UpdaterConstants;
    const QLatin1StringView given(argc == 2 ? argv[1] : "");
    if (argc != 2 || (given != SilentSwitch && given != CheckNowSwitch)) {
        std::fprintf(stderr, "%s\n", Usage.data());
        return 2;
    }
    const bool silent = given == SilentSwitch;
    const bool toStdout = qgetenv(ReportVariable) == "stdout";
    if (!silent && !toStdout && !displayAvailable()) {
        printError(QStringLiteral("no display to show the check's result on (DISPLAY is not set)"));
        return 1;
    }

    QString address = qEnvironmentVariable(AddressVariable);
    if (address.isEmpty())
        address = QStringLiteral(ZORVEL_UPDATE_URL);

    // The application object starts only when there is work, so that the copies
    // the bar starts every minute and that find nothing due stay cheap.
    int qtArgc = 1;
    std::unique_ptr<QCoreApplication> application;
    const auto startRuntime = [&] {
        if (!toStdout && displayAvailable())
            application = std::make_unique<QApplication>(qtArgc, argv);
        else
            application = std::make_unique<QCoreApplication>(qtArgc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("updater"));
        QCoreApplication::setApplicationVersion(QStringLiteral(ZORVEL_UPDATER_VERSION));
    };

    QString stateError;
    const QString stateFolder = UpdaterStateStore::defaultFolder(&stateError);
    SystemClock clock;
    HttpManifestSource source(QStringLiteral("Zorvel-Updater/" ZORVEL_UPDATER_VERSION));
    DesktopReporter desktop;
    StdoutReporter printer;
    UpdateReporter &reporter = toStdout ? static_cast<UpdateReporter &>(printer) : desktop;

    Updater updater(UpdaterParts{clock, source, reporter, QUrl(address), ownFolder() + QStringLiteral("/zorvel"),
                                 stateFolder, stateError, startRuntime, printError});
    return silent ? updater.runSilentAll() : updater.runCheckNow();
}
