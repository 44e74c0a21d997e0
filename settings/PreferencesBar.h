#pragma once
#include "BarSettings.h"

// What the preferences dialog needs of the bar: its settings, the placement
// rule, sending its browser home and its show animation.
class PreferencesBar : public BarSettings {
public:
    virtual void PlaceBar(int index) = 0;
    virtual void NavigateHome() = 0;
    virtual void StartGlow() = 0;
};
