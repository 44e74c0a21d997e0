#include "HttpManifestSource.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// Answers every request on a loopback port with one canned HTTP response.
class CannedServer : public QObject {
public:
    explicit CannedServer(QByteArray response) : m_response(std::move(response))
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    ++requests;
                    socket->write(m_response);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QUrl url(const QString &path = "/Brenvo/updates/latest.json") const
    {
        return QUrl(QString("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }
    int requests = 0;

private:
    QTcpServer m_server;
    QByteArray m_response;
};

namespace {
QByteArray response(const QByteArray &status, const QByteArray &body, const QByteArray &extra = {})
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\nConnection: close\r\n" + extra + "\r\n" + body;
}
}

class TestHttpManifestSource : public QObject {
    Q_OBJECT
private slots:
    void fetchesTheManifest();
    void reportsWhatWentWrong_data();
    void reportsWhatWentWrong();
    void reportsAServerThatIsNotThere();
    void refusesAddressesOtherThanWebOnes_data();
    void refusesAddressesOtherThanWebOnes();
};

void TestHttpManifestSource::fetchesTheManifest()
{
    const QByteArray manifest = R"({"version":"1.0.0.0","download":"http://x/"})";
    CannedServer server(response("200 OK", manifest));
    HttpManifestSource source("test");
    const FetchResult result = source.fetch(server.url());
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.body, manifest);
    QCOMPARE(server.requests, 1);
}

void TestHttpManifestSource::reportsWhatWentWrong_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("error");
    QTest::newRow("not found") << response("404 Not Found", "no such file") << "answered HTTP 404 Not Found";
    QTest::newRow("server error") << response("500 Internal Server Error", "") << "answered HTTP 500";
    QTest::newRow("too large") << response("200 OK", QByteArray(HttpManifestSource::MaxManifestBytes + 1, ' '))
                               << "sent more than 65536 bytes";
    QTest::newRow("redirect to file") << response("302 Found", "", "Location: file:///etc/passwd\r\n")
                                      << "at http://127.0.0.1";
}

void TestHttpManifestSource::reportsWhatWentWrong()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, error);
    CannedServer server(answer);
    HttpManifestSource source("test");
    const FetchResult result = source.fetch(server.url());
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(error), qPrintable(result.error));
    QVERIFY(result.error.startsWith("the update server at " + server.url().toDisplayString()));
}

void TestHttpManifestSource::reportsAServerThatIsNotThere()
{
    QUrl address;
    {
        QTcpServer closed; // a port that was free a moment ago and is closed again
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        address = QUrl(QString("http://127.0.0.1:%1/latest.json").arg(closed.serverPort()));
    }
    HttpManifestSource source("test");
    const FetchResult result = source.fetch(address);
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains("could not be reached"), qPrintable(result.error));
}

void TestHttpManifestSource::refusesAddressesOtherThanWebOnes_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("file") << "file:///etc/hostname";
    QTest::newRow("ftp") << "ftp://127.0.0.1/latest.json";
    QTest::newRow("no scheme") << "127.0.0.1:8470/latest.json";
    QTest::newRow("empty") << "";
}

void TestHttpManifestSource::refusesAddressesOtherThanWebOnes()
{
    QFETCH(QString, address);
    HttpManifestSource source("test");
    const FetchResult result = source.fetch(QUrl(address));
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains("is not an http or https address"), qPrintable(result.error));
}

QTEST_GUILESS_MAIN(TestHttpManifestSource)
#include "test_http_manifest_source.moc"
