#include "FileVersion.h"

#include <QByteArray>
#include <QFile>

namespace {
// Parses "a.b.c.d;" at text; each number 0 to 65535.
std::optional<FileVersion> parseStamp(const char *text, const char *end)
{
    FileVersion version{};
    for (int i = 0; i < 4; ++i) {
        std::uint32_t value = 0;
        const char *digits = text;
        while (text < end && *text >= '0' && *text <= '9' && text - digits < 6)
            value = value * 10 + std::uint32_t(*text++ - '0');
        if (text == digits || value > 0xFFFF || text >= end)
            return std::nullopt;
        if (*text++ != (i < 3 ? '.' : ';'))
            return std::nullopt;
        version[i] = std::uint16_t(value);
    }
    return version;
}
}

std::optional<FileVersion> readFileVersion(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return std::nullopt;
    const uchar *mapped = file.map(0, file.size());
    if (!mapped)
        return std::nullopt;
    // Built at run time, so that the reader's own copy of the marker, wherever it
    // is linked in, never stands before a version of its own.
    const QByteArray marker = QByteArray("ZORVEL-FILE-") + QByteArray("VERSION=");
    const QByteArrayView data(reinterpret_cast<const char *>(mapped), file.size());
    std::optional<FileVersion> found;
    for (qsizetype at = data.indexOf(marker); at >= 0 && !found; at = data.indexOf(marker, at + 1)) {
        const char *text = data.data() + at + marker.size();
        found = parseStamp(text, data.data() + data.size());
    }
    file.unmap(const_cast<uchar *>(mapped));
    return found;
}
