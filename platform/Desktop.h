#pragma once
// The desktop facilities that the windows use, handed to them at creation so
// that tests can give fakes.
#include "Browser.h"

#include <functional>
#include <memory>

class QWidget;
class Shell;
class ScreenPointer;

// Makes a browser whose widget is a child of parent.
using BrowserFactory = std::function<std::unique_ptr<Browser>(QWidget *parent)>;

struct Desktop {
    Shell *shell = nullptr;
    ScreenPointer *screen = nullptr;
    BrowserFactory newBrowser;
};
