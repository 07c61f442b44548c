#include "chart/decaychartview.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QFile>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QTest>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

using Values = QList<double>;

namespace {

const Values kSampleValues = {
    152.5, 200,   245,   300,   287.5, 312.5, 410, 502.5, 605,
    550,   525,   485,   585,   680,   632.5, 520, 512.5, 417.5,
    402.5, 317.5, 335,   452.5, 415,   390,   372.5,
};

// What the window adds for the default panel (A0 100, half-life 1, step 1,
// 10 samples): the halving activity, then the closing zero.
void decayDefaults(Values& values, QStringList& labels)
{
    for (int i = 1; i <= 10; ++i) {
        values.append(100.0 / std::pow(2.0, i - 1));
        labels.append(QStringLiteral("+%1").arg(i));
    }
    values.append(0.0);
    labels.append(QStringLiteral("+..."));
}

void longRun(int samples, Values& values, QStringList& labels)
{
    for (int i = 1; i <= samples; ++i) {
        values.append(5000.0 * std::exp(-0.004 * i));
        labels.append(QStringLiteral("+%1").arg(i));
    }
    values.append(0.0);
    labels.append(QStringLiteral("+..."));
}

void fill(DecayChartView& view, const Values& values, const QStringList& labels)
{
    view.clearSeries();
    for (qsizetype i = 0; i < values.size(); ++i)
        view.addPoint(values.at(i), labels.at(i));
}

QAreaSeries* series1(DecayChartView& view)
{
    const QList<QAbstractSeries*> all = view.chart()->series();
    return all.size() == 1 ? qobject_cast<QAreaSeries*>(all.first()) : nullptr;
}

QCategoryAxis* bottomAxis(DecayChartView& view)
{
    const QList<QAbstractAxis*> axes = view.chart()->axes(Qt::Horizontal);
    return axes.size() == 1 ? qobject_cast<QCategoryAxis*>(axes.first()) : nullptr;
}

QValueAxis* leftAxis(DecayChartView& view)
{
    const QList<QAbstractAxis*> axes = view.chart()->axes(Qt::Vertical);
    return axes.size() == 1 ? qobject_cast<QValueAxis*>(axes.first()) : nullptr;
}

// The size of the chart page the view fills in the window.
void showAsOnPage(DecayChartView& view)
{
    view.resize(552, 439);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    // One turn draws the points, the next re-measures the labels for the
    // laid-out plot width.
    for (int turn = 0; turn < 3; ++turn)
        QCoreApplication::processEvents();
}

QString visibleText(QString label)
{
    return label.remove(QChar(0x200B));
}

} // namespace

class TestDecayChartView final : public QObject
{
    Q_OBJECT

private slots:
    void startsWithTheSamplePoints();

    void pointsReadBackInOrder_data();
    void pointsReadBackInOrder();
    void drawnAsStairs_data();
    void drawnAsStairs();
    void exportDrawsPointsAddedInTheSameTurn();

    void bottomAxisShowsLabels_data();
    void bottomAxisShowsLabels();

    void settings();
    void backPictureAndExportSize();
};

void TestDecayChartView::startsWithTheSamplePoints()
{
    DecayChartView view;
    QCOMPARE(view.pointCount(), int(kSampleValues.size()));
    for (int i = 0; i < view.pointCount(); ++i) {
        QCOMPARE(view.pointValue(i), kSampleValues.at(i));
        QVERIFY(view.pointLabel(i).isEmpty());
    }
    // Drawn already, before any event-loop turn.
    QAreaSeries* series = series1(view);
    QVERIFY(series);
    QCOMPARE(series->upperSeries()->count(), 2 * int(kSampleValues.size()));
}

namespace {

void addPointTable()
{
    QTest::addColumn<Values>("values");
    QTest::addColumn<QStringList>("labels");

    Values values;
    QStringList labels;
    decayDefaults(values, labels);
    QTest::newRow("decay defaults") << values << labels;
    QTest::newRow("single point") << Values{42.5} << QStringList{QStringLiteral("+1")};
    QTest::newRow("only the closing point") << Values{0.0} << QStringList{QStringLiteral("+...")};
    QTest::newRow("nothing added") << Values{} << QStringList{};
    QTest::newRow("negative and repeated")
        << Values{-5.0, 3.0, 3.0, 7.25}
        << QStringList{QStringLiteral("a"), QStringLiteral("a"), QString(), QStringLiteral("b")};
    QTest::newRow("tiny values") << Values{3e-12, 1.5e-12, 7.5e-13}
                                 << QStringList{QStringLiteral("+1"), QStringLiteral("+2"),
                                                QStringLiteral("+3")};
    values.clear();
    labels.clear();
    longRun(1000, values, labels);
    QTest::newRow("1001 points") << values << labels;
}

} // namespace

void TestDecayChartView::pointsReadBackInOrder_data()
{
    addPointTable();
}

