#pragma once

#include <QChartView>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>

QT_FORWARD_DECLARE_CLASS(QAreaSeries)
QT_FORWARD_DECLARE_CLASS(QCategoryAxis)
QT_FORWARD_DECLARE_CLASS(QGraphicsSimpleTextItem)
QT_FORWARD_DECLARE_CLASS(QLineSeries)
QT_FORWARD_DECLARE_CLASS(QValueAxis)

// The decay chart: one series of labelled points, point i at position i,
// drawn as a filled staircase over the pale-grey background picture.
//
// The rest of the program talks to it only through clearSeries(), addPoint()
// and the point accessors, so the drawing facility behind it can be replaced
// without touching the window.
//
// addPoint() only records the point; the drawn series and the axes are
// rebuilt once per event-loop turn, because the window adds up to a thousand
// points in one go and rebuilding the chart on every point is quadratic.
class DecayChartView final : public QChartView
{
    Q_OBJECT

public:
    explicit DecayChartView(QWidget* parent = nullptr);
    ~DecayChartView() override;

    void clearSeries();
    void addPoint(double value, const QString& label);

    int pointCount() const;
    double pointValue(int i) const;
    QString pointLabel(int i) const;

    // The chart as it would appear on screen at its current size, with any
    // points added since the last event-loop turn already drawn.
    QImage renderToImage(qreal devicePixelRatio) const;

protected:
    void showEvent(QShowEvent* event) override;
    void drawBackground(QPainter* painter, const QRectF& rect) override;

private:
    struct Point
    {
        double value;
        QString label;
    };

    void scheduleRebuild();
    void rebuildIfPending();
    void rebuildSeries();
    void rebuildAxisLabels();
    void refreshLabelStep();
    int labelStepFor(qreal plotWidth) const;
    QString shownLabel(int i) const;
    void bringUpToDate();
    void alignAreaFill(const QRectF& plotArea);

    QList<Point> m_points;
    bool m_anyLabel = false;
    bool m_rebuildPending = false;
    int m_labelStep = 1;

    QLineSeries* m_upper = nullptr;
    QLineSeries* m_lower = nullptr;
    QAreaSeries* m_series = nullptr;
    QValueAxis* m_axisY = nullptr;
    QCategoryAxis* m_axisX = nullptr;
    QGraphicsSimpleTextItem* m_title = nullptr;
    QPixmap m_backPicture;
};
