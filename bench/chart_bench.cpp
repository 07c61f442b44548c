#include "chart/decaychartview.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QTest>

#include <cmath>

// The window's largest chart: 1000 samples and the closing point, added one
// by one, then drawn at the size of the chart page.
class BenchDecayChart final : public QObject
{
    Q_OBJECT

private slots:
    void prepareLargestChart();
    void exportLargestChart();
    void baselinePlainLineChart();

private:
    static void fillLargest(DecayChartView& view);
};

void BenchDecayChart::fillLargest(DecayChartView& view)
{
    view.clearSeries();
    for (int i = 1; i <= 1000; ++i)
        view.addPoint(370.0 * std::exp2(-(i - 1) / 200.0), QStringLiteral("+%1").arg(i));
    view.addPoint(0.0, QStringLiteral("+..."));
}

void BenchDecayChart::prepareLargestChart()
{
    DecayChartView view;
    view.resize(552, 439);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QBENCHMARK {
        fillLargest(view);
        // What follows the click in the window: the event-loop turn that
        // rebuilds the series, then a full repaint.
        QCoreApplication::processEvents();
        const QPixmap shot = view.grab();
        QVERIFY(!shot.isNull());
    }
    QCOMPARE(view.pointCount(), 1001);
}

void BenchDecayChart::exportLargestChart()
{
    DecayChartView view;
    view.resize(552, 439);

    QBENCHMARK {
        fillLargest(view);
        const QImage image = view.renderToImage(2.0);
        QVERIFY(!image.isNull());
    }
}

// Baseline: the charting toolkit alone, one plain line through the same
// number of vertices, with default axes and no pictures.
void BenchDecayChart::baselinePlainLineChart()
{
    QChartView view;
    auto* const line = new QLineSeries;
    view.chart()->addSeries(line);
    view.chart()->createDefaultAxes();
    view.resize(552, 439);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QList<QPointF> vertices;
    for (int i = 0; i < 1001; ++i) {
        const double v = 370.0 * std::exp2(-i / 200.0);
        vertices << QPointF(i, v) << QPointF(i + 1, v);
    }
    QBENCHMARK {
        line->replace(vertices);
        QCoreApplication::processEvents();
        const QPixmap shot = view.grab();
        QVERIFY(!shot.isNull());
    }
}

QTEST_MAIN(BenchDecayChart)
#include "chart_bench.moc"
