#include "WebAddresses.h"

#include <QLocale>

QString HomeUrl()
{
    return QStringLiteral(ZORVEL_SERVER "/Brenvo/");
}

QString PageUrl(const char *pageName)
{
    return HomeUrl() + QLatin1String(pageName);
}

bool ContainsText(const QString &text, const QString &pattern)
{
    const QLocale locale = QLocale::system();
    return locale.toUpper(text).contains(locale.toUpper(pattern));
}
