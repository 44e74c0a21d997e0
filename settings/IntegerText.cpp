#include "IntegerText.h"

#include "ErrorReporter.h"

namespace {

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

bool isDecimalDigit(QChar c)
{
    // Only ASCII digits: other scripts' digits are not numbers here.
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

} // namespace

std::optional<std::int32_t> parseIntegerText(const QString &text)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size && text.at(i) == u' ')
        ++i;
    if (i == size)
        return std::nullopt;

    // Hexadecimal: $, x or X, or 0x / 0X, then the digits; never a sign.
    qsizetype digitsAt = -1;
    if (text.at(i) == u'$' || text.at(i) == u'x' || text.at(i) == u'X')
        digitsAt = i + 1;
    else if (text.at(i) == u'0' && i + 1 < size && (text.at(i + 1) == u'x' || text.at(i + 1) == u'X'))
        digitsAt = i + 2;
    if (digitsAt >= 0) {
        if (digitsAt == size)
            return std::nullopt;
        std::uint32_t pattern = 0;
        int significant = 0;
        for (qsizetype j = digitsAt; j < size; ++j) {
            const int digit = hexDigitValue(text.at(j));
            if (digit < 0)
                return std::nullopt;
            // Leading zeros add no bits; a ninth significant digit needs more than 32.
            if (significant > 0 || digit != 0) {
                if (++significant > 8)
                    return std::nullopt;
                pattern = (pattern << 4) | static_cast<std::uint32_t>(digit);
            }
        }
        return static_cast<std::int32_t>(pattern);
    }

    bool negative = false;
    if (text.at(i) == u'+' || text.at(i) == u'-') {
        negative = text.at(i) == u'-';
        ++i;
    }
    if (i == size)
        return std::nullopt;
    // The magnitude may reach 2^31 for a negative value, 2^31 - 1 otherwise.
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t magnitude = 0;
    for (; i < size; ++i) {
        if (!isDecimalDigit(text.at(i)))
            return std::nullopt;
        magnitude = magnitude * 10 + (text.at(i).unicode() - u'0');
        if (magnitude > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::int32_t StrToInt(const QString &text)
{
    if (const auto value = parseIntegerText(text))
        return *value;
    throw ZorvelError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}
