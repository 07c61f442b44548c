// Opening a large isotope file and showing it in the grid: time per open and
// the growth of the peak resident set (VmHWM) it causes.

#include "isotopes/connection.h"
#include "isotopes/dbgrid.h"
#include "isotopes/recordset.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

namespace {

constexpr int rowCount = 100000;

qint64 peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    // /proc files report a size of 0, so read to the end rather than test atEnd().
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Start the high-water mark from the current resident set, so that start-up
// and generating the file do not hide what opening costs (Linux 4.0 and later).
qint64 resetPeakResidentKb()
{
    // Freed heap pages still count as resident and would be reused unseen.
    malloc_trim(0);
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY);
    if (fd >= 0) {
        [[maybe_unused]] const auto written = ::write(fd, "5", 1);
        ::close(fd);
    }
    return peakResidentKb();
}

} // namespace

class IsotopesBench final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void openRecordSet();
    void openAndShowGrid();

private:
    QTemporaryDir m_dir;
};

void IsotopesBench::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Polish));
    QVERIFY(m_dir.isValid());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("generate"));
        db.setDatabaseName(m_dir.filePath(QLatin1String(isotopes::Connection::fileName)));
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("CREATE TABLE Izotopy (Nazwa TEXT, Aktywnosc REAL, Polrozpad REAL)")));
        // One statement inside SQLite, so generating the file does not raise
        // this process's peak before the measurements.
        QVERIFY2(query.exec(QStringLiteral(
                     "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                     "INSERT INTO Izotopy SELECT printf('Iz-%06d', (i * 7919) % %2), "
                     "1.0 + i * 0.37, 0.001 * (i + 1) FROM n")
                                .arg(rowCount - 1)
                                .arg(rowCount)),
                 qPrintable(query.lastError().text()));
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("generate"));
}

void IsotopesBench::openRecordSet()
{
    const qint64 peakBefore = resetPeakResidentKb();
    QBENCHMARK {
        isotopes::Connection connection;
        connection.setDatabaseFolder(m_dir.path());
        connection.open();
        isotopes::RecordSet set;
        set.open(connection);
        QCOMPARE(set.rowCount(), rowCount);
    }
    qInfo("peak RSS growth opening %d rows: %lld kB", rowCount, peakResidentKb() - peakBefore);
}

void IsotopesBench::openAndShowGrid()
{
    const qint64 peakBefore = resetPeakResidentKb();
    QBENCHMARK {
        isotopes::Connection connection;
        connection.setDatabaseFolder(m_dir.path());
        connection.open();
        isotopes::RecordSet set;
        set.open(connection);
        DbGrid grid;
        grid.resize(552, 420);
        grid.setRecordSet(&set);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        grid.repaint();
        set.last();
        grid.repaint();
    }
    qInfo("peak RSS growth opening and showing %d rows: %lld kB", rowCount, peakResidentKb() - peakBefore);
}

QTEST_MAIN(IsotopesBench)
#include "isotopes_bench.moc"
