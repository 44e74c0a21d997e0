#pragma once
// How tall the account window grows for its page: one 26-px row per line of
// the page's text as the hidden word-wrapping box shows it, plus 24 px.
#include <QString>
#include <cstdint>

// The page text made ready for counting: every space (code 32) removed, so
// that a line wraps only when its characters alone are too wide; characters
// 0 to 32 trimmed from both ends; each CR LF CR LF replaced by CR LF in one
// pass from left to right, so n line breaks in a row become ceil(n / 2).
QString AccountMemoText(const QString &pageText);

// The tallest window X11 can make.
constexpr std::int32_t kTallestAccountWindow = 32767;

// lines x 26 + 24, at most kTallestAccountWindow (which also keeps the
// growth's height arithmetic from overflowing).
std::int32_t AccountHeightForLines(std::int64_t lines);
