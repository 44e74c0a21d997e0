#include "PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QString decoded(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

bool sameName(QByteArrayView inFile, const QString &wanted)
{
    return decoded(inFile).compare(wanted, Qt::CaseInsensitive) == 0;
}

// One line of the file, by byte offsets into the content.
struct ProfileLine {
    enum Kind { Other, Section, Key };
    Kind kind = Other;
    qsizetype end = 0;   // end of the line's text, before its line end
    qsizetype next = 0;  // start of the following line
    QByteArrayView name; // the section's or the key's name, trimmed
    qsizetype valueBegin = 0, valueEnd = 0; // the key's value, trimmed, quotes included
    bool content = false; // neither blank nor a comment
};

ProfileLine parseLine(QByteArrayView content, qsizetype begin)
{
    ProfileLine line;
    const qsizetype newline = content.indexOf('\n', begin);
    line.next = newline < 0 ? content.size() : newline + 1;
    line.end = newline < 0 ? content.size() : newline;
    if (newline > begin && content[newline - 1] == '\r')
        --line.end; // CR LF; a lone CR is no line end, only a blank

    const QByteArrayView text = content.sliced(begin, line.end - begin);
    const QByteArrayView bare = trimmed(text);
    line.content = !bare.isEmpty() && bare[0] != ';';
    if (!line.content)
        return line;

    if (bare[0] == '[') {
        const qsizetype close = bare.lastIndexOf(']');
        if (close > 0) {
            line.kind = ProfileLine::Section;
            line.name = trimmed(bare.sliced(1, close - 1));
        }
        return line;
    }
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return line;
    line.name = trimmed(text.first(equals));
    if (line.name.isEmpty())
        return line;
    line.kind = ProfileLine::Key;
    qsizetype valueBegin = begin + equals + 1;
    qsizetype valueEnd = line.end;
    while (valueBegin < valueEnd && isBlank(content[valueBegin]))
        ++valueBegin;
    while (valueEnd > valueBegin && isBlank(content[valueEnd - 1]))
        --valueEnd;
    if (valueBegin == valueEnd)
        valueBegin = begin + equals + 1; // an empty value: its blanks go with it on a write
    line.valueBegin = valueBegin;
    line.valueEnd = valueEnd;
    return line;
}

std::vector<ProfileLine> parseLines(QByteArrayView content)
{
    std::vector<ProfileLine> lines;
    for (qsizetype at = 0; at < content.size();) {
        lines.push_back(parseLine(content, at));
        at = lines.back().next;
    }
    return lines;
}

// Where the section's first header and the matching key stand, by line index.
struct Found {
    qsizetype section = -1;
    qsizetype key = -1;
    qsizetype lastContent = -1; // the section's last line that is neither blank nor a comment
};

Found find(const std::vector<ProfileLine> &lines, const QString &section, const QString &key)
{
    Found found;
    const auto count = static_cast<qsizetype>(lines.size());
    for (qsizetype i = 0; i < count && found.section < 0; ++i) {
        if (lines[i].kind == ProfileLine::Section && sameName(lines[i].name, section))
            found.section = i;
    }
    if (found.section < 0)
        return found;
    found.lastContent = found.section;
    for (qsizetype i = found.section + 1; i < count && lines[i].kind != ProfileLine::Section; ++i) {
        if (lines[i].content)
            found.lastContent = i;
        if (found.key < 0 && lines[i].kind == ProfileLine::Key && sameName(lines[i].name, key))
            found.key = i;
    }
    return found;
}

QString cutToBuffer(QString text, int bufferSize)
{
    const qsizetype room = bufferSize > 0 ? bufferSize - 1 : 0;
    if (text.size() > room) {
        text.truncate(room);
        if (!text.isEmpty() && text.back().isHighSurrogate())
            text.chop(1);
    }
    return text;
}

bool fitsOnLine(const QString &text)
{
    return !text.contains(u'\n') && !text.contains(u'\r') && !text.contains(QChar(0));
}

bool isWritableName(const QString &name)
{
    return !name.isEmpty() && fitsOnLine(name) && name.trimmed() == name;
}

