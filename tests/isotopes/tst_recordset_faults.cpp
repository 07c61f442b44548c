// The record set when things go wrong: missing or foreign files, a table
// without the expected columns, a read-only file, a lock held by another
// program, a full disk, a crash right after posting and a row changed by
// another program. Each case checks the file afterwards.

#include "isotopefixture.h"

#include "decay/error.h"
#include "isotopes/connection.h"
#include "isotopes/recordset.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <memory>
#include <signal.h>
#include <unistd.h>

using isotopes::Connection;
using isotopes::RecordSet;

namespace {

using fixture::errorOf;

constexpr uid_t nobody = 65534;

} // namespace

class TestRecordSetFaults final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void missingFileIsNotCreated();
    void foreignFileIsLeftUnchanged_data();
    void foreignFileIsLeftUnchanged();
    void missingTableOrColumn_data();
    void missingTableOrColumn();
    void readOnlyFileRefusesPost();
    void lockHeldByAnotherProgram();
    void fullDisk();
    void postedRowSurvivesKill();
    void changedByAnotherProgram_data();
    void changedByAnotherProgram();

private:
    void openSample();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<RecordSet> m_set;
};

void TestRecordSetFaults::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Polish));
}

void TestRecordSetFaults::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_file = fixture::databasePath(m_dir->path());
    m_connection = std::make_unique<Connection>();
    m_connection->setDatabaseFolder(m_dir->path());
    m_set = std::make_unique<RecordSet>();
}

void TestRecordSetFaults::cleanup()
{
    m_set.reset();
    m_connection.reset();
    if (m_dir)
        QFile::setPermissions(m_file, QFile::ReadOwner | QFile::WriteOwner);
    m_dir.reset();
}

void TestRecordSetFaults::openSample()
{
    fixture::makeDatabase(m_dir->path(), fixture::sampleRows());
    m_connection->open();
    m_set->open(*m_connection);
}

void TestRecordSetFaults::missingFileIsNotCreated()
{
    const QString message = errorOf([&] { m_connection->open(); });
    QCOMPARE(message, QStringLiteral("Cannot open database file '%1': the file does not exist").arg(m_file));
    QVERIFY(!m_connection->isOpen());
    QVERIFY(!QFile::exists(m_file));
    QVERIFY(QDir(m_dir->path()).isEmpty());

    // The record set stays closed and says so in its own words.
    QCOMPARE(errorOf([&] { m_set->open(*m_connection); }),
             QStringLiteral("ADODataSet1: Connection is not open"));
    QVERIFY(!m_set->isOpen());
    QCOMPARE(errorOf([&] { m_set->fieldText(QStringLiteral("Aktywnosc")); }),
             QStringLiteral("ADODataSet1: Field 'Aktywnosc' not found"));
    QVERIFY(QDir(m_dir->path()).isEmpty());
}

void TestRecordSetFaults::foreignFileIsLeftUnchanged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray jet(4096, '\0');
    jet.replace(4, 15, "Standard Jet DB");
    QTest::newRow("Jet database") << jet;
    QTest::newRow("text file") << QByteArray("Nazwa;Aktywnosc;Polrozpad\nF-18;370;0,0002\n");
    QTest::newRow("empty file is read as an empty database") << QByteArray();
}

void TestRecordSetFaults::foreignFileIsLeftUnchanged()
{
    QFETCH(QByteArray, bytes);
    {
        QFile file(m_file);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const QString message = errorOf([&] {
        m_connection->open();
        m_set->open(*m_connection);
    });
    QVERIFY2(!message.isEmpty(), "a foreign file was opened");
    QVERIFY2(message.contains(m_file), qPrintable(message));
    QVERIFY(!m_set->isOpen());
    QCOMPARE(fixture::fileBytes(m_file), bytes);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QString::fromLatin1(Connection::fileName)});
}

void TestRecordSetFaults::missingTableOrColumn_data()
{
    QTest::addColumn<QString>("schema");
    QTest::addColumn<QString>("reason");

    QTest::newRow("no table") << "CREATE TABLE Inne (Nazwa TEXT)" << "no such table: Izotopy";
    QTest::newRow("no Polrozpad")
        << "CREATE TABLE Izotopy (Nazwa TEXT, Aktywnosc REAL)" << "no such column: Polrozpad";
    QTest::newRow("no Nazwa")
        << "CREATE TABLE Izotopy (Nazwisko TEXT, Aktywnosc REAL, Polrozpad REAL)" << "no such column: Nazwa";
    QTest::newRow("table without rowid")
        << "CREATE TABLE Izotopy (Nazwa TEXT PRIMARY KEY, Aktywnosc REAL, Polrozpad REAL) WITHOUT ROWID"
        << "no such column: rowid";
}

