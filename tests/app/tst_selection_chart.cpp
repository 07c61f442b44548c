// Picking an isotope ("Wybierz") and preparing the decay chart.

#include "tests/windowfixture.h"

#include <QHeaderView>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

// Runs one statement on the database file before the window opens it.
void execOnFile(const QString &path, const QString &sql)
{
    const QString name = QStringLiteral("fixture");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY2(query.exec(sql), qPrintable(sql));
    }
    QSqlDatabase::removeDatabase(name);
}

QList<QWidget *> chartPanel(Ui::TAOknoGl &ui)
{
    return {ui.Label13, ui.Label14, ui.Label15, ui.Label16, ui.SpeedButton3, ui.Edit5, ui.SpinEdit2};
}

} // namespace

class TestSelectionChart final : public QObject
{
    Q_OBJECT

private:
    WindowFixture m_fixture;

    // A window whose database was changed by the given statement first.
    std::unique_ptr<TAOknoGl> openWith(const QString &sql)
    {
        auto w = m_fixture.open();
        w.reset();
        execOnFile(m_fixture.databasePath(), sql);
        return std::make_unique<TAOknoGl>(m_fixture.folder->path());
    }

    void prepareChart(TAOknoGl &w) { halvora::guarded([&w] { w.SpeedButton3Click(); }); }

    static QList<double> values(const DecayChartView &chart)
    {
        QList<double> result;
        for (int i = 0; i < chart.pointCount(); ++i)
            result << chart.pointValue(i);
        return result;
    }

    static QStringList labels(const DecayChartView &chart)
    {
        QStringList result;
        for (int i = 0; i < chart.pointCount(); ++i)
            result << chart.pointLabel(i);
        return result;
    }

private slots:
    void pickBeforeChoosingCopiesTheFirstRow()
    {
        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        QCOMPARE(ui.DBLookupComboBox1->currentText(), QString());
        for (QWidget *control : chartPanel(ui))
            QVERIFY(control->isHidden());
        ui.Edit2->setText(QStringLiteral("5"));
        ui.Edit4->setText(QStringLiteral("old"));
        click(ui.SpeedButton2);
        QCOMPARE(m_fixture.errors, QStringList());
        QCOMPARE(w->ADODataSet1.currentRow(), 0);
        QCOMPARE(ui.Edit1->text(), w->ADODataSet1.fieldText(QStringLiteral("Aktywnosc")));
        QCOMPARE(ui.Edit3->text(), w->ADODataSet1.fieldText(QStringLiteral("Polrozpad")));
        QVERIFY(!ui.Edit1->text().isEmpty());
        QCOMPARE(ui.Edit2->text(), QStringLiteral("5"));
        QCOMPARE(ui.Edit4->text(), QString());
        for (QWidget *control : chartPanel(ui))
            QVERIFY(!control->isHidden());
    }

    void pickCopiesTheRowMovedToLast()
    {
        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        const int chosen = ui.DBLookupComboBox1->findText(QStringLiteral("I-131"));
        QVERIFY(chosen >= 0);
        ui.DBLookupComboBox1->setFocus();
        ui.DBLookupComboBox1->setCurrentIndex(chosen);
        emit ui.DBLookupComboBox1->activated(chosen);
        QCOMPARE(w->ADODataSet1.fieldText(QStringLiteral("Nazwa")), QStringLiteral("I-131"));
        click(ui.SpeedButton2);
        QCOMPARE(ui.Edit3->text(), w->ADODataSet1.fieldText(QStringLiteral("Polrozpad")));
        const QString i131 = ui.Edit3->text();

        // The grid moves the same current row; the list keeps its text.
        ui.DBGrid1->setCurrentIndex(ui.DBGrid1->model()->index(0, 0));
        QCOMPARE(w->ADODataSet1.currentRow(), 0);
        QCOMPARE(ui.DBLookupComboBox1->currentText(), QStringLiteral("I-131"));
        click(ui.SpeedButton2);
        QCOMPARE(ui.Edit3->text(), w->ADODataSet1.fieldText(QStringLiteral("Polrozpad")));
        QVERIFY(ui.Edit3->text() != i131);
    }

