// The About page and its web link.

#include "about/shellopen.h"
#include "tests/windowfixture.h"

#include <QMouseEvent>

class TestAbout final : public QObject
{
    Q_OBJECT

private:
    WindowFixture m_fixture;

private slots:
    void pageTexts()
    {
        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        QCOMPARE(ui.Label17->text(), QStringLiteral("Halvora - Wersja 2.0.0"));
        QCOMPARE(ui.Label20->text(), QStringLiteral("Kompilacja oprogramowania: 2015-09-01"));
        QCOMPARE(ui.Label21->text(), QStringLiteral("Wersja: 2.0.0"));
        QCOMPARE(ui.Label22->text(),
                 QStringLiteral("Najnowsze wersja oprogramowania dostępne na stronie:"));
        QCOMPARE(ui.Label23->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(ui.Label23->font().pixelSize(), 19);
        QCOMPARE(ui.Label17->font().pixelSize(), 13);
        QCOMPARE(ui.Label17->palette().color(QPalette::WindowText), QColor(192, 192, 192));
        QCOMPARE(ui.Label22->palette().color(QPalette::WindowText), QColor(255, 255, 0));
        QVERIFY(!ui.Image2->pixmap().isNull());
        QCOMPARE(ui.Image2->pixmap().size(), QSize(673, 452));
    }

    void linkOpensTheShownAddress()
    {
        auto w = m_fixture.open();
        Ui::TAOknoGl &ui = w->form();
        QStringList opened;
        about::setOpener([&](const QString &url, const QString &params) {
            opened << url << params;
        });
        ui.PageControl1->setCurrentWidget(ui.TabSheet4);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));

        QTest::mouseClick(ui.Label23, Qt::LeftButton, {}, ui.Label23->rect().center());
        QCOMPARE(opened, (QStringList{ui.Label23->text(), QString()}));

        // Whatever the label holds is what opens.
        opened.clear();
        ui.Label23->setText(QStringLiteral("https://example.org/inny"));
        QTest::mouseClick(ui.Label23, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(opened, (QStringList{"https://example.org/inny", QString()}));

        // Another button does not follow the link.
        opened.clear();
        QTest::mouseClick(ui.Label23, Qt::RightButton, {}, QPoint(2, 2));
        QCOMPARE(opened, QStringList());
        about::setOpener({});
        QCOMPARE(m_fixture.errors, QStringList());
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestAbout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_about.moc"
