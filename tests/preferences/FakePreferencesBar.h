#pragma once
// A bar that records what the preferences dialog does to it, in order, and
// whether config.ini existed when the dialog sent the bar home.
#include "PreferencesBar.h"

#include <QFile>
#include <QStringList>

#include <cstdint>

class FakePreferencesBar : public PreferencesBar {
public:
    int Width() const override { return width; }
    int Height() const override { return height; }
    void SetWidth(int value) override
    {
        width = value;
        log << QStringLiteral("width %1").arg(value);
    }
    void SetHeight(int value) override
    {
        height = value;
        log << QStringLiteral("height %1").arg(value);
    }
    std::int32_t Sensitivity() const override { return sensitivity; }
    void SetSensitivity(std::int32_t value) override
    {
        sensitivity = value;
        log << QStringLiteral("sensitivity %1").arg(value);
    }
    std::int32_t TopPos() const override { return topPos; }
    void SetTopPos(std::int32_t value) override
    {
        topPos = value;
        log << QStringLiteral("toppos %1").arg(value);
    }
    void PlaceBar(int index) override { log << QStringLiteral("place %1").arg(index); }
    void NavigateHome() override
    {
        log << QStringLiteral("home");
        savedBeforeHome = !configPath.isEmpty() && QFile::exists(configPath);
    }
    void StartGlow() override { log << QStringLiteral("glow"); }

    int width = 810;
    int height = 62;
    std::int32_t sensitivity = 50;
    std::int32_t topPos = 1;
    QStringList log;
    QString configPath;
    bool savedBeforeHome = false;
};
