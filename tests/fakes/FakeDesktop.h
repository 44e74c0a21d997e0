#pragma once
// Fakes of the desktop facilities: a screen and pointer set by the test, a
// shell that records what it was asked to open, a reporter that records errors.
#include "Desktop.h"
#include "ErrorReporter.h"
#include "FakeBrowser.h"
#include "ScreenPointer.h"
#include "Shell.h"

#include <QStringList>
#include <vector>

class FakeScreen : public ScreenPointer {
public:
    QPoint CursorPos() const override { return cursor; }
    int PrimaryScreenWidth() const override { return width; }
    QPoint cursor{-5000, 5000};
    int width = 1280;
};

class FakeShell : public Shell {
public:
    struct Launch {
        QWidget *owner;
        QString file;
        QString parameter;
    };
    void OpenProgram(QWidget *owner, const QString &file, const QString &parameter) override
    {
        programs.push_back({owner, file, parameter});
        if (log)
            log->append(QStringLiteral("open ") + file + QLatin1Char(' ') + parameter);
    }
    void OpenUrl(QWidget *, const QString &address) override { urls << address; }
    std::vector<Launch> programs;
    QStringList urls;
    QStringList *log = nullptr;
};

class RecordingReporter : public ErrorReporter {
public:
    RecordingReporter() { setErrorReporter(this); }
    ~RecordingReporter() override { setErrorReporter(nullptr); }
    void report(const QString &message) override { messages << message; }
    QStringList messages;
};

// A desktop whose browsers are fakes; the last one made is at hand.
struct FakeDesktop {
    FakeScreen screen;
    FakeShell shell;
    std::vector<FakeBrowser *> browsers;
    QStringList *log = nullptr;

    Desktop desktop()
    {
        return Desktop{&shell, &screen, [this](QWidget *parent) -> std::unique_ptr<Browser> {
                           auto browser = std::make_unique<FakeBrowser>(parent);
                           browser->log = log;
                           browsers.push_back(browser.get());
                           return browser;
                       }};
    }
};
