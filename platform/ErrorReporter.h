#pragma once
// Failures reach the user through one reporter. A handler that fails throws
// ZorvelError (or any std::exception); runGuarded catches it at the handler's
// edge and hands the message over, so no exception crosses Qt's event loop.
#include <QString>
#include <functional>
#include <optional>
#include <stdexcept>

class ZorvelError : public std::runtime_error {
public:
    explicit ZorvelError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void report(const QString &message) = 0;
};

// Shows an error box with one OK button, titled with the application title.
class MessageBoxErrorReporter : public ErrorReporter {
public:
    void report(const QString &message) override;
};

// The text an error box shows: the message with a full stop unless it ends in one.
QString messageWithFullStop(const QString &message);

// The program-wide reporter; a MessageBoxErrorReporter unless a test installs its own.
ErrorReporter &errorReporter();
void setErrorReporter(ErrorReporter *reporter);

// Runs one handler; an error it raises ends the handler and goes to the reporter.
void runGuarded(const std::function<void()> &handler);

// Runs one handler and hands back the message of an error it raised, for a
// caller that must not show a box where it stands (inside a browser's
// navigation decision, say) and reports it a moment later instead.
std::optional<QString> runCatching(const std::function<void()> &handler);
