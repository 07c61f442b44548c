#pragma once

#include <QChartView>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>

#include <functional>

QT_FORWARD_DECLARE_CLASS(QAction)
QT_FORWARD_DECLARE_CLASS(QAreaSeries)
QT_FORWARD_DECLARE_CLASS(QCategoryAxis)
QT_FORWARD_DECLARE_CLASS(QGraphicsSimpleTextItem)
QT_FORWARD_DECLARE_CLASS(QLineSeries)
QT_FORWARD_DECLARE_CLASS(QValueAxis)

namespace chartexport {
struct Point;
}

// The decay chart: one series of labelled points, point i at position i,
// drawn as a filled staircase over the pale-grey background picture.
//
// The rest of the program talks to it only through clearSeries(), addPoint()
// and the point accessors, so the drawing facility behind it can be replaced
// without touching the window.
//
// The data the window prepared can leave the program: a context menu (right
// click or the Menu key) copies it to the clipboard, saves it as a CSV file
// or saves the chart as a PNG picture, and Ctrl+C copies it while the chart
// is on screen. The 25 sample points shown before the first preparation are
// no data, so the three items stay disabled until then; after a failed
// preparation they hold whatever points the chart shows. Errors of these
// items go to the program's error reporter (isotopes/errorreporter.h).
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
    // A point with the time of its sample, in the time unit of the inputs.
    void addPoint(double value, const QString& label, double time);
    // The unit of the activity values, named in the exported data's header.
    void setActivityUnit(const QString& unit);
    QString activityUnit() const;

    int pointCount() const;
    double pointValue(int i) const;
    QString pointLabel(int i) const;
    // NaN for a point added without a time.
    double pointTime(int i) const;

    // True once the owner cleared the sample points and added its own.
    bool hasData() const;
    // The points as a CSV file (chart/chartexport.h) and as the clipboard's
    // tab-separated text, numbers with the locale's decimal separator.
    QByteArray dataAsCsv() const;
    QString dataAsText() const;
    // "Kopiuj dane", "Zapisz dane jako CSV...", "Zapisz wykres jako PNG...",
    // in the order of the context menu.
    QList<QAction*> exportActions() const;

    // Asks for a file name to save under; an empty answer means cancelled.
    // The default is the platform's save dialog; tests install their own.
    using SaveFileDialog = std::function<QString(QWidget* parent, const QString& caption,
                                                 const QString& suggestedPath,
                                                 const QString& filter)>;
    // Returns the previous one; an empty function restores the default.
    static SaveFileDialog setSaveFileDialog(SaveFileDialog dialog);

    // The chart as it would appear on screen at its current size, with any
    // points added since the last event-loop turn already drawn.
    QImage renderToImage(qreal devicePixelRatio) const;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void drawBackground(QPainter* painter, const QRectF& rect) override;

private:
    struct Point
    {
        double value;
        QString label;
        double time;
    };

    QList<chartexport::Point> exportedPoints() const;
    void copyData();
    void saveDataAsCsv();
    void saveImageAsPng();
    QString askFileName(const QString& caption, const QString& suggestedName,
                        const QString& filter);
    void updateActions();

    void scheduleRebuild();
    void rebuildIfPending();
    void rebuildSeries();
    void rebuildAxisLabels();
    void refreshLabelStep();
    int labelStepFor(qreal plotWidth) const;
    QString shownLabel(int i) const;
    void bringUpToDate();
    void loadPictures();
    void alignAreaFill(const QRectF& plotArea);

    QList<Point> m_points;
    bool m_picturesLoaded = false;
    bool m_anyLabel = false;
    bool m_hasData = false;
    QString m_activityUnit;
    QAction* m_copyAction = nullptr;
    QAction* m_saveCsvAction = nullptr;
    QAction* m_savePngAction = nullptr;
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
