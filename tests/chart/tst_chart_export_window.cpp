// The chart page's export: the context menu, Ctrl+C, the CSV and PNG files,
// driven through the real window as the user does it.

#include "tests/windowfixture.h"

#include "chart/decaychartview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>

#include <cmath>

namespace {

QByteArray bom()
{
    return QByteArrayLiteral("\xEF\xBB\xBF");
}

// What the default panel gives in the Polish locale, "Kopiuj dane" aside.
QByteArray defaultsCsv(const QByteArray &unit)
{
    return bom() + "Punkt;Czas;Aktywno\xC5\x9B\xC4\x87 [" + unit + "]\r\n"
           "+1;0;100\r\n+2;1;50\r\n+3;2;25\r\n+4;3;12,5\r\n+5;4;6,25\r\n+6;5;3,125\r\n"
           "+7;6;1,5625\r\n+8;7;0,78125\r\n+9;8;0,390625\r\n+10;9;0,1953125\r\n+...;10;0\r\n";
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Opens the chart's context menu as the given kind of request and returns
// the popup it shows. A right click arrives at the view's viewport, the Menu
// key at the view, which has the focus.
QMenu *openMenu(DecayChartView *chart, QContextMenuEvent::Reason reason)
{
    QWidget *target = reason == QContextMenuEvent::Mouse ? chart->viewport() : chart;
    const QPoint at = target->rect().center();
    QContextMenuEvent event(reason, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

QAction *menuItem(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

class TestChartExportWindow final : public QObject
{
    Q_OBJECT

private:
    WindowFixture m_fixture;
    std::unique_ptr<QTemporaryDir> m_out;
    QString m_answer;      // what the save dialog returns
    QStringList m_asked;   // the captions it was asked with

    std::unique_ptr<TAOknoGl> openShown()
    {
        auto w = m_fixture.open();
        w->show();
        QApplication::setActiveWindow(w.get());
        if (!QTest::qWaitForWindowActive(w.get()))
            qWarning("window not active");
        return w;
    }

    // The default panel prepared: A0 100, half-life 1, step 1, 10 samples.
    void prepareDefaults(Ui::TAOknoGl &ui)
    {
        click(ui.SpeedButton2);
        ui.Edit1->setText(QStringLiteral("100"));
        ui.Edit3->setText(QStringLiteral("1"));
        click(ui.SpeedButton3);
    }

    // Chooses a menu item the way the user does, through the popup.
    void choose(DecayChartView *chart, const QString &text)
    {
        QMenu *menu = openMenu(chart, QContextMenuEvent::Mouse);
        QVERIFY(menu);
        QAction *action = menuItem(menu, text);
        QVERIFY2(action, qPrintable(text));
        QVERIFY(action->isEnabled());
        menu->close();
        action->trigger();
    }

private slots:
    void initTestCase()
    {
        DecayChartView::setSaveFileDialog(
            [this](QWidget *, const QString &caption, const QString &suggested, const QString &filter) {
                m_asked << caption;
                if (!filter.contains(QLatin1String("*.csv")) && !filter.contains(QLatin1String("*.png")))
                    qWarning("unexpected filter %s", qPrintable(filter));
                Q_UNUSED(suggested);
                return m_answer;
            });
    }

    void init()
    {
        m_out = std::make_unique<QTemporaryDir>();
        m_answer.clear();
        m_asked.clear();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }

    void cleanupTestCase() { DecayChartView::setSaveFileDialog({}); }

    void sampleChartHasNothingToExport()
    {
        auto w = openShown();
        Ui::TAOknoGl &ui = w->form();
        ui.PageControl1->setCurrentWidget(ui.TabSheet3);
        QCOMPARE(ui.Chart1->pointCount(), 25);
        QVERIFY(!ui.Chart1->hasData());

        QMenu *menu = openMenu(ui.Chart1, QContextMenuEvent::Mouse);
        QVERIFY(menu);
        QStringList texts;
        for (QAction *action : menu->actions()) {
            texts << action->text();
            QVERIFY(!action->isEnabled());
        }
        QCOMPARE(texts, (QStringList{"Kopiuj dane", "Zapisz dane jako CSV...", "Zapisz wykres jako PNG..."}));
        menu->close();

        QTest::keyClick(ui.Chart1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        QCOMPARE(m_fixture.errors, QStringList());
    }

    void preparedChartKeepsTimesAndUnit()
    {
        auto w = openShown();
        Ui::TAOknoGl &ui = w->form();
        prepareDefaults(ui);
        QCOMPARE(m_fixture.errors, QStringList());
        DecayChartView *chart = ui.Chart1;
        QCOMPARE(chart->pointCount(), 11);
        for (int i = 0; i < 11; ++i)
            QCOMPARE(chart->pointTime(i), double(i));
        QCOMPARE(chart->activityUnit(), QStringLiteral("MBq"));
        QVERIFY(chart->hasData());
        QCOMPARE(chart->dataAsCsv(), defaultsCsv("MBq"));
    }

    // The time of the closing point is the final Edit2 text read back, so a
    // step that does not add up exactly ends where Edit2 says.
    void closingTimeIsTheFinalEdit2()
    {
        auto w = openShown();
        Ui::TAOknoGl &ui = w->form();
        click(ui.SpeedButton2);
        ui.Edit1->setText(QStringLiteral("8"));
        ui.Edit3->setText(QStringLiteral("1"));
        ui.Edit5->setText(QStringLiteral("0,1"));
        ui.SpinEdit2->lineEdit()->setText(QStringLiteral("3"));
        click(ui.SpeedButton3);
        QCOMPARE(m_fixture.errors, QStringList());
        QCOMPARE(ui.Edit2->text(), QStringLiteral("0,3"));
        QCOMPARE(ui.Chart1->pointTime(1), 0.1);
        QCOMPARE(ui.Chart1->pointTime(2), 0.2);
        QCOMPARE(ui.Chart1->pointTime(3), 0.3);
        const QByteArray csv = ui.Chart1->dataAsCsv();
        QVERIFY(csv.contains("\r\n+3;0,2;"));
        QVERIFY(csv.endsWith("\r\n+...;0,3;0\r\n"));

        // A running time beyond the double range is an overflow: the chart
        // stops there, no "INF" reaches Edit2 or the export.
        ui.Edit5->setText(QStringLiteral("1E308"));
        ui.SpinEdit2->lineEdit()->setText(QStringLiteral("2"));
        click(ui.SpeedButton3);
        QCOMPARE(m_fixture.errors, QStringList{QStringLiteral("Floating point overflow.")});
        QCOMPARE(ui.Edit2->text(), QStringLiteral("1E308"));
        QCOMPARE(ui.Chart1->pointCount(), 1);
        QCOMPARE(ui.Chart1->pointTime(0), 0.0);
        QVERIFY(!ui.Chart1->dataAsCsv().contains("INF"));
    }

    // The header names the unit Label10 showed when the chart was prepared.
    void headerFollowsTheUnitAtPreparation()
    {
        auto w = openShown();
        Ui::TAOknoGl &ui = w->form();
        prepareDefaults(ui);
        click(ui.SpeedButton4); // MBq -> next unit
        const QString unit = ui.Label10->text();
        QVERIFY(unit != QStringLiteral("MBq"));
        QVERIFY(ui.Chart1->dataAsCsv().contains("[MBq]"));
        click(ui.SpeedButton3);
        QVERIFY(ui.Chart1->dataAsCsv().startsWith(bom() + "Punkt;Czas;Aktywno\xC5\x9B\xC4\x87 ["
                                                   + unit.toUtf8() + "]\r\n"));
    }

    void copyByMenuAndByCtrlC()
    {
        auto w = openShown();
        Ui::TAOknoGl &ui = w->form();
        prepareDefaults(ui);
        QCOMPARE(ui.PageControl1->currentWidget(), ui.TabSheet3);
        const QString expected = QString::fromUtf8(defaultsCsv("MBq").mid(3))
                                     .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                     .replace(u';', u'\t');

        choose(ui.Chart1, QStringLiteral("Kopiuj dane"));
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);

        // Ctrl+C wherever the focus is on the chart page.
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        ui.Chart1->setFocus();
        QTest::keyClick(ui.Chart1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);

        // On the calculation page Ctrl+C belongs to the edit fields.
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        ui.PageControl1->setCurrentWidget(ui.TabSheet1);
        ui.Edit1->setFocus();
        ui.Edit1->selectAll();
        QTest::keyClick(ui.Edit1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), ui.Edit1->text());
        QCOMPARE(m_fixture.errors, QStringList());
    }

    void menuKeyOpensTheMenuOverTheChart()
    {
        auto w = openShown();
        Ui::TAOknoGl &ui = w->form();
        prepareDefaults(ui);
        QMenu *menu = openMenu(ui.Chart1, QContextMenuEvent::Keyboard);
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 3);
        QVERIFY(menu->actions().at(0)->isEnabled());
        menu->close();
    }

    void saveCsv()
    {
        auto w = openShown();
        Ui::TAOknoGl &ui = w->form();
        prepareDefaults(ui);
        m_answer = m_out->filePath(QStringLiteral("dane wykresu ąę.csv"));
        choose(ui.Chart1, QStringLiteral("Zapisz dane jako CSV..."));
        QCOMPARE(m_asked.size(), 1);
        QCOMPARE(m_fixture.errors, QStringList());
        QCOMPARE(fileBytes(m_answer), defaultsCsv("MBq"));
        // Only the file itself is left in the folder, no temporary copy.
        QCOMPARE(QDir(m_out->path()).entryList(QDir::Files), QStringList{QFileInfo(m_answer).fileName()});

        // Saving again replaces the file.
        ui.Edit1->setText(QStringLiteral("200"));
        click(ui.SpeedButton3);
        choose(ui.Chart1, QStringLiteral("Zapisz dane jako CSV..."));
        QVERIFY(fileBytes(m_answer).contains("\r\n+1;0;200\r\n"));
    }

    void cancelledDialogDoesNothing()
    {
        auto w = openShown();
        Ui::TAOknoGl &ui = w->form();
        prepareDefaults(ui);
        m_answer.clear();
        choose(ui.Chart1, QStringLiteral("Zapisz dane jako CSV..."));
        choose(ui.Chart1, QStringLiteral("Zapisz wykres jako PNG..."));
        QCOMPARE(m_asked.size(), 2);
        QCOMPARE(m_fixture.errors, QStringList());
        QVERIFY(QDir(m_out->path()).isEmpty());
    }

    void savePngAtTheScreenPixelRatio()
    {
        auto w = openShown();
        Ui::TAOknoGl &ui = w->form();
        prepareDefaults(ui);
        m_answer = m_out->filePath(QStringLiteral("wykres.png"));
        choose(ui.Chart1, QStringLiteral("Zapisz wykres jako PNG..."));
        QCOMPARE(m_fixture.errors, QStringList());
        QImage saved;
        QVERIFY(saved.load(m_answer, "PNG"));
        const qreal ratio = ui.Chart1->devicePixelRatioF();
        QCOMPARE(saved.size(), (QSizeF(ui.Chart1->size()) * ratio).toSize());
        // The picture is the chart as drawn.
        const QImage drawn = ui.Chart1->renderToImage(ratio).convertToFormat(saved.format());
        QCOMPARE(saved.convertToFormat(drawn.format()), drawn);
    }

    // Root writes into read-only folders, so the unwritable targets are a
    // name under a regular file used as a folder, and a file in /proc.
    void unwritableTargetLeavesNoFile_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("csv") << QStringLiteral("Zapisz dane jako CSV...");
        QTest::newRow("png") << QStringLiteral("Zapisz wykres jako PNG...");
    }

    void unwritableTargetLeavesNoFile()
    {
        QFETCH(QString, item);
        auto w = openShown();
        Ui::TAOknoGl &ui = w->form();
        prepareDefaults(ui);

        const QString plainFile = m_out->filePath(QStringLiteral("zwykly-plik"));
        QFile file(plainFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
        file.close();
        for (const QString &target : {plainFile + QStringLiteral("/wykres.out"),
                                      QStringLiteral("/proc/halvora-wykres.out")}) {
            m_fixture.errors.clear();
            m_answer = target;
            choose(ui.Chart1, item);
            QCOMPARE(m_fixture.errors.size(), 1);
            QVERIFY2(m_fixture.errors.first().startsWith(
                         QStringLiteral("Nie można zapisać pliku '%1': ").arg(target)),
                     qPrintable(m_fixture.errors.first()));
            QVERIFY(!QFileInfo::exists(target));
        }
        QCOMPARE(fileBytes(plainFile), QByteArray("x"));
        QCOMPARE(QDir(m_out->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"zwykly-plik"});
    }

    // A preparation that fails part-way leaves the points drawn so far, and
    // those are what is exported.
    void failedPreparationExportsWhatIsShown()
    {
        auto w = openShown();
        Ui::TAOknoGl &ui = w->form();
        click(ui.SpeedButton2);
        ui.Edit1->setText(QStringLiteral("1"));
        ui.Edit3->setText(QStringLiteral("1"));
        ui.Edit5->setText(QStringLiteral("-20000"));
        click(ui.SpeedButton3);
        QCOMPARE(m_fixture.errors, QStringList{"Floating point overflow."});
        QCOMPARE(ui.Chart1->pointCount(), 1);
        QVERIFY(ui.Chart1->hasData());
        QCOMPARE(ui.Chart1->dataAsCsv(), bom() + "Punkt;Czas;Aktywno\xC5\x9B\xC4\x87 [MBq]\r\n+1;0;1\r\n");

        // Failing at the first sample leaves an empty chart: nothing to export.
        m_fixture.errors.clear();
        ui.Edit3->setText(QStringLiteral("0"));
        click(ui.SpeedButton3);
        QCOMPARE(m_fixture.errors, QStringList{"Invalid floating point operation."});
        QCOMPARE(ui.Chart1->pointCount(), 0);
        QVERIFY(!ui.Chart1->hasData());
        for (QAction *action : ui.Chart1->exportActions())
            QVERIFY(!action->isEnabled());
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestChartExportWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_chart_export_window.moc"
