// Number text: formatting, the strict input grammar and its error text, for
// a comma and a point locale alike.

#include "decay/decaymodel.h"

#include <QtTest>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>

namespace {

const QByteArray comma(",");
const QByteArray point(".");
const QByteArray arabic("\u066b"); // a two-byte separator

QByteArray toText(long double value, const QByteArray &separator)
{
    return QByteArray::fromStdString(decay::numberToText(value, separator.toStdString()));
}

double fromText(const QByteArray &text, const QByteArray &separator)
{
    return decay::textToNumber(text.toStdString(), separator.toStdString());
}

} // namespace

class TestNumberText final : public QObject
{
    Q_OBJECT

private slots:
    void numberToText_data();
    void numberToText();
    void extendedValues();
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void roundTrip_data();
    void roundTrip();
    void normalisedThenConverted();
    void ignoresCLocale();
};

void TestNumberText::numberToText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("separator");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("zero") << 0.0 << comma << QByteArray("0");
    QTest::newRow("negative zero") << -0.0 << comma << QByteArray("0");
    QTest::newRow("whole") << 50.0 << comma << QByteArray("50");
    QTest::newRow("negative") << -50.0074 << comma << QByteArray("-50,0074");
    QTest::newRow("0.1") << 0.1 << comma << QByteArray("0,1");
    QTest::newRow("15 digits of 1/3") << 1.0 / 3 << comma << QByteArray("0,333333333333333");
    QTest::newRow("15 digits of 2/3") << 2.0 / 3 << comma << QByteArray("0,666666666666667");
    QTest::newRow("16 digits rounded") << 123456789012345.6 << comma << QByteArray("123456789012346");
    QTest::newRow("digit tie to even, down") << 10000000000000.25 << comma << QByteArray("10000000000000,2");
    QTest::newRow("digit tie to even, up") << 10000000000000.75 << comma << QByteArray("10000000000000,8");
    QTest::newRow("largest fixed") << 999999999999999.0 << comma << QByteArray("999999999999999");
    QTest::newRow("rounds up to 1E15") << 999999999999999.9 << comma << QByteArray("1E15");
    QTest::newRow("1E15") << 1e15 << comma << QByteArray("1E15");
    QTest::newRow("2E15") << 2e15 << comma << QByteArray("2E15");
    QTest::newRow("-2E15") << -2e15 << comma << QByteArray("-2E15");
    QTest::newRow("0.0001 fixed") << 0.0001 << comma << QByteArray("0,0001");
    QTest::newRow("0.00012345 fixed") << 0.00012345 << comma << QByteArray("0,00012345");
    QTest::newRow("just below 0.0001") << 0.00009999 << comma << QByteArray("9,999E-5");
    QTest::newRow("1.5E-5") << 1.5e-5 << comma << QByteArray("1,5E-5");
    QTest::newRow("-1.25E-7") << -1.25e-7 << comma << QByteArray("-1,25E-7");
    QTest::newRow("E100") << 1e100 << comma << QByteArray("1E100");
    QTest::newRow("E-300 with digits") << 1.23456789012345678e-300 << comma << QByteArray("1,23456789012346E-300");
    QTest::newRow("largest double") << DBL_MAX << comma << QByteArray("1,79769313486232E308");
    QTest::newRow("smallest denormal") << 4.9406564584124654e-324 << comma << QByteArray("4,94065645841247E-324");
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << comma << QByteArray("INF");
    QTest::newRow("-infinity") << -std::numeric_limits<double>::infinity() << comma << QByteArray("-INF");
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << comma << QByteArray("NAN");
    QTest::newRow("point: fixed") << -50.0074 << point << QByteArray("-50.0074");
    QTest::newRow("point: scientific") << 1.5e-5 << point << QByteArray("1.5E-5");
    QTest::newRow("point: whole") << 1e14 << point << QByteArray("100000000000000");
    QTest::newRow("multi-byte: fixed") << 0.5 << arabic << QByteArray("0\u066b5");
    QTest::newRow("multi-byte: scientific") << 2.5e20 << arabic << QByteArray("2\u066b5E20");
}

void TestNumberText::numberToText()
{
    QFETCH(double, value);
    QFETCH(QByteArray, separator);
    QFETCH(QByteArray, expected);

    QCOMPARE(toText(value, separator), expected);
}