void TestRecordSetFaults::missingTableOrColumn()
{
    QFETCH(QString, schema);
    QFETCH(QString, reason);
    fixture::withDatabase(m_file, [&](QSqlDatabase &db) { fixture::exec(db, schema); });
    const QByteArray before = fixture::fileBytes(m_file);

    m_connection->open();
    QCOMPARE(errorOf([&] { m_set->open(*m_connection); }),
             QStringLiteral("Cannot read table Izotopy from '%1': %2").arg(m_file, reason));
    QVERIFY(!m_set->isOpen());
    QCOMPARE(errorOf([&] { m_set->fieldText(QStringLiteral("Polrozpad")); }),
             QStringLiteral("ADODataSet1: Field 'Polrozpad' not found"));
    QCOMPARE(fixture::fileBytes(m_file), before);
}

// Root ignores file permissions, so a read-only file is only read-only for
// another user. As root the test therefore runs the posting program as
// "nobody"; as any other user it runs it directly.
void TestRecordSetFaults::readOnlyFileRefusesPost()
{
    fixture::makeDatabase(m_dir->path(), fixture::sampleRows());
    QVERIFY(QFile::setPermissions(m_file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                     | QFile::ReadOther | QFile::ExeOther
                                                     | QFile::ReadGroup | QFile::ExeGroup));
    const QByteArray before = fixture::fileBytes(m_file);

    QProcess helper;
    const bool asRoot = getuid() == 0;
    if (asRoot) {
        helper.setChildProcessModifier([] {
            if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
                _exit(99);
        });
    }
    helper.start(QStringLiteral(POST_HELPER), {m_dir->path(), QStringLiteral("Nowy")});
    QVERIFY(helper.waitForFinished(30000));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    if (helper.exitCode() == 99)
        QSKIP("cannot switch to user nobody to make the file read-only for the writer");
    const QString output = QString::fromUtf8(helper.readAllStandardOutput());
    if (asRoot)
        QVERIFY2(output.startsWith(QStringLiteral("uid %1\n").arg(nobody)), qPrintable(output));
    QCOMPARE(helper.exitCode(), 2);
    QVERIFY2(output.contains(QStringLiteral("error: Cannot write to database file '%1': "
                                            "attempt to write a readonly database").arg(m_file)),
             qPrintable(output));
    QCOMPARE(fixture::fileBytes(m_file), before);
}

void TestRecordSetFaults::lockHeldByAnotherProgram()
{
    openSample();
    const QByteArray before = fixture::fileBytes(m_file);

    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
    other.setDatabaseName(m_file);
    QVERIFY(other.open());
    fixture::exec(other, QStringLiteral("BEGIN IMMEDIATE"));
    fixture::exec(other, QStringLiteral("INSERT INTO Izotopy (Nazwa) VALUES ('Theirs')"));

    m_set->edit();
    m_set->setFieldText(RecordSet::Aktywnosc, QStringLiteral("99"));
    QElapsedTimer timer;
    timer.start();
    const QString message = errorOf([&] { m_set->post(); });
    const qint64 waited = timer.elapsed();
    QCOMPARE(message, QStringLiteral("Cannot write to database file '%1': database is locked").arg(m_file));
    QVERIFY2(waited >= 2500, qPrintable(QStringLiteral("gave up after %1 ms").arg(waited)));
    QCOMPARE(m_set->state(), RecordSet::State::Edit);
    QCOMPARE(m_set->fieldText(QStringLiteral("Aktywnosc")), QStringLiteral("99"));

    fixture::exec(other, QStringLiteral("ROLLBACK"));
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    QCOMPARE(fixture::fileBytes(m_file), before);

    // Once the lock is gone the same post goes through.
    m_set->post();
    QVERIFY(fixture::fileRows(m_file).startsWith(QStringLiteral("A;99;10|")));
}

void TestRecordSetFaults::fullDisk()
{
    openSample();
    const QByteArray before = fixture::fileBytes(m_file);
    QSqlDatabase db = m_connection->database();
    QSqlQuery pages(db);
    QVERIFY(pages.exec(QStringLiteral("PRAGMA page_count")) && pages.next());
    const int pageCount = pages.value(0).toInt();
    pages.finish();
    fixture::exec(db, QStringLiteral("PRAGMA max_page_count = %1").arg(pageCount));

    m_set->append();
    m_set->setFieldText(RecordSet::Nazwa, QString(20000, QLatin1Char('x')));
    QCOMPARE(errorOf([&] { m_set->post(); }),
             QStringLiteral("Cannot write to database file '%1': database or disk is full").arg(m_file));
    QCOMPARE(m_set->state(), RecordSet::State::Insert);
    QCOMPARE(m_set->rowCount(), 6);
    QCOMPARE(fixture::fileBytes(m_file), before);
    QCOMPARE(fixture::fileRows(m_file), fixture::sampleFileRows);

    fixture::exec(db, QStringLiteral("PRAGMA max_page_count = 1000000"));
    m_set->post();
    QCOMPARE(m_set->state(), RecordSet::State::Browse);
    QVERIFY(fixture::fileRows(m_file).contains(QString(20000, QLatin1Char('x'))));
}

