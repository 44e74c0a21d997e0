#include "Shell.h"

#include "ProgramLookup.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QUrl>

void DesktopShell::OpenProgram(QWidget *, const QString &file, const QString &parameter)
{
    const QString program = locateProgramFile(file, true);
    if (program.isEmpty())
        return;
    QProcess::startDetached(program, {parameter}, QDir::currentPath());
}

void DesktopShell::OpenUrl(QWidget *, const QString &address)
{
    QDesktopServices::openUrl(QUrl(address));
}
