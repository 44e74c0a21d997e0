#include "ProgramLookup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
bool usable(const QFileInfo &info, bool mustBeExecutable)
{
    return info.isFile() && (!mustBeExecutable || info.isExecutable());
}
}

QString locateProgramFile(const QString &name, bool mustBeExecutable)
{
    if (name.isEmpty())
        return {};
    if (name.contains(QLatin1Char('/'))) {
        const QFileInfo info(name);
        return usable(info, mustBeExecutable) ? info.absoluteFilePath() : QString();
    }
    for (const QString &dir : {QCoreApplication::applicationDirPath(), QDir::currentPath()}) {
        const QFileInfo info(QDir(dir).filePath(name));
        if (!dir.isEmpty() && usable(info, mustBeExecutable))
            return info.absoluteFilePath();
    }
    return QStandardPaths::findExecutable(name);
}
