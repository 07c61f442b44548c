// The isotope table exchanged as CSV: the record set's rows written out, a
// file's rows checked and appended in one transaction, and the grid's menu.

#include "isotopefixture.h"

#include "decay/error.h"
#include "isotopes/connection.h"
#include "isotopes/dbgrid.h"
#include "isotopes/errorreporter.h"
#include "isotopes/isotopecsv.h"
#include "isotopes/recordset.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using isotopes::Connection;
using isotopes::RecordSet;

namespace {

using fixture::errorOf;

// One open table: its folder, connection, record set and grid.
struct Table
{
    explicit Table(const QList<fixture::Row> &rows, const QString &schema = fixture::defaultSchema)
    {
        file = fixture::makeDatabase(dir.path(), rows, schema);
        open();
    }
    explicit Table(const QString &copyOf)
    {
        file = fixture::databasePath(dir.path());
        QFile::copy(copyOf, file);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        open();
    }
    void open()
    {
        connection.setDatabaseFolder(dir.path());
        connection.open();
        set.open(connection);
        grid.setRecordSet(&set);
        grid.resize(560, 420);
    }
    // Every row as the grid shows it, in the record set's order.
    QStringList shownRows() const
    {
        QStringList rows;
        for (int row = 0; row < set.rowCount(); ++row)
            rows << set.fieldText(row, 0) + u'|' + set.fieldText(row, 1) + u'|' + set.fieldText(row, 2);
        return rows;
    }
    QAction *action(int i) const { return grid.csvActions().at(i); }
    void exportCsv() const { action(0)->trigger(); }
    void importCsv() const { action(1)->trigger(); }

    QTemporaryDir dir;
    QString file;
    Connection connection;
    RecordSet set;
    DbGrid grid;
};

// Rows as "name|activity|halfLife" texts, NULL as "NULL".
QStringList rowTexts(const isotopes::IsotopeRows &rows)
{
    QStringList texts;
    for (const auto &row : rows) {
        QStringList fields;
        for (const QVariant &value : row) {
            if (value.isNull())
                fields << QStringLiteral("NULL");
            else if (value.typeId() == QMetaType::Double)
                fields << QString::number(value.toDouble(), 'g', 17);
            else
                fields << value.toString();
        }
        texts << fields.join(u'|');
    }
    return texts;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestIsotopeCsv final : public QObject
{
    Q_OBJECT

private:
    QStringList m_errors;
    QString m_saveAnswer;
    QString m_openAnswer;
    int m_saveAsked = 0;
    int m_openAsked = 0;
    QTemporaryDir m_files;

    QString filePath(const QString &name) const { return m_files.filePath(name); }

private slots:
    void initTestCase()
    {
        isotopes::setErrorReporter([this](const std::string &message) {
            m_errors << QString::fromStdString(message);
        });
        DbGrid::setSaveFileDialog([this](QWidget *, const QString &, const QString &, const QString &filter) {
            ++m_saveAsked;
            if (!filter.contains(QLatin1String("*.csv")))
                qWarning("no CSV filter");
            return m_saveAnswer;
        });
        DbGrid::setOpenFileDialog([this](QWidget *, const QString &, const QString &, const QString &filter) {
            ++m_openAsked;
            if (!filter.contains(QLatin1String("*.csv")))
                qWarning("no CSV filter");
            return m_openAnswer;
        });
    }

    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
        m_errors.clear();
        m_saveAnswer.clear();
        m_openAnswer.clear();
        m_saveAsked = m_openAsked = 0;
    }

    void cleanupTestCase()
    {
        DbGrid::setSaveFileDialog({});
        DbGrid::setOpenFileDialog({});
        isotopes::setErrorReporter({});
    }

    void contextMenu()
    {
        Table table(fixture::sampleRows());
        table.grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table.grid));
        // A right click arrives at the viewport, the Menu key at the grid.
        for (const auto reason : {QContextMenuEvent::Mouse, QContextMenuEvent::Keyboard}) {
            QWidget *target = reason == QContextMenuEvent::Mouse ? table.grid.viewport()
                                                                 : static_cast<QWidget *>(&table.grid);
            const QPoint at = target->rect().center();
            QContextMenuEvent event(reason, at, target->mapToGlobal(at));
            QApplication::sendEvent(target, &event);
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QStringList texts;
            for (QAction *action : menu->actions()) {
                texts << action->text();
                QVERIFY(action->isEnabled());
            }
            QCOMPARE(texts, (QStringList{"Eksportuj do CSV...", "Importuj z CSV..."}));
            menu->close();
        }

