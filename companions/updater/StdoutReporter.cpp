#include "StdoutReporter.h"

#include <cstdio>

namespace {
void printLine(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
}

bool StdoutReporter::announce(const QString &summary, const QString &body)
{
    printLine(QStringLiteral("notification: %1 | %2").arg(summary, body));
    return true;
}

void StdoutReporter::showResult(const QString &text, bool failed)
{
    printLine(QStringLiteral("%1: %2").arg(failed ? QStringLiteral("dialog-warning") : QStringLiteral("dialog"), text));
}
