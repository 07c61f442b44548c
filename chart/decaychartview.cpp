#include "decaychartview.h"

#include "chart/chartexport.h"
#include "decay/error.h"
#include "isotopes/csvfile.h"
#include "isotopes/errorreporter.h"

#include <QAction>
#include <QAreaSeries>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLocale>
#include <QMenu>
#include <QCategoryAxis>
#include <QChart>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QResizeEvent>
#include <QSet>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

namespace {

const QColor kLineColour(128, 255, 128);
const QColor kAreaColour(85, 255, 85);
constexpr qreal kAreaOpacity = 0.85;
constexpr int kWash = 150; // of 255: how much white lies over the back picture
const QString kGreyPicture = QStringLiteral(":/background-grey.png");

// Room left between two neighbouring bottom-axis labels.
constexpr qreal kLabelGap = 12.0;

// Shown until the window prepares its first chart.
constexpr double kSampleValues[] = {
    152.5, 200,   245,   300,   287.5, 312.5, 410, 502.5, 605,
    550,   525,   485,   585,   680,   632.5, 520, 512.5, 417.5,
    402.5, 317.5, 335,   452.5, 415,   390,   372.5,
};

constexpr double kNoTime = std::numeric_limits<double>::quiet_NaN();

QString platformSaveDialog(QWidget* parent, const QString& caption, const QString& suggestedPath,
                           const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
}

DecayChartView::SaveFileDialog& saveFileDialog()
{
    static DecayChartView::SaveFileDialog dialog = platformSaveDialog;
    return dialog;
}

// The area fill is the grey picture seen through the brush colour, so the
// staircase keeps its green while the picture's shapes still show in it.
QImage tintedPicture(const QImage& grey, const QColor& colour)
{
    QImage tinted(grey.size(), QImage::Format_ARGB32_Premultiplied);
    tinted.fill(colour);
    QPainter painter(&tinted);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.drawImage(0, 0, grey);
    return tinted;
}

// Behind the axes and the grid the picture has to stay in the background.
QImage washedOut(const QImage& picture)
{
    QImage washed = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&washed);
    painter.fillRect(washed.rect(), QColor(255, 255, 255, kWash));
    return washed;
}

} // namespace

DecayChartView::DecayChartView(QWidget* parent)
    : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);

    QChart* const c = chart();
    c->legend()->hide();
    // The picture is painted behind the whole view; the chart stays see-through.
    c->setBackgroundVisible(false);
    c->setLocalizeNumbers(true);

    // The chart's own title is always centred, so the title is an item of its
    // own pinned to the top-left corner, with the chart's top margin making room.
    QFont titleFont = font();
    titleFont.setBold(true);
    titleFont.setPixelSize(14);
    m_title = new QGraphicsSimpleTextItem(QStringLiteral("Wykres rozpadu izotopu"), c);
    m_title->setFont(titleFont);
    m_title->setBrush(QColor(0, 0, 96));
    m_title->setPos(12, 8);
    const int titleBottom = int(std::ceil(8 + QFontMetricsF(titleFont).height()));
    c->setMargins(QMargins(6, titleBottom, 14, 4));

    m_upper = new QLineSeries(this);
    m_lower = new QLineSeries(this);
    m_series = new QAreaSeries(m_upper, m_lower);
    m_series->setObjectName(QStringLiteral("Series1"));
    m_series->setPen(QPen(kLineColour, 1.5));
    // The pictures are made when the chart is first shown or exported: the
    // chart page is hidden at start-up, and the window should not wait for them.
    m_series->setBrush(QBrush(kAreaColour));
    m_series->setOpacity(kAreaOpacity);
    m_series->setPointsVisible(false);
    c->addSeries(m_series);

    m_axisX = new QCategoryAxis(this);
    m_axisX->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_axisX->setStartValue(0);
    m_axisY = new QValueAxis(this);
    // The theme's near-white grid disappears on the pale picture.
    for (QAbstractAxis* const axis : {static_cast<QAbstractAxis*>(m_axisX),
                                      static_cast<QAbstractAxis*>(m_axisY)}) {
        axis->setGridLineColor(QColor(0, 0, 0, 40));
        axis->setLinePenColor(QColor(96, 96, 96));
    }
    c->addAxis(m_axisX, Qt::AlignBottom);
    c->addAxis(m_axisY, Qt::AlignLeft);
    m_series->attachAxis(m_axisX);
    m_series->attachAxis(m_axisY);

    // Whether labels fit depends on the plot width, known only after layout;
    // queued, so the labels are not changed while the chart lays itself out.
    connect(c, &QChart::plotAreaChanged, this, &DecayChartView::refreshLabelStep,
            Qt::QueuedConnection);
    connect(c, &QChart::plotAreaChanged, this, &DecayChartView::alignAreaFill);

    m_copyAction = new QAction(QStringLiteral("Kopiuj dane"), this);
    // Ctrl+C works wherever the focus is while the chart is on screen, and
    // only then: the window's other pages keep their own Ctrl+C.
    m_copyAction->setShortcut(QKeySequence::Copy);
    m_copyAction->setShortcutContext(Qt::WindowShortcut);
    addAction(m_copyAction);
    connect(m_copyAction, &QAction::triggered, this, &DecayChartView::copyData);
    m_saveCsvAction = new QAction(QStringLiteral("Zapisz dane jako CSV..."), this);
    connect(m_saveCsvAction, &QAction::triggered, this, &DecayChartView::saveDataAsCsv);
    m_savePngAction = new QAction(QStringLiteral("Zapisz wykres jako PNG..."), this);
    connect(m_savePngAction, &QAction::triggered, this, &DecayChartView::saveImageAsPng);

    for (const double value : kSampleValues)
        addPoint(value, QString());
    rebuildIfPending();
    updateActions();
}

