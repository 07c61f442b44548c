// The activity unit cycle behind the unit label.

#include "tests/windowfixture.h"

class TestUnitCycle final : public QObject
{
    Q_OBJECT

private:
    WindowFixture m_fixture;

private slots:
    void cycle_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("precision");
        QTest::addColumn<QStringList>("values"); // Edit1 after each of four clicks

        QTest::newRow("round trip") << "100" << "4"
                                    << QStringList{"0,1", "100000000", "100000", "100"};
        QTest::newRow("rounded after each step") << "1" << "2" << QStringList{"0", "0", "0", "0"};
        QTest::newRow("tie to even") << "125" << "2"
                                     << QStringList{"0,12", "120000000", "120000", "120"};
        QTest::newRow("fractions") << "0,5" << "20"
                                   << QStringList{"0,0005", "500000", "500", "0,5"};
        QTest::newRow("negative") << "-2,5" << "1"
                                  << QStringList{"0", "0", "0", "0"};
    }

    void cycle()
    {
        QFETCH(QString, start);
        QFETCH(QString, precision);
        QFETCH(QStringList, values);

        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        ui.Edit1->setText(start);
        ui.SpinEdit1->lineEdit()->setText(precision);
        const QStringList units = {"GBq", "Bq", "KBq", "MBq"};
        for (int i = 0; i < 4; ++i) {
            click(ui.SpeedButton4);
            QCOMPARE(ui.Label10->text(), units.at(i));
            QCOMPARE(ui.Label11->text(), units.at(i));
            QCOMPARE(ui.Edit1->text(), values.at(i));
        }
        QCOMPARE(m_fixture.errors, QStringList());
        QCOMPARE(ui.Edit4->text(), QString());
    }

    void emptyActivityKeepsTheUnit()
    {
        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        click(ui.SpeedButton4);
        QCOMPARE(ui.Label10->text(), QStringLiteral("MBq"));
        QCOMPARE(ui.Label11->text(), QStringLiteral("MBq"));
        QCOMPARE(m_fixture.errors, QStringList());
    }

    void resultRecomputedWhenShown()
    {
        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        ui.Edit1->setText(QStringLiteral("100"));
        ui.Edit2->setText(QStringLiteral("1"));
        ui.Edit3->setText(QStringLiteral("1"));
        click(ui.SpeedButton1);
        QCOMPARE(ui.Edit4->text(), QStringLiteral("50"));
        click(ui.SpeedButton4);
        QCOMPARE(ui.Edit1->text(), QStringLiteral("0,1"));
        QCOMPARE(ui.Edit4->text(), QStringLiteral("0,05"));
        click(ui.SpeedButton4);
        QCOMPARE(ui.Edit4->text(), QStringLiteral("50000000"));
    }

    void conversionErrorChangesNothing()
    {
        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        // No decimal-point normalisation here: "1.5" is refused.
        ui.Edit1->setText(QStringLiteral("1.5"));
        ui.Edit4->setText(QStringLiteral("7"));
        click(ui.SpeedButton4);
        QCOMPARE(m_fixture.errors, QStringList{"'1.5' is not a valid floating point value."});
        QCOMPARE(ui.Label10->text(), QStringLiteral("MBq"));
        QCOMPARE(ui.Label11->text(), QStringLiteral("MBq"));
        QCOMPARE(ui.Edit1->text(), QStringLiteral("1.5"));
        QCOMPARE(ui.Edit4->text(), QStringLiteral("7"));
    }

    void refusedPrecisionAfterTheLabelsChanged()
    {
        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        ui.Edit1->setText(QStringLiteral("100"));
        ui.SpinEdit1->lineEdit()->setText(QStringLiteral("30"));
        click(ui.SpeedButton4);
        QCOMPARE(m_fixture.errors, QStringList{"Invalid argument."});
        QCOMPARE(ui.Label10->text(), QStringLiteral("GBq"));
        QCOMPARE(ui.Label11->text(), QStringLiteral("GBq"));
        QCOMPARE(ui.Edit1->text(), QStringLiteral("100"));
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestUnitCycle test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_unitcycle.moc"