void TestNumberText::extendedValues()
{
    // The digits come from the extended value, not from a double copy of it,
    // and the notation is chosen after the rounding to 15 digits.
    QCOMPARE(toText(0.0001L - 1e-20L, comma), QByteArray("0,0001"));
    QCOMPARE(toText(1e15L - 0.01L, comma), QByteArray("1E15"));
    QCOMPARE(toText(1e15L - 0.6L, comma), QByteArray("999999999999999"));
    QCOMPARE(toText(1.0L + 4e-15L, comma), QByteArray("1"));
    QCOMPARE(toText(1.0L + 6e-15L, comma), QByteArray("1,00000000000001"));
    QCOMPARE(toText(1e-4000L, comma), QByteArray("1E-4000"));
    QCOMPARE(toText(-2.5e4000L, comma), QByteArray("-2,5E4000"));
}

void TestNumberText::accepted_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("separator");
    QTest::addColumn<double>("expected");

    QTest::newRow("whole") << QByteArray("100") << comma << 100.0;
    QTest::newRow("decimal") << QByteArray("1,5") << comma << 1.5;
    QTest::newRow("leading blanks") << QByteArray("   1,5") << comma << 1.5;
    QTest::newRow("trailing blanks") << QByteArray("1,5   ") << comma << 1.5;
    QTest::newRow("plus") << QByteArray("+1,5") << comma << 1.5;
    QTest::newRow("minus") << QByteArray("-1,5") << comma << -1.5;
    QTest::newRow("blanks around sign") << QByteArray("  -1,5  ") << comma << -1.5;
    QTest::newRow("separator last") << QByteArray("5,") << comma << 5.0;
    QTest::newRow("separator first") << QByteArray(",5") << comma << 0.5;
    QTest::newRow("signed, separator first") << QByteArray("-,5") << comma << -0.5;
    QTest::newRow("leading zeros") << QByteArray("000000000000000000000012") << comma << 12.0;
    QTest::newRow("exponent e") << QByteArray("1e3") << comma << 1000.0;
    QTest::newRow("exponent E") << QByteArray("1E3") << comma << 1000.0;
    QTest::newRow("exponent +") << QByteArray("1e+3") << comma << 1000.0;
    QTest::newRow("exponent -") << QByteArray("1,5E-3") << comma << 0.0015;
    QTest::newRow("exponent after separator") << QByteArray("5,e2") << comma << 500.0;
    QTest::newRow("exponent with zeros") << QByteArray("2e0003") << comma << 2000.0;
    QTest::newRow("0,1") << QByteArray("0,1") << comma << 0.1;
    QTest::newRow("largest double") << QByteArray("1,7976931348623157e308") << comma << DBL_MAX;
    QTest::newRow("smallest denormal") << QByteArray("4,9e-324") << comma << 4.9406564584124654e-324;
    QTest::newRow("denormal") << QByteArray("1e-320") << comma << 1e-320;
    QTest::newRow("underflow to 0") << QByteArray("1e-999") << comma << 0.0;
    QTest::newRow("below half the denormal") << QByteArray("2e-324") << comma << 0.0;
    QTest::newRow("negative underflow") << QByteArray("-1e-999") << comma << -0.0;
    QTest::newRow("huge exponent on zero") << QByteArray("0e99999999999999999999") << comma << 0.0;
    QTest::newRow("tiny exponent") << QByteArray("5e-99999999999999999999") << comma << 0.0;
    QTest::newRow("zero") << QByteArray("0") << comma << 0.0;
    QTest::newRow("-0") << QByteArray("-0") << comma << -0.0;
    QTest::newRow("-0,0") << QByteArray("-0,0") << comma << -0.0;
    QTest::newRow("digits and exponent offset") << QByteArray("12345,678e-2") << comma << 123.45678;
    // 10000 characters that still make a plain number: 10^-9998 * 10^9999.
    QTest::newRow("10000-character number")
        << QByteArray("0,") + QByteArray(9997, '0') + QByteArray("1e9999") << comma << 10.0;
    QTest::newRow("point locale") << QByteArray("1.5") << point << 1.5;
    QTest::newRow("point locale, exponent") << QByteArray("-2.5e-3") << point << -0.0025;
    QTest::newRow("multi-byte separator") << QByteArray("1\u066b5") << arabic << 1.5;
}

void TestNumberText::accepted()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, separator);
    QFETCH(double, expected);

    const double value = fromText(text, separator);
    QCOMPARE(value, expected);
    QCOMPARE(std::signbit(value), std::signbit(expected));
}

