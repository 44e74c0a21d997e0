#pragma once
#include <QString>

class QWidget;
class Shell;

// The updater's bare name (found beside the program, in the current directory
// or along PATH) and its two switches.
inline constexpr const char *UpdaterProgram = "updater";
inline constexpr const char *SilentCheckSwitch = "/silentall";
inline constexpr const char *CheckNowSwitch = "/checknow";

// Starts the updater through the shell's "open", never waiting for it and
// never looking at the outcome: a missing updater changes nothing.
void LaunchUpdater(Shell &shell, QWidget *owner, const QString &file, const QString &switchText);

// The updater that Check Now starts: the current directory followed directly
// by "/updater" (at the root that gives two slashes, passed on as it is).
QString CheckNowUpdaterPath();
