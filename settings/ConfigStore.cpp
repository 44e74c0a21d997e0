#include "ConfigStore.h"

#include "ErrorReporter.h"
#include "IntegerText.h"
#include "PrivateProfile.h"
#include "UserDirectories.h"

#include <QFile>

namespace {

// The value text the profile reader may return: 2047 characters and its end.
constexpr int kValueBufferSize = 2048;

} // namespace

QString configFilePath()
{
    return UserConfigDirectory() + QStringLiteral("/zorvel/config.ini");
}

std::int32_t ReadSetting(const QString &section, const QString &key, std::int32_t defaultValue)
{
    QString text = getPrivateProfileString(section, key, QString(), kValueBufferSize, configFilePath());
    // 0x400 reads as $400; a bare "0x" is left to fail.
    if (text.size() > 2 && text.at(0) == u'0' && (text.at(1) == u'x' || text.at(1) == u'X'))
        text.replace(0, 2, QStringLiteral("$"));
    return parseIntegerText(text).value_or(defaultValue);
}

void WriteSetting(const QString &section, const QString &key, std::int32_t value)
{
    const QString path = configFilePath();
    if (!writePrivateProfileString(section, key, QString::number(value), path))
        throw ZorvelError(QStringLiteral("Unable to write to %1").arg(path));
}
