#pragma once
#include <QLatin1StringView>

namespace UpdaterConstants {
inline constexpr QLatin1StringView Title("Zorvel Updater");
inline constexpr QLatin1StringView SilentSwitch("/silentall");
inline constexpr QLatin1StringView CheckNowSwitch("/checknow");
inline constexpr QLatin1StringView Usage("usage: updater /silentall | /checknow");
// Set to "stdout" to print what would be shown instead of showing it (a testing aid).
inline constexpr const char *ReportVariable = "ZORVEL_UPDATER_REPORT";
// Replaces the manifest address chosen at build time.
inline constexpr const char *AddressVariable = "ZORVEL_UPDATE_URL";
}
