#include "UpdaterLaunch.h"

#include "Shell.h"

#include <QDir>

void LaunchUpdater(Shell &shell, QWidget *owner, const QString &file, const QString &switchText)
{
    shell.OpenProgram(owner, file, switchText);
}

QString CheckNowUpdaterPath()
{
    QString dir = QDir::currentPath();
    return dir + QStringLiteral("/updater");
}