// Reads at most kMaxProfileBytes of a regular file. complete tells whether
// that was all of it; when not, the cut last line is dropped so that a value
// is never read half.
bool readProfileFile(const QString &path, QByteArray &content, bool &complete)
{
    content.clear();
    complete = false;
    // Non-blocking, so that a FIFO placed under the name cannot hang the bar.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    content.resize(kMaxProfileBytes + 1);
    qsizetype filled = 0;
    while (filled < content.size()) {
        const ssize_t got = ::read(fd, content.data() + filled, static_cast<size_t>(content.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            content.clear();
            return false;
        }
        if (got == 0)
            break;
        filled += got;
    }
    ::close(fd);
    complete = filled <= kMaxProfileBytes;
    if (complete) {
        content.resize(filled);
    } else {
        const qsizetype lastNewline = content.lastIndexOf('\n', kMaxProfileBytes - 1);
        content.resize(lastNewline < 0 ? 0 : lastNewline + 1);
    }
    return true;
}

bool syncDirectory(const QString &directory)
{
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

} // namespace

QString privateProfileValue(QByteArrayView content, const QString &section, const QString &key,
                            const QString &defaultText, int bufferSize)
{
    const std::vector<ProfileLine> lines = parseLines(content);
    const Found found = find(lines, section, key);
    if (found.key < 0) {
        QString fallback = defaultText;
        while (!fallback.isEmpty() && (fallback.back() == u' ' || fallback.back() == u'\t'))
            fallback.chop(1);
        return cutToBuffer(fallback, bufferSize);
    }
    const ProfileLine &line = lines[found.key];
    QByteArrayView value = trimmed(content.sliced(line.valueBegin, line.valueEnd - line.valueBegin));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return cutToBuffer(decoded(value), bufferSize);
}

std::optional<QByteArray> privateProfileWithValue(QByteArrayView content, const QString &section,
                                                  const QString &key, const QString &value)
{
    // Names that would read back differently, or text that would break the
    // line, are refused rather than written wrong.
    if (!isWritableName(section) || !isWritableName(key) || !fitsOnLine(value) || key.contains(u'=')
        || key.startsWith(u'[') || key.startsWith(u';'))
        return std::nullopt;

    const std::vector<ProfileLine> lines = parseLines(content);
    const Found found = find(lines, section, key);
    const qsizetype firstNewline = content.indexOf('\n');
    const QByteArray lineEnd = firstNewline > 0 && content[firstNewline - 1] == '\r' ? "\r\n" : "\n";
    const QByteArray valueBytes = value.toUtf8();
    const QByteArray keyLine = key.toUtf8() + '=' + valueBytes;

    QByteArray result = content.toByteArray();
    if (found.key >= 0) {
        const ProfileLine &line = lines[found.key];
        result.replace(line.valueBegin, line.valueEnd - line.valueBegin, valueBytes);
    } else if (found.section >= 0) {
        const ProfileLine &after = lines[found.lastContent];
        if (after.next > after.end)
            result.insert(after.next, keyLine + lineEnd);
        else // the file's last line, with no line end
            result.insert(after.next, lineEnd + keyLine);
    } else {
        if (!result.isEmpty() && !result.endsWith('\n'))
            result += lineEnd;
        result += '[' + section.toUtf8() + ']' + lineEnd + keyLine + lineEnd;
    }
    return result;
}

QString getPrivateProfileString(const QString &section, const QString &key, const QString &defaultText,
                                int bufferSize, const QString &path)
{
    QByteArray content;
    bool complete = false;
    readProfileFile(path, content, complete);
    return privateProfileValue(content, section, key, defaultText, bufferSize);
}

bool writePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &path)
{
    const QFileInfo info(path);
    QByteArray content;
    struct stat st {};
    const bool exists = info.exists();
    if (exists) {
        // The owner's write bit stands for the file's read-only attribute; it
        // is checked as well as access because root may write anything.
        if (!info.isFile() || !(info.permissions() & QFileDevice::WriteOwner) || !info.isWritable())
            return false;
        bool complete = false;
        if (!readProfileFile(path, content, complete) || !complete)
            return false;
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return false;
    }
    const std::optional<QByteArray> updated = privateProfileWithValue(content, section, key, value);
    if (!updated)
        return false;
    if (exists && *updated == content)
        return true;

    const QString directory = info.absolutePath();
    if (!QDir().mkpath(directory))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile gives the new file the old one's mode; root also hands it back
    // to the old owner, so that a user's config.ini stays the user's.
    if (exists && ::geteuid() == 0 && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()))
        static_cast<void>(::fchown(file.handle(), st.st_uid, st.st_gid));
    if (file.write(*updated) != updated->size() || !file.flush() || ::fsync(file.handle()) != 0) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    // The rename itself reaches the disk with the folder's entry (a linked
    // config.ini is replaced where the link points).
    syncDirectory(QFileInfo(QFileInfo(path).canonicalFilePath()).absolutePath());
    return true;
}