        // Nothing to exchange while the record set is closed.
        table.set.close();
        for (QAction *action : table.grid.csvActions())
            QVERIFY(!action->isEnabled());
        table.set.open(table.connection);
        for (QAction *action : table.grid.csvActions())
            QVERIFY(action->isEnabled());
    }

    void exportWritesEveryRowInTheCurrentOrder()
    {
        Table table(fixture::sampleRows() << fixture::Row{QStringLiteral("Z;\"1\""), 1.0 / 3.0, QVariant()});
        // A row inserted in the middle stays there, and is exported there.
        table.set.setCurrentRow(1);
        table.set.insert();
        table.set.setFieldText(RecordSet::Nazwa, QStringLiteral("Nowy"));
        table.set.setFieldText(RecordSet::Aktywnosc, QStringLiteral("0,5"));
        table.set.post();

        m_saveAnswer = filePath(QStringLiteral("tabela.csv"));
        table.exportCsv();
        QCOMPARE(m_errors, QStringList());
        QCOMPARE(fixture::fileBytes(m_saveAnswer),
                 QByteArrayLiteral("\xEF\xBB\xBF"
                                   "Nazwa;Aktywnosc;Polrozpad\r\n"
                                   "A;1;10\r\n"
                                   "Nowy;0,5;\r\n"
                                   "B;2;20\r\n"
                                   "C;3;30\r\n"
                                   "Dup;4;40\r\n"
                                   "Dup;5;50\r\n"
                                   "\"Z;\"\"1\"\"\";0,333333333333333;\r\n"));
    }

    // Export into an empty database and import the file back: the same rows.
    void roundTripGivesIdenticalRows_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("Polish") << QLocale(QLocale::Polish, QLocale::Poland);
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
    }

    void roundTripGivesIdenticalRows()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        Table source(QStringLiteral(HALVORA_DEFAULT_DB));
        QVERIFY(source.set.rowCount() > 5);
        m_saveAnswer = filePath(QStringLiteral("runda.csv"));
        source.exportCsv();
        QCOMPARE(m_errors, QStringList());
        const QByteArray bytes = fixture::fileBytes(m_saveAnswer);
        QVERIFY(bytes.startsWith(locale.decimalPoint() == QStringLiteral(",")
                                     ? QByteArray("\xEF\xBB\xBFNazwa;Aktywnosc;Polrozpad\r\n")
                                     : QByteArray("\xEF\xBB\xBFNazwa,Aktywnosc,Polrozpad\r\n")));

        Table target(QList<fixture::Row>{});
        m_openAnswer = m_saveAnswer;
        target.importCsv();
        QCOMPARE(m_errors, QStringList());
        QCOMPARE(target.shownRows(), source.shownRows());
        QCOMPARE(fixture::fileRows(target.file), fixture::fileRows(source.file));
        QCOMPARE(target.set.currentRow(), 0);
    }

    void rowsFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("header, CRLF") << "Nazwa;Aktywnosc;Polrozpad\r\nCo-60;1,5;5,27\r\n"
                                      << QStringList{"Co-60|1.5|5.2699999999999996"};
        QTest::newRow("no header, LF") << "Co-60;1,5;2\nI-131;3;0,022\n"
                                       << QStringList{"Co-60|1.5|2", "I-131|3|0.021999999999999999"};
        QTest::newRow("tabs") << "Nazwa\tAktywnosc\tPolrozpad\nCo-60\t1,5\t2"
                              << QStringList{"Co-60|1.5|2"};
        QTest::newRow("empty numbers are NULL") << "A;;\nB;;7\n" << QStringList{"A|NULL|NULL", "B|NULL|7"};
        QTest::newRow("quoted name") << "\"A;\"\"B\"\"\";1;2" << QStringList{"A;\"B\"|1|2"};
        QTest::newRow("exponent, sign, blanks") << "A; -1,5E3 ;+2e-2" << QStringList{"A|-1500|0.02"};
        QTest::newRow("only a header") << "Nazwa;Aktywnosc;Polrozpad\r\n" << QStringList{};
        QTest::newRow("nothing") << "" << QStringList{};
        QTest::newRow("Nazwa later is a name") << "X;1;2\nNazwa;3;4" << QStringList{"X|1|2", "Nazwa|3|4"};
    }

    void rowsFromText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(rowTexts(isotopes::isotopeRowsFromText(text, QStringLiteral(","))), expected);
    }

    void badRecordsNameTheirLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");

        QTest::newRow("bad number")
            << "Nazwa;Aktywnosc;Polrozpad\r\nA;1;2\r\nB;1;2\r\nC;1;2\r\nD;1;2\r\nE;1;2\r\nF;abc;2\r\nG;1;2\r\n"
            << "Błąd w wierszu 7 pliku CSV: 'abc' is not a valid floating point value";
        QTest::newRow("decimal point in a comma locale")
            << "A;1;2\nB;1.5;2" << "Błąd w wierszu 2 pliku CSV: '1.5' is not a valid floating point value";
        QTest::newRow("too few fields") << "A;1;2\nB;1;2\nC;1\nD;1;2"
                                        << "Błąd w wierszu 3 pliku CSV: oczekiwano 3 pól, jest 2";
        QTest::newRow("too many fields") << "A;1;2;3" << "Błąd w wierszu 1 pliku CSV: oczekiwano 3 pól, jest 4";
        QTest::newRow("empty name") << "Nazwa;Aktywnosc;Polrozpad\n;1;2"
                                    << "Błąd w wierszu 2 pliku CSV: brak nazwy izotopu";
        QTest::newRow("blank name") << "A;1;2\n  ;1;2" << "Błąd w wierszu 2 pliku CSV: brak nazwy izotopu";
        QTest::newRow("after empty lines and a quoted line break")
            << "\"A\nB\";1;2\n\n\nC;x;2" << "Błąd w wierszu 5 pliku CSV: 'x' is not a valid floating point value";
        QTest::newRow("beyond double range") << "A;1E999;2"
                                             << "Błąd w wierszu 1 pliku CSV: '1E999' is not a valid floating point value";
    }

    void badRecordsNameTheirLine()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        QCOMPARE(errorOf([&] { isotopes::isotopeRowsFromText(text, QStringLiteral(",")); }), message);
    }

    // One bad line anywhere: an error naming it, nothing written, nothing shown.
    void badFileImportsNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message"); // %1 is the file

        QTest::newRow("bad line in the middle")
            << QByteArray("Nazwa;Aktywnosc;Polrozpad\r\nN1;1;1\r\nN2;2;2\r\nN3;3;3\r\nN4;4;4\r\n"
                          "N5;5;5\r\nN6;abc;6\r\nN7;7;7\r\nN8;8;8\r\n")
            << "Błąd w wierszu 7 pliku CSV: 'abc' is not a valid floating point value";
        QTest::newRow("short line") << QByteArray("N1;1;1\nN2;2;2\nN3;3\n")
                                    << "Błąd w wierszu 3 pliku CSV: oczekiwano 3 pól, jest 2";
        QTest::newRow("not UTF-8") << QByteArray("N1;1;1\r\nCe-144 \xB1;2;2\r\n")
                                   << "Plik '%1' nie jest plikiem tekstowym w kodowaniu UTF-8";
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1A\n\x00\x00\x00\rIHDR", 16)
                                << "Plik '%1' nie jest plikiem tekstowym w kodowaniu UTF-8";
    }

    void badFileImportsNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        Table table(fixture::sampleRows());
        m_openAnswer = filePath(QStringLiteral("zly.csv"));
        writeFile(m_openAnswer, bytes);
        const QStringList before = table.shownRows();
        table.importCsv();
        if (message.contains(QLatin1String("%1")))
            message = message.arg(m_openAnswer);
        QCOMPARE(m_errors, QStringList{message});
        QCOMPARE(table.shownRows(), before);
        QCOMPARE(fixture::fileRows(table.file), fixture::sampleFileRows);
    }

    // A file above 50 MB is refused by its size; it is never read.
    void tooLargeFileImportsNothing()
    {
        Table table(fixture::sampleRows());
        m_openAnswer = filePath(QStringLiteral("duzy.csv"));
        {
            QFile file(m_openAnswer);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(1024LL * 1024 * 1024));
        }
        table.importCsv();
        QCOMPARE(m_errors, QStringList{
            QStringLiteral("Plik '%1' jest za duży (dopuszczalne najwyżej 50 MB)").arg(m_openAnswer)});
        QCOMPARE(table.set.rowCount(), 5);
        QCOMPARE(fixture::fileRows(table.file), fixture::sampleFileRows);
        QFile::remove(m_openAnswer);
    }

    void missingFileImportsNothing()
    {
        Table table(fixture::sampleRows());
        m_openAnswer = filePath(QStringLiteral("brak.csv"));
        table.importCsv();
        QCOMPARE(m_errors, QStringList{QStringLiteral("Nie można odczytać pliku '%1': No such file or directory")
                                           .arg(m_openAnswer)});
        QCOMPARE(table.set.rowCount(), 5);
    }

    // The new rows follow the loaded ones in file order, the current row
    // stays, and each can be edited and deleted like any other.
    void importedRowsAreAppendedAndUsable()
    {
        Table table(fixture::sampleRows());
        table.set.setCurrentRow(2);
        m_openAnswer = filePath(QStringLiteral("nowe.csv"));
        writeFile(m_openAnswer, "Zr-95;7,5;0,175\nAa;;\nZr-95;1;2\n");
        table.importCsv();
        QCOMPARE(m_errors, QStringList());
        QCOMPARE(table.shownRows(), (QStringList{"A|1|10", "B|2|20", "C|3|30", "Dup|4|40", "Dup|5|50",
                                                 "Zr-95|7,5|0,175", "Aa||", "Zr-95|1|2"}));
        QCOMPARE(table.set.currentRow(), 2);
        QCOMPARE(table.grid.model()->rowCount(), 8);
        QCOMPARE(table.grid.model()->index(6, 0).data().toString(), QStringLiteral("Aa"));

        table.set.setCurrentRow(7);
        table.set.edit();
        table.set.setFieldText(RecordSet::Aktywnosc, QStringLiteral("9"));
        table.set.post();
        table.set.setCurrentRow(5);
        table.set.remove();
        QCOMPARE(fixture::fileRows(table.file),
                 QStringLiteral("A;1;10|Aa;NULL;NULL|B;2;20|C;3;30|Dup;4;40|Dup;5;50|Zr-95;9;2"));
    }

    // A database failure on any row undoes the rows before it too.
    void failingInsertWritesNothing()
    {
        Table table(fixture::sampleRows(),
                    QStringLiteral("CREATE TABLE Izotopy (Nazwa TEXT, Aktywnosc REAL CHECK (Aktywnosc >= 0), "
                                   "Polrozpad REAL)"));
        m_openAnswer = filePath(QStringLiteral("ujemne.csv"));
        writeFile(m_openAnswer, "N1;1;1\nN2;2;2\nN3;-3;3\nN4;4;4\n");
        table.importCsv();
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors.first().startsWith(
                     QStringLiteral("Cannot write to database file '%1': ").arg(table.file)),
                 qPrintable(m_errors.first()));
        QVERIFY(m_errors.first().contains(QLatin1String("CHECK constraint failed")));
        QCOMPARE(table.set.rowCount(), 5);
        QCOMPARE(fixture::fileRows(table.file), fixture::sampleFileRows);

        // The database is usable afterwards: no transaction was left open.
        writeFile(m_openAnswer, "N1;1;1\n");
        m_errors.clear();
        table.importCsv();
        QCOMPARE(m_errors, QStringList());
        QCOMPARE(fixture::fileRows(table.file), fixture::sampleFileRows + QStringLiteral("|N1;1;1"));
    }

    void recordSetAppendsOnlyInBrowseMode()
    {
        Table table(fixture::sampleRows());
        table.set.edit();
        isotopes::IsotopeRows rows(1);
        rows[0][0] = QStringLiteral("X");
        QCOMPARE(errorOf([&] { table.set.appendRows(rows); }),
                 QStringLiteral("ADODataSet1: Dataset not in browse mode"));
        QCOMPARE(table.set.rowCount(), 5);
        table.set.close();
        QCOMPARE(errorOf([&] { table.set.appendRows(rows); }),
                 QStringLiteral("ADODataSet1: Cannot perform this operation on a closed dataset"));
    }

    // The grid posts a row being edited before exchanging, as a row change
    // does; a post that fails stops the command before the dialog.
    void editedRowIsPostedFirst()
    {
        Table table(fixture::sampleRows());
        table.set.setCurrentRow(0);
        table.set.edit();
        table.set.setFieldText(RecordSet::Aktywnosc, QStringLiteral("1,25"));
        m_saveAnswer = filePath(QStringLiteral("po-edycji.csv"));
        table.exportCsv();
        QCOMPARE(m_errors, QStringList());
        QCOMPARE(table.set.state(), RecordSet::State::Browse);
        QVERIFY(fixture::fileBytes(m_saveAnswer).contains("\r\nA;1,25;10\r\n"));
        QVERIFY(fixture::fileRows(table.file).startsWith(QStringLiteral("A;1.25;10|")));

        // An untouched new row is dropped, not written.
        table.set.insert();
        m_openAnswer = filePath(QStringLiteral("jeden.csv"));
        writeFile(m_openAnswer, "Nowy;1;1\n");
        table.importCsv();
        QCOMPARE(m_errors, QStringList());
        QCOMPARE(table.set.rowCount(), 6);
        QCOMPARE(table.set.fieldText(5, 0), QStringLiteral("Nowy"));

        table.set.edit();
        table.set.setFieldText(RecordSet::Polrozpad, QStringLiteral("zle"));
        m_saveAsked = m_openAsked = 0;
        table.importCsv();
        table.exportCsv();
        QCOMPARE(m_errors, (QStringList{"'zle' is not a valid floating point value",
                                        "'zle' is not a valid floating point value"}));
        QCOMPARE(m_saveAsked + m_openAsked, 0);
        QVERIFY(table.set.isEditing());
        QCOMPARE(table.set.rowCount(), 6);
    }

    void cancelledDialogsDoNothing()
    {
        Table table(fixture::sampleRows());
        table.exportCsv();
        table.importCsv();
        QCOMPARE(m_saveAsked, 1);
        QCOMPARE(m_openAsked, 1);
        QCOMPARE(m_errors, QStringList());
        QCOMPARE(table.set.rowCount(), 5);
    }

    // Root writes into read-only folders, so the unwritable targets are a
    // name under a regular file used as a folder, and a file in /proc.
    void unwritableExportTargetLeavesNoFile()
    {
        Table table(fixture::sampleRows());
        const QString plain = filePath(QStringLiteral("zwykly"));
        writeFile(plain, "x");
        for (const QString &target : {plain + QStringLiteral("/tabela.csv"),
                                      QStringLiteral("/proc/halvora-tabela.csv")}) {
            m_errors.clear();
            m_saveAnswer = target;
            table.exportCsv();
            QCOMPARE(m_errors.size(), 1);
            QVERIFY2(m_errors.first().startsWith(QStringLiteral("Nie można zapisać pliku '%1': ").arg(target)),
                     qPrintable(m_errors.first()));
            QVERIFY(!QFileInfo::exists(target));
        }
        QCOMPARE(fixture::fileBytes(plain), QByteArray("x"));
    }
};

QTEST_MAIN(TestIsotopeCsv)

#include "tst_isotopecsv.moc"
