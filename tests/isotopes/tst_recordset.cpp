// The record set on its own: loading, moving, editing, posting and the field
// texts, each checked against the file afterwards.

#include "isotopefixture.h"

#include "decay/error.h"
#include "isotopes/connection.h"
#include "isotopes/isotopemodels.h"
#include "isotopes/recordset.h"

#include <QAbstractItemModelTester>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using isotopes::Connection;
using isotopes::RecordSet;

class TestRecordSet final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openLoadsRowsInNameOrder();
    void fieldTextFollowsNumberRule_data();
    void fieldTextFollowsNumberRule();
    void fieldOfClosedRecordSetIsRefused_data();
    void fieldOfClosedRecordSetIsRefused();
    void operations_data();
    void operations();
    void badNumberIsRefusedAndKeptInEditMode_data();
    void badNumberIsRefusedAndKeptInEditMode();
    void untouchedFieldsKeepTheirExactValue();
    void insertedRowStaysWhereInserted();
    void emptyTableOpensAndEditInserts();
    void unusualFolderNames_data();
    void unusualFolderNames();
    void modelsStayConsistent();
    void tableModelPresentation();

private:
    void openSample(const QList<fixture::Row> &rows = fixture::sampleRows());
    static QString names(const RecordSet &set);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<RecordSet> m_set;
};

void TestRecordSet::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Polish));
}

void TestRecordSet::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestRecordSet::cleanup()
{
    m_set.reset();
    m_connection.reset();
    m_dir.reset();
}

void TestRecordSet::openSample(const QList<fixture::Row> &rows)
{
    m_file = fixture::makeDatabase(m_dir->path(), rows);
    m_connection = std::make_unique<Connection>();
    m_set = std::make_unique<RecordSet>();
    m_connection->close();
    m_connection->setDatabaseFolder(m_dir->path());
    m_connection->open();
    m_set->open(*m_connection);
}

QString TestRecordSet::names(const RecordSet &set)
{
    QStringList result;
    for (int row = 0; row < set.rowCount(); ++row)
        result << set.fieldText(row, RecordSet::Nazwa);
    return result.join(QLatin1Char('|'));
}

void TestRecordSet::openLoadsRowsInNameOrder()
{
    openSample();
    QCOMPARE(m_set->objectName(), QStringLiteral("ADODataSet1"));
    QCOMPARE(m_connection->filePath(), m_file);
    QVERIFY(m_set->isOpen());
    QCOMPARE(m_set->state(), RecordSet::State::Browse);
    QCOMPARE(names(*m_set), QStringLiteral("A|B|C|Dup|Dup"));
    QCOMPARE(m_set->currentRow(), 0);
    QCOMPARE(m_set->fieldText(QStringLiteral("Nazwa")), QStringLiteral("A"));
    QCOMPARE(m_set->fieldText(QStringLiteral("Aktywnosc")), QStringLiteral("1"));
    QCOMPARE(m_set->fieldText(QStringLiteral("Polrozpad")), QStringLiteral("10"));
}

void TestRecordSet::fieldTextFollowsNumberRule_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole number") << QVariant(370.0) << QStringLiteral("370");
    QTest::newRow("decimal comma") << QVariant(0.00020864) << QStringLiteral("0,00020864");
    QTest::newRow("small, scientific") << QVariant(1.5e-5) << QStringLiteral("1,5E-5");
    QTest::newRow("large, scientific") << QVariant(2e15) << QStringLiteral("2E15");
    QTest::newRow("15 significant digits") << QVariant(0.1 + 0.2) << QStringLiteral("0,3");
    QTest::newRow("negative") << QVariant(-2.5) << QStringLiteral("-2,5");
    QTest::newRow("null is empty") << QVariant() << QString();
    QTest::newRow("integer stored") << QVariant(qlonglong(5)) << QStringLiteral("5");
    QTest::newRow("text stored in a REAL column") << QVariant(QStringLiteral("ok?")) << QStringLiteral("ok?");
}

void TestRecordSet::fieldTextFollowsNumberRule()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, text);
    openSample({{QStringLiteral("X"), stored, stored}});
    QCOMPARE(m_set->fieldText(QStringLiteral("Aktywnosc")), text);
    QCOMPARE(m_set->fieldText(QStringLiteral("polrozpad")), text);
}

