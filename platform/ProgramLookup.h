#pragma once
#include <QString>

// Finds a file named by a bare name the way the desktop finds a program: in the
// running program's own directory, then in the current directory, then (for
// executables) along PATH. A name with a slash is taken as it is. Returns the
// absolute path, or an empty text when nothing is found.
QString locateProgramFile(const QString &name, bool mustBeExecutable);
