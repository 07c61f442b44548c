#include "app/oknogl.h"

#include "ui_oknogl.h"

#include "about/shellopen.h"
#include "app/errorbox.h"
#include "decay/decaymodel.h"
#include "decay/units.h"
#include "isotopes/errorreporter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QStackedWidget>

#include <cmath>

namespace {

constexpr int ChartPage = 2;
constexpr QSize PageSize(552, 439);

QColor namedColour(const QString &name)
{
    // The classic desktop palette names used by the design.
    if (name == u"silver")
        return QColor(192, 192, 192);
    if (name == u"yellow")
        return QColor(255, 255, 0);
    return QColor(0, 0, 0);
}

} // namespace

TAOknoGl::TAOknoGl(QWidget *parent)
    : TAOknoGl(QCoreApplication::applicationDirPath(), parent)
{
}

TAOknoGl::TAOknoGl(const QString &databaseFolder, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::TAOknoGl>())
    , m_databaseFolder(databaseFolder)
    , m_decimalSeparator(QLocale().decimalPoint().toStdString())
{
    m_ui->setupUi(this);
    // The grid, the navigator and the lookup list report through the same
    // error box as the window's own handlers.
    isotopes::setErrorReporter(
        [](const std::string &message) { halvora::showError(QString::fromStdString(message)); });
    applyDesign();
    connectHandlers();
    halvora::guarded([this] { FormCreate(); });
}

TAOknoGl::~TAOknoGl() = default;

void TAOknoGl::applyDesign()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(560, 467);

    QFont windowFont(QStringLiteral("Tahoma"));
    windowFont.setPixelSize(11);
    windowFont.setBold(true);
    setFont(windowFont);

    // The form keeps each control's character height in pixels and its text
    // colour as dynamic properties; Designer itself only knows point sizes.
    const QList<QWidget *> controls = findChildren<QWidget *>();
    for (QWidget *control : controls) {
        const QVariant pixelSize = control->property("fontPixelSize");
        if (pixelSize.isValid()) {
            QFont f = control->font();
            f.setPixelSize(pixelSize.toInt());
            const QVariant bold = control->property("fontBold");
            f.setBold(!bold.isValid() || bold.toBool());
            control->setFont(f);
        }
        const QVariant colour = control->property("textColour");
        if (colour.isValid()) {
            QPalette p = control->palette();
            p.setColor(QPalette::WindowText, namedColour(colour.toString()));
            p.setColor(QPalette::ButtonText, namedColour(colour.toString()));
            control->setPalette(p);
        }
    }

    // Labels size themselves to their text like the classic autosized
    // labels, so a font with wider glyphs never clips a caption.
    for (QLabel *label : findChildren<QLabel *>()) {
        if (label == m_ui->Image1 || label == m_ui->Image2)
            continue;
        const QSize hint = label->sizeHint();
        if (hint.width() > label->width())
            label->resize(hint.width(), label->height());
    }

    // Screens at twice the density get the picture drawn at twice the size,
    // shown over the same 673 x 452 logical pixels.
    QPixmap background;
    if (devicePixelRatioF() > 1.0 && background.load(QStringLiteral(":/background@2x.jpg")))
        background.setDevicePixelRatio(2.0);
    else
        background.load(QStringLiteral(":/background.jpg"));
    m_ui->Image1->setPixmap(background);
    m_ui->Image2->setPixmap(background);

    QPalette resultPalette = m_ui->Edit4->palette();
    resultPalette.setColor(QPalette::Base, namedColour(QStringLiteral("silver")));
    m_ui->Edit4->setPalette(resultPalette);

    for (QFrame *bevel : {m_ui->Bevel1, m_ui->Bevel2}) {
        bevel->setStyleSheet(QStringLiteral(
            "QFrame { border: none; border-top: 1px solid #808080; }"));
        bevel->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    // The chart panel appears after the first isotope pick.
    for (QWidget *w : {static_cast<QWidget *>(m_ui->Label13), static_cast<QWidget *>(m_ui->Label14),
                       static_cast<QWidget *>(m_ui->Label15), static_cast<QWidget *>(m_ui->Label16),
                       static_cast<QWidget *>(m_ui->SpeedButton3), static_cast<QWidget *>(m_ui->Edit5),
                       static_cast<QWidget *>(m_ui->SpinEdit2)})
        w->setVisible(false);

    m_ui->DBGrid1->setRecordSet(&ADODataSet1);
    m_ui->DBNavigator1->setRecordSet(&ADODataSet1);
    m_ui->DBLookupComboBox1->setRecordSet(&ADODataSet1);

    m_ui->Label23->installEventFilter(this);
    // Every page must offer exactly 552 x 439 pixels whatever frame the style
    // draws around the pages; the page stack absorbs the difference.
    if (auto *stack = m_ui->PageControl1->findChild<QStackedWidget *>())
        stack->installEventFilter(this);
    m_ui->PageControl1->setCurrentWidget(m_ui->TabSheet1);

    if (const QScreen *s = QGuiApplication::primaryScreen()) {
        const QRect available = s->availableGeometry();
        move(available.center() - rect().center());
    }
}

