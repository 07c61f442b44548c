#pragma once

// Small database files for the isotope tests, written through a connection
// of their own so that the code under test sees them as another program's.

#include "decay/error.h"
#include "isotopes/connection.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <QtTest>

#include <functional>

namespace fixture {

// The message of the error an action throws, or an empty text.
inline QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const halvora::Error &error) {
        return QString::fromUtf8(error.what());
    }
    return QString();
}

struct Row
{
    QVariant name;
    QVariant activity;
    QVariant halfLife;
};

inline const QString defaultSchema =
    QStringLiteral("CREATE TABLE Izotopy (Nazwa TEXT, Aktywnosc REAL, Polrozpad REAL)");

inline QString databasePath(const QString &folder)
{
    return folder + QLatin1Char('/') + QLatin1String(isotopes::Connection::fileName);
}

// Runs work on a private connection to file and closes it again.
inline void withDatabase(const QString &file, const std::function<void(QSqlDatabase &)> &work)
{
    static QAtomicInt counter;
    const QString name = QStringLiteral("fixture-%1").arg(counter.fetchAndAddRelaxed(1));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (!db.open())
            qFatal("fixture: cannot open %s", qPrintable(file));
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

inline void exec(QSqlDatabase &db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery query(db);
    query.prepare(sql);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        qFatal("fixture: %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
}

inline QString makeDatabase(const QString &folder, const QList<Row> &rows,
                            const QString &schema = defaultSchema)
{
    const QString file = databasePath(folder);
    QFile::remove(file);
    withDatabase(file, [&](QSqlDatabase &db) {
        exec(db, schema);
        for (const Row &row : rows)
            exec(db, QStringLiteral("INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES (?, ?, ?)"),
                 {row.name, row.activity, row.halfLife});
    });
    return file;
}

inline QByteArray fileBytes(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline QString valueText(const QVariant &value)
{
    return value.isNull() ? QStringLiteral("NULL") : value.toString();
}

// Every row of the file as "name;activity;halfLife", sorted, joined by "|".
inline QString fileRows(const QString &file)
{
    QStringList rows;
    withDatabase(file, [&](QSqlDatabase &db) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT Nazwa, Aktywnosc, Polrozpad FROM Izotopy")))
            qFatal("fixture: %s", qPrintable(query.lastError().text()));
        while (query.next())
            rows << valueText(query.value(0)) + QLatin1Char(';') + valueText(query.value(1))
                    + QLatin1Char(';') + valueText(query.value(2));
    });
    rows.sort();
    return rows.join(QLatin1Char('|'));
}

// The sample used by most tests: name order differs from insertion order,
// and one name repeats.
inline QList<Row> sampleRows()
{
    return {
        {QStringLiteral("C"), 3.0, 30.0},
        {QStringLiteral("A"), 1.0, 10.0},
        {QStringLiteral("Dup"), 4.0, 40.0},
        {QStringLiteral("B"), 2.0, 20.0},
        {QStringLiteral("Dup"), 5.0, 50.0},
    };
}

inline const QString sampleFileRows =
    QStringLiteral("A;1;10|B;2;20|C;3;30|Dup;4;40|Dup;5;50");

} // namespace fixture
