// Faults injected while rows are being written:
//   - a posting program killed with SIGKILL at random moments, many times
//     over; every post it saw succeed must be in the file, and the file must
//     stay sound;
//   - a disk that fills up in the middle of a post (a small tmpfs when the
//     test may mount one, else a page limit);
//   - another program writing the same file in a loop while the record set
//     edits and posts.
//
// Environment:
//   HALVORA_FAULT_KILLS   number of kill rounds (default 40)
//   HALVORA_FAULT_SEED    seed of the kill delays and the helpers' choices
//   HALVORA_FAULT_WRITES  changes the other program makes (default 300)

#include "isotopefixture.h"

#include "decay/error.h"
#include "isotopes/connection.h"
#include "isotopes/recordset.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

using isotopes::Connection;
using isotopes::RecordSet;

namespace {

using fixture::errorOf;

int envInt(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

quint64 faultSeed()
{
    bool ok = false;
    const quint64 seed = qEnvironmentVariable("HALVORA_FAULT_SEED").toULongLong(&ok);
    return ok ? seed : 20240611;
}

QString integrityCheck(const QString &file)
{
    QStringList lines;
    fixture::withDatabase(file, [&](QSqlDatabase &db) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("PRAGMA integrity_check"))) {
            lines << query.lastError().text();
            return;
        }
        while (query.next())
            lines << query.value(0).toString();
    });
    return lines.join(u'\n');
}

QStringList sorted(QStringList rows)
{
    rows.sort();
    return rows;
}

// A row of the record set the way fixture::fileRows prints it.
QString rowText(const RecordSet &set, int row)
{
    QStringList fields;
    for (int c = 0; c < RecordSet::columnCount; ++c) {
        const QString text = set.fieldText(row, c);
        fields << (text.isEmpty() ? QStringLiteral("NULL") : QString(text).replace(u',', u'.'));
    }
    return fields.join(u';');
}

// A tmpfs of the given size on a fresh folder, unmounted again on
// destruction. Needs the right to mount (root in a container that allows it).
class SmallDisk
{
public:
    explicit SmallDisk(qint64 bytes)
    {
        if (!m_folder.isValid())
            return;
        const QByteArray options = "size=" + QByteArray::number(bytes);
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_folder.path()).constData(), "tmpfs", 0,
                            options.constData())
                    == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
    bool m_mounted = false;
};

// Fills the disk under folder with one file and leaves `spare` bytes free.
bool fillDisk(const QString &folder, qint64 spare)
{
    QFile filler(folder + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
    filler.close();
    if (!filler.open(QIODevice::ReadWrite))
        return false;
    const qint64 size = filler.size();
    return size > spare && filler.resize(size - spare);
}

} // namespace

class TestFaultInjection final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void killedWhilePosting();
    void diskFullInThePost_data();
    void diskFullInThePost();
    void anotherProgramWritesMeanwhile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFaultInjection::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Polish));
}

void TestFaultInjection::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFaultInjection::cleanup()
{
    m_dir.reset();
}

