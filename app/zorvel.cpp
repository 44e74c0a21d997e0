// The program entry: the application, the bar, the event loop.
#include "ApplicationTitle.h"
#include "ApplicationWindows.h"
#include "FileVersionStamp.h"
#include "HookCommon.h"
#include "InstanceGuard.h"
#include "InstanceLock.h"
#include "ScreenPointer.h"
#include "Shell.h"
#include "TForm1.h"
#include "WebEngineBrowser.h"

#include <QApplication>
#include <QIcon>

#include <unistd.h>

ZORVEL_FILE_VERSION_STAMP(ZORVEL_VERSION_MAJOR, ZORVEL_VERSION_MINOR, ZORVEL_VERSION_PATCH,
                          ZORVEL_VERSION_TWEAK)

int main(int argc, char *argv[])
{
    // Chromium's sandbox refuses to run as root.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Before any window exists, so that the bar knows the hook message from its first event on.
    RegisterHookMessage();
    app.setApplicationName(applicationTitleFor(QCoreApplication::applicationFilePath()));
    // The emblem, from the preferences dialog's resources, is every window's icon.
    Q_INIT_RESOURCE(emblem);
    app.setWindowIcon(QIcon(QStringLiteral(":/settings/emblem.jpg")));
    // Only closing the bar ends the program; hidden dialogs stay until then.
    app.setQuitOnLastWindowClosed(false);
    // Held until the program ends, by a refused copy as well; an earlier copy
    // holding it already makes the bar's guard refuse this start.
    const InstanceLock instanceLock(instanceNameFor(QCoreApplication::applicationFilePath()));
    PreviousInstance = instanceLock.AlreadyExisted();

    DesktopShell shell;
    QtScreenPointer screen;
    Desktop desktop{&shell, &screen, [](QWidget *parent) -> std::unique_ptr<Browser> {
                        return std::make_unique<WebEngineBrowser>(parent);
                    }};
    int result = 0;
    {
        TForm1 bar(desktop, MouseHookCalls{HookMouse, UnHookMouse});
        Form1 = &bar;
        bar.show();
        result = app.exec();
        ApplicationWindows::DestroyAll();
        Form1 = nullptr;
    }
    return result;
}
