// The window and the "=" command, driven through the real controls.

#include "tests/windowfixture.h"

#include <QAccessible>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>

class TestCalculator final : public QObject
{
    Q_OBJECT

private:
    WindowFixture m_fixture;

    // Types the three inputs and the precision, then presses "=".
    void compute(TAOknoGl &w, const QString &a0, const QString &t, const QString &halfLife,
                 const QString &precision = QStringLiteral("4"), bool logarithmic = false)
    {
        Ui::TAOknoGl &ui = w.form();
        ui.Edit1->setText(a0);
        ui.Edit2->setText(t);
        ui.Edit3->setText(halfLife);
        ui.SpinEdit1->lineEdit()->setText(precision);
        ui.CheckBox1->setChecked(logarithmic);
        click(ui.SpeedButton1);
    }

private slots:
    void windowSettings()
    {
        auto w = m_fixture.open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(m_fixture.errors, QStringList());
        QCOMPARE(w->size(), QSize(560, 467));
        QCOMPARE(w->minimumSize(), QSize(560, 467));
        QCOMPARE(w->maximumSize(), QSize(560, 467));
        QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w->windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(w->windowTitle(),
                 QStringLiteral("Halvora - Pracownia Halvora - Toruń 2015 - Wersja 2.0.0"));
        QCOMPARE(w->font().family(), QStringLiteral("Tahoma"));
        QCOMPARE(w->font().pixelSize(), 11);
        QVERIFY(w->font().bold());

        Ui::TAOknoGl &ui = w->form();
        // The labels really draw with Tahoma where the system has it.
        if (QFontDatabase::hasFamily(QStringLiteral("Tahoma"))) {
            const QFontInfo shown(ui.Label6->font());
            QCOMPARE(shown.family(), QStringLiteral("Tahoma"));
            QVERIFY(shown.bold());
            QCOMPARE(shown.pixelSize(), 11);
            QCOMPARE(QFontInfo(ui.Label3->font()).pixelSize(), 107);
        }
        const QStringList captions = {QStringLiteral("Obliczanie aktywności izotopów"),
                                      QStringLiteral("Tabela izotopów"),
                                      QStringLiteral("Wykres rozpadu"),
                                      QStringLiteral("O programie...")};
        QCOMPARE(ui.PageControl1->count(), 4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(ui.PageControl1->tabText(i), captions.at(i));
        QCOMPARE(ui.PageControl1->currentWidget(), ui.TabSheet1);
        QVERIFY(!ui.PageControl1->isTabVisible(2));
        // Measured on each page as it is shown: the style's tab frame must not
        // change the room a page offers.
        for (QWidget *page : {ui.TabSheet2, ui.TabSheet3, ui.TabSheet4, ui.TabSheet1}) {
            ui.PageControl1->setCurrentWidget(page);
            QVERIFY2(page->size() == QSize(552, 439), qPrintable(page->objectName()));
        }
    }

    void missingDatabaseLeavesTheCalculatorWorking()
    {
        auto w = m_fixture.open(false);
        QCOMPARE(m_fixture.errors.size(), 1);
        QVERIFY(m_fixture.errors.first().endsWith(u'.'));
        QVERIFY(!QFile::exists(m_fixture.databasePath()));
        Ui::TAOknoGl &ui = w->form();
        QVERIFY(ui.PageControl1->isTabVisible(2));
        QCOMPARE(ui.PageControl1->currentWidget(), ui.TabSheet1);
        compute(*w, QStringLiteral("100"), QStringLiteral("1"), QStringLiteral("1"));
        QCOMPARE(ui.Edit4->text(), QStringLiteral("50"));
    }

    void equals_data()
    {
        QTest::addColumn<QString>("a0");
        QTest::addColumn<QString>("t");
        QTest::addColumn<QString>("halfLife");
        QTest::addColumn<QString>("precision");
        QTest::addColumn<bool>("logarithmic");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("shownT");

        QTest::newRow("one half-life") << "100" << "1" << "1" << "4" << false << "50" << "1";
        QTest::newRow("logarithmic constant") << "100" << "1" << "1" << "4" << true << "50,0074" << "1";
        QTest::newRow("cube root") << "1000" << "1" << "3" << "4" << false << "793,7005" << "1";
        QTest::newRow("rounds to zero") << "1" << "20" << "1" << "4" << false << "0" << "20";
        QTest::newRow("scientific result") << "1" << "20" << "1" << "10" << false << "9,537E-7" << "20";
        QTest::newRow("point normalised") << "100" << "1.5" << "1,5" << "4" << false << "50" << "1,5";
        QTest::newRow("zero half-life") << "123" << "7" << "0" << "4" << false << "0" << "7";
        QTest::newRow("zero half-life written 0,0") << "-5" << "7" << "0,0" << "4" << true << "0" << "7";
        QTest::newRow("tie to even down") << "5" << "2" << "2" << "0" << false << "2" << "2";
        QTest::newRow("tie to even up") << "7" << "2" << "2" << "0" << false << "4" << "2";
        QTest::newRow("precision cleared") << "7" << "2" << "2" << "" << false << "4" << "2";
        QTest::newRow("precision not whole") << "5" << "2" << "2" << "4,5" << false << "2" << "2";
        QTest::newRow("negative zero") << "-0" << "1" << "1" << "4" << false << "0" << "1";
        QTest::newRow("underflow is zero") << "1" << "1e300" << "1" << "4" << false << "0" << "1e300";
        QTest::newRow("precision 20") << "1" << "1" << "3" << "20" << false << "0,7937005259841" << "3";
    }

    void equals()
    {
        QFETCH(QString, a0);
        QFETCH(QString, t);
        QFETCH(QString, halfLife);
        QFETCH(QString, precision);
        QFETCH(bool, logarithmic);
        QFETCH(QString, result);
        QFETCH(QString, shownT);

        auto w = m_fixture.open();
        compute(*w, a0, t, halfLife, precision, logarithmic);
        QCOMPARE(m_fixture.errors, QStringList());
        QCOMPARE(w->form().Edit4->text(), result);
        if (t.contains(u'.'))
            QCOMPARE(w->form().Edit2->text(), shownT);
    }

    void emptyInputDoesNothing_data()
    {
        QTest::addColumn<int>("emptyField");
        QTest::newRow("A0") << 0;
        QTest::newRow("t") << 1;
        QTest::newRow("T") << 2;
    }

    void emptyInputDoesNothing()
    {
        QFETCH(int, emptyField);
        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        compute(*w, QStringLiteral("100"), QStringLiteral("1"), QStringLiteral("1"));
        QCOMPARE(ui.Edit4->text(), QStringLiteral("50"));
        QLineEdit *fields[] = {ui.Edit1, ui.Edit2, ui.Edit3};
        fields[emptyField]->clear();
        ui.Edit2->setText(emptyField == 1 ? QString() : QStringLiteral("1.5"));
        click(ui.SpeedButton1);
        QCOMPARE(m_fixture.errors, QStringList());
        QCOMPARE(ui.Edit4->text(), QStringLiteral("50"));
        // Stopped before the normalisation, too.
        if (emptyField != 1)
            QCOMPARE(ui.Edit2->text(), QStringLiteral("1.5"));
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("a0");
        QTest::addColumn<QString>("t");
        QTest::addColumn<QString>("halfLife");
        QTest::addColumn<QString>("precision");
        QTest::addColumn<QString>("message");

        const QString longText(5000, u'9');
        QTest::newRow("letters") << "abc" << "1" << "1" << "4"
                                 << "'abc' is not a valid floating point value.";
        QTest::newRow("blank") << " " << "1" << "1" << "4"
                               << "' ' is not a valid floating point value.";
        QTest::newRow("Polish letters") << "1" << "zażółć" << "1" << "4"
                                        << "'zażółć' is not a valid floating point value.";
        QTest::newRow("too large") << "1e999" << "1" << "1" << "4"
                                   << "'1e999' is not a valid floating point value.";
        QTest::newRow("NaN") << "1" << "1" << "NaN" << "4"
                             << "'NaN' is not a valid floating point value.";
        QTest::newRow("Inf") << "Inf" << "1" << "1" << "4"
                             << "'Inf' is not a valid floating point value.";
        QTest::newRow("two separators") << "1" << "1.2.3" << "1" << "4"
                                        << "'1,2,3' is not a valid floating point value.";
        QTest::newRow("thousands separator") << "1 000" << "1" << "1" << "4"
                                             << "'1 000' is not a valid floating point value.";
        QTest::newRow("very long text") << "1" << "1" << (longText + u'x') << "4"
                                        << ("'" + longText + "x' is not a valid floating point value.");
        QTest::newRow("precision out of range") << "100" << "1" << "1" << "25" << "Invalid argument.";
        QTest::newRow("overflow") << "1e308" << "-10" << "1" << "4" << "Floating point overflow.";
        QTest::newRow("exponent overflow") << "1" << "-1e300" << "1" << "4" << "Floating point overflow.";
    }

    void badInput()
    {
        QFETCH(QString, a0);
        QFETCH(QString, t);
        QFETCH(QString, halfLife);
        QFETCH(QString, precision);
        QFETCH(QString, message);

        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        ui.Edit4->setText(QStringLiteral("previous"));
        compute(*w, a0, t, halfLife, precision);
        QCOMPARE(m_fixture.errors, QStringList{message});
        QCOMPARE(ui.Edit4->text(), QStringLiteral("previous"));
    }

    void flatButtonsKeepTheFocus()
    {
        auto w = m_fixture.open();
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        Ui::TAOknoGl &ui = w->form();
        ui.Edit2->setFocus();
        compute(*w, QStringLiteral("100"), QStringLiteral("1"), QStringLiteral("1"));
        QCOMPARE(ui.Edit4->text(), QStringLiteral("50"));
        QCOMPARE(QApplication::focusWidget(), ui.Edit2);
        QVERIFY(ui.Edit4->isReadOnly());
    }

    void tabOrder()
    {
        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        const QList<QWidget *> expected = {ui.Edit1, ui.Edit2, ui.Edit3, ui.Edit4, ui.SpinEdit1,
                                           ui.CheckBox1, ui.DBLookupComboBox1};
        for (qsizetype i = 0; i + 1 < expected.size(); ++i) {
            QWidget *next = expected.at(i)->nextInFocusChain();
            while (next->focusPolicy() == Qt::NoFocus || next->focusProxy() == expected.at(i))
                next = next->nextInFocusChain();
            QCOMPARE(next, expected.at(i + 1));
        }
    }

    // A screen reader must be able to announce every control the user can
    // operate, in Polish.
    void accessibleNames()
    {
        auto w = m_fixture.open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QStringList unnamed;
        const QList<QWidget *> controls = w->findChildren<QWidget *>();
        for (QWidget *control : controls) {
            const bool operable = qobject_cast<QLineEdit *>(control)
                                  || qobject_cast<QAbstractButton *>(control)
                                  || qobject_cast<QComboBox *>(control)
                                  || qobject_cast<QAbstractItemView *>(control)
                                  || qobject_cast<QAbstractSpinBox *>(control);
            if (!operable || control->objectName().startsWith(u"qt_"))
                continue;
            // The inner parts of the spin boxes, the combo box and the grid
            // (editors, headers, the drop-down list) are announced through
            // their owner.
            bool inner = false;
            for (QWidget *up = control->parentWidget(); up && up != w.get(); up = up->parentWidget())
                inner = inner || qobject_cast<QAbstractSpinBox *>(up) || qobject_cast<QComboBox *>(up)
                        || qobject_cast<QAbstractItemView *>(up);
            if (inner || control->window() != w.get())
                continue;
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
            QVERIFY(iface);
            if (iface->text(QAccessible::Name).trimmed().isEmpty())
                unnamed << (control->objectName().isEmpty() ? QString::fromLatin1(control->metaObject()->className())
                                                              : control->objectName());
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u',')));
        QCOMPARE(QAccessible::queryAccessibleInterface(w->form().Edit3)->text(QAccessible::Name),
                 QStringLiteral("Okres półrozkładu"));
    }

    void errorBoxText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Invalid argument" << "Invalid argument.";
        QTest::newRow("digit") << "Error 5" << "Error 5.";
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("exclamation") << "Stop!" << "Stop!";
        QTest::newRow("quote") << "'abc' is 'x'" << "'abc' is 'x'";
        QTest::newRow("blank") << "trailing " << "trailing ";
        QTest::newRow("slash is code 47") << "a/" << "a/.";
        QTest::newRow("Polish letter") << "zażółć" << "zażółć.";
        QTest::newRow("empty") << "" << "";
    }

    void errorBoxText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(halvora::errorBoxText(message), shown);
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestCalculator test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_calculator.moc"