// The helper prints "try ..." before each post and "ack" once post()
// returned. After the kill the file must hold the starting rows with every
// acknowledged change applied, and the one change in flight either applied
// or not at all.
void TestFaultInjection::killedWhilePosting()
{
    const int rounds = envInt("HALVORA_FAULT_KILLS", 40);
    const quint64 seed = faultSeed();
    QRandomGenerator random(seed);
    int inFlightApplied = 0;
    int inFlightDropped = 0;
    int acknowledged = 0;

    for (int round = 0; round < rounds; ++round) {
        const QString folder = m_dir->filePath(QStringLiteral("round%1").arg(round));
        QVERIFY(QDir().mkpath(folder));
        const QString file = fixture::makeDatabase(folder, fixture::sampleRows());
        const quint64 helperSeed = random.generate64();
        const int delay = static_cast<int>(random.bounded(201));
        const QString where = QStringLiteral("seed %1, round %2 (helper seed %3, %4 ms)")
                                  .arg(seed).arg(round).arg(helperSeed).arg(delay);

        QProcess helper;
        helper.start(QStringLiteral(FAULT_HELPER),
                     {QStringLiteral("posts"), folder, QString::number(helperSeed)});
        QVERIFY2(helper.waitForStarted(), qPrintable(where));
        QByteArray output;
        QElapsedTimer timer;
        timer.start();
        while (!output.contains("ready\n") && !output.contains("error") && timer.elapsed() < 30000) {
            helper.waitForReadyRead(1000);
            output += helper.readAllStandardOutput();
        }
        QVERIFY2(output.contains("ready\n"), qPrintable(where + u' ' + QString::fromUtf8(output)));

        QTest::qWait(delay);
        QCOMPARE(::kill(static_cast<pid_t>(helper.processId()), SIGKILL), 0);
        QVERIFY(helper.waitForFinished(10000));
        QCOMPARE(helper.exitStatus(), QProcess::CrashExit);
        output += helper.readAllStandardOutput();

        // Replays the acknowledged changes on the starting rows.
        QStringList rows = fixture::sampleFileRows.split(u'|');
        QString inFlight;
        const QList<QByteArray> lines = output.split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            const QString line = QString::fromUtf8(lines.at(i));
            QVERIFY2(!line.startsWith(QLatin1String("error")), qPrintable(where + u' ' + line));
            if (line.startsWith(QLatin1String("try ")))
                inFlight = line.mid(4);
            if (line == QLatin1String("ack")) {
                QVERIFY2(!inFlight.isEmpty(), qPrintable(where));
                const auto apply = [&rows, &where](const QString &change) {
                    if (change.startsWith(QLatin1String("insert "))) {
                        rows << change.mid(7);
                    } else if (change.startsWith(QLatin1String("update "))) {
                        const QStringList parts = change.mid(7).split(QStringLiteral(" => "));
                        QVERIFY2(rows.removeOne(parts.at(0)), qPrintable(where + u' ' + change));
                        rows << parts.at(1);
                    } else {
                        QVERIFY2(rows.removeOne(change.mid(7)), qPrintable(where + u' ' + change));
                    }
                };
                apply(inFlight);
                ++acknowledged;
                inFlight.clear();
            }
        }

        QCOMPARE(integrityCheck(file), QStringLiteral("ok"));
        const QString inFile = fixture::fileRows(file);
        const QString withoutInFlight = sorted(rows).join(u'|');
        bool matches = inFile == withoutInFlight;
        if (matches) {
            inFlightDropped += !inFlight.isEmpty();
        } else if (!inFlight.isEmpty()) {
            QStringList applied = rows;
            if (inFlight.startsWith(QLatin1String("insert "))) {
                applied << inFlight.mid(7);
            } else if (inFlight.startsWith(QLatin1String("update "))) {
                const QStringList parts = inFlight.mid(7).split(QStringLiteral(" => "));
                applied.removeOne(parts.at(0));
                applied << parts.at(1);
            } else {
                applied.removeOne(inFlight.mid(7));
            }
            matches = inFile == sorted(applied).join(u'|');
            inFlightApplied += matches;
        }
        QVERIFY2(matches, qPrintable(QStringLiteral("%1: the file holds\n%2\nexpected\n%3\nin flight: %4")
                                         .arg(where, inFile.left(2000), withoutInFlight.left(2000),
                                              inFlight.left(200))));

        // The program itself opens the file after the crash and sees it all.
        Connection connection;
        connection.setDatabaseFolder(folder);
        connection.open();
        RecordSet set;
        set.open(connection);
        QCOMPARE(set.rowCount(), int(inFile.isEmpty() ? 0 : inFile.count(u'|') + 1));
    }
    qInfo("%d kills, %d acknowledged posts kept, change in flight applied %d times, dropped %d times",
          rounds, acknowledged, inFlightApplied, inFlightDropped);
}

void TestFaultInjection::diskFullInThePost_data()
{
    QTest::addColumn<bool>("editing");
    QTest::addColumn<qint64>("spare");
    QTest::addColumn<int>("nameLength");

    // No room for the journal at all; room for the journal but not for the
    // grown file; room for part of the new pages only.
    for (const bool editing : {false, true}) {
        const char *mode = editing ? "edit" : "insert";
        QTest::addRow("%s, disk full", mode) << editing << qint64(0) << 50000;
        QTest::addRow("%s, 8 KiB spare, 50 kB row", mode) << editing << qint64(8192) << 50000;
        QTest::addRow("%s, 64 KiB spare, 200 kB row", mode) << editing << qint64(65536) << 200000;
        QTest::addRow("%s, 256 KiB spare, 1 MB row", mode) << editing << qint64(262144) << 1000000;
    }
}