void TestRecordSet::fieldOfClosedRecordSetIsRefused_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("message");

    QTest::newRow("closed, Aktywnosc")
        << false << "Aktywnosc" << "ADODataSet1: Field 'Aktywnosc' not found";
    QTest::newRow("closed, Polrozpad")
        << false << "Polrozpad" << "ADODataSet1: Field 'Polrozpad' not found";
    QTest::newRow("open, unknown field") << true << "Okres" << "ADODataSet1: Field 'Okres' not found";
}

void TestRecordSet::fieldOfClosedRecordSetIsRefused()
{
    QFETCH(bool, open);
    QFETCH(QString, field);
    QFETCH(QString, message);
    if (open)
        openSample();
    else
        m_set = std::make_unique<RecordSet>();
    try {
        m_set->fieldText(field);
        QFAIL("no error");
    } catch (const halvora::Error &error) {
        QCOMPARE(QString::fromUtf8(error.what()), message);
    }
}

// Each script runs on the sample (A|B|C|Dup|Dup, current row 0); the record
// set and the file are compared afterwards.
void TestRecordSet::operations_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QString>("names");
    QTest::addColumn<int>("current");
    QTest::addColumn<RecordSet::State>("state");
    QTest::addColumn<QString>("file");

    const QString sample = fixture::sampleFileRows;
    using S = RecordSet::State;

    QTest::newRow("navigation") << QStringList{"last", "prior", "prior", "next", "first", "next"}
                                << "A|B|C|Dup|Dup" << 1 << S::Browse << sample;
    QTest::newRow("next on the last row stays") << QStringList{"last", "next"}
                                                << "A|B|C|Dup|Dup" << 4 << S::Browse << sample;
    QTest::newRow("edit and post writes one row")
        << QStringList{"goto 1", "edit", "set 1 5,5", "post"}
        << "A|B|C|Dup|Dup" << 1 << S::Browse << "A;1;10|B;5.5;20|C;3;30|Dup;4;40|Dup;5;50";
    QTest::newRow("edit is kept in memory until posted")
        << QStringList{"goto 1", "edit", "set 0 Bb"}
        << "A|Bb|C|Dup|Dup" << 1 << S::Edit << sample;
    QTest::newRow("empty text writes NULL")
        << QStringList{"edit", "set 2 ", "post"}
        << "A|B|C|Dup|Dup" << 0 << S::Browse << "A;1;NULL|B;2;20|C;3;30|Dup;4;40|Dup;5;50";
    QTest::newRow("scientific text is read")
        << QStringList{"edit", "set 1 1,5E-5", "post"}
        << "A|B|C|Dup|Dup" << 0 << S::Browse << "A;1.5e-05;10|B;2;20|C;3;30|Dup;4;40|Dup;5;50";
    QTest::newRow("moving to another row posts")
        << QStringList{"edit", "set 0 Q", "next"}
        << "Q|B|C|Dup|Dup" << 1 << S::Browse << "B;2;20|C;3;30|Dup;4;40|Dup;5;50|Q;1;10";
    QTest::newRow("edit without a change writes nothing")
        << QStringList{"edit", "next"} << "A|B|C|Dup|Dup" << 1 << S::Browse << sample;
    QTest::newRow("cancel edit")
        << QStringList{"goto 2", "edit", "set 0 X", "cancel"}
        << "A|B|C|Dup|Dup" << 2 << S::Browse << sample;
    QTest::newRow("insert at the current row")
        << QStringList{"goto 1", "insert", "set 0 Zz", "set 1 7", "post"}
        << "A|Zz|B|C|Dup|Dup" << 1 << S::Browse << "A;1;10|B;2;20|C;3;30|Dup;4;40|Dup;5;50|Zz;7;NULL";
    QTest::newRow("append at the end")
        << QStringList{"goto 1", "append", "set 0 Aa", "post"}
        << "A|B|C|Dup|Dup|Aa" << 5 << S::Browse << "A;1;10|Aa;NULL;NULL|B;2;20|C;3;30|Dup;4;40|Dup;5;50";
    QTest::newRow("posting an untouched new row writes an empty row")
        << QStringList{"append", "post"}
        << "A|B|C|Dup|Dup|" << 5 << S::Browse << "A;1;10|B;2;20|C;3;30|Dup;4;40|Dup;5;50|NULL;NULL;NULL";
    QTest::newRow("untouched new row dropped on next, lands on the row below")
        << QStringList{"goto 1", "insert", "next"} << "A|B|C|Dup|Dup" << 1 << S::Browse << sample;
    QTest::newRow("untouched new row dropped on prior")
        << QStringList{"goto 2", "insert", "prior"} << "A|B|C|Dup|Dup" << 1 << S::Browse << sample;
    QTest::newRow("untouched appended row dropped on first")
        << QStringList{"goto 2", "append", "first"} << "A|B|C|Dup|Dup" << 0 << S::Browse << sample;
    QTest::newRow("typed new row posted on move")
        << QStringList{"goto 1", "insert", "set 0 N", "next"}
        << "A|N|B|C|Dup|Dup" << 2 << S::Browse << "A;1;10|B;2;20|C;3;30|Dup;4;40|Dup;5;50|N;NULL;NULL";
    QTest::newRow("cancel insert returns to the row before")
        << QStringList{"goto 2", "insert", "set 0 X", "cancel"} << "A|B|C|Dup|Dup" << 2 << S::Browse << sample;
    QTest::newRow("cancel append returns to the row before")
        << QStringList{"goto 2", "append", "set 0 X", "cancel"} << "A|B|C|Dup|Dup" << 2 << S::Browse << sample;
    QTest::newRow("insert posts the row being edited first")
        << QStringList{"edit", "set 0 E", "insert"}
        << "|E|B|C|Dup|Dup" << 0 << S::Insert << "B;2;20|C;3;30|Dup;4;40|Dup;5;50|E;1;10";
    QTest::newRow("remove writes at once")
        << QStringList{"goto 1", "remove"} << "A|C|Dup|Dup" << 1 << S::Browse
        << "A;1;10|C;3;30|Dup;4;40|Dup;5;50";
    QTest::newRow("remove the last row moves up")
        << QStringList{"last", "remove"} << "A|B|C|Dup" << 3 << S::Browse << "A;1;10|B;2;20|C;3;30|Dup;4;40";
    QTest::newRow("remove while inserting drops the new row")
        << QStringList{"goto 1", "insert", "set 0 X", "remove"} << "A|B|C|Dup|Dup" << 1 << S::Browse << sample;
    QTest::newRow("remove while editing deletes the stored row")
        << QStringList{"goto 1", "edit", "set 0 X", "remove"} << "A|C|Dup|Dup" << 1 << S::Browse
        << "A;1;10|C;3;30|Dup;4;40|Dup;5;50";
    QTest::newRow("locate takes the first of equal names")
        << QStringList{"last", "locate Dup"} << "A|B|C|Dup|Dup" << 3 << S::Browse << sample;
    QTest::newRow("locate of a missing name stays")
        << QStringList{"goto 2", "locate Zz"} << "A|B|C|Dup|Dup" << 2 << S::Browse << sample;
    QTest::newRow("locate is case-sensitive")
        << QStringList{"goto 2", "locate dup"} << "A|B|C|Dup|Dup" << 2 << S::Browse << sample;
    QTest::newRow("locate posts the row being edited")
        << QStringList{"edit", "set 1 9", "locate C"} << "A|B|C|Dup|Dup" << 2 << S::Browse
        << "A;9;10|B;2;20|C;3;30|Dup;4;40|Dup;5;50";
    QTest::newRow("renamed row keeps its place until restart")
        << QStringList{"edit", "set 0 Zz", "post", "last"} << "Zz|B|C|Dup|Dup" << 4 << S::Browse
        << "B;2;20|C;3;30|Dup;4;40|Dup;5;50|Zz;1;10";
}