DecayChartView::~DecayChartView() = default;

void DecayChartView::clearSeries()
{
    m_points.clear();
    m_anyLabel = false;
    m_hasData = true;
    scheduleRebuild();
    updateActions();
}

void DecayChartView::addPoint(double value, const QString& label)
{
    addPoint(value, label, kNoTime);
}

void DecayChartView::addPoint(double value, const QString& label, double time)
{
    m_points.append(Point{value, label, time});
    m_anyLabel = m_anyLabel || !label.isEmpty();
    scheduleRebuild();
    if (m_points.size() == 1)
        updateActions();
}

void DecayChartView::setActivityUnit(const QString& unit)
{
    m_activityUnit = unit;
}

QString DecayChartView::activityUnit() const
{
    return m_activityUnit;
}

int DecayChartView::pointCount() const
{
    return int(m_points.size());
}

double DecayChartView::pointValue(int i) const
{
    return m_points.at(i).value;
}

QString DecayChartView::pointLabel(int i) const
{
    return m_points.at(i).label;
}

double DecayChartView::pointTime(int i) const
{
    return m_points.at(i).time;
}

bool DecayChartView::hasData() const
{
    return m_hasData && !m_points.isEmpty();
}

QList<chartexport::Point> DecayChartView::exportedPoints() const
{
    QList<chartexport::Point> points;
    points.reserve(m_points.size());
    for (const Point& p : m_points)
        points.append(chartexport::Point{p.label, p.time, p.value});
    return points;
}

QByteArray DecayChartView::dataAsCsv() const
{
    return chartexport::csvBytes(exportedPoints(), m_activityUnit, QLocale().decimalPoint());
}

QString DecayChartView::dataAsText() const
{
    return chartexport::clipboardText(exportedPoints(), m_activityUnit, QLocale().decimalPoint());
}

QList<QAction*> DecayChartView::exportActions() const
{
    return {m_copyAction, m_saveCsvAction, m_savePngAction};
}

DecayChartView::SaveFileDialog DecayChartView::setSaveFileDialog(SaveFileDialog dialog)
{
    return std::exchange(saveFileDialog(), dialog ? std::move(dialog) : SaveFileDialog(platformSaveDialog));
}

void DecayChartView::updateActions()
{
    const bool enabled = hasData();
    for (QAction* const action : exportActions())
        action->setEnabled(enabled);
}

void DecayChartView::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    auto* const menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addActions(exportActions());
    // From the Menu key the pointer may be anywhere; the menu opens over the chart.
    const QPoint at = event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                  : mapToGlobal(rect().center());
    menu->popup(at);
}

void DecayChartView::copyData()
{
    if (!hasData())
        return;
    QGuiApplication::clipboard()->setText(dataAsText());
}

