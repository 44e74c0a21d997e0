#include "DesktopReporter.h"

#include "UpdaterConstants.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QMessageBox>
#include <QVariantMap>

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
}

bool DesktopReporter::announce(const QString &summary, const QString &body)
{
    return notify(summary, body) || showBox(summary + QStringLiteral(".\n") + body, false);
}

void DesktopReporter::showResult(const QString &text, bool failed)
{
    showBox(text, failed);
}

bool DesktopReporter::notify(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QDBusMessage capabilities =
        bus.call(QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("GetCapabilities")),
                 QDBus::Block, BusTimeoutMs);
    if (capabilities.type() != QDBusMessage::ReplyMessage)
        return false;
    // A server that understands markup would read the address from the manifest as
    // markup; it is text, so it is escaped there.
    const bool markup = capabilities.arguments().value(0).toStringList().contains(QStringLiteral("body-markup"));

    QDBusMessage notify = QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("Notify"));
    notify << QString(UpdaterConstants::Title) << uint(0) << QStringLiteral("system-software-update") << summary
           << (markup ? body.toHtmlEscaped() : body) << QStringList() << QVariantMap() << int(-1);
    return bus.call(notify, QDBus::Block, BusTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

bool DesktopReporter::showBox(const QString &text, bool failed)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false; // no display to show a box on
    QMessageBox box(failed ? QMessageBox::Warning : QMessageBox::Information, QString(UpdaterConstants::Title), text,
                    QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText); // the manifest's address is never read as markup
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
    return true;
}
