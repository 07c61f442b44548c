// The activity unit cycle, including the text round trip the unit button
// performs on every click.

#include "decay/decaymodel.h"
#include "decay/units.h"

#include <QtTest>

#include <cfloat>

namespace {

// What one click does to the value field: read, step the unit, convert,
// round, print.
QByteArray click(const QByteArray &text, std::string_view &unit, int precision)
{
    const double value = decay::textToNumber(text.toStdString(), ",");
    unit = decay::nextUnit(unit);
    const double converted = decay::convertToUnit(value, unit);
    return QByteArray::fromStdString(decay::numberToText(decay::roundToPrecision(converted, precision), ","));
}

} // namespace

class TestUnits final : public QObject
{
    Q_OBJECT

private slots:
    void nextUnit_data();
    void nextUnit();
    void cycle_data();
    void cycle();
    void stepwiseConversion();
    void conversionLimits();
};

void TestUnits::nextUnit_data()
{
    QTest::addColumn<QByteArray>("unit");
    QTest::addColumn<QByteArray>("next");

    QTest::newRow("MBq") << QByteArray("MBq") << QByteArray("GBq");
    QTest::newRow("GBq") << QByteArray("GBq") << QByteArray("Bq");
    QTest::newRow("Bq") << QByteArray("Bq") << QByteArray("KBq");
    QTest::newRow("KBq") << QByteArray("KBq") << QByteArray("MBq");
    QTest::newRow("empty") << QByteArray() << QByteArray("MBq");
    QTest::newRow("lower case") << QByteArray("gbq") << QByteArray("MBq");
    QTest::newRow("SI spelling kBq") << QByteArray("kBq") << QByteArray("MBq");
    QTest::newRow("trailing blank") << QByteArray("GBq ") << QByteArray("MBq");
}

void TestUnits::nextUnit()
{
    QFETCH(QByteArray, unit);
    QFETCH(QByteArray, next);

    const std::string text = unit.toStdString();
    QCOMPARE(QByteArray::fromStdString(std::string(decay::nextUnit(text))), next);
}

void TestUnits::cycle_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<int>("precision");
    QTest::addColumn<QList<QByteArray>>("steps"); // GBq, Bq, KBq, MBq

    QTest::newRow("100 MBq round trip") << QByteArray("100") << 4
                                        << QList<QByteArray>{"0,1", "100000000", "100000", "100"};
    QTest::newRow("1 MBq at 2 places is lost") << QByteArray("1") << 2
                                               << QList<QByteArray>{"0", "0", "0", "0"};
    QTest::newRow("125 MBq tie to even") << QByteArray("125") << 2
                                         << QList<QByteArray>{"0,12", "120000000", "120000", "120"};
    QTest::newRow("fractional activity") << QByteArray("37,5") << 6
                                         << QList<QByteArray>{"0,0375", "37500000", "37500", "37,5"};
    QTest::newRow("negative activity") << QByteArray("-2500") << 0
                                       << QList<QByteArray>{"-2", "-2000000000", "-2000000", "-2000"};
}

void TestUnits::cycle()
{
    QFETCH(QByteArray, start);
    QFETCH(int, precision);
    QFETCH(QList<QByteArray>, steps);

    std::string_view unit = "MBq";
    QByteArray text = start;
    const QList<QByteArray> units{"GBq", "Bq", "KBq", "MBq"};
    for (qsizetype i = 0; i < steps.size(); ++i) {
        text = click(text, unit, precision);
        QCOMPARE(QByteArray::fromStdString(std::string(unit)), units.at(i));
        QCOMPARE(text, steps.at(i));
    }
}

void TestUnits::stepwiseConversion()
{
    // Three multiplications by 1000, each rounded to double, do not give the
    // same last bit as one multiplication by 1e9 for every value.
    QCOMPARE(decay::convertToUnit(0.0110011, "Bq"), 11001099.999999998);
    QCOMPARE(decay::convertToUnit(0.0010001, "Bq"), 1000100.0);
    QCOMPARE(decay::convertToUnit(100.0, "GBq"), 0.1);
    QCOMPARE(decay::convertToUnit(100000000.0, "KBq"), 100000.0);
    QCOMPARE(decay::convertToUnit(100000.0, "MBq"), 100.0);
}

void TestUnits::conversionLimits()
{
    // Far too large for Bq: an error, not an infinity that would later be
    // printed into the value field.
    try {
        decay::convertToUnit(1e300, "Bq");
        QFAIL("no error");
    } catch (const halvora::Error &e) {
        QCOMPARE(QByteArray(e.what()), QByteArray("Floating point overflow"));
    }
    // Underflow is no error.
    QCOMPARE(decay::convertToUnit(4.9406564584124654e-324, "GBq"), 0.0);
    QCOMPARE(decay::convertToUnit(DBL_MIN, "KBq"), DBL_MIN / 1000);
    // A unit outside the cycle leaves the value alone.
    QCOMPARE(decay::convertToUnit(42.0, "Ci"), 42.0);
}

QTEST_APPLESS_MAIN(TestUnits)
#include "tst_units.moc"
