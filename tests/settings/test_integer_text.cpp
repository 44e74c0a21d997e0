// The integer text rules, straight on the text (config.ini's own 0x rule and
// blank trimming are the store's and are tested there).
#include "ErrorReporter.h"
#include "IntegerText.h"

#include <QTest>

#include <limits>

using Result = std::optional<std::int32_t>;
Q_DECLARE_METATYPE(Result)

class TestIntegerText : public QObject {
    Q_OBJECT

private slots:
    void parses_data();
    void parses();
    void strToIntReturnsTheValue();
    void strToIntNamesTheTextUnchanged_data();
    void strToIntNamesTheTextUnchanged();
};

void TestIntegerText::parses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Result>("expected");
    const Result fails;
    const auto min = std::numeric_limits<std::int32_t>::min();
    const auto max = std::numeric_limits<std::int32_t>::max();

    QTest::newRow("decimal") << "80" << Result(80);
    QTest::newRow("leading spaces skipped") << "   80" << Result(80);
    QTest::newRow("plus sign") << "+7" << Result(7);
    QTest::newRow("minus sign") << "-7" << Result(-7);
    QTest::newRow("leading zeros") << "0000000000002147483647" << Result(max);
    QTest::newRow("zero") << "0" << Result(0);
    QTest::newRow("minus zero") << "-0" << Result(0);
    QTest::newRow("largest") << "2147483647" << Result(max);
    QTest::newRow("smallest") << "-2147483648" << Result(min);
    QTest::newRow("one above largest") << "2147483648" << fails;
    QTest::newRow("one below smallest") << "-2147483649" << fails;
    QTest::newRow("far too long, no wrap") << "99999999999999999999" << fails;
    QTest::newRow("spaces then sign") << "  -5" << Result(-5);

    QTest::newRow("$ hex") << "$400" << Result(1024);
    QTest::newRow("x hex") << "x400" << Result(1024);
    QTest::newRow("X hex") << "X400" << Result(1024);
    QTest::newRow("0x hex") << "0x400" << Result(1024);
    QTest::newRow("0X hex") << "0X400" << Result(1024);
    QTest::newRow("hex digits in either case") << "$aBcD" << Result(0xABCD);
    QTest::newRow("spaces then hex") << "  $10" << Result(16);
    QTest::newRow("32-bit pattern is signed") << "0XFFFFFFFF" << Result(-1);
    QTest::newRow("top bit alone") << "$80000000" << Result(min);
    QTest::newRow("largest hex") << "$7FFFFFFF" << Result(max);
    QTest::newRow("leading zeros don't count") << "$00000000FFFFFFFF" << Result(-1);
    QTest::newRow("33 bits") << "$100000000" << fails;

    QTest::newRow("empty") << "" << fails;
    QTest::newRow("spaces only") << "   " << fails;
    QTest::newRow("plus alone") << "+" << fails;
    QTest::newRow("minus alone") << "-" << fails;
    QTest::newRow("two signs") << "--7" << fails;
    QTest::newRow("blank after sign") << "- 5" << fails;
    QTest::newRow("trailing space") << "80 " << fails;
    QTest::newRow("trailing letters") << "62px" << fails;
    QTest::newRow("inner space") << "6 2" << fails;
    QTest::newRow("decimal point") << "1.5" << fails;
    QTest::newRow("exponent") << "1e3" << fails;
    QTest::newRow("leading tab") << "\t80" << fails;
    QTest::newRow("leading no-break space") << QStringLiteral("\u00a080") << fails;
    QTest::newRow("other script's digits") << QStringLiteral("\u0661\u0662") << fails;
    QTest::newRow("full-width digits") << QStringLiteral("\uff18\uff10") << fails;
    QTest::newRow("sign before 0x") << "-0x10" << fails;
    QTest::newRow("sign before $") << "+$10" << fails;
    QTest::newRow("sign after $") << "$-1" << fails;
    QTest::newRow("$ alone") << "$" << fails;
    QTest::newRow("x alone") << "x" << fails;
    QTest::newRow("0x alone") << "0x" << fails;
    QTest::newRow("two prefixes") << "$0x10" << fails;
    QTest::newRow("zero before 0x") << "00x10" << fails;
    QTest::newRow("non-hex digit") << "$12G" << fails;
    QTest::newRow("hex trailing space") << "$10 " << fails;
    QTest::newRow("binary prefix") << "0b101" << fails;
    QTest::newRow("NUL inside") << QString::fromLatin1("12\0" "3", 4) << fails;
}

void TestIntegerText::parses()
{
    QFETCH(QString, text);
    QFETCH(Result, expected);
    QCOMPARE(parseIntegerText(text), expected);
}

void TestIntegerText::strToIntReturnsTheValue()
{
    QCOMPARE(StrToInt(QStringLiteral("  -2147483648")), std::numeric_limits<std::int32_t>::min());
    QCOMPARE(StrToInt(QStringLiteral("$FF")), 255);
}

void TestIntegerText::strToIntNamesTheTextUnchanged_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("letters") << "abc";
    QTest::newRow("spaces kept") << " 12a ";
    QTest::newRow("empty") << "";
    QTest::newRow("place marker") << "%1%2";
}

void TestIntegerText::strToIntNamesTheTextUnchanged()
{
    QFETCH(QString, text);
    try {
        StrToInt(text);
        QFAIL("no error raised");
    } catch (const ZorvelError &error) {
        QCOMPARE(error.message(), QStringLiteral("'") + text + QStringLiteral("' is not a valid integer value"));
    }
}

QTEST_APPLESS_MAIN(TestIntegerText)
#include "test_integer_text.moc"