void TestDecayChartView::pointsReadBackInOrder()
{
    QFETCH(Values, values);
    QFETCH(QStringList, labels);

    DecayChartView view;
    fill(view, values, labels);
    // Without an event-loop turn in between: the points are there at once.
    QCOMPARE(view.pointCount(), int(values.size()));
    for (int i = 0; i < view.pointCount(); ++i) {
        QCOMPARE(view.pointValue(i), values.at(i));
        QCOMPARE(view.pointLabel(i), labels.at(i));
    }

    // A second preparation replaces the first one entirely.
    fill(view, values, labels);
    QCOMPARE(view.pointCount(), int(values.size()));
}

void TestDecayChartView::drawnAsStairs_data()
{
    addPointTable();
}

void TestDecayChartView::drawnAsStairs()
{
    QFETCH(Values, values);
    QFETCH(QStringList, labels);

    DecayChartView view;
    fill(view, values, labels);
    QCoreApplication::processEvents();

    QAreaSeries* series = series1(view);
    QVERIFY(series);
    const QList<QPointF> upper = series->upperSeries()->points();
    const int n = int(values.size());
    QCOMPARE(upper.size(), 2 * n);
    for (int i = 0; i < n; ++i) {
        // Point i is held flat from its own position to the next one.
        QCOMPARE(upper.at(2 * i), QPointF(i, values.at(i)));
        QCOMPARE(upper.at(2 * i + 1), QPointF(i + 1, values.at(i)));
    }

    // The area is closed at zero under the whole staircase.
    QVERIFY(series->lowerSeries());
    const QList<QPointF> lower = series->lowerSeries()->points();
    if (n == 0) {
        QVERIFY(lower.isEmpty());
    } else {
        QVERIFY(!lower.isEmpty());
        for (const QPointF& p : lower)
            QCOMPARE(p.y(), 0.0);
        QCOMPARE(lower.first().x(), 0.0);
        QCOMPARE(lower.last().x(), double(n));
    }

    // The axes take in every step and the zero line.
    QCategoryAxis* x = bottomAxis(view);
    QValueAxis* y = leftAxis(view);
    QVERIFY(x);
    QVERIFY(y);
    QCOMPARE(x->min(), 0.0);
    QCOMPARE(x->max(), double(std::max(n, 1)));
    QVERIFY(y->min() <= 0.0);
    for (const double v : values) {
        QVERIFY2(y->min() <= v, qPrintable(QStringLiteral("%1 below the axis").arg(v)));
        QVERIFY2(y->max() >= v, qPrintable(QStringLiteral("%1 above the axis").arg(v)));
    }
    QVERIFY(y->max() > y->min());
}

void TestDecayChartView::exportDrawsPointsAddedInTheSameTurn()
{
    DecayChartView view;
    view.resize(552, 439);
    Values values;
    QStringList labels;
    decayDefaults(values, labels);
    fill(view, values, labels);

    // No event-loop turn: the export itself must bring the drawing up to date.
    const QImage image = view.renderToImage(1.0);
    QVERIFY(!image.isNull());
    QAreaSeries* series = series1(view);
    QVERIFY(series);
    QCOMPARE(series->upperSeries()->count(), 2 * int(values.size()));
    QCOMPARE(series->upperSeries()->at(1), QPointF(1, 100));
    QVERIFY(bottomAxis(view)->categoriesLabels().contains(QStringLiteral("+...")));

    // The picture is the laid-out chart at the view's size: the first step
    // (100) is filled green halfway up, the sixth (3.125) is not.
    QCOMPARE(image.size(), QSize(552, 439));
    QVERIFY(view.chart()->plotArea().width() > 552 / 2);
    auto isGreen = [&](QPointF value) {
        const QPoint at = view.chart()->mapToPosition(value, series).toPoint();
        const QColor c = image.pixelColor(at);
        return c.green() > c.red() + 40 && c.green() > c.blue() + 40;
    };
    QVERIFY(isGreen(QPointF(0.5, 50)));
    QVERIFY(!isGreen(QPointF(5.5, 50)));
}

void TestDecayChartView::bottomAxisShowsLabels_data()
{
    QTest::addColumn<Values>("values");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("expected"); // empty: thinned, checked by spacing

    Values values;
    QStringList labels;
    decayDefaults(values, labels);
    QTest::newRow("decay defaults") << values << labels << labels;

    QTest::newRow("sample points have no labels, numbers instead")
        << kSampleValues << QStringList(kSampleValues.size(), QString()) << QStringList{};

    QTest::newRow("repeated labels all kept")
        << Values{1, 2, 3}
        << QStringList{QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("x")}
        << QStringList{QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("x")};

    QTest::newRow("unlabelled points stay bare")
        << Values{1, 2, 3} << QStringList{QStringLiteral("+1"), QString(), QStringLiteral("+...")}
        << QStringList{QStringLiteral("+1"), QStringLiteral("+...")};

    for (const int samples : {100, 333, 1000}) {
        values.clear();
        labels.clear();
        longRun(samples, values, labels);
        QTest::addRow("%d samples, thinned", samples) << values << labels << QStringList{};
    }
}