QString DecayChartView::askFileName(const QString& caption, const QString& suggestedName,
                                    const QString& filter)
{
    return saveFileDialog()(this, caption, QDir::home().filePath(suggestedName), filter);
}

void DecayChartView::saveDataAsCsv()
{
    if (!hasData())
        return;
    // Taken before the dialog, so the file holds what the user saw when asking.
    const QByteArray bytes = dataAsCsv();
    const QString path = askFileName(QStringLiteral("Zapisz dane wykresu jako CSV"),
                                     QStringLiteral("wykres-rozpadu.csv"),
                                     QStringLiteral("Pliki CSV (*.csv);;Wszystkie pliki (*)"));
    if (path.isEmpty())
        return;
    isotopes::guarded([&] { csvfile::writeFile(path, bytes); });
}

void DecayChartView::saveImageAsPng()
{
    if (!hasData())
        return;
    const QString path = askFileName(QStringLiteral("Zapisz wykres jako PNG"),
                                     QStringLiteral("wykres-rozpadu.png"),
                                     QStringLiteral("Obrazy PNG (*.png);;Wszystkie pliki (*)"));
    if (path.isEmpty())
        return;
    isotopes::guarded([&] {
        const QImage image = renderToImage(devicePixelRatioF());
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (image.isNull() || !image.save(&buffer, "PNG"))
            throw halvora::Error("Nie można utworzyć obrazu PNG wykresu");
        csvfile::writeFile(path, bytes);
    });
}

QImage DecayChartView::renderToImage(qreal devicePixelRatio) const
{
    // The drawn series is only a cache of m_points; bringing it up to date
    // does not change what the view holds.
    auto* const self = const_cast<DecayChartView*>(this);
    self->bringUpToDate();

    const QSize pixels = (QSizeF(size()) * devicePixelRatio).toSize();
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::white);
    // Rendered onto the image itself rather than a painter on it, which would
    // apply the pixel ratio a second time.
    self->QWidget::render(&image);
    return image;
}

void DecayChartView::loadPictures()
{
    if (m_picturesLoaded)
        return;
    m_picturesLoaded = true;
    const QImage grey(kGreyPicture);
    if (grey.isNull())
        return;
    m_series->setBrush(QBrush(kAreaColour, QPixmap::fromImage(tintedPicture(grey, kAreaColour))));
    m_backPicture = QPixmap::fromImage(washedOut(grey));
    alignAreaFill(chart()->plotArea());
}

void DecayChartView::showEvent(QShowEvent* event)
{
    loadPictures();
    rebuildIfPending();
    QChartView::showEvent(event);
}

void DecayChartView::drawBackground(QPainter* painter, const QRectF& rect)
{
    painter->fillRect(rect, Qt::white);
    if (m_backPicture.isNull())
        return;
    // Unscaled from the top-left corner, as on the other pages; only a view
    // larger than the picture gets it stretched to cover.
    const QRectF area = sceneRect();
    QSizeF drawn = m_backPicture.size();
    if (drawn.width() < area.width() || drawn.height() < area.height())
        drawn = drawn.scaled(area.size(), Qt::KeepAspectRatioByExpanding);
    painter->drawPixmap(QRectF(area.topLeft(), drawn), m_backPicture,
                        QRectF(m_backPicture.rect()));
}

void DecayChartView::alignAreaFill(const QRectF& plotArea)
{
    // The series paints from the plot's corner; shifting its picture back by
    // as much lines it up with the picture behind the chart, so the area reads
    // as tinted glass over the background.
    QBrush fill = m_series->brush();
    if (fill.style() != Qt::TexturePattern)
        return;
    fill.setTransform(QTransform::fromTranslate(-plotArea.left(), -plotArea.top()));
    m_series->setBrush(fill);
}

void DecayChartView::scheduleRebuild()
{
    if (m_rebuildPending)
        return;
    m_rebuildPending = true;
    QMetaObject::invokeMethod(this, &DecayChartView::rebuildIfPending, Qt::QueuedConnection);
}

void DecayChartView::rebuildIfPending()
{
    if (!m_rebuildPending)
        return;
    m_rebuildPending = false;
    rebuildSeries();
    rebuildAxisLabels();
}