    // The grid's indicator column marks the row every control shares.
    void gridMarksTheCurrentRow()
    {
        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        ui.PageControl1->setCurrentWidget(ui.TabSheet2);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(w->ADODataSet1.locate(QStringLiteral("Co-60")));
        const int current = w->ADODataSet1.currentRow();
        QHeaderView *indicator = ui.DBGrid1->verticalHeader();
        const auto darkPixels = [indicator](int row) {
            const QImage image = indicator->viewport()
                                     ->grab(QRect(0, indicator->sectionViewportPosition(row),
                                                  indicator->viewport()->width(), indicator->sectionSize(row)))
                                     .toImage();
            int dark = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    dark += qGray(image.pixel(x, y)) < 80;
            return dark;
        };
        QVERIFY(darkPixels(current) > 5);
        QCOMPARE(darkPixels(current + 1), 0);
    }

    void pickFromAnEmptyTable()
    {
        auto w = openWith(QStringLiteral("delete from Izotopy"));
        Ui::TAOknoGl &ui = w->form();
        ui.Edit1->setText(QStringLiteral("1"));
        ui.Edit3->setText(QStringLiteral("1"));
        click(ui.SpeedButton2);
        QCOMPARE(m_fixture.errors, QStringList());
        QCOMPARE(ui.Edit1->text(), QString());
        QCOMPARE(ui.Edit3->text(), QString());
        QVERIFY(!ui.SpeedButton3->isHidden());
    }

    void pickAnIsotopeWithoutHalfLife()
    {
        auto w = openWith(QStringLiteral("update Izotopy set Polrozpad = null where Nazwa = "
                                         "(select min(Nazwa) from Izotopy)"));
        Ui::TAOknoGl &ui = w->form();
        click(ui.SpeedButton2);
        QVERIFY(!ui.Edit1->text().isEmpty());
        QCOMPARE(ui.Edit3->text(), QString());
        ui.Edit2->setText(QStringLiteral("1"));
        click(ui.SpeedButton1);
        QCOMPARE(ui.Edit4->text(), QString());
        QCOMPARE(m_fixture.errors, QStringList());
    }

    void pickWithoutDatabaseChangesNothing()
    {
        auto w = m_fixture.open(false);
        m_fixture.errors.clear();
        Ui::TAOknoGl &ui = w->form();
        ui.Edit1->setText(QStringLiteral("7"));
        click(ui.SpeedButton2);
        QCOMPARE(m_fixture.errors, QStringList{"ADODataSet1: Field 'Aktywnosc' not found."});
        QCOMPARE(ui.Edit1->text(), QStringLiteral("7"));
        for (QWidget *control : chartPanel(ui))
            QVERIFY(control->isHidden());
    }

    void chartDefaults()
    {
        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        click(ui.SpeedButton2);
        ui.Edit1->setText(QStringLiteral("100"));
        ui.Edit3->setText(QStringLiteral("1"));
        QCOMPARE(ui.Edit5->text(), QStringLiteral("1"));
        QCOMPARE(ui.SpinEdit2->readValue(), 10);
        QVERIFY(!ui.PageControl1->isTabVisible(2));
        click(ui.SpeedButton3);
        QCOMPARE(m_fixture.errors, QStringList());

        QList<double> expected;
        QStringList expectedLabels;
        for (int i = 0; i < 10; ++i) {
            expected << 100.0 / (1 << i);
            expectedLabels << u'+' + QString::number(i + 1);
        }
        expected << 0.0;
        expectedLabels << QStringLiteral("+...");
        QCOMPARE(values(*ui.Chart1), expected);
        QCOMPARE(values(*ui.Chart1).at(9), 0.1953125);
        QCOMPARE(labels(*ui.Chart1), expectedLabels);
        QCOMPARE(ui.Edit2->text(), QStringLiteral("10"));
        QVERIFY(ui.PageControl1->isTabVisible(2));
        QCOMPARE(ui.PageControl1->currentWidget(), ui.TabSheet3);

        // "=" now computes for the time the chart left in Edit2.
        click(ui.SpeedButton1);
        QCOMPARE(ui.Edit4->text(), QStringLiteral("0,0977"));
    }

