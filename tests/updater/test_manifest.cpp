#include "Manifest.h"
#include "Version.h"

#include <QTest>

class TestManifest : public QObject {
    Q_OBJECT
private slots:
    void readsAManifest();
    void refusesMalformedManifests_data();
    void refusesMalformedManifests();
    void parsesVersions_data();
    void parsesVersions();
    void comparesAllFourNumbers();
    void showsTheBuildNumberOnlyWhenItIsTheDifference();
};

void TestManifest::readsAManifest()
{
    const ManifestParse parsed = parseManifest(
        R"({"version":"1.2.3.4","download":"https://zorvel.example.org/get?v=1.2.3","notes":"ignored"})");
    QVERIFY2(parsed.manifest, qPrintable(parsed.error));
    QCOMPARE(parsed.manifest->version, (FileVersion{1, 2, 3, 4}));
    QCOMPARE(parsed.manifest->download, QUrl("https://zorvel.example.org/get?v=1.2.3"));
}

void TestManifest::refusesMalformedManifests_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    const auto row = [](const char *name, const QByteArray &text, const char *error) {
        QTest::newRow(name) << text << QString::fromLatin1(error);
    };
    row("empty", "", "not JSON");
    row("html page", "<html><body>Log in to the hotel wifi</body></html>", "not JSON");
    row("truncated", R"({"version":"1.0.0.0","download":"http://x)", "not JSON");
    row("array", R"(["1.0.0.0","http://x/"])", "not a JSON object");
    row("no version", R"({"download":"http://x/"})", "no \"version\"");
    row("version number", R"({"version":1.0,"download":"http://x/"})", "\"version\" is not a string");
    row("three numbers", R"({"version":"1.0.0","download":"http://x/"})", "\"version\" is not four numbers");
    row("five numbers", R"({"version":"1.0.0.0.0","download":"http://x/"})", "\"version\" is not four numbers");
    row("number too big", R"({"version":"1.65536.0.0","download":"http://x/"})", "\"version\" is not four numbers");
    row("letters", R"({"version":"1.0.0.0b","download":"http://x/"})", "\"version\" is not four numbers");
    row("blank around", R"({"version":" 1.0.0.0","download":"http://x/"})", "\"version\" is not four numbers");
    row("signed", R"({"version":"1.-1.0.0","download":"http://x/"})", "\"version\" is not four numbers");
    row("no download", R"({"version":"1.0.0.0"})", "no \"download\"");
    row("download null", R"({"version":"1.0.0.0","download":null})", "\"download\" is not a string");
    row("download empty", R"({"version":"1.0.0.0","download":""})", "\"download\" is not an http");
    row("file address", R"({"version":"1.0.0.0","download":"file:///etc/passwd"})", "\"download\" is not an http");
    row("script address", R"x({"version":"1.0.0.0","download":"javascript:alert(1)"})x", "\"download\" is not an http");
    row("no host", R"({"version":"1.0.0.0","download":"http:///get"})", "\"download\" is not an http");
    row("markup", R"({"version":"1.0.0.0","download":"http://x/<b>now</b>"})", "\"download\" is not an http");
    row("spaces", R"({"version":"1.0.0.0","download":"http://x/get it"})", "\"download\" is not an http");
}

void TestManifest::refusesMalformedManifests()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    const ManifestParse parsed = parseManifest(text);
    QVERIFY(!parsed.manifest);
    QVERIFY2(parsed.error.startsWith(error), qPrintable(parsed.error));
}

void TestManifest::parsesVersions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("normalised");
    QTest::newRow("plain") << "0.9.2.0" << true << "0.9.2.0";
    QTest::newRow("leading zeros") << "01.002.0.00" << true << "1.2.0.0";
    QTest::newRow("largest") << "65535.65535.65535.65535" << true << "65535.65535.65535.65535";
    QTest::newRow("empty part") << "1..2.3" << false << "";
    QTest::newRow("trailing dot") << "1.2.3.4." << false << "";
    QTest::newRow("six digits") << "000001.0.0.0" << false << "";
    QTest::newRow("other digits") << QString::fromUtf8("1.2.3.\u0664") << false << "";
}

void TestManifest::parsesVersions()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, normalised);
    const std::optional<FileVersion> version = parseVersion(text);
    QCOMPARE(bool(version), valid);
    if (version)
        QCOMPARE(versionText(*version), normalised);
}

void TestManifest::comparesAllFourNumbers()
{
    // Numbers, not text: 0.10 is newer than 0.9.
    QVERIFY((FileVersion{0, 10, 0, 0}) > (FileVersion{0, 9, 2, 0}));
    QVERIFY((FileVersion{0, 9, 2, 1}) > (FileVersion{0, 9, 2, 0}));
    QVERIFY((FileVersion{1, 0, 0, 0}) > (FileVersion{0, 65535, 65535, 65535}));
    QVERIFY(!((FileVersion{0, 9, 2, 0}) > (FileVersion{0, 9, 2, 0})));
}

void TestManifest::showsTheBuildNumberOnlyWhenItIsTheDifference()
{
    QCOMPARE(shownVersion({1, 0, 0, 7}, {0, 9, 2, 0}), QString("1.0.0"));
    QCOMPARE(shownVersion({0, 9, 2, 1}, {0, 9, 2, 0}), QString("0.9.2.1"));
    QCOMPARE(shownVersion({0, 9, 2, 0}, {0, 9, 2, 0}), QString("0.9.2"));
}

QTEST_GUILESS_MAIN(TestManifest)
#include "test_manifest.moc"
