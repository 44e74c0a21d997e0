#include "AccountPageHeight.h"

#include <algorithm>

QString AccountMemoText(const QString &pageText)
{
    QString text = pageText;
    text.remove(QLatin1Char(' '));
    // Only codes 0 to 32: a non-breaking space or other Unicode blank stays.
    qsizetype first = 0, last = text.size();
    while (first < last && text.at(first).unicode() <= 32)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 32)
        --last;
    text = text.mid(first, last - first);
    // QString::replace scans once, left to right, resuming behind each match.
    text.replace(QLatin1String("\r\n\r\n"), QLatin1String("\r\n"));
    return text;
}

std::int32_t AccountHeightForLines(std::int64_t lines)
{
    // X11 cannot make a window taller than 32767 px (its coordinates are 16-bit
    // signed): growth stops there rather than leaving the widget believing in a
    // height its window never gets, with a backing store to match.
    return std::int32_t(std::clamp<std::int64_t>(lines * 26 + 24, 24, kTallestAccountWindow));
}