void TestNumberText::refused_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("separator");

    QTest::newRow("empty") << QByteArray() << comma;
    QTest::newRow("blanks only") << QByteArray("   ") << comma;
    QTest::newRow("sign only") << QByteArray("-") << comma;
    QTest::newRow("separator only") << QByteArray(",") << comma;
    QTest::newRow("sign and separator") << QByteArray("+,") << comma;
    QTest::newRow("two separators") << QByteArray("1,5,3") << comma;
    QTest::newRow("point on comma locale") << QByteArray("1.5") << comma;
    QTest::newRow("comma on point locale") << QByteArray("1,5") << point;
    QTest::newRow("thousands blank") << QByteArray("1 000") << comma;
    QTest::newRow("thousands point") << QByteArray("1.000,5") << comma;
    QTest::newRow("two signs") << QByteArray("+-1") << comma;
    QTest::newRow("blank after sign") << QByteArray("- 1") << comma;
    QTest::newRow("exponent without digits") << QByteArray("1e") << comma;
    QTest::newRow("exponent sign only") << QByteArray("1e+") << comma;
    QTest::newRow("exponent alone") << QByteArray("e5") << comma;
    QTest::newRow("separator and exponent") << QByteArray(",e5") << comma;
    QTest::newRow("blank before exponent") << QByteArray("1 e5") << comma;
    QTest::newRow("decimal exponent") << QByteArray("1e5,5") << comma;
    QTest::newRow("two exponents") << QByteArray("1e5e5") << comma;
    QTest::newRow("tab") << QByteArray("\t1") << comma;
    QTest::newRow("new line") << QByteArray("1\n") << comma;
    QTest::newRow("NaN") << QByteArray("NaN") << comma;
    QTest::newRow("nan") << QByteArray("nan") << comma;
    QTest::newRow("Inf") << QByteArray("Inf") << comma;
    QTest::newRow("Infinity") << QByteArray("-Infinity") << comma;
    QTest::newRow("INF as printed") << QByteArray("INF") << comma;
    QTest::newRow("hexadecimal") << QByteArray("0x10") << comma;
    QTest::newRow("unit after number") << QByteArray("1,5 MBq") << comma;
    QTest::newRow("no-break space") << QByteArray("1,5\u00a0") << comma;
    QTest::newRow("full-width digit") << QByteArray("\uff11") << comma;
    QTest::newRow("half a multi-byte separator") << QByteArray("1\xd9") << arabic;
    QTest::newRow("embedded NUL") << QByteArray("1\0002", 3) << comma;
    QTest::newRow("overflow") << QByteArray("1e999") << comma;
    QTest::newRow("negative overflow") << QByteArray("-1e999") << comma;
    QTest::newRow("just above the largest double") << QByteArray("1,7976931348623159e308") << comma;
    QTest::newRow("huge exponent") << QByteArray("1e99999999999999999999") << comma;
    QTest::newRow("10000 digits") << QByteArray(10000, '1') << comma;
    QTest::newRow("10000 characters of junk") << QByteArray(10000, 'x') << comma;
}

void TestNumberText::refused()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, separator);

    try {
        const double value = fromText(text, separator);
        QFAIL(qPrintable(QStringLiteral("accepted as %1").arg(value)));
    } catch (const halvora::Error &e) {
        // The message quotes the text exactly as given (what() ends at a NUL).
        const std::string expected = "'" + text.toStdString() + "' is not a valid floating point value";
        QCOMPARE(std::string(e.what()), std::string(expected.c_str()));
    }
}

void TestNumberText::roundTrip_data()
{
    QTest::addColumn<double>("value");

    for (const double value : {50.0074, 793.7005, 9.537e-7, -1.25e-7, 123456789012345.0, 1e300, 0.1,
                               -0.333333333333333, 2e15, 0.0001, 4.94065645841247e-324}) {
        QTest::addRow("%.17g", value) << value;
    }
}

void TestNumberText::roundTrip()
{
    QFETCH(double, value);

    // At most 15 significant digits survive the text, which these values have.
    for (const QByteArray &separator : {comma, point, arabic})
        QCOMPARE(fromText(toText(value, separator), separator), value);
}

void TestNumberText::normalisedThenConverted()
{
    QVERIFY_THROWS_EXCEPTION(halvora::Error, fromText("1.5", comma));
    QCOMPARE(decay::textToNumber(decay::normaliseDecimalPoint("1.5", ","), ","), 1.5);
    // On a point locale the text was already right and must stay so.
    QCOMPARE(decay::textToNumber(decay::normaliseDecimalPoint("1.5", "."), "."), 1.5);
}

void TestNumberText::ignoresCLocale()
{
    // The window sets the C locale from the environment; a comma locale there
    // must not leak into texts built with an explicit separator.
    const char *const previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    bool switched = false;
    for (const char *name : {"pl_PL.UTF-8", "pl_PL.utf8", "de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name)) {
            switched = true;
            break;
        }
    }
    if (!switched)
        QSKIP("no comma locale installed");

    const QByteArray text = toText(1.5, point);
    const double value = fromText("2.25", point);
    std::setlocale(LC_NUMERIC, saved.c_str());
    QCOMPARE(text, QByteArray("1.5"));
    QCOMPARE(value, 2.25);
}

QTEST_APPLESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