void TAOknoGl::connectHandlers()
{
    const auto bind = [this](QToolButton *button, void (TAOknoGl::*handler)()) {
        connect(button, &QToolButton::clicked, this,
                [this, handler] { halvora::guarded([this, handler] { (this->*handler)(); }); });
    };
    bind(m_ui->SpeedButton1, &TAOknoGl::SpeedButton1Click);
    bind(m_ui->SpeedButton2, &TAOknoGl::SpeedButton2Click);
    bind(m_ui->SpeedButton3, &TAOknoGl::SpeedButton3Click);
    bind(m_ui->SpeedButton4, &TAOknoGl::SpeedButton4Click);
}

bool TAOknoGl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->Label23 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
        && m_ui->Label23->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
        halvora::guarded([this] { Label23Click(); });
        return true;
    }
    if (event->type() == QEvent::Resize && watched->parent() == m_ui->PageControl1) {
        if (auto *stack = qobject_cast<QStackedWidget *>(watched)) {
            const int spareWidth = qMax(0, stack->width() - PageSize.width());
            const int spareHeight = qMax(0, stack->height() - PageSize.height());
            stack->setContentsMargins(spareWidth / 2, spareHeight / 2, spareWidth - spareWidth / 2,
                                      spareHeight - spareHeight / 2);
        }
    }
    return QWidget::eventFilter(watched, event);
}

double TAOknoGl::toNumber(const QString &text) const
{
    return decay::textToNumber(text.toStdString(), m_decimalSeparator);
}

QString TAOknoGl::toText(long double value) const
{
    return QString::fromStdString(decay::numberToText(value, m_decimalSeparator));
}

void TAOknoGl::FormCreate()
{
    ADOConnection1.close();
    ADOConnection1.setDatabaseFolder(m_databaseFolder);
    ADOConnection1.open();
    ADODataSet1.open(ADOConnection1);
    m_ui->PageControl1->setTabVisible(ChartPage, false);
}

// "=": the final activity from the three inputs, rounded to the precision.
void TAOknoGl::SpeedButton1Click()
{
    QLineEdit *const inputs[] = {m_ui->Edit1, m_ui->Edit2, m_ui->Edit3};
    for (const QLineEdit *input : inputs) {
        if (input->text().isEmpty())
            return;
    }
    for (QLineEdit *input : inputs) {
        if (input->text().contains(u'.')) {
            input->setText(QString::fromStdString(
                decay::normaliseDecimalPoint(input->text().toStdString(), m_decimalSeparator)));
        }
    }
    const int precision = m_ui->SpinEdit1->readValue();
    const double a0 = toNumber(m_ui->Edit1->text());
    const double t = toNumber(m_ui->Edit2->text());
    const double halfLife = toNumber(m_ui->Edit3->text());
    double a = 0;
    if (halfLife != 0) {
        a = decay::decayedActivity(a0, t, halfLife,
                                   m_ui->CheckBox1->isChecked() ? decay::Formula::Logarithmic
                                                                : decay::Formula::HalfLife);
    }
    m_ui->Edit4->setText(toText(decay::roundToPrecision(a, precision)));
}