// A post that meets a full disk fails with SQLite's own words, leaves the row
// being edited as typed and the file as it was; once there is room again the
// same post goes through.
void TestFaultInjection::diskFullInThePost()
{
    QFETCH(bool, editing);
    QFETCH(qint64, spare);
    QFETCH(int, nameLength);

    SmallDisk disk(4 * 1024 * 1024);
    const bool realDisk = disk.isMounted();
    const QString folder = realDisk ? disk.path() : m_dir->path();
    const QString file = fixture::makeDatabase(folder, fixture::sampleRows());

    Connection connection;
    connection.setDatabaseFolder(folder);
    connection.open();
    RecordSet set;
    set.open(connection);

    if (realDisk) {
        QVERIFY(fillDisk(folder, spare));
    } else {
        // Without the right to mount, a page limit stands in for the disk.
        QSqlQuery pages(connection.database());
        QVERIFY(pages.exec(QStringLiteral("PRAGMA page_count")) && pages.next());
        const int pageCount = pages.value(0).toInt();
        pages.finish();
        QVERIFY(pages.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pageCount + spare / 4096)));
        pages.finish();
    }
    const QByteArray before = fixture::fileBytes(file);

    const QString name(nameLength, QLatin1Char('n'));
    if (editing) {
        QVERIFY(set.locate(QStringLiteral("B")));
        set.edit();
    } else {
        set.append();
    }
    set.setFieldText(RecordSet::Nazwa, name);
    set.setFieldText(RecordSet::Aktywnosc, QStringLiteral("12,5"));
    const int row = set.currentRow();

    QCOMPARE(errorOf([&] { set.post(); }),
             QStringLiteral("Cannot write to database file '%1': database or disk is full").arg(file));
    QCOMPARE(set.state(), editing ? RecordSet::State::Edit : RecordSet::State::Insert);
    QCOMPARE(set.currentRow(), row);
    QCOMPARE(set.rowCount(), editing ? 5 : 6);
    QCOMPARE(set.fieldText(row, RecordSet::Nazwa), name);
    QCOMPARE(set.fieldText(row, RecordSet::Aktywnosc), QStringLiteral("12,5"));
    QCOMPARE(fixture::fileBytes(file), before);
    QVERIFY(!QFile::exists(file + QStringLiteral("-journal"))
            || QFileInfo(file + QStringLiteral("-journal")).size() == 0);
    QCOMPARE(integrityCheck(file), QStringLiteral("ok"));
    QCOMPARE(fixture::fileRows(file), fixture::sampleFileRows);

    // Moving away tries the same post again and fails the same way.
    QVERIFY(!errorOf([&] { set.first(); }).isEmpty());
    QCOMPARE(set.currentRow(), row);
    QCOMPARE(fixture::fileBytes(file), before);

    if (realDisk) {
        QVERIFY(QFile::remove(folder + QStringLiteral("/filler")));
    } else {
        QSqlQuery pages(connection.database());
        QVERIFY(pages.exec(QStringLiteral("PRAGMA max_page_count = 1000000")));
    }
    set.post();
    QCOMPARE(set.state(), RecordSet::State::Browse);
    QCOMPARE(integrityCheck(file), QStringLiteral("ok"));
    QStringList expected = fixture::sampleFileRows.split(u'|');
    if (editing)
        expected.replace(expected.indexOf(QStringLiteral("B;2;20")), name + QStringLiteral(";12.5;20"));
    else
        expected << name + QStringLiteral(";12.5;NULL");
    QCOMPARE(fixture::fileRows(file), sorted(expected).join(u'|'));
    if (!realDisk)
        qInfo("tmpfs could not be mounted; a page limit stood in for the full disk");
}

