// The handlers as the user triggers them: "=" from typed texts to the shown
// result, and a 1000-sample chart preparation up to the redrawn chart.

#include "app/application.h"
#include "app/errorbox.h"
#include "app/oknogl.h"
#include "ui_oknogl.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

class WindowBench final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
        halvora::registerFonts();
        // The windows here open without a database; its start-up message
        // must not wait for an OK.
        halvora::setErrorSink([](const QString &) {});
    }

    void equalsHandler()
    {
        QTemporaryDir empty;
        TAOknoGl w(empty.path());
        Ui::TAOknoGl &ui = w.form();
        ui.Edit1->setText(QStringLiteral("3700"));
        ui.Edit2->setText(QStringLiteral("0.25"));
        ui.Edit3->setText(QStringLiteral("0,0219714"));
        w.SpeedButton1Click();
        QCOMPARE(ui.Edit2->text(), QStringLiteral("0,25"));
        QBENCHMARK {
            w.SpeedButton1Click();
        }
        QCOMPARE(ui.Edit4->text(), QStringLiteral("1,3898"));
    }

    void chartOf1000Samples()
    {
        QTemporaryDir empty;
        TAOknoGl w(empty.path());
        Ui::TAOknoGl &ui = w.form();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ui.Edit1->setText(QStringLiteral("3700"));
        ui.Edit3->setText(QStringLiteral("0,0219714"));
        ui.Edit5->setText(QStringLiteral("0,0001"));
        ui.SpinEdit2->lineEdit()->setText(QStringLiteral("1000"));
        QBENCHMARK {
            w.SpeedButton3Click();
            QPixmap drawn = ui.Chart1->grab();
            Q_UNUSED(drawn);
        }
        QCOMPARE(ui.Chart1->pointCount(), 1001);
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    WindowBench bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "window_bench.moc"
