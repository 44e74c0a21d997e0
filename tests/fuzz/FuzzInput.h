#pragma once
// The input layout shared by the profile fuzzers: the first lines name what
// to look up (section, key, and for the writer the value), the rest of the
// input is the file's content. The content stays a view into the fuzzer's own
// buffer, which ends exactly at the input's last byte, so any read beyond the
// content is a read beyond a heap block that AddressSanitizer reports.
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace fuzz {

struct Input {
    std::vector<QByteArrayView> head;
    QByteArrayView content;
};

// Splits off the first `lines` lines at '\n'; missing lines are empty.
inline Input split(const std::uint8_t *data, std::size_t size, int lines)
{
    Input input;
    QByteArrayView rest(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (int i = 0; i < lines; ++i) {
        const qsizetype newline = rest.indexOf('\n');
        if (newline < 0) {
            input.head.push_back(rest);
            rest = rest.last(0);
        } else {
            input.head.push_back(rest.first(newline));
            rest = rest.sliced(newline + 1);
        }
    }
    input.content = rest;
    return input;
}

// Names in a file are UTF-8 where valid and Latin-1 otherwise; a looked-up
// name is made the same way so that the fuzzer can reach both kinds.
inline QString text(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : decoded;
}

// The blanks the reader trims around names and values.
inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// A broken property: print what broke and abort, which libFuzzer records as a
// crash with the input that caused it.
[[noreturn]] inline void fail(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "property broken: %s %s\n", what, qPrintable(detail));
    std::abort();
}

inline void check(bool holds, const char *what, const QString &detail = QString())
{
    if (!holds)
        fail(what, detail);
}

// Shows a text with its control characters escaped, for failure messages.
inline QString shown(const QString &value)
{
    QString out = QStringLiteral("\"");
    for (QChar c : value) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\x") + QString::number(c.unicode(), 16).rightJustified(2, u'0');
        else
            out += c;
    }
    return out + u'"';
}

inline QString shown(QByteArrayView bytes)
{
    return shown(QString::fromLatin1(bytes));
}

} // namespace fuzz
