#include "InstanceGuard.h"

#include "ForeignWindows.h"
#include "X11Windows.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

bool PreviousInstance = false;

namespace {

// The caption of the bar, by which the earlier copy's bar is told from its
// other windows (the account window, dialogs, the browser's own windows).
const QString BarTitle = QStringLiteral("Zorvel");

class DesktopInstanceGuard : public InstanceGuardDesktop {
public:
    void ShowAlreadyStarted(const QString &title) override { makeAlreadyStartedBox(title)->exec(); }

    void ActivateEarlierCopy(const QString &title) override
    {
        // The earlier copy's windows carry its application title as their
        // class; a letter-case twin of this program's file name shares the
        // instance lock, so the case of the class does not count either.
        if (const unsigned long bar = ForeignWindows::FindTopLevel(title, BarTitle))
            X11Windows::ActivateForeignWindow(bar);
    }

    void RequestQuit() override { postQuitRequest(); }
};

InstanceGuardDesktop *testDesktop = nullptr;

}

InstanceGuardDesktop &instanceGuardDesktop()
{
    static DesktopInstanceGuard real;
    return testDesktop ? *testDesktop : real;
}

void setInstanceGuardDesktop(InstanceGuardDesktop *desktop)
{
    testDesktop = desktop;
}

void InstanceGuard::Act() const
{
    if (!Enabled || !PreviousInstance)
        return;
    // The title the program goes by, as the entry set it from the file name.
    const QString title = QCoreApplication::applicationName();
    InstanceGuardDesktop &desktop = instanceGuardDesktop();
    switch (mode) {
    case oiDefaultMessage:
        desktop.ShowAlreadyStarted(title);
        desktop.ActivateEarlierCopy(title);
        break;
    }
    desktop.RequestQuit();
}

std::unique_ptr<QMessageBox> makeAlreadyStartedBox(const QString &title)
{
    // No parent: the box stands centred on the screen, not on the bar, which
    // has not been shown yet.
    auto box = std::make_unique<QMessageBox>(QMessageBox::Information, QStringLiteral("Information"),
                                             QLatin1Char('"') + title
                                                 + QStringLiteral("\" was already started..."),
                                             QMessageBox::NoButton);
    QPushButton *ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(static_cast<QAbstractButton *>(ok));
    box->setWindowModality(Qt::ApplicationModal);
    box->setTextFormat(Qt::PlainText);
    return box;
}

void postQuitRequest()
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            // Events handled before the program's event loop has started (a
            // handler that processes pending events during start-up, or the
            // loop of a box still open then) would drop a quit on the floor:
            // hand it on until the program's own loop runs.
            if (QThread::currentThread()->loopLevel() == 0 || QApplication::activeModalWidget())
                QTimer::singleShot(20, [] { postQuitRequest(); }); // no busy loop while a box waits
            else
                QCoreApplication::quit();
        },
        Qt::QueuedConnection);
}