void DecayChartView::rebuildSeries()
{
    const int n = pointCount();

    // Each value is held flat over its unit step, so every point becomes a
    // horizontal edge from i to i + 1 and the rises and falls come out vertical.
    QList<QPointF> upper;
    upper.reserve(2 * n);
    double lowest = 0.0;
    double highest = 0.0;
    for (int i = 0; i < n; ++i) {
        const double v = m_points.at(i).value;
        upper.append(QPointF(i, v));
        upper.append(QPointF(i + 1, v));
        if (std::isfinite(v)) {
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
    }
    m_upper->replace(upper);
    if (n > 0)
        m_lower->replace(QList<QPointF>{QPointF(0, 0), QPointF(n, 0)});
    else
        m_lower->clear();

    if (highest <= lowest)
        highest = lowest + 1.0;
    m_axisY->setRange(lowest, highest);
    m_axisY->applyNiceNumbers();
    m_axisX->setRange(0, std::max(n, 1));
}

QString DecayChartView::shownLabel(int i) const
{
    // A series without any labels is marked with the point numbers instead.
    return m_anyLabel ? m_points.at(i).label : QString::number(i);
}

int DecayChartView::labelStepFor(qreal plotWidth) const
{
    const int n = pointCount();
    if (n <= 1)
        return 1;
    const QFontMetricsF metrics(m_axisX->labelsFont());
    qreal widest = 0.0;
    for (int i = 0; i < n; ++i)
        widest = std::max(widest, metrics.horizontalAdvance(shownLabel(i)));
    const qreal perPoint = plotWidth / n;
    // Steps of 1, 2, 5, 10, 20, 50... keep the labelled points easy to count.
    for (int decade = 1;; decade *= 10) {
        for (const int m : {1, 2, 5}) {
            const int step = m * decade;
            if (step * perPoint >= widest + kLabelGap || step >= n)
                return step;
        }
    }
}

void DecayChartView::rebuildAxisLabels()
{
    qreal plotWidth = chart()->plotArea().width();
    if (plotWidth < 10)
        plotWidth = std::max(50, width() - 80); // not laid out yet: a fair guess
    m_labelStep = labelStepFor(plotWidth);

    const int n = pointCount();
    QList<int> shown;
    for (int i = 0; i < n; i += m_labelStep)
        shown.append(i);
    // The last point closes the chart ("+..."), so it is always named; the
    // regular label before it gives way when the two would overlap.
    if (n > 1 && shown.last() != n - 1) {
        if (shown.size() > 1 && n - 1 - shown.last() < m_labelStep)
            shown.removeLast();
        shown.append(n - 1);
    }

    for (const QString& old : m_axisX->categoriesLabels())
        m_axisX->remove(old);
    // The axis keys its categories by text; repeated labels are told apart
    // by invisible zero-width spaces.
    QSet<QString> used;
    for (const int i : shown) {
        QString text = shownLabel(i);
        if (text.isEmpty())
            continue;
        while (used.contains(text))
            text += QChar(0x200B);
        used.insert(text);
        m_axisX->append(text, i);
    }
}

void DecayChartView::refreshLabelStep()
{
    if (m_rebuildPending)
        return; // the pending rebuild measures again anyway
    const qreal plotWidth = chart()->plotArea().width();
    if (plotWidth >= 10 && labelStepFor(plotWidth) != m_labelStep)
        rebuildAxisLabels();
}

void DecayChartView::bringUpToDate()
{
    loadPictures();
    // A view that was never shown still waits for its first resize, and the
    // chart takes the view's size only from the viewport's resize, which the
    // view's own resize lays out first.
    for (QWidget* const widget : {static_cast<QWidget*>(this), viewport()}) {
        if (widget->testAttribute(Qt::WA_PendingResizeEvent)) {
            QResizeEvent resize(widget->size(), QSize());
            QCoreApplication::sendEvent(widget, &resize);
            widget->setAttribute(Qt::WA_PendingResizeEvent, false);
        }
    }
    rebuildIfPending();
    // Lay the chart out for its size, measure the labels against the plot
    // width found, and lay out again should they change.
    QCoreApplication::sendPostedEvents(chart(), QEvent::LayoutRequest);
    refreshLabelStep();
    QCoreApplication::sendPostedEvents(chart(), QEvent::LayoutRequest);
}
