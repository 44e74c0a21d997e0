#include "LoadSaveSettings.h"

#include "BarSettings.h"
#include "ConfigStore.h"
#include "SettingsTable.h"

void LoadSettings(BarSettings &bar)
{
    for (const SettingEntry &setting : kSettingsTable)
        (bar.*setting.set)(ReadSetting(QString::fromLatin1(kConfigSection), QString::fromLatin1(setting.key),
                                       setting.defaultValue));
}

void SaveSettings(const BarSettings &bar)
{
    // Width and Height come back from the bar, which may hold them otherwise
    // than they were set.
    for (const SettingEntry &setting : kSettingsTable)
        WriteSetting(QString::fromLatin1(kConfigSection), QString::fromLatin1(setting.key), (bar.*setting.get)());
}
