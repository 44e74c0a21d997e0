#include "ApplicationTitle.h"

namespace {
QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}
}

QString applicationTitleFor(const QString &executablePath)
{
    QString name = fileNameOf(executablePath);
    name.truncate(name.indexOf(QLatin1Char('.')) < 0 ? name.size() : name.indexOf(QLatin1Char('.')));
    return name.left(1) + name.mid(1).toLower();
}

QString instanceNameFor(const QString &executablePath)
{
    QString name = fileNameOf(executablePath);
    for (QChar &c : name)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return name;
}
