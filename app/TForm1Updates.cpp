#include "TForm1.h"

#include "UpdaterLaunch.h"

// Every minute, whether the bar is shown or parked: the updater itself keeps
// to one check a day, so the program never needs to remember a launch.
void TForm1::UpdateTimer()
{
    LaunchUpdater(*desktop().shell, this, QLatin1String(UpdaterProgram), QLatin1String(SilentCheckSwitch));
}