    void chartSamples_data()
    {
        QTest::addColumn<QString>("a0");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("samples");
        QTest::addColumn<bool>("logarithmic");
        QTest::addColumn<QList<double>>("expected");
        QTest::addColumn<QString>("finalTime");

        QTest::newRow("tenth steps end exactly") << "8" << "0,1" << "3" << false
            << QList<double>{8, 8 / std::exp2(0.1), 8 / std::exp2(0.2), 0} << "0,3";
        QTest::newRow("no samples") << "8" << "1" << "0" << false << QList<double>{0} << "0";
        QTest::newRow("negative samples") << "8" << "1" << "-4" << false << QList<double>{0} << "0";
        QTest::newRow("negative activity drawn as 0") << "-8" << "1" << "2" << false
            << QList<double>{0, 0, 0} << "2";
        QTest::newRow("logarithmic") << "100" << "1" << "2" << true
            << QList<double>{100, 100 * double(std::exp(-0.693L)), 0} << "2";
    }

    void chartSamples()
    {
        QFETCH(QString, a0);
        QFETCH(QString, step);
        QFETCH(QString, samples);
        QFETCH(bool, logarithmic);
        QFETCH(QList<double>, expected);
        QFETCH(QString, finalTime);

        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        click(ui.SpeedButton2);
        ui.Edit1->setText(a0);
        ui.Edit3->setText(QStringLiteral("1"));
        ui.Edit5->setText(step);
        ui.SpinEdit2->lineEdit()->setText(samples);
        ui.CheckBox1->setChecked(logarithmic);
        click(ui.SpeedButton3);
        QCOMPARE(m_fixture.errors, QStringList());
        const QList<double> got = values(*ui.Chart1);
        QCOMPARE(got.size(), expected.size());
        for (qsizetype i = 0; i < got.size(); ++i)
            QVERIFY2(qFuzzyCompare(1 + got.at(i), 1 + expected.at(i)),
                     qPrintable(QStringLiteral("point %1: %2").arg(i).arg(got.at(i))));
        QCOMPARE(labels(*ui.Chart1).last(), QStringLiteral("+..."));
        QCOMPARE(ui.Edit2->text(), finalTime);
        QCOMPARE(ui.PageControl1->currentWidget(), ui.TabSheet3);
    }

    void chartErrors_data()
    {
        QTest::addColumn<QString>("a0");
        QTest::addColumn<QString>("halfLife");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("message");

        QTest::newRow("bad step") << "100" << "1" << "krok" << "'krok' is not a valid floating point value.";
        QTest::newRow("bad activity") << "1.5" << "1" << "1" << "'1.5' is not a valid floating point value.";
        QTest::newRow("bad half-life") << "100" << "" << "1" << "'' is not a valid floating point value.";
        QTest::newRow("zero half-life") << "100" << "0" << "1" << "Invalid floating point operation.";
    }

    void chartErrors()
    {
        QFETCH(QString, a0);
        QFETCH(QString, halfLife);
        QFETCH(QString, step);
        QFETCH(QString, message);

        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        click(ui.SpeedButton2);
        ui.Edit1->setText(a0);
        ui.Edit2->setText(QStringLiteral("12"));
        ui.Edit3->setText(halfLife);
        ui.Edit5->setText(step);
        QCOMPARE(ui.Chart1->pointCount(), 25);
        click(ui.SpeedButton3);
        QCOMPARE(m_fixture.errors, QStringList{message});
        QCOMPARE(ui.Chart1->pointCount(), 0);
        QCOMPARE(ui.Edit2->text(), QStringLiteral("0"));
        QVERIFY(!ui.PageControl1->isTabVisible(2));
        QCOMPARE(ui.PageControl1->currentWidget(), ui.TabSheet1);
    }

    void sampleChartShownWithoutDatabase()
    {
        auto w = m_fixture.open(false);
        Ui::TAOknoGl &ui = w->form();
        QVERIFY(ui.PageControl1->isTabVisible(2));
        QCOMPARE(ui.Chart1->pointCount(), 25);
        QCOMPARE(ui.Chart1->pointValue(0), 152.5);
        QCOMPARE(ui.Chart1->pointValue(24), 372.5);
        // The chart works from the fields even with no isotope picked.
        ui.Edit1->setText(QStringLiteral("4"));
        ui.Edit3->setText(QStringLiteral("1"));
        prepareChart(*w);
        QCOMPARE(values(*ui.Chart1).mid(0, 3), (QList<double>{4, 2, 1}));
        QCOMPARE(ui.Chart1->pointCount(), 11);
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestSelectionChart test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_selection_chart.moc"
