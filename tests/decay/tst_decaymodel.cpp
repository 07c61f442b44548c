// The decay formulas and the rounding, checked through the text the user
// finally sees, since that is where a wrong last bit would show.

#include "decay/decaymodel.h"

#include <QtTest>

#include <cfenv>
#include <cfloat>
#include <climits>
#include <cmath>

using decay::Formula;

namespace {

QByteArray shown(long double value)
{
    return QByteArray::fromStdString(decay::numberToText(value, ","));
}

} // namespace

class TestDecayModel final : public QObject
{
    Q_OBJECT

private slots:
    void calculation_data();
    void calculation();
    void arithmeticErrors_data();
    void arithmeticErrors();
    void underflowIsQuiet();
    void callerFlagsNeitherLeakInNorOut();
    void rounding_data();
    void rounding();
    void precisionRange_data();
    void precisionRange();
    void roundingOverflow();
    void normalisation_data();
    void normalisation();
};

void TestDecayModel::calculation_data()
{
    QTest::addColumn<double>("a0");
    QTest::addColumn<double>("t");
    QTest::addColumn<double>("halfLife");
    QTest::addColumn<bool>("logarithmic");
    QTest::addColumn<int>("precision");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("one half-life") << 100.0 << 1.0 << 1.0 << false << 4 << QByteArray("50");
    QTest::newRow("one half-life, logarithmic") << 100.0 << 1.0 << 1.0 << true << 4 << QByteArray("50,0074");
    QTest::newRow("a third of a half-life") << 1000.0 << 1.0 << 3.0 << false << 4 << QByteArray("793,7005");
    QTest::newRow("twenty half-lives, 4 places") << 1.0 << 20.0 << 1.0 << false << 4 << QByteArray("0");
    QTest::newRow("twenty half-lives, 10 places") << 1.0 << 20.0 << 1.0 << false << 10 << QByteArray("9,537E-7");
    QTest::newRow("tie 2.5 to even") << 5.0 << 2.0 << 2.0 << false << 0 << QByteArray("2");
    QTest::newRow("tie 3.5 to even") << 7.0 << 2.0 << 2.0 << false << 0 << QByteArray("4");
    QTest::newRow("no time passed") << 100.0 << 0.0 << 5.0 << false << 4 << QByteArray("100");
    QTest::newRow("no time passed, logarithmic") << 100.0 << 0.0 << 5.0 << true << 4 << QByteArray("100");
    QTest::newRow("negative activity") << -100.0 << 1.0 << 1.0 << false << 4 << QByteArray("-50");
    QTest::newRow("full digits") << 1.0 << 1.0 << 3.0 << false << 20 << QByteArray("0,7937005259841");
    QTest::newRow("logarithmic, years") << 37.0 << 5.0 << 30.17 << true << 6 << QByteArray("32,985522");
    // 2^(t/T) leaves the extended range here although A merely underflows;
    // both formulas must agree that nothing is left.
    QTest::newRow("20000 half-lives") << 1.0 << 20000.0 << 1.0 << false << 4 << QByteArray("0");
    QTest::newRow("20000 half-lives, logarithmic") << 1.0 << 20000.0 << 1.0 << true << 4 << QByteArray("0");
    QTest::newRow("short-lived isotope over years") << 500.0 << 5.0 << 0.000209 << false << 20 << QByteArray("0");
    QTest::newRow("nothing to grow") << 0.0 << -20000.0 << 1.0 << false << 4 << QByteArray("0");
}

void TestDecayModel::calculation()
{
    QFETCH(double, a0);
    QFETCH(double, t);
    QFETCH(double, halfLife);
    QFETCH(bool, logarithmic);
    QFETCH(int, precision);
    QFETCH(QByteArray, expected);

    const double a = decay::decayedActivity(a0, t, halfLife,
                                            logarithmic ? Formula::Logarithmic : Formula::HalfLife);
    QCOMPARE(shown(decay::roundToPrecision(a, precision)), expected);
}

