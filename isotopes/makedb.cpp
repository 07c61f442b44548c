// Build-time tool: makes the default BazaIzotopow.mdb from seed.sql.
//
//   halvora_makedb <seed.sql> <target database file>
//
// A target that already exists is the user's data and is left alone. The new
// database is built under a temporary name in the target's folder and renamed
// into place only when complete, so an interrupted build never leaves a
// half-filled file for the program to open.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

// Splits the seed into statements at semicolons outside quotes and comments.
QStringList statements(const QString &script)
{
    QStringList result;
    QString current;
    bool inQuote = false;
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar ch = script.at(i);
        if (!inQuote && ch == QLatin1Char('-') && i + 1 < script.size()
            && script.at(i + 1) == QLatin1Char('-')) {
            while (i < script.size() && script.at(i) != QLatin1Char('\n'))
                ++i;
            current += QLatin1Char('\n');
            continue;
        }
        if (ch == QLatin1Char('\''))
            inQuote = !inQuote;
        if (!inQuote && ch == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty())
                result << current.trimmed();
            current.clear();
            continue;
        }
        current += ch;
    }
    if (!current.trimmed().isEmpty())
        result << current.trimmed();
    return result;
}

int failWith(const QString &message)
{
    std::fprintf(stderr, "halvora_makedb: %s\n", qUtf8Printable(message));
    return 1;
}

int build(const QString &seedPath, const QString &targetPath)
{
    if (QFileInfo::exists(targetPath)) {
        std::printf("halvora_makedb: %s exists, kept\n", qUtf8Printable(targetPath));
        return 0;
    }

    QFile seed(seedPath);
    if (!seed.open(QIODevice::ReadOnly | QIODevice::Text))
        return failWith(QStringLiteral("cannot read %1: %2").arg(seedPath, seed.errorString()));
    const QStringList sql = statements(QString::fromUtf8(seed.readAll()));

    const QFileInfo target(targetPath);
    QDir().mkpath(target.absolutePath());
    const QString temporary = target.absoluteFilePath()
        + QStringLiteral(".tmp-%1").arg(QCoreApplication::applicationPid());
    QFile::remove(temporary);

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("makedb"));
        db.setDatabaseName(temporary);
        if (!db.open())
            return failWith(db.lastError().text());
        QSqlQuery query(db);
        bool ok = query.exec(QStringLiteral("BEGIN"));
        for (const QString &statement : sql) {
            if (!ok)
                break;
            ok = query.exec(statement);
        }
        if (ok)
            ok = query.exec(QStringLiteral("COMMIT"));
        const QString error = query.lastError().text();
        query.finish();
        db.close();
        if (!ok) {
            QFile::remove(temporary);
            return failWith(error);
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("makedb"));

    // rename() refuses an existing target, so a file that appeared meanwhile
    // still wins.
    if (!QFile::rename(temporary, target.absoluteFilePath())) {
        QFile::remove(temporary);
        if (QFileInfo::exists(targetPath)) {
            std::printf("halvora_makedb: %s exists, kept\n", qUtf8Printable(targetPath));
            return 0;
        }
        return failWith(QStringLiteral("cannot create %1").arg(targetPath));
    }
    std::printf("halvora_makedb: created %s\n", qUtf8Printable(targetPath));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return failWith(QStringLiteral("usage: halvora_makedb <seed.sql> <database file>"));
    return build(args.at(1), args.at(2));
}
