// The decay chart's data as CSV and clipboard text, without a window.

#include "chart/chartexport.h"

#include <QTest>

#include <cmath>
#include <limits>

using chartexport::Point;

namespace {

// The default panel: A0 100, half-life 1, step 1, 10 samples, then "+..."
// at the final time with activity 0.
QList<Point> defaultPoints()
{
    QList<Point> points;
    for (int i = 1; i <= 10; ++i)
        points.append(Point{QStringLiteral("+%1").arg(i), double(i - 1), 100.0 / std::exp2(i - 1)});
    points.append(Point{QStringLiteral("+..."), 10.0, 0.0});
    return points;
}

QByteArray bom()
{
    return QByteArrayLiteral("\xEF\xBB\xBF");
}

} // namespace

class TestChartExport final : public QObject
{
    Q_OBJECT

private slots:
    void defaultsAsCsv_data()
    {
        QTest::addColumn<QString>("decimalPoint");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("comma locale: semicolons")
            << QStringLiteral(",")
            << bom()
                   + QByteArrayLiteral("Punkt;Czas;Aktywno\xC5\x9B\xC4\x87 [MBq]\r\n"
                                       "+1;0;100\r\n"
                                       "+2;1;50\r\n"
                                       "+3;2;25\r\n"
                                       "+4;3;12,5\r\n"
                                       "+5;4;6,25\r\n"
                                       "+6;5;3,125\r\n"
                                       "+7;6;1,5625\r\n"
                                       "+8;7;0,78125\r\n"
                                       "+9;8;0,390625\r\n"
                                       "+10;9;0,1953125\r\n"
                                       "+...;10;0\r\n");
        QTest::newRow("point locale: commas")
            << QStringLiteral(".")
            << bom()
                   + QByteArrayLiteral("Punkt,Czas,Aktywno\xC5\x9B\xC4\x87 [MBq]\r\n"
                                       "+1,0,100\r\n"
                                       "+2,1,50\r\n"
                                       "+3,2,25\r\n"
                                       "+4,3,12.5\r\n"
                                       "+5,4,6.25\r\n"
                                       "+6,5,3.125\r\n"
                                       "+7,6,1.5625\r\n"
                                       "+8,7,0.78125\r\n"
                                       "+9,8,0.390625\r\n"
                                       "+10,9,0.1953125\r\n"
                                       "+...,10,0\r\n");
    }

    void defaultsAsCsv()
    {
        QFETCH(QString, decimalPoint);
        QFETCH(QByteArray, expected);
        QCOMPARE(chartexport::csvBytes(defaultPoints(), QStringLiteral("MBq"), decimalPoint), expected);
    }

    void defaultsAsClipboardText_data()
    {
        QTest::addColumn<QString>("decimalPoint");
        QTest::addColumn<QString>("fourth");

        QTest::newRow("comma locale") << QStringLiteral(",") << QStringLiteral("+4\t3\t12,5\n");
        QTest::newRow("point locale") << QStringLiteral(".") << QStringLiteral("+4\t3\t12.5\n");
    }

    void defaultsAsClipboardText()
    {
        QFETCH(QString, decimalPoint);
        QFETCH(QString, fourth);
        const QString text = chartexport::clipboardText(defaultPoints(), QStringLiteral("GBq"), decimalPoint);
        QVERIFY(!text.startsWith(QChar(0xFEFF)));
        QVERIFY(!text.contains(u'\r'));
        const QStringList lines = text.split(u'\n');
        QCOMPARE(lines.size(), 13); // header, 11 points, the empty rest after the last "\n"
        QCOMPARE(lines.first(), QStringLiteral("Punkt\tCzas\tAktywność [GBq]"));
        QVERIFY(text.contains(QStringLiteral("\n") + fourth));
        QCOMPARE(lines.at(11), QStringLiteral("+...\t10\t0"));
        QCOMPARE(lines.last(), QString());
    }

    // Full 15 significant digits, never the calculator's rounding; scientific
    // notation where the number rule uses it; no time for a point added
    // without one.
    void numbersFollowTheNumberRule()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const QList<Point> points{
            {QStringLiteral("+1"), 0.1, 1.0 / 3.0},
            {QStringLiteral("+2"), 1e20, 1.5e-7},
            {QStringLiteral("+3"), nan, -0.0},
        };
        const QList<QStringList> table = chartexport::table(points, QString(), QStringLiteral(","));
        QCOMPARE(table.size(), 4);
        QCOMPARE(table.at(0), (QStringList{"Punkt", "Czas", "Aktywność"}));
        QCOMPARE(table.at(1), (QStringList{"+1", "0,1", "0,333333333333333"}));
        QCOMPARE(table.at(2), (QStringList{"+2", "1E20", "1,5E-7"}));
        QCOMPARE(table.at(3), (QStringList{"+3", "", "0"}));
    }

    // A unit or label holding the separator, a quote or a line break stays
    // one field.
    void awkwardTextIsQuoted()
    {
        const QList<Point> points{{QStringLiteral("a;\"b\"\nc"), 1.5, 2.0}};
        const QByteArray csv = chartexport::csvBytes(points, QStringLiteral("x;y"), QStringLiteral(","));
        QCOMPARE(csv, bom() + QByteArrayLiteral("Punkt;Czas;\"Aktywno\xC5\x9B\xC4\x87 [x;y]\"\r\n"
                                                "\"a;\"\"b\"\"\nc\";1,5;2\r\n"));
        // A semicolon needs no quotes where the separator is a comma.
        const QByteArray point = chartexport::csvBytes(points, QStringLiteral("x;y"), QStringLiteral("."));
        QVERIFY(point.contains("Czas,Aktywno\xC5\x9B\xC4\x87 [x;y]\r\n"));
        QCOMPARE(chartexport::clipboardText(points, QStringLiteral("x;y"), QStringLiteral(",")),
                 QStringLiteral("Punkt\tCzas\tAktywność [x;y]\n\"a;\"\"b\"\"\nc\"\t1,5\t2\n"));
    }

    void noPointsGiveTheHeaderOnly()
    {
        QCOMPARE(chartexport::csvBytes({}, QStringLiteral("Bq"), QStringLiteral(",")),
                 bom() + QByteArrayLiteral("Punkt;Czas;Aktywno\xC5\x9B\xC4\x87 [Bq]\r\n"));
    }
};

QTEST_APPLESS_MAIN(TestChartExport)

#include "tst_chartexport.moc"
