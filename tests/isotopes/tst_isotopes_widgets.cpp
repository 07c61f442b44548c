// The grid, navigator and lookup list driven like a user would, on the
// offscreen platform, with the delete question and the error display replaced
// by recorders.

#include "isotopefixture.h"

#include "isotopes/connection.h"
#include "isotopes/dbgrid.h"
#include "isotopes/dblookupcombobox.h"
#include "isotopes/dbnavigator.h"
#include "isotopes/deleteconfirmation.h"
#include "isotopes/errorreporter.h"
#include "isotopes/recordset.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using isotopes::Connection;
using isotopes::RecordSet;

class TestIsotopeWidgets final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void gridLayout();
    void gridAndRecordSetShareTheCurrentRow();
    void editInGridPostsOnRowChange();
    void escapeCancelsTheRow();
    void navigatorPostAndCancel_data();
    void navigatorPostAndCancel();
    void insertKeyAndUntouchedRowDropped_data();
    void insertKeyAndUntouchedRowDropped();
    void downOnLastRowAppends();
    void deleteAskedBothWays_data();
    void deleteAskedBothWays();
    void deleteQuestionOnNewRowDeletesNothingStored();
    void badNumberKeepsRowInEditMode();
    void navigatorButtons();
    void navigatorEnablement_data();
    void navigatorEnablement();
    void lookupList();

private:
    QLineEdit *openEditor(int row, int column);
    void typeIntoGrid(const QString &text);
    void clickNavigator(const char *name);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<RecordSet> m_set;
    std::unique_ptr<QWidget> m_window;
    DbGrid *m_grid = nullptr;
    DbNavigator *m_navigator = nullptr;
    DbLookupComboBox *m_lookup = nullptr;
    QLineEdit *m_elsewhere = nullptr;
    QStringList m_errors;
    int m_questions = 0;
    bool m_answer = false;
};

void TestIsotopeWidgets::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Polish));
    isotopes::setErrorReporter([this](const std::string &message) {
        m_errors << QString::fromStdString(message);
    });
    isotopes::setDeleteConfirmation([this](QWidget *) {
        ++m_questions;
        return m_answer;
    });
}

void TestIsotopeWidgets::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_file = fixture::makeDatabase(m_dir->path(),
                                   {{QStringLiteral("C"), 3.0, 30.0},
                                    {QStringLiteral("A"), 1.5, 10.0},
                                    {QStringLiteral("B"), 2.0, 20.0}});
    m_connection = std::make_unique<Connection>();
    m_connection->setDatabaseFolder(m_dir->path());
    m_connection->open();
    m_set = std::make_unique<RecordSet>();
    m_set->open(*m_connection);

    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    m_lookup = new DbLookupComboBox(m_window.get());
    m_grid = new DbGrid(m_window.get());
    m_navigator = new DbNavigator(m_window.get());
    m_elsewhere = new QLineEdit(m_window.get());
    layout->addWidget(m_lookup);
    layout->addWidget(m_grid);
    layout->addWidget(m_navigator);
    layout->addWidget(m_elsewhere);
    m_lookup->setRecordSet(m_set.get());
    m_grid->setRecordSet(m_set.get());
    m_navigator->setRecordSet(m_set.get());
    m_window->resize(560, 500);
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_grid->setFocus();
    m_errors.clear();
    m_questions = 0;
}

void TestIsotopeWidgets::cleanup()
{
    m_window.reset();
    m_set.reset();
    m_connection.reset();
    m_dir.reset();
}

QLineEdit *TestIsotopeWidgets::openEditor(int row, int column)
{
    m_grid->setCurrentIndex(m_grid->model()->index(row, column));
    QTest::keyClick(m_grid, Qt::Key_F2);
    const auto editors = m_grid->viewport()->findChildren<QLineEdit *>();
    for (QLineEdit *editor : editors) {
        if (editor->isVisible())
            return editor;
    }
    return nullptr;
}

// The first key opens the cell's editor, the rest go to the editor, as with a
// real keyboard where the editor has the focus from then on.
void TestIsotopeWidgets::typeIntoGrid(const QString &text)
{
    QTest::keyClicks(m_grid, text.left(1));
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor && m_grid->viewport()->isAncestorOf(editor));
    QTest::keyClicks(editor, text.mid(1));
}

