#pragma once
// The integer text rules shared by config.ini values and the preferences
// dialog's edit boxes: leading spaces skipped; decimal with one optional sign
// within the signed 32-bit range; or hexadecimal after $, x, X, 0x or 0X with
// no sign, read as a 32-bit pattern ($FFFFFFFF is -1). Nothing may follow.
#include <QString>

#include <cstdint>
#include <optional>

// A pure function of its text: no locale, no state.
std::optional<std::int32_t> parseIntegerText(const QString &text);

// The value of text by the rules above; throws ZorvelError
// "'<text>' is not a valid integer value" when they reject it.
std::int32_t StrToInt(const QString &text);
