#pragma once
#include "FileVersion.h"

#include <QString>
#include <optional>

// "A.B.C.D", each number 0 to 65535, nothing around it; nothing otherwise.
std::optional<FileVersion> parseVersion(const QString &text);

// The first `parts` numbers joined with dots: 3 gives "A.B.C", as the bar shows it.
QString versionText(const FileVersion &version, int parts = 4);

// How a version is shown to the user: "A.B.C", or all four numbers when `other`
// differs from it only in the build number (otherwise the two would read alike).
QString shownVersion(const FileVersion &version, const FileVersion &other);
