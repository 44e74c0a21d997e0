#pragma once
// A bar on a fake desktop with no configuration file, and the two states the
// animation starts from: shown (Top 0, opaque, hide check running) and parked.
#include "FakeDesktop.h"
#include "TForm1.h"

#include <QTemporaryDir>

#include <memory>

struct BarFixture {
    QTemporaryDir config;
    FakeDesktop fakes;
    std::unique_ptr<TForm1> bar;

    BarFixture()
    {
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        bar = std::make_unique<TForm1>(fakes.desktop(), MouseHookCalls{[] {}, [] {}});
        Form1 = bar.get();
        // The pointer rests far from the bar unless a test puts it elsewhere.
        fakes.screen.cursor = QPoint(-5000, 5000);
    }
    ~BarFixture() { Form1 = nullptr; }

    FakeBrowser &browser() { return *fakes.browsers.back(); }

    void shown()
    {
        bar->SetBlendValue(255);
        bar->SetTop(0);
        bar->Glow.stop();
        bar->Fade.stop();
        bar->HideTimer.start();
    }

    void parked()
    {
        bar->SetBlendValue(0);
        bar->SetTop(HiddenTop);
        bar->Glow.stop();
        bar->Fade.stop();
        bar->HideTimer.stop();
    }
};
