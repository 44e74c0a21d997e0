// The private-profile writer on arbitrary bytes. Input: section line, key
// line, value line, then the file's content.
//
// Whenever the writer accepts, the new content must read the value back (as
// the reader gives any value: without the blanks around it and one pair of
// enclosing quotation marks), every other section and key must read exactly
// as before, and the bytes must change in one place only: the old value's
// bytes on its line, or one inserted stretch when the key is new. Writing the
// same value again changes nothing.
#include "FuzzInput.h"
#include "PrivateProfile.h"

#include <QByteArray>
#include <QList>

#include <algorithm>

using fuzz::check;
using fuzz::shown;

namespace {

constexpr int kWholeValue = 1 << 20;
const QString kMissing = QStringLiteral("\x01missing");

QString read(QByteArrayView content, const QString &section, const QString &key)
{
    return privateProfileValue(content, section, key, kMissing, kWholeValue);
}

bool isMissing(QByteArrayView content, const QString &section, const QString &key)
{
    return read(content, section, key) == kMissing
        && privateProfileValue(content, section, key, QStringLiteral("\x01other"), kWholeValue)
               == QStringLiteral("\x01other");
}

// What the reader makes of a value's bytes on a line.
QString readBack(const QString &value)
{
    QByteArrayView bytes;
    const QByteArray utf8 = value.toUtf8();
    bytes = utf8;
    while (!bytes.isEmpty() && fuzz::isBlank(bytes.front()))
        bytes = bytes.sliced(1);
    while (!bytes.isEmpty() && fuzz::isBlank(bytes.back()))
        bytes.chop(1);
    if (bytes.size() >= 2 && (bytes.front() == '"' || bytes.front() == '\'') && bytes.back() == bytes.front())
        bytes = bytes.sliced(1, bytes.size() - 2);
    return QString::fromUtf8(bytes);
}

bool breaksALine(const QString &text)
{
    return text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0));
}

// The reasons the writer may give for refusing: a name that is empty, has
// blanks at an end or would break the line; a key that holds '=' or would
// read as a section or a comment; a value that would break the line.
bool mayRefuse(const QString &section, const QString &key, const QString &value)
{
    const auto badName = [](const QString &name) {
        return name.isEmpty() || breaksALine(name) || name.trimmed() != name;
    };
    return badName(section) || badName(key) || key.contains(u'=') || key.startsWith(u'[')
        || key.startsWith(u';') || breaksALine(value);
}

// Names that the content's lines might give: section headers and the text
// before a line's first '='. A rough cut is enough: they are only names to try.
void collectNames(QByteArrayView content, QList<QString> &sections, QList<QString> &keys)
{
    constexpr qsizetype kMaxNames = 6;
    for (qsizetype at = 0; at < content.size();) {
        qsizetype newline = content.indexOf('\n', at);
        if (newline < 0)
            newline = content.size();
        QByteArrayView line = content.sliced(at, newline - at);
        at = newline + 1;
        while (!line.isEmpty() && fuzz::isBlank(line.front()))
            line = line.sliced(1);
        while (!line.isEmpty() && fuzz::isBlank(line.back()))
            line.chop(1);
        const qsizetype close = line.lastIndexOf(']');
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith('[') && close > 0) {
            if (sections.size() < kMaxNames)
                sections.append(fuzz::text(line.sliced(1, close - 1)).trimmed());
        } else if (equals > 0 && keys.size() < kMaxNames) {
            keys.append(fuzz::text(line.first(equals)).trimmed());
        }
    }
}

qsizetype commonPrefix(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    qsizetype i = 0;
    while (i < n && a[i] == b[i])
        ++i;
    return i;
}