void TestDecayModel::arithmeticErrors_data()
{
    QTest::addColumn<double>("a0");
    QTest::addColumn<double>("t");
    QTest::addColumn<double>("halfLife");
    QTest::addColumn<bool>("logarithmic");
    QTest::addColumn<QByteArray>("message");

    const QByteArray invalid("Invalid floating point operation");
    const QByteArray divByZero("Floating point division by zero");
    const QByteArray overflow("Floating point overflow");

    // The chart's first sample: t = 0 with T = 0.
    QTest::newRow("0/0") << 100.0 << 0.0 << 0.0 << false << invalid;
    QTest::newRow("0/0, logarithmic") << 100.0 << 0.0 << 0.0 << true << invalid;
    QTest::newRow("t/0") << 100.0 << 1.0 << 0.0 << false << divByZero;
    QTest::newRow("t/0, logarithmic") << 100.0 << 1.0 << 0.0 << true << divByZero;
    // Fits the extended format but not the double it is stored in.
    QTest::newRow("store to double") << 1e308 << -1.0 << 1.0 << false << overflow;
    QTest::newRow("store to double, logarithmic") << 1e308 << -2.0 << 1.0 << true << overflow;
    QTest::newRow("growth beyond range") << 1.0 << -20000.0 << 1.0 << false << overflow;
    QTest::newRow("growth beyond range, logarithmic") << 1.0 << -40000.0 << 1.0 << true << overflow;
}

void TestDecayModel::arithmeticErrors()
{
    QFETCH(double, a0);
    QFETCH(double, t);
    QFETCH(double, halfLife);
    QFETCH(bool, logarithmic);
    QFETCH(QByteArray, message);

    try {
        decay::decayedActivity(a0, t, halfLife, logarithmic ? Formula::Logarithmic : Formula::HalfLife);
        QFAIL("no error");
    } catch (const halvora::Error &e) {
        QCOMPARE(QByteArray(e.what()), message);
    }
}

void TestDecayModel::underflowIsQuiet()
{
    // A denormal double result and one below it: a tiny value, then 0.
    QCOMPARE(decay::decayedActivity(1e-300, 50.0, 1.0, Formula::HalfLife), std::ldexp(1e-300, -50));
    QVERIFY(decay::decayedActivity(1e-300, 50.0, 1.0, Formula::HalfLife) > 0.0);
    QCOMPARE(decay::decayedActivity(1e-300, 100.0, 1.0, Formula::HalfLife), 0.0);
    QCOMPARE(decay::decayedActivity(1e-300, 100.0, 1.0, Formula::Logarithmic), 0.0);
    QCOMPARE(decay::roundToPrecision(1e-4940L, 0), 0.0L);
}

void TestDecayModel::callerFlagsNeitherLeakInNorOut()
{
    // Flags raised before the call must not be blamed on it...
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    QCOMPARE(decay::decayedActivity(100.0, 1.0, 1.0, Formula::HalfLife), 50.0);
    QCOMPARE(shown(decay::roundToPrecision(0.125, 2)), QByteArray("0,12"));
    // ...and stay the caller's business afterwards.
    QCOMPARE(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW),
             FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);

    // A failed computation leaves no flag behind for the next one.
    std::feclearexcept(FE_ALL_EXCEPT);
    QVERIFY_THROWS_EXCEPTION(halvora::Error, decay::decayedActivity(1.0, 0.0, 0.0, Formula::HalfLife));
    QCOMPARE(std::fetestexcept(FE_ALL_EXCEPT), 0);
    QCOMPARE(decay::decayedActivity(100.0, 1.0, 1.0, Formula::HalfLife), 50.0);

    // A rounding mode left by someone else does not change the digits.
    std::fesetround(FE_UPWARD);
    const long double upward = decay::roundToPrecision(2.5, 0);
    const double third = decay::decayedActivity(1000.0, 1.0, 3.0, Formula::HalfLife);
    std::fesetround(FE_TONEAREST);
    QCOMPARE(upward, 2.0L);
    QCOMPARE(third, decay::decayedActivity(1000.0, 1.0, 3.0, Formula::HalfLife));
}