// The other program inserts and updates rows of its own and keeps changing
// row B, while the record set inserts, edits and deletes rows and tries to
// change or delete B. Every post of the record set must either land or be
// refused; B's posts must be refused because B changed since it was read;
// the other program's rows and its last value of B must all be in the file.
void TestFaultInjection::anotherProgramWritesMeanwhile()
{
    const quint64 seed = faultSeed();
    const int writes = envInt("HALVORA_FAULT_WRITES", 300);
    QRandomGenerator random(seed);
    const QString folder = m_dir->path();
    const QString file = fixture::makeDatabase(folder, fixture::sampleRows());

    Connection connection;
    connection.setDatabaseFolder(folder);
    connection.open();
    RecordSet set;
    set.open(connection);

    QProcess writer;
    writer.start(QStringLiteral(FAULT_HELPER), {QStringLiteral("writer"), folder, QString::number(seed),
                                                QString::number(writes), QStringLiteral("B")});
    QVERIFY(writer.waitForStarted());

    // The other program's acknowledged changes, replayed as they arrive.
    QStringList theirRows;
    QString theirB;
    int targetUpdates = 0;
    bool done = false;
    QByteArray pending;
    const auto readWriter = [&] {
        pending += writer.readAllStandardOutput();
        int end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
            if (line.startsWith(QLatin1String("error")))
                QFAIL(qPrintable(QStringLiteral("the other program: ") + line));
            else if (line == QLatin1String("done"))
                done = true;
            else if (line.startsWith(QLatin1String("ack insert ")))
                theirRows << line.mid(11);
            else if (line.startsWith(QLatin1String("ack update "))) {
                const QStringList parts = line.mid(11).split(QStringLiteral(" => "));
                QVERIFY(theirRows.removeOne(parts.at(0)));
                theirRows << parts.at(1);
            } else if (line.startsWith(QLatin1String("ack delete ")))
                QVERIFY(theirRows.removeOne(line.mid(11)));
            else if (line.startsWith(QLatin1String("ack target "))) {
                theirB = line.mid(11);
                ++targetUpdates;
            }
        }
    };
    // Waits until the other program changed B once more.
    const auto waitForTargetUpdate = [&] {
        const int seen = targetUpdates;
        QElapsedTimer timer;
        timer.start();
        while (targetUpdates == seen && !done && timer.elapsed() < 30000) {
            writer.waitForReadyRead(100);
            readWriter();
        }
        return targetUpdates > seen;
    };
    QVERIFY(waitForTargetUpdate());

    const QString lostUpdate = QStringLiteral("ADODataSet1: Row cannot be located for updating. "
                                              "Some values may have been changed since it was last read.");
    const QString lostDelete = QStringLiteral("ADODataSet1: Row cannot be located for deleting. "
                                              "Some values may have been changed since it was last read.");
    int ourPosts = 0;
    int refusedForB = 0;
    for (int serial = 0; !done; ++serial) {
        readWriter();
        if (QTest::currentTestFailed())
            return;
        const int choice = static_cast<int>(random.bounded(10));
        if (choice == 0) {
            // Change B while the other program changes it too.
            QVERIFY(set.locate(QStringLiteral("B")));
            set.edit();
            set.setFieldText(RecordSet::Aktywnosc, QString::number(serial));
            if (!waitForTargetUpdate())
                break;
            QCOMPARE(errorOf([&] { set.post(); }), lostUpdate);
            QCOMPARE(set.state(), RecordSet::State::Edit);
            set.cancel();
            ++refusedForB;
        } else if (choice == 1) {
            QVERIFY(set.locate(QStringLiteral("B")));
            QCOMPARE(errorOf([&] { set.remove(); }), lostDelete);
            QCOMPARE(set.fieldText(QStringLiteral("Nazwa")), QStringLiteral("B"));
            ++refusedForB;
        } else {
            // Rows of our own and the sample rows other than B.
            const int rows = set.rowCount();
            const int op = rows < 8 ? 0 : static_cast<int>(random.bounded(3));
            if (op == 0) {
                set.append();
                set.setFieldText(RecordSet::Nazwa, QStringLiteral("h%1").arg(serial));
                set.setFieldText(RecordSet::Aktywnosc, QString::number(serial));
                set.setFieldText(RecordSet::Polrozpad, QStringLiteral("%1,5").arg(serial));
            } else {
                int row = static_cast<int>(random.bounded(rows));
                if (set.fieldText(row, RecordSet::Nazwa) == QLatin1String("B"))
                    row = (row + 1) % rows;
                set.setCurrentRow(row);
                if (op == 1) {
                    set.edit();
                    set.setFieldText(RecordSet::Polrozpad, QString::number(serial));
                } else {
                    const QString message = errorOf([&] { set.remove(); });
                    QVERIFY2(message.isEmpty(), qPrintable(message));
                    ++ourPosts;
                    continue;
                }
            }
            const QString message = errorOf([&] { set.post(); });
            QVERIFY2(message.isEmpty(), qPrintable(QStringLiteral("post %1: %2").arg(serial).arg(message)));
            ++ourPosts;
        }
        if (serial % 25 == 0)
            QCOMPARE(integrityCheck(file), QStringLiteral("ok"));
    }
    QVERIFY(writer.waitForFinished(30000));
    readWriter();
    QVERIFY(done);
    QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
    QCOMPARE(writer.exitCode(), 0);

    // The file: our rows as the record set holds them, B with the other
    // program's last value, and the other program's own rows.
    QStringList expected = theirRows;
    for (int r = 0; r < set.rowCount(); ++r) {
        const QString row = rowText(set, r);
        if (row.startsWith(QLatin1String("B;")))
            expected << QStringLiteral("B;%1;20").arg(theirB);
        else
            expected << row;
    }
    QCOMPARE(integrityCheck(file), QStringLiteral("ok"));
    QCOMPARE(fixture::fileRows(file), sorted(expected).join(u'|'));
    QVERIFY(refusedForB > 0);
    qInfo("%d posts and deletes of ours landed, %d changes of B refused, the other program made "
          "%d changes (%d of B)",
          ourPosts, refusedForB, writes, targetUpdates);
}

QTEST_GUILESS_MAIN(TestFaultInjection)
#include "tst_fault_injection.moc"
