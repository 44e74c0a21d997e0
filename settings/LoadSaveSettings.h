#pragma once
// The bar's settings to and from config.ini, key by key in the table's order.
class BarSettings;

// Four reads; each value goes to the bar as soon as it is read.
void LoadSettings(BarSettings &bar);

// Four writes of what the bar holds now. A failing write throws and ends the
// sequence there; the keys written before it stay written.
void SaveSettings(const BarSettings &bar);
