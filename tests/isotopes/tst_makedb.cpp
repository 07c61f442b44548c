// The build-time tool that makes the default database from the seed.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestMakeDb final : public QObject
{
    Q_OBJECT

private slots:
    void createsTheSeededTable();
    void keepsAnExistingFile();
    void badSeedLeavesNothing();

private:
    static int run(const QString &seed, const QString &target);
};

int TestMakeDb::run(const QString &seed, const QString &target)
{
    QProcess tool;
    tool.start(QStringLiteral(MAKEDB), {seed, target});
    if (!tool.waitForFinished(30000))
        return -1;
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
}

void TestMakeDb::createsTheSeededTable()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("app dir/BazaIzotopow.mdb"));
    QCOMPARE(run(QStringLiteral(SEED_SQL), target), 0);
    QVERIFY(QFile::exists(target));
    QCOMPARE(QDir(dir.filePath(QStringLiteral("app dir"))).entryList(QDir::Files),
             QStringList{QStringLiteral("BazaIzotopow.mdb")});

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(target);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("SELECT count(*), count(DISTINCT Nazwa), "
                                          "sum(typeof(Aktywnosc) = 'real'), sum(typeof(Polrozpad) = 'real'), "
                                          "min(Polrozpad), max(Polrozpad) FROM Izotopy")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 40);
        QCOMPARE(query.value(1).toInt(), 40);
        QCOMPARE(query.value(2).toInt(), 40);
        QCOMPARE(query.value(3).toInt(), 40);
        QVERIFY(query.value(4).toDouble() > 0);
        QCOMPARE(query.value(5).toDouble(), 5700.0);
        QVERIFY(query.exec(QStringLiteral("SELECT Aktywnosc, Polrozpad FROM Izotopy WHERE Nazwa = 'Tc-99m'")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toDouble(), 740.0);
        QCOMPARE(query.value(1).toDouble(), 6.86189e-4);
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
}

void TestMakeDb::keepsAnExistingFile()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("BazaIzotopow.mdb"));
    {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("the user's own data");
    }
    QCOMPARE(run(QStringLiteral(SEED_SQL), target), 0);
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("the user's own data"));
}

void TestMakeDb::badSeedLeavesNothing()
{
    QTemporaryDir dir;
    const QString seed = dir.filePath(QStringLiteral("bad.sql"));
    {
        QFile file(seed);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("CREATE TABLE Izotopy (Nazwa TEXT);\nINSERT INTO Izotopy VALUES ('a', 'b', 'c');\n");
    }
    const QString target = dir.filePath(QStringLiteral("BazaIzotopow.mdb"));
    QVERIFY(run(seed, target) != 0);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("bad.sql")});
}

QTEST_GUILESS_MAIN(TestMakeDb)
#include "tst_makedb.moc"
