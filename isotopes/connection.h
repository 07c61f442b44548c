#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>

namespace isotopes {

// The link to BazaIzotopow.mdb. It opens an existing SQLite file read-write and
// never creates one: a program that silently made an empty database beside
// itself would hide a lost data file from the user.
class Connection final : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *fileName = "BazaIzotopow.mdb";

    explicit Connection(QObject *parent = nullptr);
    ~Connection() override;

    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void close();
    // The folder is used as given (spaces and non-ASCII letters included).
    void setDatabaseFolder(const QString &folder);
    QString filePath() const { return m_filePath; }
    // Throws halvora::Error when the file is missing, unreadable or not an
    // SQLite database; the file is not touched in that case.
    void open();
    bool isOpen() const;

    // The Qt handle of this connection; valid while the object lives.
    QSqlDatabase database() const;

private:
    QString m_connectionName;
    QString m_filePath;
};

} // namespace isotopes
