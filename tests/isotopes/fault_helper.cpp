// A second program for the fault-injection tests.
//
//   isotopes_fault_helper posts <folder> <seed>
//       Opens the database in <folder> through the program's own record set
//       and posts rows in an endless loop: inserts, edits and deletes. Prints
//       "ready" once open, then for every change
//           try insert <new row>
//           try update <old row> => <new row>
//           try delete <old row>
//       before the post and "ack" after post() (or remove()) returned. Rows
//       are written "name;activity;halfLife" with a decimal point and NULL,
//       the way the tests print the file. The test kills it at some moment.
//
//   isotopes_fault_helper writer <folder> <seed> <count> <target>
//       Another program writing the same file with plain SQL statements,
//       each its own transaction: <count> changes that insert, update and
//       delete rows of its own (named w<n>) and set the activity of every row
//       named <target>. Prints one line per change after it committed:
//           ack insert <new row>
//           ack update <old row> => <new row>
//           ack delete <old row>
//           ack target <activity>
//       and "done" at the end. The first change is always a target update.
//
// Both print "error: <message>" and exit with 2 on any failure.

#include "decay/error.h"
#include "isotopes/connection.h"
#include "isotopes/recordset.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <cstdio>
#include <map>

using isotopes::RecordSet;

namespace {

void say(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

[[noreturn]] void failWith(const QString &message)
{
    say(QStringLiteral("error: ") + message);
    std::exit(2);
}

// A field as the record set shows it, turned into the tests' row text.
QString fieldOut(const RecordSet &set, int row, int column)
{
    const QString text = set.fieldText(row, column);
    if (text.isEmpty())
        return QStringLiteral("NULL");
    if (column == RecordSet::Nazwa)
        return text;
    return QString(text).replace(u',', u'.');
}

QString rowOut(const RecordSet &set, int row)
{
    return fieldOut(set, row, 0) + u';' + fieldOut(set, row, 1) + u';' + fieldOut(set, row, 2);
}

// A number the user types (Polish comma) and the same number as printed.
struct Number
{
    QString typed;
    QString printed;
};

Number randomNumber(QRandomGenerator &random)
{
    const int whole = static_cast<int>(random.bounded(100000));
    if (random.bounded(2) == 0)
        return {QString::number(whole), QString::number(whole)};
    return {QString::number(whole) + QStringLiteral(",5"), QString::number(whole) + QStringLiteral(".5")};
}

// Names are unique within a run; some are long so that a post spans pages.
QString randomName(QRandomGenerator &random, int serial)
{
    QString name = QStringLiteral("k%1").arg(serial);
    if (random.bounded(4) == 0)
        name += QString(static_cast<int>(random.bounded(8000)), u'x');
    return name;
}

int postLoop(const QString &folder, quint64 seed)
{
    QRandomGenerator random(seed);
    try {
        isotopes::Connection connection;
        connection.setDatabaseFolder(folder);
        connection.open();
        RecordSet set;
        set.open(connection);
        say(QStringLiteral("ready"));

        for (int serial = 0;; ++serial) {
            const int rows = set.rowCount();
            int op = static_cast<int>(random.bounded(3)); // 0 insert, 1 update, 2 delete
            if (rows < 3)
                op = 0;
            else if (rows > 40 && op == 0)
                op = 2;

            if (op == 0) {
                if (random.bounded(2) == 0 || rows == 0)
                    set.append();
                else {
                    set.setCurrentRow(static_cast<int>(random.bounded(rows)));
                    set.insert();
                }
                const QString name = randomName(random, serial);
                const Number activity = randomNumber(random);
                const bool noHalfLife = random.bounded(5) == 0;
                const Number halfLife = randomNumber(random);
                set.setFieldText(RecordSet::Nazwa, name);
                set.setFieldText(RecordSet::Aktywnosc, activity.typed);
                if (!noHalfLife)
                    set.setFieldText(RecordSet::Polrozpad, halfLife.typed);
                say(QStringLiteral("try insert %1;%2;%3")
                        .arg(name, activity.printed, noHalfLife ? QStringLiteral("NULL") : halfLife.printed));
                set.post();
            } else {
                set.setCurrentRow(static_cast<int>(random.bounded(rows)));
                const QString before = rowOut(set, set.currentRow());
                if (op == 1) {
                    set.edit();
                    const Number activity = randomNumber(random);
                    set.setFieldText(RecordSet::Aktywnosc, activity.typed);
                    if (random.bounded(3) == 0)
                        set.setFieldText(RecordSet::Nazwa, randomName(random, serial));
                    const QString name = set.fieldText(set.currentRow(), RecordSet::Nazwa);
                    say(QStringLiteral("try update %1 => %2;%3;%4")
                            .arg(before, name, activity.printed, fieldOut(set, set.currentRow(), 2)));
                    set.post();
                } else {
                    say(QStringLiteral("try delete %1").arg(before));
                    set.remove();
                }
            }
            say(QStringLiteral("ack"));
        }
    } catch (const halvora::Error &error) {
        failWith(QString::fromUtf8(error.what()));
    }
}

int writerLoop(const QString &folder, quint64 seed, int count, const QString &target)
{
    QRandomGenerator random(seed);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writer"));
    db.setDatabaseName(folder + QStringLiteral("/") + QLatin1String(isotopes::Connection::fileName));
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=20000"));
    if (!db.open())
        failWith(db.lastError().text());

    const auto run = [&db](const QString &sql, const QVariantList &values) {
        QSqlQuery query(db);
        if (!query.prepare(sql))
            failWith(query.lastError().text());
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (!query.exec())
            failWith(sql + QStringLiteral(": ") + query.lastError().text());
        const int affected = query.numRowsAffected();
        query.finish();
        return affected;
    };

    // The writer's own rows: name -> (activity, halfLife).
    std::map<QString, std::pair<int, int>> own;
    const auto out = [](const QString &name, int activity, int halfLife) {
        return QStringLiteral("%1;%2;%3").arg(name).arg(activity).arg(halfLife);
    };

    for (int i = 0; i < count; ++i) {
        int op = i == 0 ? 3 : static_cast<int>(random.bounded(8));
        if (own.empty() && (op == 1 || op == 2))
            op = 0;
        if (op == 0 || op > 4) {
            const QString name = QStringLiteral("w%1").arg(i);
            const int activity = static_cast<int>(random.bounded(1000));
            const int halfLife = static_cast<int>(random.bounded(1000));
            run(QStringLiteral("INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES (?, ?, ?)"),
                {name, activity, halfLife});
            own[name] = {activity, halfLife};
            say(QStringLiteral("ack insert ") + out(name, activity, halfLife));
        } else if (op == 1 || op == 2) {
            auto it = own.begin();
            std::advance(it, random.bounded(static_cast<quint32>(own.size())));
            const QString before = out(it->first, it->second.first, it->second.second);
            if (op == 1) {
                const int activity = 1000 + i;
                if (run(QStringLiteral("UPDATE Izotopy SET Aktywnosc = ? WHERE Nazwa = ?"), {activity, it->first}) != 1)
                    failWith(QStringLiteral("own row %1 is gone").arg(it->first));
                it->second.first = activity;
                say(QStringLiteral("ack update %1 => %2").arg(before, out(it->first, activity, it->second.second)));
            } else {
                if (run(QStringLiteral("DELETE FROM Izotopy WHERE Nazwa = ?"), {it->first}) != 1)
                    failWith(QStringLiteral("own row %1 is gone").arg(it->first));
                own.erase(it);
                say(QStringLiteral("ack delete ") + before);
            }
        } else {
            const int activity = 500000 + i;
            run(QStringLiteral("UPDATE Izotopy SET Aktywnosc = ? WHERE Nazwa = ?"), {activity, target});
            say(QStringLiteral("ack target %1").arg(activity));
        }
        QThread::usleep(random.bounded(4000));
    }
    say(QStringLiteral("done"));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Polish));
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args.at(1) == QLatin1String("posts"))
        return postLoop(args.at(2), args.at(3).toULongLong());
    if (args.size() >= 6 && args.at(1) == QLatin1String("writer"))
        return writerLoop(args.at(2), args.at(3).toULongLong(), args.at(4).toInt(), args.at(5));
    std::fputs("usage: isotopes_fault_helper posts <folder> <seed>\n"
               "       isotopes_fault_helper writer <folder> <seed> <count> <target>\n",
               stderr);
    return 64;
}
