#pragma once
// config.ini, the one file the program writes. Each read and each write is a
// complete access of its own: the path is formed afresh and nothing of the
// file is kept in between, so a later access sees what is there now.
#include <QString>

#include <cstdint>

// ${XDG_CONFIG_HOME:-$HOME/.config}/zorvel/config.ini. XDG_CONFIG_HOME counts
// only when it is an absolute path, as the XDG base directory rules say.
QString configFilePath();

// The key's value by the integer text rules, or defaultValue when the file,
// section or key is missing or the text breaks the rules. Never fails.
std::int32_t ReadSetting(const QString &section, const QString &key, std::int32_t defaultValue);

// Stores value as decimal text; throws ZorvelError "Unable to write to <path>"
// when the file cannot be written.
void WriteSetting(const QString &section, const QString &key, std::int32_t value);
