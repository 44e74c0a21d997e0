#include "ErrorReporter.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {
ErrorReporter *installedReporter = nullptr;
}

QString messageWithFullStop(const QString &message)
{
    return message.endsWith(QLatin1Char('.')) ? message : message + QLatin1Char('.');
}

void MessageBoxErrorReporter::report(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(),
                    messageWithFullStop(message), QMessageBox::Ok);
    box.exec();
}

ErrorReporter &errorReporter()
{
    static MessageBoxErrorReporter boxes;
    return installedReporter ? *installedReporter : boxes;
}

void setErrorReporter(ErrorReporter *reporter)
{
    installedReporter = reporter;
}

std::optional<QString> runCatching(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const ZorvelError &error) {
        return error.message();
    } catch (const std::exception &error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
    return std::nullopt;
}

void runGuarded(const std::function<void()> &handler)
{
    if (const std::optional<QString> failure = runCatching(handler))
        errorReporter().report(*failure);
}
