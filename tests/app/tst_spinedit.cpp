// The spin fields: what may be typed, what losing the focus corrects, and
// what the handlers read.

#include "app/spinedit.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

class TestSpinEdit final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland)); }

    void readValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("in range") << "7" << 7;
        QTest::newRow("signed") << "+3" << 3;
        QTest::newRow("above the range, not yet corrected") << "25" << 25;
        QTest::newRow("negative") << "-2" << -2;
        QTest::newRow("cleared") << "" << 0;
        QTest::newRow("not whole") << "4,5" << 0;
        QTest::newRow("sign alone") << "-" << 0;
        QTest::newRow("too long for a whole number") << "99999999999" << 0;
    }

    void readValue()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        SpinEdit spin;
        spin.setRange(0, 20);
        spin.lineEdit()->setText(text);
        QCOMPARE(spin.readValue(), value);
    }

    void typing_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("digits") << "12" << "12";
        QTest::newRow("letters refused") << "1a2" << "12";
        QTest::newRow("point refused on a comma locale") << "4.5" << "45";
        QTest::newRow("comma and sign allowed") << "-4,5" << "-4,5";
    }

    void typing()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        SpinEdit spin;
        spin.setRange(0, 100);
        spin.lineEdit()->clear();
        QTest::keyClicks(&spin, typed);
        QCOMPARE(spin.lineEdit()->text(), shown);
    }

    void leavingTheField_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::newRow("above the range") << "25" << "20";
        QTest::newRow("below the range") << "-3" << "0";
        QTest::newRow("in range") << "9" << "9";
        QTest::newRow("not whole stays") << "4,5" << "4,5";
    }

    void leavingTheField()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QWidget window;
        auto *spin = new SpinEdit(&window);
        spin->setRange(0, 20);
        auto *other = new QLineEdit(&window);
        other->move(0, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        spin->setFocus();
        spin->lineEdit()->setText(typed);
        other->setFocus();
        QCOMPARE(spin->lineEdit()->text(), after);
    }

    void arrowsStayInRange()
    {
        SpinEdit spin;
        spin.setRange(1, 1000);
        spin.setValue(1000);
        QTest::keyClick(&spin, Qt::Key_Up);
        QCOMPARE(spin.readValue(), 1000);
        QTest::keyClick(&spin, Qt::Key_Down);
        QCOMPARE(spin.readValue(), 999);
    }
};

QTEST_MAIN(TestSpinEdit)
#include "tst_spinedit.moc"
