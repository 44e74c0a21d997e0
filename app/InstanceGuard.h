#pragma once
// The bar's single-instance component. When an earlier copy of the program
// held the instance lock as this one started, it tells the user so, brings
// the earlier copy's bar forward and asks the program to end. It acts once,
// after the bar's components exist and before the bar's FormCreate, which
// still runs to its end; the event loop then shows the bar and stops.
#include <QString>

#include <memory>

class QMessageBox;

// What the guard does on the desktop; the program uses the real one, tests a recorder.
class InstanceGuardDesktop {
public:
    virtual ~InstanceGuardDesktop() = default;
    // Shows the "already started" box and returns once it is closed, however.
    virtual void ShowAlreadyStarted(const QString &title) = 0;
    // Raises and focuses the earlier copy's bar; nothing when there is none.
    virtual void ActivateEarlierCopy(const QString &title) = 0;
    // Asks the program's event loop to stop as soon as it runs.
    virtual void RequestQuit() = 0;
};

// The desktop the guard acts on: the real one unless a test has set its own
// (nullptr brings the real one back).
InstanceGuardDesktop &instanceGuardDesktop();
void setInstanceGuardDesktop(InstanceGuardDesktop *desktop);

// The previous-instance flag: set once at program start from the instance
// lock, read once by the guard.
extern bool PreviousInstance;

class InstanceGuard {
public:
    enum Mode {
        oiDefaultMessage, // tell the user with the default message, then bring the earlier copy forward
    };

    // Acts on the previous-instance flag, with the application's title.
    void Act() const;

    bool Enabled = true;
    Mode mode = oiDefaultMessage;
};

// The default message: modal, "Information", one OK that Enter and Esc both press.
std::unique_ptr<QMessageBox> makeAlreadyStartedBox(const QString &title);

// Posts a request to end the program's event loop. It is kept until that loop
// runs: processing events before it starts does not lose it.
void postQuitRequest();
