#include "Version.h"

#include <QStringList>

std::optional<FileVersion> parseVersion(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    FileVersion version{};
    for (int i = 0; i < 4; ++i) {
        const QString &part = parts[i];
        if (part.isEmpty() || part.size() > 5)
            return std::nullopt;
        for (QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
        const uint value = part.toUInt();
        if (value > 0xFFFF)
            return std::nullopt;
        version[i] = std::uint16_t(value);
    }
    return version;
}

QString versionText(const FileVersion &version, int parts)
{
    QStringList numbers;
    for (int i = 0; i < parts && i < 4; ++i)
        numbers << QString::number(version[i]);
    return numbers.join(QLatin1Char('.'));
}

QString shownVersion(const FileVersion &version, const FileVersion &other)
{
    const bool sameRelease = version[0] == other[0] && version[1] == other[1] && version[2] == other[2];
    return versionText(version, sameRelease && version[3] != other[3] ? 4 : 3);
}
