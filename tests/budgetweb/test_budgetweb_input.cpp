// What budgetweb accepts from forms and from its command line, and its password hash.
#include "DemoHousehold.h"
#include "FormInput.h"
#include "Html.h"
#include "Money.h"
#include "Options.h"
#include "PasswordHash.h"

#include <QtTest>

class TestBudgetwebInput : public QObject {
    Q_OBJECT
private slots:
    void moneyParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("allowZero");
        QTest::addColumn<qlonglong>("cents");  // -1: refused
        QTest::newRow("whole") << "12" << false << 1200LL;
        QTest::newRow("one decimal") << "12.5" << false << 1250LL;
        QTest::newRow("comma") << "0,75" << false << 75LL;
        QTest::newRow("blanks around") << " 3.10 " << false << 310LL;
        QTest::newRow("leading dot") << ".5" << false << 50LL;
        QTest::newRow("trailing dot") << "7." << false << 700LL;
        QTest::newRow("zero refused") << "0.00" << false << -1LL;
        QTest::newRow("zero allowed") << "0" << true << 0LL;
        QTest::newRow("empty") << "" << true << -1LL;
        QTest::newRow("negative") << "-1" << true << -1LL;
        QTest::newRow("three decimals") << "1.234" << false << -1LL;
        QTest::newRow("two separators") << "1.2.3" << false << -1LL;
        QTest::newRow("letters") << "12a" << false << -1LL;
        QTest::newRow("exponent") << "1e3" << false << -1LL;
        QTest::newRow("only a dot") << "." << false << -1LL;
        QTest::newRow("largest") << "10000000" << false << qlonglong(Money::MaxCents);
        QTest::newRow("too large") << "10000000.01" << false << -1LL;
        QTest::newRow("overflowing digits") << "9999999999999" << false << -1LL;
    }
    void moneyParse()
    {
        QFETCH(QString, text);
        QFETCH(bool, allowZero);
        QFETCH(qlonglong, cents);
        const Money::Parsed p = Money::parse(text.toStdString(), allowZero);
        if (cents < 0) {
            QVERIFY(!p.cents);
            QVERIFY(!p.error.empty());
        } else {
            QVERIFY2(p.cents, p.error.c_str());
            QCOMPARE(*p.cents, cents);
        }
    }

    void moneyFormat()
    {
        QCOMPARE(Money::format(0), std::string("0.00"));
        QCOMPARE(Money::format(5), std::string("0.05"));
        QCOMPARE(Money::format(123456), std::string("1234.56"));
        QCOMPARE(Money::format(-150), std::string("-1.50"));
        QCOMPARE(Money::format(INT64_MIN), std::string("-92233720368547758.08"));
    }

    void formFields()
    {
        const FormInput f = FormInput::parse("a=1&note=caf%C3%A9+%26+more&empty=&flag&a=2&bad=%zz%4");
        QCOMPARE(f.value("a"), std::string("1"));  // the first of repeated fields
        QCOMPARE(f.value("note"), std::string("caf\xC3\xA9 & more"));
        QVERIFY(f.has("empty") && f.has("flag") && !f.has("missing"));
        QCOMPARE(f.value("bad"), std::string("%zz%4"));  // broken escapes stay as typed
    }

    void checkLine_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("allowEmpty");
        QTest::addColumn<QByteArray>("kept");   // the text after the check
        QTest::addColumn<bool>("accepted");
        QTest::newRow("trimmed") << QByteArray("  Rent \t") << false << QByteArray("Rent") << true;
        QTest::newRow("blank refused") << QByteArray("   ") << false << QByteArray("") << false;
        QTest::newRow("blank allowed") << QByteArray(" ") << true << QByteArray("") << true;
        QTest::newRow("ten characters") << QByteArray("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9")
                                        << false << QByteArray("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9") << true;
        QTest::newRow("eleven characters") << QByteArray("abcdefghijk") << false << QByteArray("abcdefghijk") << false;
        QTest::newRow("line break") << QByteArray("a\nb") << false << QByteArray("a\nb") << false;
        QTest::newRow("broken UTF-8") << QByteArray("a\xC3") << false << QByteArray("a\xC3") << false;
        QTest::newRow("overlong UTF-8") << QByteArray("\xC0\xAF") << false << QByteArray("\xC0\xAF") << false;
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false << QByteArray("\xED\xA0\x80") << false;
    }
    void checkLine()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, allowEmpty);
        QFETCH(QByteArray, kept);
        QFETCH(bool, accepted);
        std::string s = text.toStdString();
        const std::string message = FormInput::checkLine(s, 10, allowEmpty);
        QCOMPARE(message.empty(), accepted);
        QCOMPARE(QByteArray::fromStdString(s), kept);
    }

    void escape()
    {
        QCOMPARE(Html::escape("<a href=\"x\">O'Neil & co</a>"),
                 std::string("&lt;a href=&quot;x&quot;&gt;O&#39;Neil &amp; co&lt;/a&gt;"));
        const std::string error = Html::serverErrorPage("/Brenvo/<x>");
        QVERIFY(error.find("<title>Server Error in '/Brenvo' Application.</title>") != std::string::npos);
        QVERIFY(error.find("/Brenvo/&lt;x&gt;") != std::string::npos);
    }

    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("good");
        QTest::newRow("none") << QStringList{} << true;
        QTest::newRow("all") << QStringList{"--listen", "0.0.0.0:0", "--db", "x.db", "--demo", "--fail-page", "A.aspx",
                                            "--fail-page=B.aspx", "--latest-version", "1.0.0.65535",
                                            "--download-url", "http://x/"} << true;
        QTest::newRow("ipv6") << QStringList{"--listen", "[::1]:8470"} << true;
        QTest::newRow("unknown") << QStringList{"--port", "1"} << false;
        QTest::newRow("no port") << QStringList{"--listen", "127.0.0.1"} << false;
        QTest::newRow("port too big") << QStringList{"--listen", "127.0.0.1:65536"} << false;
        QTest::newRow("missing value") << QStringList{"--db"} << false;
        QTest::newRow("value on a switch") << QStringList{"--demo=yes"} << false;
        QTest::newRow("three-part version") << QStringList{"--latest-version", "1.2.3"} << false;
        QTest::newRow("version part too big") << QStringList{"--latest-version", "1.2.3.65536"} << false;
        QTest::newRow("page with slash") << QStringList{"--fail-page", "a/b"} << false;
    }
    void options()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, good);
        std::vector<std::string> v;
        for (const QString &a : args) v.push_back(a.toStdString());
        const auto r = Options::parse(v);
        QCOMPARE(r.error.empty(), good);
        if (!good) QVERIFY(r.error.find('\n') == std::string::npos);
    }

    void optionDefaults()
    {
        qputenv("XDG_DATA_HOME", "/data/here");
        const auto r = Options::parse({"--fail-page", "Default.ASPX"});
        QCOMPARE(r.options.host, std::string("127.0.0.1"));
        QCOMPARE(r.options.port, 8470);
        QCOMPARE(r.options.dbPath, std::string("/data/here/zorvel/budget.sqlite"));
        QCOMPARE(r.options.latestVersion, std::string(BUDGETWEB_VERSION));
        QVERIFY(r.options.failPages.count("default.aspx"));
        qputenv("XDG_DATA_HOME", "");
        qputenv("HOME", "/home/ann");
        QCOMPARE(Options::parse({}).options.dbPath, std::string("/home/ann/.local/share/zorvel/budget.sqlite"));
    }

    void passwordHash()
    {
        const PasswordHash h = PasswordHash::create("open sesame");
        QCOMPARE(h.salt.size(), size_t(16));
        QCOMPARE(h.key.size(), size_t(32));
        QVERIFY(h.matches("open sesame"));
        QVERIFY(!h.matches("open sesamE"));
        QVERIFY(PasswordHash::create("open sesame").salt != h.salt);
        // The demo household's stored key is the real derivation of "demo".
        const PasswordHash demo = PasswordHash::withSalt("demo", DemoHousehold::Salt, PasswordHash::Iterations);
        QCOMPARE(toHex(demo.key), std::string(DemoHousehold::KeyHex));
    }
};

QTEST_GUILESS_MAIN(TestBudgetwebInput)
#include "test_budgetweb_input.moc"