// "Wybierz": the current isotope's activity and half-life into the formula.
void TAOknoGl::SpeedButton2Click()
{
    const QString activity = ADODataSet1.fieldText(QStringLiteral("Aktywnosc"));
    const QString halfLife = ADODataSet1.fieldText(QStringLiteral("Polrozpad"));
    m_ui->Edit1->setText(activity);
    m_ui->Edit3->setText(halfLife);
    m_ui->Edit4->setText(QString());
    m_ui->Label13->setVisible(true);
    m_ui->Label14->setVisible(true);
    m_ui->Label15->setVisible(true);
    m_ui->Label16->setVisible(true);
    m_ui->SpeedButton3->setVisible(true);
    m_ui->Edit5->setVisible(true);
    m_ui->SpinEdit2->setVisible(true);
}

// "Przygotuj wykres": samples the decay at equal steps from time 0. The
// running time travels through the text of Edit2, so each step is rounded to
// the displayed 15 digits and the last time shown is exactly n x step.
void TAOknoGl::SpeedButton3Click()
{
    m_ui->Chart1->clearSeries();
    m_ui->Chart1->setActivityUnit(m_ui->Label10->text());
    m_ui->Edit2->setText(QStringLiteral("0"));
    const int samples = m_ui->SpinEdit2->readValue();
    const double step = toNumber(m_ui->Edit5->text());
    const decay::Formula formula = m_ui->CheckBox1->isChecked() ? decay::Formula::Logarithmic
                                                                : decay::Formula::HalfLife;
    double finalTime = 0;
    for (int i = 1; i <= samples; ++i) {
        const double a0 = toNumber(m_ui->Edit1->text());
        double t = toNumber(m_ui->Edit2->text());
        const double sampleTime = t;
        const double halfLife = toNumber(m_ui->Edit3->text());
        double a = decay::decayedActivity(a0, t, halfLife, formula);
        t = static_cast<double>(static_cast<long double>(t) + step);
        // A running time beyond the double range is an overflow like any
        // other, not a time of "INF".
        if (!std::isfinite(t))
            throw halvora::Error("Floating point overflow");
        finalTime = t;
        if (a < 0)
            a = 0;
        m_ui->Edit2->setText(toText(t));
        m_ui->Chart1->addPoint(a, u'+' + QString::number(i), sampleTime);
    }
    // The closing point's time is the final Edit2 text read back; a text that
    // does not read back (15 digits rounded up past the largest double) must
    // not fail a chart that was drawn, so the running time stands in for it.
    try {
        finalTime = toNumber(m_ui->Edit2->text());
    } catch (const halvora::Error &) {
    }
    m_ui->Chart1->addPoint(0, QStringLiteral("+..."), finalTime);
    m_ui->PageControl1->setTabVisible(ChartPage, true);
    m_ui->PageControl1->setCurrentWidget(m_ui->TabSheet3);
}

// The unit label: next unit, value converted and rounded, result recomputed.
void TAOknoGl::SpeedButton4Click()
{
    if (m_ui->Edit1->text().isEmpty())
        return;
    double value = toNumber(m_ui->Edit1->text());
    const int precision = m_ui->SpinEdit1->readValue();
    const std::string_view next = decay::nextUnit(m_ui->Label10->text().toStdString());
    const QString nextText = QString::fromUtf8(next.data(), qsizetype(next.size()));
    m_ui->Label10->setText(nextText);
    m_ui->Label11->setText(nextText);
    value = decay::convertToUnit(value, next);
    m_ui->Edit1->setText(toText(decay::roundToPrecision(value, precision)));
    if (!m_ui->Edit4->text().isEmpty())
        SpeedButton1Click();
}

void TAOknoGl::Label23Click()
{
    ShellOpen(m_ui->Label23->text(), QString());
}

void TAOknoGl::ShellOpen(const QString &Url, const QString &Params)
{
    about::shellOpen(Url, Params);
}
