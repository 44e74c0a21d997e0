#include "UpdaterLaunch.h"

#include "Shell.h"

#include <QDir>

void LaunchUpdater(Shell &shell, QWidget *owner, const QString &file, const QString &switchText)
{
    shell.OpenProgram(owner, file, switchText);
}

QString CheckNowUpdaterPath()
{
    return QDir::currentPath() + QLatin1Char('/') + QLatin1String(UpdaterProgram);
}
