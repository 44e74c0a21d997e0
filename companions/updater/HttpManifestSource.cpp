#include "HttpManifestSource.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

HttpManifestSource::HttpManifestSource(QString userAgent) : m_userAgent(std::move(userAgent)) {}

FetchResult HttpManifestSource::fetch(const QUrl &address)
{
    const QString shown = address.toDisplayString();
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        || address.host().isEmpty())
        return {false, {}, QStringLiteral("the update address %1 is not an http or https address").arg(shown)};

    QNetworkAccessManager network;
    QNetworkRequest request(address);
    request.setTransferTimeout(TransferTimeoutMs);
    request.setMaximumRedirectsAllowed(5);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    QNetworkReply *reply = network.get(request);

    bool tooLarge = false;
    bool timedOut = false;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [&](qint64 received, qint64 total) {
        if (received > MaxManifestBytes || total > MaxManifestBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(TotalTimeoutMs);
    if (!reply->isFinished())
        loop.exec();

    FetchResult result;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (tooLarge) {
        result.error = QStringLiteral("the update server at %1 sent more than %2 bytes").arg(shown).arg(MaxManifestBytes);
    } else if (timedOut || reply->error() == QNetworkReply::TimeoutError
               || reply->error() == QNetworkReply::OperationCanceledError) {
        result.error = QStringLiteral("the update server at %1 did not answer in time").arg(shown);
    } else if (status != 0 && (status < 200 || status > 299)) {
        result.error = QStringLiteral("the update server at %1 answered HTTP %2 %3")
                           .arg(shown)
                           .arg(status)
                           .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
                           .trimmed();
    } else if (reply->error() != QNetworkReply::NoError) {
        result.error = QStringLiteral("the update server at %1 could not be reached: %2").arg(shown, reply->errorString());
    } else {
        result.ok = true;
        result.body = reply->readAll();
    }
    delete reply;
    return result;
}
