#pragma once
#include <QString>

class QWidget;

// The desktop's "open": a program with one parameter, or a web address in the
// user's browser. Results are not reported; a launch that fails changes nothing.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void OpenProgram(QWidget *owner, const QString &file, const QString &parameter) = 0;
    virtual void OpenUrl(QWidget *owner, const QString &address) = 0;
};

// Starts programs detached in the current directory, looked up like a bare
// program name; opens addresses with the desktop's default browser.
class DesktopShell : public Shell {
public:
    void OpenProgram(QWidget *owner, const QString &file, const QString &parameter) override;
    void OpenUrl(QWidget *owner, const QString &address) override;
};