void TestIsotopeWidgets::clickNavigator(const char *name)
{
    auto *button = m_navigator->findChild<QToolButton *>(QLatin1String(name));
    QVERIFY2(button, name);
    QVERIFY2(button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestIsotopeWidgets::gridLayout()
{
    QCOMPARE(m_grid->model()->headerData(1, Qt::Horizontal).toString(),
             QStringLiteral("Aktywność początkowa [MBq]"));
    QCOMPARE(m_grid->columnWidth(0), 130);
    QCOMPARE(m_grid->columnWidth(1), 200);
    QCOMPARE(m_grid->columnWidth(2), 165);
    QCOMPARE(m_grid->horizontalHeader()->font().pixelSize(), 11);
    QVERIFY(m_grid->horizontalHeader()->font().bold());
    QCOMPARE(m_grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    QVERIFY(m_grid->tabKeyNavigation());
    QVERIFY(!m_grid->showGrid());
    QVERIFY(m_grid->verticalHeader()->isVisible());
    QVERIFY(m_grid->verticalHeader()->width() <= 16);
    QCOMPARE(m_grid->model()->index(0, 1).data().toString(), QStringLiteral("1,5"));
    // Grab once so that the painting code (indicator, vertical lines) runs.
    QVERIFY(!m_grid->grab().isNull());
}

void TestIsotopeWidgets::gridAndRecordSetShareTheCurrentRow()
{
    QCOMPARE(m_grid->currentIndex().row(), 0);
    m_set->last();
    QCOMPARE(m_grid->currentIndex().row(), 2);
    QTest::keyClick(m_grid, Qt::Key_Up);
    QCOMPARE(m_set->currentRow(), 1);
    const QRect cell = m_grid->visualRect(m_grid->model()->index(0, 2));
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(m_set->currentRow(), 0);
    QCOMPARE(m_grid->currentIndex().column(), 2);
    QTest::keyClick(m_grid, Qt::Key_Tab);
    QCOMPARE(m_grid->currentIndex(), m_grid->model()->index(1, 0));
    QCOMPARE(m_set->currentRow(), 1);
    QVERIFY(m_errors.isEmpty());
}

void TestIsotopeWidgets::editInGridPostsOnRowChange()
{
    QLineEdit *editor = openEditor(0, 1);
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("1,5"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("7,25"));
    QCOMPARE(m_set->state(), RecordSet::State::Edit);
    QCOMPARE(fixture::fileRows(m_file), QStringLiteral("A;1.5;10|B;2;20|C;3;30"));

    QTest::keyClick(editor, Qt::Key_Down);
    QCOMPARE(m_set->state(), RecordSet::State::Browse);
    QCOMPARE(m_set->currentRow(), 1);
    QCOMPARE(m_grid->currentIndex().row(), 1);
    QCOMPARE(fixture::fileRows(m_file), QStringLiteral("A;7.25;10|B;2;20|C;3;30"));
    QCOMPARE(m_grid->model()->index(0, 1).data().toString(), QStringLiteral("7,25"));

    // Typing straight into a cell starts editing too.
    typeIntoGrid(QStringLiteral("X"));
    QCOMPARE(m_set->state(), RecordSet::State::Edit);
    QCOMPARE(m_set->fieldText(QStringLiteral("Aktywnosc")), QStringLiteral("X"));
    QVERIFY(m_errors.isEmpty());
}

void TestIsotopeWidgets::escapeCancelsTheRow()
{
    const QByteArray before = fixture::fileBytes(m_file);
    QLineEdit *editor = openEditor(1, 0);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Zmiana"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(m_set->state(), RecordSet::State::Edit);
    // The first cell is done; the second Esc, in the grid, drops the row.
    editor = openEditor(1, 2);
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("5"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QCOMPARE(m_set->state(), RecordSet::State::Browse);
    QCOMPARE(m_set->fieldText(QStringLiteral("Nazwa")), QStringLiteral("B"));

    typeIntoGrid(QStringLiteral("Q"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(m_set->state(), RecordSet::State::Edit);
    QTest::keyClick(m_grid, Qt::Key_Escape);
    QCOMPARE(m_set->state(), RecordSet::State::Browse);
    QCOMPARE(m_grid->model()->index(1, 2).data().toString(), QStringLiteral("20"));
    QCOMPARE(fixture::fileBytes(m_file), before);
}

void TestIsotopeWidgets::navigatorPostAndCancel_data()
{
    QTest::addColumn<bool>("post");
    QTest::addColumn<QString>("file");
    QTest::newRow("post") << true << "A;1.5;10|B;2;20|C;3;0.5";
    QTest::newRow("cancel") << false << "A;1.5;10|B;2;20|C;3;30";
}

void TestIsotopeWidgets::navigatorPostAndCancel()
{
    QFETCH(bool, post);
    QFETCH(QString, file);
    // The editor stays open while the button is pressed: its text must count.
    QLineEdit *editor = openEditor(2, 2);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("0,5"));
    clickNavigator(post ? "post" : "cancel");
    QCOMPARE(m_set->state(), RecordSet::State::Browse);
    QCOMPARE(m_set->currentRow(), 2);
    QCOMPARE(fixture::fileRows(m_file), file);
    QCOMPARE(m_grid->model()->index(2, 2).data().toString(), post ? QStringLiteral("0,5") : QStringLiteral("30"));
    QVERIFY(!editor->isVisible());
}

void TestIsotopeWidgets::insertKeyAndUntouchedRowDropped_data()
{
    QTest::addColumn<QString>("leave");
    QTest::newRow("key up") << "up";
    QTest::newRow("mouse on another row") << "click";
    QTest::newRow("focus leaves the grid") << "focus";
    QTest::newRow("navigator next") << "next";
}

void TestIsotopeWidgets::insertKeyAndUntouchedRowDropped()
{
    QFETCH(QString, leave);
    const QByteArray before = fixture::fileBytes(m_file);
    m_set->setCurrentRow(1);
    QTest::keyClick(m_grid, Qt::Key_Insert);
    QCOMPARE(m_set->state(), RecordSet::State::Insert);
    QCOMPARE(m_set->rowCount(), 4);
    QCOMPARE(m_set->currentRow(), 1);
    QCOMPARE(m_grid->currentIndex().row(), 1);
    QCOMPARE(m_grid->model()->index(2, 0).data().toString(), QStringLiteral("B"));

    // An editor opened and closed without typing still leaves the row untouched.
    QLineEdit *editor = openEditor(1, 0);
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(m_set->isModified(), false);

    int expectedRow = 0;
    if (leave == "up") {
        QTest::keyClick(m_grid, Qt::Key_Up);
    } else if (leave == "click") {
        const QRect cell = m_grid->visualRect(m_grid->model()->index(3, 0));
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cell.center());
        expectedRow = 2; // C, which moved up into the dropped row's place
    } else if (leave == "focus") {
        m_elsewhere->setFocus();
        expectedRow = 1;
    } else {
        clickNavigator("next");
        expectedRow = 1; // B, the row that was below the new one
    }
    QCOMPARE(m_set->state(), RecordSet::State::Browse);
    QCOMPARE(m_set->rowCount(), 3);
    QCOMPARE(m_set->currentRow(), expectedRow);
    QCOMPARE(m_grid->currentIndex().row(), expectedRow);
    QCOMPARE(m_grid->model()->rowCount(), 3);
    QCOMPARE(fixture::fileBytes(m_file), before);
    QVERIFY(m_errors.isEmpty());
}

void TestIsotopeWidgets::downOnLastRowAppends()
{
    m_set->last();
    QTest::keyClick(m_grid, Qt::Key_Down);
    QCOMPARE(m_set->state(), RecordSet::State::Insert);
    QCOMPARE(m_set->rowCount(), 4);
    QCOMPARE(m_grid->currentIndex().row(), 3);
    // Down again on the untouched new row does nothing.
    QTest::keyClick(m_grid, Qt::Key_Down);
    QCOMPARE(m_set->rowCount(), 4);

    typeIntoGrid(QStringLiteral("Ra-226"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(m_grid->currentIndex(), m_grid->model()->index(3, 1));
    typeIntoGrid(QStringLiteral("0,037"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(m_set->state(), RecordSet::State::Browse);
    QCOMPARE(m_set->currentRow(), 2);
    QCOMPARE(fixture::fileRows(m_file), QStringLiteral("A;1.5;10|B;2;20|C;3;30|Ra-226;0.037;NULL"));
    QVERIFY(m_errors.isEmpty());
}

void TestIsotopeWidgets::deleteAskedBothWays_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("file");
    QTest::newRow("grid, OK") << "grid" << true << "A;1.5;10|C;3;30";
    QTest::newRow("grid, Cancel") << "grid" << false << "A;1.5;10|B;2;20|C;3;30";
    QTest::newRow("navigator, OK") << "navigator" << true << "A;1.5;10|C;3;30";
    QTest::newRow("navigator, Cancel") << "navigator" << false << "A;1.5;10|B;2;20|C;3;30";
}

void TestIsotopeWidgets::deleteAskedBothWays()
{
    QFETCH(QString, from);
    QFETCH(bool, answer);
    QFETCH(QString, file);
    m_answer = answer;
    m_set->setCurrentRow(1);
    if (from == "grid")
        QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ControlModifier);
    else
        clickNavigator("delete");
    QCOMPARE(m_questions, 1);
    QCOMPARE(fixture::fileRows(m_file), file);
    QCOMPARE(m_set->rowCount(), answer ? 2 : 3);
    QCOMPARE(m_grid->model()->rowCount(), m_set->rowCount());
    QCOMPARE(m_set->currentRow(), 1);
    QCOMPARE(m_grid->currentIndex().row(), 1);
}

// The question box takes the focus; that must not count as leaving the grid,
// or the untouched new row would be dropped and the row under it deleted.
void TestIsotopeWidgets::deleteQuestionOnNewRowDeletesNothingStored()
{
    const QByteArray before = fixture::fileBytes(m_file);
    m_set->setCurrentRow(1);
    QTest::keyClick(m_grid, Qt::Key_Insert);
    QCOMPARE(m_set->state(), RecordSet::State::Insert);

    QWidget question;
    auto *answerField = new QLineEdit(&question);
    isotopes::setDeleteConfirmation([&](QWidget *) {
        ++m_questions;
        question.show();
        QApplication::setActiveWindow(&question);
        answerField->setFocus();
        QCoreApplication::processEvents();
        return true;
    });
    QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ControlModifier);
    isotopes::setDeleteConfirmation([this](QWidget *) {
        ++m_questions;
        return m_answer;
    });

    QCOMPARE(m_questions, 1);
    QCOMPARE(m_set->state(), RecordSet::State::Browse);
    QCOMPARE(m_set->rowCount(), 3);
    QCOMPARE(m_set->fieldText(QStringLiteral("Nazwa")), QStringLiteral("B"));
    QCOMPARE(fixture::fileBytes(m_file), before);
}

void TestIsotopeWidgets::badNumberKeepsRowInEditMode()
{
    const QByteArray before = fixture::fileBytes(m_file);
    QLineEdit *editor = openEditor(0, 1);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("abc"));
    QTest::keyClick(editor, Qt::Key_Down);

    QCOMPARE(m_errors, QStringList{QStringLiteral("'abc' is not a valid floating point value")});
    QCOMPARE(m_set->state(), RecordSet::State::Edit);
    QCOMPARE(m_set->currentRow(), 0);
    QCOMPARE(m_grid->currentIndex().row(), 0);
    QCOMPARE(m_grid->model()->index(0, 1).data().toString(), QStringLiteral("abc"));
    QCOMPARE(fixture::fileBytes(m_file), before);

    // The same refusal from the navigator and from a click on another row.
    m_errors.clear();
    clickNavigator("post");
    const QRect cell = m_grid->visualRect(m_grid->model()->index(2, 0));
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(m_errors.size(), 2);
    QCOMPARE(m_set->currentRow(), 0);
    QCOMPARE(m_grid->currentIndex().row(), 0);
    QCOMPARE(m_set->state(), RecordSet::State::Edit);
    QCOMPARE(fixture::fileBytes(m_file), before);

    // Corrected, it posts.
    editor = openEditor(0, 1);
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("abc"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("4"));
    QTest::keyClick(editor, Qt::Key_Down);
    QCOMPARE(m_set->state(), RecordSet::State::Browse);
    QCOMPARE(fixture::fileRows(m_file), QStringLiteral("A;4;10|B;2;20|C;3;30"));
}

void TestIsotopeWidgets::navigatorButtons()
{
    const QStringList names {"first", "prior", "next", "last", "insert", "delete", "edit", "post", "cancel"};
    const QStringList tips {"Pierwszy", "Poprzedni", "Następny", "Ostatni", "Wstaw nowy izotop",
                            "Usuń izotop", "Edytuj izotop", "Zatwierdź zmiany", "Anuluj edycję"};
    const auto buttons = m_navigator->findChildren<QToolButton *>();
    QCOMPARE(buttons.size(), 9);
    QList<QToolButton *> ordered(buttons.begin(), buttons.end());
    std::sort(ordered.begin(), ordered.end(), [](QToolButton *a, QToolButton *b) { return a->x() < b->x(); });
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(ordered[i]->objectName(), names[i]);
        QCOMPARE(ordered[i]->toolTip(), tips[i]);
        QVERIFY(ordered[i]->autoRaise());
        QVERIFY(!ordered[i]->icon().isNull());
    }

    clickNavigator("last");
    QCOMPARE(m_grid->currentIndex().row(), 2);
    clickNavigator("prior");
    QCOMPARE(m_set->currentRow(), 1);
    clickNavigator("first");
    clickNavigator("next");
    QCOMPARE(m_set->currentRow(), 1);
    clickNavigator("insert");
    QCOMPARE(m_set->state(), RecordSet::State::Insert);
    QCOMPARE(m_grid->currentIndex().row(), 1);
    clickNavigator("cancel");
    clickNavigator("edit");
    QCOMPARE(m_set->state(), RecordSet::State::Edit);
}

void TestIsotopeWidgets::navigatorEnablement_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("enabled");
    QTest::newRow("unbound") << "unbound" << "";
    QTest::newRow("record set closed") << "closed" << "";
    QTest::newRow("first row") << "first" << "next last insert delete edit";
    QTest::newRow("middle row") << "middle" << "first prior next last insert delete edit";
    QTest::newRow("last row") << "last" << "first prior insert delete edit";
    QTest::newRow("editing") << "editing" << "first prior next last insert delete post cancel";
    QTest::newRow("empty table") << "empty" << "insert edit";
}

void TestIsotopeWidgets::navigatorEnablement()
{
    QFETCH(QString, situation);
    QFETCH(QString, enabled);
    if (situation == "unbound") {
        m_navigator->setRecordSet(nullptr);
    } else if (situation == "closed") {
        m_set->close();
    } else if (situation == "middle") {
        m_set->next();
    } else if (situation == "last") {
        m_set->last();
    } else if (situation == "editing") {
        m_set->next();
        m_set->edit();
    } else if (situation == "empty") {
        m_set->first();
        m_set->remove();
        m_set->remove();
        m_set->remove();
    }
    QStringList actual;
    for (const char *name : {"first", "prior", "next", "last", "insert", "delete", "edit", "post", "cancel"}) {
        if (m_navigator->findChild<QToolButton *>(QLatin1String(name))->isEnabled())
            actual << QLatin1String(name);
    }
    QCOMPARE(actual.join(QLatin1Char(' ')), enabled);
    if (situation == "closed")
        QCOMPARE(m_grid->model()->rowCount(), 0);
}

void TestIsotopeWidgets::lookupList()
{
    QVERIFY(!m_lookup->isEditable());
    QCOMPARE(m_lookup->maxVisibleItems(), 15);
    QCOMPARE(m_lookup->count(), 3);
    QCOMPARE(m_lookup->itemText(0), QStringLiteral("A"));
    QCOMPARE(m_lookup->itemText(2), QStringLiteral("C"));
    QCOMPARE(m_lookup->currentIndex(), -1);
    QCOMPARE(m_set->currentRow(), 0);

    // Keyboard choice on the closed list locates the row; the grid follows.
    m_lookup->setFocus();
    QTest::keyClick(m_lookup, Qt::Key_End);
    QCOMPARE(m_lookup->currentText(), QStringLiteral("C"));
    QCOMPARE(m_set->currentRow(), 2);
    QCOMPARE(m_grid->currentIndex().row(), 2);

    // Moving in the grid does not change the name shown.
    m_set->first();
    QCOMPARE(m_lookup->currentText(), QStringLiteral("C"));

    // The list follows inserts, renames and deletes.
    m_set->insert();
    m_set->setFieldText(RecordSet::Nazwa, QStringLiteral("C"));
    m_set->post();
    QCOMPARE(m_lookup->count(), 4);
    QCOMPARE(m_lookup->itemText(0), QStringLiteral("C"));
    QCOMPARE(m_lookup->currentText(), QStringLiteral("C"));
    m_set->last();
    // Choosing a repeated name goes to the first row with it.
    m_lookup->activated(3);
    QCOMPARE(m_set->currentRow(), 0);
    m_set->remove();
    QCOMPARE(m_lookup->count(), 3);
    QVERIFY(m_errors.isEmpty());
}

QTEST_MAIN(TestIsotopeWidgets)
#include "tst_isotopes_widgets.moc"
