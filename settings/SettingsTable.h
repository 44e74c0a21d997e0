#pragma once
// Every setting that config.ini holds, with its key and default, in the order
// LoadSettings reads and SaveSettings writes them. Key names in config.ini are
// forever: a user's file written by one version is read by every later one.
#include "BarSettings.h"

#include <array>
#include <cstdint>
#include <type_traits>

// The bar's width and height travel through the same 32-bit store as the rest.
static_assert(std::is_same_v<int, std::int32_t>);

inline constexpr const char *kConfigSection = "Config";

struct SettingEntry {
    const char *key;
    std::int32_t defaultValue;
    std::int32_t (BarSettings::*get)() const;
    void (BarSettings::*set)(std::int32_t);
};

inline constexpr std::int32_t kDefaultWidth = 810;
inline constexpr std::int32_t kDefaultHeight = 62;
inline constexpr std::int32_t kDefaultSensitivity = 50;
inline constexpr std::int32_t kDefaultTopPos = 1;

inline constexpr std::array<SettingEntry, 4> kSettingsTable{{
    {"Width", kDefaultWidth, &BarSettings::Width, &BarSettings::SetWidth},
    {"Height", kDefaultHeight, &BarSettings::Height, &BarSettings::SetHeight},
    {"Sensitivity", kDefaultSensitivity, &BarSettings::Sensitivity, &BarSettings::SetSensitivity},
    {"TopPos", kDefaultTopPos, &BarSettings::TopPos, &BarSettings::SetTopPos},
}};
