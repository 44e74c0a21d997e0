#pragma once
// The bar's four settings as the configuration store reaches them: the bar
// window implements this; the store and its tests need nothing else of it.
#include <cstdint>

class BarSettings {
public:
    virtual ~BarSettings() = default;

    // The bar window's own size, read back from the window itself.
    virtual int Width() const = 0;
    virtual void SetWidth(int width) = 0;
    virtual int Height() const = 0;
    virtual void SetHeight(int height) = 0;

    // The program-wide activation threshold and horizontal placement index.
    virtual std::int32_t Sensitivity() const = 0;
    virtual void SetSensitivity(std::int32_t value) = 0;
    virtual std::int32_t TopPos() const = 0;
    virtual void SetTopPos(std::int32_t value) = 0;
};