void TestRecordSet::operations()
{
    QFETCH(QStringList, script);
    QFETCH(QString, names);
    QFETCH(int, current);
    QFETCH(RecordSet::State, state);
    QFETCH(QString, file);

    openSample();
    for (const QString &step : std::as_const(script)) {
        const QString command = step.section(QLatin1Char(' '), 0, 0);
        const QString argument = step.section(QLatin1Char(' '), 1);
        if (command == "first")
            m_set->first();
        else if (command == "prior")
            m_set->prior();
        else if (command == "next")
            m_set->next();
        else if (command == "last")
            m_set->last();
        else if (command == "goto")
            m_set->setCurrentRow(argument.toInt());
        else if (command == "insert")
            m_set->insert();
        else if (command == "append")
            m_set->append();
        else if (command == "edit")
            m_set->edit();
        else if (command == "set")
            m_set->setFieldText(argument.section(QLatin1Char(' '), 0, 0).toInt(),
                                argument.section(QLatin1Char(' '), 1));
        else if (command == "post")
            m_set->post();
        else if (command == "cancel")
            m_set->cancel();
        else if (command == "remove")
            m_set->remove();
        else if (command == "locate")
            m_set->locate(argument);
        else
            QFAIL(qPrintable("unknown step " + step));
    }

    QCOMPARE(TestRecordSet::names(*m_set), names);
    QCOMPARE(m_set->currentRow(), current);
    QCOMPARE(m_set->state(), state);
    QCOMPARE(fixture::fileRows(m_file), file);
}

