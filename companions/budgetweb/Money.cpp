#include "Money.h"

namespace Money {

namespace {
std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}
}  // namespace

Parsed parse(std::string_view text, bool allowZero)
{
    const std::string_view s = trimmed(text);
    if (s.empty()) return {std::nullopt, "Enter an amount."};
    if (s.size() > 13) return {std::nullopt, "The amount is too long."};
    if (s.front() == '-') return {std::nullopt, "The amount cannot be negative."};
    std::int64_t whole = 0;
    std::int64_t fraction = 0;
    int wholeDigits = 0;
    int fractionDigits = -1;  // -1: no decimal separator seen
    for (char c : s) {
        if (c == '.' || c == ',') {
            if (fractionDigits >= 0) return {std::nullopt, "Enter a number such as 12.50."};
            fractionDigits = 0;
        } else if (c >= '0' && c <= '9') {
            if (fractionDigits >= 0) {
                if (++fractionDigits > 2) return {std::nullopt, "Use at most two decimals."};
                fraction = fraction * 10 + (c - '0');
            } else {
                ++wholeDigits;
                whole = whole * 10 + (c - '0');
                if (whole > MaxCents / 100) return {std::nullopt, "The amount is too large."};
            }
        } else {
            return {std::nullopt, "Enter a number such as 12.50."};
        }
    }
    if (wholeDigits == 0 && fractionDigits <= 0) return {std::nullopt, "Enter a number such as 12.50."};
    if (fractionDigits == 1) fraction *= 10;
    const std::int64_t cents = whole * 100 + fraction;
    if (cents > MaxCents) return {std::nullopt, "The amount is too large."};
    if (cents == 0 && !allowZero) return {std::nullopt, "The amount must be more than zero."};
    return {cents, {}};
}

std::string format(std::int64_t cents)
{
    const bool negative = cents < 0;
    // Work on the magnitude as unsigned so that even the most negative value formats correctly.
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(cents)
                                             : static_cast<std::uint64_t>(cents);
    std::string out = negative ? "-" : "";
    out += std::to_string(magnitude / 100);
    out += '.';
    out += static_cast<char>('0' + magnitude % 100 / 10);
    out += static_cast<char>('0' + magnitude % 10);
    return out;
}

}  // namespace Money