void TestDecayModel::rounding_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("0.125 tie to even") << 0.125 << 2 << QByteArray("0,12");
    QTest::newRow("0.135 stored above the tie") << 0.135 << 2 << QByteArray("0,14");
    QTest::newRow("2.5 to 0") << 2.5 << 0 << QByteArray("2");
    QTest::newRow("1.5 to 0") << 1.5 << 0 << QByteArray("2");
    QTest::newRow("0.5 to 0") << 0.5 << 0 << QByteArray("0");
    QTest::newRow("-2.5 to 0") << -2.5 << 0 << QByteArray("-2");
    QTest::newRow("-0.4 to 0") << -0.4 << 0 << QByteArray("0");
    QTest::newRow("25 to tens") << 25.0 << -1 << QByteArray("20");
    QTest::newRow("35 to tens") << 35.0 << -1 << QByteArray("40");
    QTest::newRow("123456.789 to thousands") << 123456.789 << -3 << QByteArray("123000");
    QTest::newRow("2.5e20 at -20") << 2.5e20 << -20 << QByteArray("2E20");
    QTest::newRow("5e-20 at 20") << 5e-20 << 20 << QByteArray("5E-20");
    QTest::newRow("4e-21 at 20") << 4e-21 << 20 << QByteArray("0");
    QTest::newRow("more than 15 digits kept") << 12345678.123456789 << 20 << QByteArray("12345678,1234568");
    QTest::newRow("huge value, nothing to round") << 1e300 << 20 << QByteArray("1E300");
}

void TestDecayModel::rounding()
{
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(QByteArray, expected);

    QCOMPARE(shown(decay::roundToPrecision(value, digits)), expected);
}

void TestDecayModel::precisionRange_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("20") << 20 << true;
    QTest::newRow("-20") << -20 << true;
    QTest::newRow("21") << 21 << false;
    QTest::newRow("-21") << -21 << false;
    QTest::newRow("127") << 127 << false;
    QTest::newRow("INT_MAX") << INT_MAX << false;
    QTest::newRow("INT_MIN") << INT_MIN << false;
}

void TestDecayModel::precisionRange()
{
    QFETCH(int, digits);
    QFETCH(bool, accepted);

    try {
        const long double r = decay::roundToPrecision(1.5, digits);
        QVERIFY2(accepted, "accepted a precision out of range");
        QVERIFY(std::isfinite(r));
    } catch (const halvora::Error &e) {
        QVERIFY2(!accepted, e.what());
        QCOMPARE(QByteArray(e.what()), QByteArray("Invalid argument"));
    }
}

void TestDecayModel::roundingOverflow()
{
    try {
        decay::roundToPrecision(LDBL_MAX / 10, 20);
        QFAIL("no error");
    } catch (const halvora::Error &e) {
        QCOMPARE(QByteArray(e.what()), QByteArray("Floating point overflow"));
    }
}

void TestDecayModel::normalisation_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("separator");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("point on comma locale") << QByteArray("1.5") << QByteArray(",") << QByteArray("1,5");
    QTest::newRow("every point") << QByteArray("1.2.3") << QByteArray(",") << QByteArray("1,2,3");
    QTest::newRow("comma untouched") << QByteArray("1,5") << QByteArray(",") << QByteArray("1,5");
    QTest::newRow("point on point locale") << QByteArray("1.5") << QByteArray(".") << QByteArray("1.5");
    QTest::newRow("comma on point locale") << QByteArray("1,5") << QByteArray(".") << QByteArray("1,5");
    QTest::newRow("empty") << QByteArray() << QByteArray(",") << QByteArray();
    QTest::newRow("multi-byte separator") << QByteArray(".5e.") << QByteArray("\u066b")
                                          << QByteArray("\u066b5e\u066b");
}

void TestDecayModel::normalisation()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, separator);
    QFETCH(QByteArray, expected);

    const std::string result = decay::normaliseDecimalPoint(text.toStdString(), separator.toStdString());
    QCOMPARE(QByteArray::fromStdString(result), expected);
}

QTEST_APPLESS_MAIN(TestDecayModel)
#include "tst_decaymodel.moc"