void TestDecayChartView::bottomAxisShowsLabels()
{
    QFETCH(Values, values);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, expected);

    DecayChartView view;
    fill(view, values, labels);
    showAsOnPage(view);

    QCategoryAxis* axis = bottomAxis(view);
    QVERIFY(axis);
    QCOMPARE(axis->labelsPosition(), QCategoryAxis::AxisLabelsPositionOnValue);

    const QStringList shown = axis->categoriesLabels();
    QStringList visible;
    for (const QString& label : shown)
        visible.append(visibleText(label));

    if (!expected.isEmpty()) {
        QCOMPARE(visible, expected);
        int from = 0;
        for (const QString& label : shown) {
            const int at = int(labels.indexOf(visibleText(label), from));
            QVERIFY(at >= 0);
            QCOMPARE(axis->endValue(label), double(at));
            from = at + 1;
        }
        return;
    }

    // Thinned: each label still sits at its own point, the first and the
    // closing point are named, and neighbours never overlap on screen.
    const bool numbered = labels.first().isEmpty();
    auto textAt = [&](int i) { return numbered ? QString::number(i) : labels.at(i); };
    const int n = int(values.size());
    QVERIFY(shown.size() >= 2);
    QCOMPARE(visible.first(), textAt(0));
    QCOMPARE(visible.last(), textAt(n - 1));

    const qreal perPoint = view.chart()->plotArea().width() / n;
    const QFontMetricsF metrics(axis->labelsFont());
    qreal previousRight = -1e9;
    for (const QString& label : shown) {
        const double at = axis->endValue(label);
        QCOMPARE(at, std::round(at));
        QCOMPARE(visibleText(label), textAt(int(at)));
        const qreal centre = at * perPoint;
        const qreal half = metrics.horizontalAdvance(visibleText(label)) / 2;
        QVERIFY2(centre - half > previousRight,
                 qPrintable(QStringLiteral("%1 overlaps its neighbour").arg(label)));
        previousRight = centre + half;
    }
}

void TestDecayChartView::settings()
{
    DecayChartView view;
    showAsOnPage(view);
    QChart* chart = view.chart();

    // One-line title at the left.
    const QGraphicsSimpleTextItem* title = nullptr;
    for (const QGraphicsItem* item : view.scene()->items()) {
        const auto* text = dynamic_cast<const QGraphicsSimpleTextItem*>(item);
        if (text && text->isVisible() && text->text() == QStringLiteral("Wykres rozpadu izotopu"))
            title = text;
    }
    QVERIFY(title);
    const QRectF titleRect = title->sceneBoundingRect();
    QVERIFY(titleRect.left() >= 0);
    QVERIFY(titleRect.left() < 30);
    QVERIFY(titleRect.bottom() <= chart->plotArea().top());
    QVERIFY(!title->text().contains(QLatin1Char('\n')));

    QVERIFY(!chart->legend()->isVisible());
    QVERIFY(view.renderHints().testFlag(QPainter::Antialiasing));

    QAreaSeries* series = series1(view);
    QVERIFY(series);
    QCOMPARE(series->objectName(), QStringLiteral("Series1"));
    QCOMPARE(series->pen().color(), QColor(128, 255, 128));
    QCOMPARE(series->brush().color(), QColor(85, 255, 85));
    QCOMPARE(series->opacity(), 0.85);
    QVERIFY(!series->pointsVisible());
    QVERIFY(!series->upperSeries()->pointsVisible());
    QVERIFY(!series->pointLabelsVisible());
}

void TestDecayChartView::backPictureAndExportSize()
{
    if (!QFile::exists(QStringLiteral(":/background-grey.png")))
        QSKIP("the picture library is not part of this build");

    DecayChartView view;
    view.resize(552, 439);
    const QImage image = view.renderToImage(2.0);
    QCOMPARE(image.size(), QSize(1104, 878));
    QCOMPARE(image.devicePixelRatio(), 2.0);

    // The area is filled with the tinted picture, not a flat colour.
    const QBrush brush = series1(view)->brush();
    QCOMPARE(brush.style(), Qt::TexturePattern);
    const QImage texture = brush.textureImage();
    QCOMPARE(texture.size(), QSize(673, 452));
    QVERIFY(texture.pixelColor(10, 10) != texture.pixelColor(500, 300));
    for (const QPoint p : {QPoint(10, 10), QPoint(500, 300)}) {
        const QColor c = texture.pixelColor(p);
        QVERIFY(c.green() > c.red());
        QVERIFY(c.green() > c.blue());
    }

    // Outside the plot the picture is seen behind the chart: the corners of
    // the export are neither plain white nor all of one colour.
    const QColor topRight = image.pixelColor(image.width() - 4, 4);
    const QColor bottomLeft = image.pixelColor(4, image.height() - 4);
    QVERIFY(topRight != QColor(Qt::white));
    QVERIFY(topRight != bottomLeft);
}

QTEST_MAIN(TestDecayChartView)
#include "tst_decaychartview.moc"
