#pragma once
#include <QString>

// The user's base directories by the XDG rule: the variable's value when it is
// an absolute path, else the fallback under the home directory; without a
// closing slash (so the root is the empty text), for "/zorvel/..." to follow.
QString UserConfigDirectory(); // ${XDG_CONFIG_HOME:-$HOME/.config}
QString UserDataDirectory();   // ${XDG_DATA_HOME:-$HOME/.local/share}