void TestRecordSet::badNumberIsRefusedAndKeptInEditMode_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");

    QTest::newRow("letters in Aktywnosc") << int(RecordSet::Aktywnosc) << "abc";
    QTest::newRow("point instead of comma") << int(RecordSet::Aktywnosc) << "1.5";
    QTest::newRow("blank in Polrozpad") << int(RecordSet::Polrozpad) << " ";
    QTest::newRow("two separators") << int(RecordSet::Polrozpad) << "1,5,5";
}

void TestRecordSet::badNumberIsRefusedAndKeptInEditMode()
{
    QFETCH(int, column);
    QFETCH(QString, text);

    openSample();
    const QByteArray before = fixture::fileBytes(m_file);
    m_set->setCurrentRow(1);
    m_set->edit();
    m_set->setFieldText(RecordSet::Nazwa, QStringLiteral("Changed"));
    m_set->setFieldText(column, text);
    for (const auto &move : {&RecordSet::post, &RecordSet::next, &RecordSet::first}) {
        try {
            (m_set.get()->*move)();
            QFAIL("no error");
        } catch (const halvora::Error &error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("'%1' is not a valid floating point value").arg(text));
        }
        QCOMPARE(m_set->state(), RecordSet::State::Edit);
        QCOMPARE(m_set->currentRow(), 1);
        QCOMPARE(m_set->fieldText(1, column), text);
    }
    QCOMPARE(fixture::fileBytes(m_file), before);

    // The user can still correct the text and post.
    m_set->setFieldText(column, QStringLiteral("8"));
    m_set->post();
    QVERIFY(fixture::fileRows(m_file).contains(QStringLiteral("Changed;")));
}

void TestRecordSet::untouchedFieldsKeepTheirExactValue()
{
    // 0.1 + 0.2 shows as "0,3" with 15 digits; writing that text back would
    // change the stored value.
    const double exact = 0.1 + 0.2;
    openSample({{QStringLiteral("X"), exact, exact}});
    m_set->edit();
    m_set->setFieldText(RecordSet::Nazwa, QStringLiteral("Y"));
    m_set->post();
    fixture::withDatabase(m_file, [&](QSqlDatabase &db) {
        QSqlQuery query(QStringLiteral("SELECT Aktywnosc, Polrozpad FROM Izotopy"), db);
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toDouble(), exact);
        QCOMPARE(query.value(1).toDouble(), exact);
    });
}

void TestRecordSet::insertedRowStaysWhereInserted()
{
    openSample();
    m_set->setCurrentRow(1);
    m_set->insert();
    m_set->setFieldText(RecordSet::Nazwa, QStringLiteral("Zz"));
    m_set->post();
    QCOMPARE(names(*m_set), QStringLiteral("A|Zz|B|C|Dup|Dup"));

    // The posted row can be edited and deleted again through its rowid.
    m_set->edit();
    m_set->setFieldText(RecordSet::Aktywnosc, QStringLiteral("2,25"));
    m_set->post();
    QVERIFY(fixture::fileRows(m_file).contains(QStringLiteral("Zz;2.25;NULL")));
    m_set->remove();
    QCOMPARE(fixture::fileRows(m_file), fixture::sampleFileRows);

    // The next start orders by name again.
    m_set->append();
    m_set->setFieldText(RecordSet::Nazwa, QStringLiteral("Bb"));
    m_set->post();
    RecordSet reopened;
    reopened.open(*m_connection);
    QCOMPARE(names(reopened), QStringLiteral("A|B|Bb|C|Dup|Dup"));
}

