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

void runGuarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const ZorvelError &error) {
        errorReporter().report(error.message());
    } catch (const std::exception &error) {
        errorReporter().report(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        errorReporter().report(QStringLiteral("Unknown error"));
    }
}
