// The private-profile reader on arbitrary bytes with an arbitrary section and
// key. Input: section line, key line, then the file's content.
//
// Beyond "no crash, no hang, no read beyond the content", the reader must keep
// its promises on any content: a value is cut to the buffer and never holds a
// line end; names match whatever the case of their ASCII letters; and what
// comes after a section, or before the first one, is no part of it.
#include "FuzzInput.h"
#include "PrivateProfile.h"

#include <QByteArray>

using fuzz::check;

namespace {

constexpr int kBuffer = 2048; // what the configuration store passes

// ASCII letters in the other case; other characters stay.
QString swappedCase(const QString &name)
{
    QString out = name;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= u'a' && u <= u'z')
            c = QChar(u - 32);
        else if (u >= u'A' && u <= u'Z')
            c = QChar(u + 32);
    }
    return out;
}

// The value, or nothing when the key is missing: a missing key is the one
// case where the two defaults come back.
std::optional<QString> lookUp(QByteArrayView content, const QString &section, const QString &key, int buffer)
{
    const QString a = privateProfileValue(content, section, key, QStringLiteral("\x01" "a"), buffer);
    const QString b = privateProfileValue(content, section, key, QStringLiteral("\x01" "b"), buffer);
    if (a == b)
        return a;
    check(buffer < 3 || (a == QStringLiteral("\x01" "a") && b == QStringLiteral("\x01" "b")),
          "a missing key gives the default", fuzz::shown(a) + u' ' + fuzz::shown(b));
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const fuzz::Input input = fuzz::split(data, size, 2);
    const QString section = fuzz::text(input.head[0]);
    const QString key = fuzz::text(input.head[1]);
    const QByteArrayView content = input.content;

    const std::optional<QString> value = lookUp(content, section, key, kBuffer);

    // The default comes back without its trailing blanks.
    check(privateProfileValue(QByteArrayView(), section, key, QStringLiteral("d \t "), kBuffer)
              == QStringLiteral("d"),
          "the default loses its trailing blanks");

    if (value) {
        check(value->size() <= kBuffer - 1, "value fits the buffer", QString::number(value->size()));
        check(!value->contains(u'\n'), "value holds no line end", fuzz::shown(*value));

        // A smaller buffer gives a prefix of the value, as long as the
        // buffer allows (one unit less where a surrogate pair would split).
        for (const int buffer : {-1, 0, 1, 2, 3, static_cast<int>(value->size() / 2) + 1,
                                 static_cast<int>(value->size())}) {
            const QString cut = privateProfileValue(content, section, key, QString(), buffer);
            const qsizetype room = buffer > 0 ? buffer - 1 : 0;
            const qsizetype expected = std::min(room, value->size());
            check(value->startsWith(cut) && cut.size() <= expected && cut.size() >= expected - 1,
                  "a smaller buffer cuts the value", QString::number(buffer) + u' ' + fuzz::shown(cut));
        }
    }

    // Section and key match without regard to the case of ASCII letters.
    check(lookUp(content, swappedCase(section), swappedCase(key), kBuffer) == value, "case of names",
          fuzz::shown(section) + u' ' + fuzz::shown(key));

    // A further section before or after the content changes nothing for
    // another section, even when it holds the same key (unless the key's line
    // would read as a section header itself).
    const QString other = QStringLiteral("zz-fuzz-other");
    if (section.compare(other, Qt::CaseInsensitive) != 0 && !key.trimmed().startsWith(u'[')) {
        const QByteArray otherSection = "[" + other.toUtf8() + "]\n" + key.toUtf8() + "=other\n";
        const QByteArray before = otherSection + content.toByteArray();
        const QByteArray after = content.toByteArray() + "\n" + otherSection;
        check(lookUp(before, section, key, kBuffer) == value, "a section before the content");
        check(lookUp(after, section, key, kBuffer) == value, "a section after the content");
    }
    return 0;
}