qsizetype commonSuffix(QByteArrayView a, QByteArrayView b, qsizetype prefix)
{
    const qsizetype n = std::min(a.size(), b.size()) - prefix;
    qsizetype i = 0;
    while (i < n && a[a.size() - 1 - i] == b[b.size() - 1 - i])
        ++i;
    return i;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const fuzz::Input input = fuzz::split(data, size, 3);
    const QString section = fuzz::text(input.head[0]);
    const QString key = fuzz::text(input.head[1]);
    const QString value = fuzz::text(input.head[2]);
    const QByteArrayView content = input.content;

    const std::optional<QByteArray> written = privateProfileWithValue(content, section, key, value);
    if (!written) {
        check(mayRefuse(section, key, value), "refused a writable value",
              shown(section) + u' ' + shown(key) + u' ' + shown(value));
        return 0;
    }
    const QByteArray &out = *written;

    check(read(out, section, key) == readBack(value), "the value reads back",
          shown(read(out, section, key)) + QStringLiteral(" for ") + shown(value));

    // Every other name reads as before.
    QList<QString> sections{section, QStringLiteral("zz-fuzz-absent")};
    QList<QString> keys{key, QStringLiteral("zz-fuzz-absent")};
    collectNames(content, sections, keys);
    collectNames(out, sections, keys);
    for (const QString &s : sections) {
        for (const QString &k : keys) {
            if (s.compare(section, Qt::CaseInsensitive) == 0 && k.compare(key, Qt::CaseInsensitive) == 0)
                continue;
            check(read(content, s, k) == read(out, s, k), "another name reads as before",
                  shown(s) + u' ' + shown(k) + QStringLiteral(": ") + shown(read(content, s, k)) + QStringLiteral(" became ")
                      + shown(read(out, s, k)));
        }
    }

    // One place changes: the bytes between the common start and the common end.
    const qsizetype prefix = commonPrefix(content, out);
    const qsizetype suffix = commonSuffix(content, out, prefix);
    const QByteArrayView removed = content.sliced(prefix, content.size() - prefix - suffix);
    const QByteArrayView inserted = QByteArrayView(out).sliced(prefix, out.size() - prefix - suffix);
    const qsizetype valueBytes = value.toUtf8().size();
    if (isMissing(content, section, key)) {
        // A new key: a pure insertion of its line, perhaps with its section
        // header and the line ends around them.
        const qsizetype most = section.toUtf8().size() + key.toUtf8().size() + valueBytes + 2 + 1 + 3 * 2;
        check(removed.isEmpty() && inserted.size() <= most, "a new key only inserts its line",
              shown(removed) + QStringLiteral(" -> ") + shown(inserted));
    } else {
        // An existing key: only bytes of the old value's line, never a line end.
        check(!removed.contains('\n') && inserted.size() <= valueBytes && !inserted.contains('\n'),
              "an existing key changes its value only", shown(removed) + QStringLiteral(" -> ") + shown(inserted));
    }

    // The writer keeps the blanks around a value it replaces, and an empty
    // value takes the blanks after '=' with it, so a value that is empty or
    // has blanks at an end (neither ever reads back differently) may change
    // the blanks again on the next write. Any other value: writing it again
    // changes nothing, and a later value replaces it as if written in its place.
    const QByteArray utf8 = value.toUtf8();
    if (!utf8.isEmpty() && !fuzz::isBlank(utf8.front()) && !fuzz::isBlank(utf8.back())) {
        const std::optional<QByteArray> again = privateProfileWithValue(out, section, key, value);
        check(again && *again == out, "writing the same value again changes nothing");

        const QString later = QStringLiteral("-2147483648");
        const std::optional<QByteArray> overwritten = privateProfileWithValue(out, section, key, later);
        const std::optional<QByteArray> direct = privateProfileWithValue(content, section, key, later);
        check(overwritten && direct && *overwritten == *direct, "a later value replaces the earlier one",
              shown(QByteArrayView(overwritten.value_or(QByteArray("<refused>")))) + QStringLiteral(" vs ")
                  + shown(QByteArrayView(direct.value_or(QByteArray("<refused>")))));
    }
    return 0;
}