void TestRecordSet::emptyTableOpensAndEditInserts()
{
    openSample({});
    QCOMPARE(m_set->rowCount(), 0);
    QCOMPARE(m_set->currentRow(), -1);
    QCOMPARE(m_set->fieldText(QStringLiteral("Aktywnosc")), QString());
    QCOMPARE(m_set->fieldText(QStringLiteral("Polrozpad")), QString());
    m_set->next();
    m_set->last();
    QVERIFY(!m_set->locate(QStringLiteral("A")));
    QVERIFY_THROWS_EXCEPTION(halvora::Error, m_set->remove());

    m_set->edit();
    QCOMPARE(m_set->state(), RecordSet::State::Insert);
    QCOMPARE(m_set->currentRow(), 0);
    m_set->cancel();
    QCOMPARE(m_set->rowCount(), 0);
    QCOMPARE(m_set->currentRow(), -1);
    QCOMPARE(fixture::fileRows(m_file), QString());
}

void TestRecordSet::unusualFolderNames_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("spaces") << "Moje dokumenty/Halvora 2";
    QTest::newRow("Polish letters") << "Zażółć gęślą jaźń";
    QTest::newRow("URI characters") << "a#b?c=d&e%20f;g";
}

void TestRecordSet::unusualFolderNames()
{
    QFETCH(QString, folder);
    const QString path = m_dir->filePath(folder);
    QVERIFY(QDir().mkpath(path));
    m_file = fixture::makeDatabase(path, fixture::sampleRows());

    Connection connection;
    connection.setDatabaseFolder(path);
    connection.open();
    RecordSet set;
    set.open(connection);
    QCOMPARE(set.rowCount(), 5);
    set.edit();
    set.setFieldText(RecordSet::Aktywnosc, QStringLiteral("6"));
    set.post();
    QVERIFY(fixture::fileRows(m_file).startsWith(QStringLiteral("A;6;10|")));
    // Nothing was created anywhere else on the way.
    QCOMPARE(QDir(path).entryList(QDir::Files), QStringList{QString::fromLatin1(Connection::fileName)});
}

void TestRecordSet::modelsStayConsistent()
{
    openSample();
    isotopes::IsotopeTableModel table;
    isotopes::IsotopeNameModel list;
    table.setRecordSet(m_set.get());
    list.setRecordSet(m_set.get());
    QAbstractItemModelTester tableTester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester listTester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&table, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&list, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);

    m_set->setCurrentRow(2);
    m_set->insert();
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 2);
    QCOMPARE(table.rowCount(), 6);
    QCOMPARE(list.rowCount(), 6);
    QVERIFY(table.setData(table.index(2, RecordSet::Nazwa), QStringLiteral("New")));
    QVERIFY(changed.count() > 0);
    QCOMPARE(list.index(2).data().toString(), QStringLiteral("New"));
    m_set->post();
    m_set->setCurrentRow(0);
    m_set->remove();
    QCOMPARE(removed.count(), 1);
    QCOMPARE(list.index(1).data().toString(), QStringLiteral("New"));
    m_set->append();
    m_set->cancel();
    m_set->close();
    QCOMPARE(table.rowCount(), 0);
    QCOMPARE(list.rowCount(), 0);
    m_set->open(*m_connection);
    QCOMPARE(list.rowCount(), 5);
}

void TestRecordSet::tableModelPresentation()
{
    openSample();
    isotopes::IsotopeTableModel model;
    model.setRecordSet(m_set.get());
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nazwa izotopu"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Aktywność początkowa [MBq]"));
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Okres półrozpadu [lat]"));
    for (int column = 0; column < 3; ++column)
        QCOMPARE(model.headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    QCOMPARE(model.index(0, 0).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
    QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    QCOMPARE(model.index(0, 2).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    QVERIFY(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);

    // Editing through the model with an unchanged text leaves the row alone.
    QVERIFY(model.setData(model.index(0, 1), QStringLiteral("1")));
    QCOMPARE(m_set->state(), RecordSet::State::Browse);
    QVERIFY(model.setData(model.index(3, 1), QStringLiteral("1,25")));
    QCOMPARE(m_set->currentRow(), 3);
    QCOMPARE(m_set->state(), RecordSet::State::Edit);
    QCOMPARE(model.index(3, 1).data().toString(), QStringLiteral("1,25"));
}

QTEST_GUILESS_MAIN(TestRecordSet)
#include "tst_recordset.moc"
