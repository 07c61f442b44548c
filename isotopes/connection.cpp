#include "isotopes/connection.h"

#include "decay/error.h"
#include "isotopes/sqlerror.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace isotopes {

namespace {

QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("halvora-isotopes-%1").arg(counter.fetchAndAddRelaxed(1));
}

// Another program that has the file open for writing holds its lock for a
// moment; waiting this long before reporting "locked" covers ordinary saves.
constexpr int busyTimeoutMs = 3000;

} // namespace

Connection::Connection(QObject *parent)
    : QObject(parent)
    , m_connectionName(uniqueConnectionName())
{
    setObjectName(QStringLiteral("ADOConnection1"));
}

Connection::~Connection()
{
    close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void Connection::close()
{
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::database(m_connectionName, false).close();
}

void Connection::setDatabaseFolder(const QString &folder)
{
    m_filePath = folder;
    if (!m_filePath.endsWith(QLatin1Char('/')))
        m_filePath += QLatin1Char('/');
    m_filePath += QLatin1String(fileName);
}

void Connection::open()
{
    if (isOpen())
        return;

    const auto fail = [this](const QString &reason) {
        close();
        throw halvora::Error(QStringLiteral("Cannot open database file '%1': %2")
                                 .arg(m_filePath, reason)
                                 .toStdString());
    };

    if (m_filePath.isEmpty())
        fail(QStringLiteral("no database folder set"));
    // SQLite's own "unable to open database file" does not say why; a missing
    // file is by far the commonest case, so name it.
    const QFileInfo info(m_filePath);
    if (!info.exists())
        fail(QStringLiteral("the file does not exist"));
    if (info.isDir())
        fail(QStringLiteral("the path is a folder"));

    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
        ? QSqlDatabase::database(m_connectionName, false)
        : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    if (!db.isValid())
        fail(QStringLiteral("the SQLite driver of Qt is not available"));

    // mode=rw in a URI is what keeps SQLite from creating the file if it
    // vanishes between the check above and the open.
    QUrl uri = QUrl::fromLocalFile(info.absoluteFilePath());
    uri.setQuery(QStringLiteral("mode=rw"));
    db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1")
                             .arg(busyTimeoutMs));
    if (!db.open())
        fail(sqlErrorText(db.lastError()));

    // SQLite opens lazily: reading the schema is what tells a foreign file
    // from a database, and it reads only.
    {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
            fail(sqlErrorText(probe.lastError()));
        probe.finish();
    }

    // A posted row must survive a crash or power loss straight after the
    // post. The rollback journal is kept (no switch to WAL): WAL would change
    // the shared file's format for every other program that opens it and
    // needs -wal/-shm files and shared memory beside it.
    QSqlQuery pragma(db);
    if (!pragma.exec(QStringLiteral("PRAGMA synchronous = FULL")))
        fail(sqlErrorText(pragma.lastError()));
}

bool Connection::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName)
        && QSqlDatabase::database(m_connectionName, false).isOpen();
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

} // namespace isotopes
