#include "Manifest.h"

#include "Version.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace {
ManifestParse failed(const QString &why)
{
    return {std::nullopt, why};
}
}

ManifestParse parseManifest(const QByteArray &text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        return failed(QStringLiteral("not JSON: %1 at offset %2").arg(error.errorString()).arg(error.offset));
    if (!document.isObject())
        return failed(QStringLiteral("not a JSON object"));
    const QJsonObject object = document.object();

    const QJsonValue version = object.value(QLatin1String("version"));
    if (version.isUndefined())
        return failed(QStringLiteral("no \"version\""));
    if (!version.isString())
        return failed(QStringLiteral("\"version\" is not a string"));
    const std::optional<FileVersion> parsed = parseVersion(version.toString());
    if (!parsed)
        return failed(QStringLiteral("\"version\" is not four numbers A.B.C.D"));

    const QJsonValue download = object.value(QLatin1String("download"));
    if (download.isUndefined())
        return failed(QStringLiteral("no \"download\""));
    if (!download.isString())
        return failed(QStringLiteral("\"download\" is not a string"));
    // Strict parsing: the address is shown to the user, so it must be a plain,
    // well-formed web address and nothing else (no spaces, no markup, no file: or javascript:).
    const QUrl address(download.toString(), QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        || address.host().isEmpty())
        return failed(QStringLiteral("\"download\" is not an http or https address"));

    return {Manifest{*parsed, address}, QString()};
}