void TestRecordSetFaults::postedRowSurvivesKill()
{
    fixture::makeDatabase(m_dir->path(), fixture::sampleRows());
    QProcess helper;
    helper.start(QStringLiteral(POST_HELPER), {m_dir->path(), QStringLiteral("Przeżył"), QStringLiteral("--wait")});
    QVERIFY(helper.waitForStarted());
    QByteArray output;
    QElapsedTimer timer;
    timer.start();
    while (!output.contains("posted\n") && !output.contains("error") && timer.elapsed() < 30000) {
        helper.waitForReadyRead(1000);
        output += helper.readAllStandardOutput();
    }
    QVERIFY2(output.contains("posted\n"), output.constData());
    QCOMPARE(::kill(static_cast<pid_t>(helper.processId()), SIGKILL), 0);
    QVERIFY(helper.waitForFinished(10000));
    QCOMPARE(helper.exitStatus(), QProcess::CrashExit);

    m_connection->open();
    m_set->open(*m_connection);
    QVERIFY(m_set->locate(QStringLiteral("Przeżył")));
    QCOMPARE(m_set->fieldText(QStringLiteral("Aktywnosc")), QStringLiteral("1,5"));
    QCOMPARE(m_set->rowCount(), 6);
}

void TestRecordSetFaults::changedByAnotherProgram_data()
{
    QTest::addColumn<QString>("theirChange");
    QTest::addColumn<bool>("weDelete");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("fileAfter");

    const QString updating = QStringLiteral("ADODataSet1: Row cannot be located for updating. "
                                            "Some values may have been changed since it was last read.");
    const QString deleting = QStringLiteral("ADODataSet1: Row cannot be located for deleting. "
                                            "Some values may have been changed since it was last read.");
    QTest::newRow("they update, we update")
        << "UPDATE Izotopy SET Aktywnosc = 77 WHERE Nazwa = 'B'" << false << updating
        << "A;1;10|B;77;20|C;3;30|Dup;4;40|Dup;5;50";
    QTest::newRow("they set NULL, we update")
        << "UPDATE Izotopy SET Polrozpad = NULL WHERE Nazwa = 'B'" << false << updating
        << "A;1;10|B;2;NULL|C;3;30|Dup;4;40|Dup;5;50";
    QTest::newRow("they delete, we update")
        << "DELETE FROM Izotopy WHERE Nazwa = 'B'" << false << updating
        << "A;1;10|C;3;30|Dup;4;40|Dup;5;50";
    QTest::newRow("they update, we delete")
        << "UPDATE Izotopy SET Nazwa = 'Bee' WHERE Nazwa = 'B'" << true << deleting
        << "A;1;10|Bee;2;20|C;3;30|Dup;4;40|Dup;5;50";
}

void TestRecordSetFaults::changedByAnotherProgram()
{
    QFETCH(QString, theirChange);
    QFETCH(bool, weDelete);
    QFETCH(QString, message);
    QFETCH(QString, fileAfter);

    openSample();
    m_set->setCurrentRow(1);
    fixture::withDatabase(m_file, [&](QSqlDatabase &db) { fixture::exec(db, theirChange); });

    if (weDelete) {
        QCOMPARE(errorOf([&] { m_set->remove(); }), message);
        QCOMPARE(m_set->rowCount(), 5);
        QCOMPARE(m_set->state(), RecordSet::State::Browse);
    } else {
        m_set->edit();
        m_set->setFieldText(RecordSet::Aktywnosc, QStringLiteral("12"));
        QCOMPARE(errorOf([&] { m_set->next(); }), message);
        QCOMPARE(m_set->state(), RecordSet::State::Edit);
        QCOMPARE(m_set->currentRow(), 1);
        QCOMPARE(m_set->fieldText(QStringLiteral("Aktywnosc")), QStringLiteral("12"));
    }
    QCOMPARE(fixture::fileRows(m_file), fileAfter);
}

QTEST_GUILESS_MAIN(TestRecordSetFaults)
#include "tst_recordset_faults.moc"
