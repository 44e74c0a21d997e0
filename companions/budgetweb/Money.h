#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Amounts are whole cents everywhere: stored, summed and compared as integers, and only turned
// into text with two decimals on the way out.
namespace Money {

// The largest amount a form accepts (ten million, in cents), so that sums never come near
// the limits of a 64-bit integer.
inline constexpr std::int64_t MaxCents = 1'000'000'000;

struct Parsed {
    std::optional<std::int64_t> cents;
    std::string error;  // empty when cents holds a value
};

// Reads what a user typed: digits with at most two decimals after "." or ",", blanks around
// allowed, no sign, no thousands separators. allowZero says whether 0.00 is acceptable.
Parsed parse(std::string_view text, bool allowZero);

// 123456 -> "1234.56", -5 -> "-0.05".
std::string format(std::int64_t cents);

}  // namespace Money
