#include "UserDirectories.h"

#include <QDir>
#include <QFile>

#include <pwd.h>
#include <unistd.h>

namespace {
QString homeDirectory()
{
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        return home;
    if (const passwd *entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return QFile::decodeName(entry->pw_dir);
    return QDir::rootPath();
}

QString xdgDirectory(const char *variable, const char *underHome)
{
    QString base = qEnvironmentVariable(variable);
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        base = homeDirectory();
        if (!base.endsWith(u'/'))
            base += u'/';
        base += QLatin1String(underHome);
    }
    while (base.endsWith(u'/'))
        base.chop(1);
    return base;
}
}

QString UserConfigDirectory()
{
    return xdgDirectory("XDG_CONFIG_HOME", ".config");
}

QString UserDataDirectory()
{
    return xdgDirectory("XDG_DATA_HOME", ".local/share");
}
