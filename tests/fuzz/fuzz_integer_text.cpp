// The integer text rules against a second implementation written from the
// rules alone: digit strings compared as strings rather than accumulated,
// hexadecimal through the standard library. Every input is tried as UTF-8
// and as Latin-1 text, so that digits and spaces of other scripts come up.
#include "ErrorReporter.h"
#include "FuzzInput.h"
#include "IntegerText.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

using fuzz::check;

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isHexDigit(char16_t c) { return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

std::string narrow(std::u16string_view digits)
{
    return std::string(digits.begin(), digits.end()); // only ASCII digits get here
}

std::u16string_view withoutLeadingZeros(std::u16string_view digits)
{
    const std::size_t first = digits.find_first_not_of(u'0');
    return first == std::u16string_view::npos ? std::u16string_view(u"0") : digits.substr(first);
}

std::optional<std::int32_t> hexadecimal(std::u16string_view text)
{
    for (const std::u16string_view prefix : {u"0x", u"0X", u"$", u"x", u"X"}) {
        if (!text.starts_with(prefix))
            continue;
        const std::u16string_view digits = text.substr(prefix.size());
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isHexDigit))
            return std::nullopt;
        const std::u16string_view significant = withoutLeadingZeros(digits);
        if (significant.size() > 8)
            return std::nullopt;
        const auto pattern = static_cast<std::uint32_t>(std::stoul(narrow(significant), nullptr, 16));
        std::int32_t value;
        std::memcpy(&value, &pattern, sizeof value);
        return value;
    }
    return std::nullopt;
}

std::optional<std::int32_t> decimal(std::u16string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (text.empty() || !std::all_of(text.begin(), text.end(), isDigit))
        return std::nullopt;
    const std::string digits = narrow(withoutLeadingZeros(text));
    const std::string limit = negative ? "2147483648" : "2147483647";
    if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit))
        return std::nullopt;
    const long long magnitude = std::stoll(digits);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::optional<std::int32_t> reference(const QString &text)
{
    std::u16string_view view(reinterpret_cast<const char16_t *>(text.utf16()), static_cast<std::size_t>(text.size()));
    const std::size_t start = view.find_first_not_of(u' ');
    if (start == std::u16string_view::npos)
        return std::nullopt;
    view.remove_prefix(start);
    // The two forms cannot both match: a hexadecimal text holds $, x or X.
    if (const auto value = hexadecimal(view))
        return value;
    return decimal(view);
}

QString describe(const std::optional<std::int32_t> &value)
{
    return value ? QString::number(*value) : QStringLiteral("fails");
}

void compare(const QString &text)
{
    const std::optional<std::int32_t> got = parseIntegerText(text);
    const std::optional<std::int32_t> want = reference(text);
    check(got == want, "parseIntegerText agrees with the rules",
          fuzz::shown(text) + QStringLiteral(": ") + describe(got) + QStringLiteral(", the rules say ") + describe(want));

    // StrToInt: the same value, or the error that names the text.
    try {
        const std::int32_t value = StrToInt(text);
        check(got && value == *got, "StrToInt gives the parsed value", fuzz::shown(text));
    } catch (const ZorvelError &error) {
        check(!got, "StrToInt fails only where parsing fails", fuzz::shown(text));
        check(error.message() == u'\'' + text + QStringLiteral("' is not a valid integer value"),
              "StrToInt's message names the text", error.message());
    }
}

// The texts a value's own forms make must all read as that value.
void roundTrip(std::int32_t value)
{
    const auto pattern = static_cast<std::uint32_t>(value);
    const QString hex = QString::number(pattern, 16);
    for (const QString &text : {QString::number(value), QStringLiteral("   ") + QString::number(value),
                                (value >= 0 ? QStringLiteral("+00") : QStringLiteral("-00")) + QString::number(qAbs(qint64(value))),
                                QStringLiteral("$") + hex.toUpper(), QStringLiteral("0x") + hex,
                                QStringLiteral("X000") + hex, QStringLiteral("0X") + hex.toUpper()}) {
        check(parseIntegerText(text) == value, "a value's own text reads as the value",
              fuzz::shown(text) + QStringLiteral(" for ") + QString::number(value));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    compare(QString::fromUtf8(bytes));
    compare(QString::fromLatin1(bytes));
    if (size >= 4) {
        std::int32_t value;
        std::memcpy(&value, data, sizeof value);
        roundTrip(value);
    }
    return 0;
}
