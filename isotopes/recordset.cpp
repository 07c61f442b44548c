#include "isotopes/recordset.h"

#include "decay/decaymodel.h"
#include "decay/error.h"
#include "isotopes/connection.h"
#include "isotopes/sqlerror.h"

#include <QLocale>
#include <QMetaType>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <utility>

namespace isotopes {

namespace {

const std::array<QString, RecordSet::columnCount> &fieldNames()
{
    static const std::array<QString, RecordSet::columnCount> names {
        QStringLiteral("Nazwa"), QStringLiteral("Aktywnosc"), QStringLiteral("Polrozpad")};
    return names;
}

std::string decimalSeparator()
{
    return QLocale().decimalPoint().toStdString();
}

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// One write to the file: BEGIN IMMEDIATE, the statements, COMMIT. IMMEDIATE
// takes the write lock up front, so a lock held by another program makes us
// wait the busy timeout before anything changed. Any failure rolls back and
// throws the write error; so does leaving the scope without commit().
class WriteTransaction final
{
public:
    WriteTransaction(QSqlDatabase db, QString path)
        : m_db(std::move(db))
        , m_path(std::move(path))
        , m_statement(m_db)
    {
        QSqlQuery begin(m_db);
        if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
            throwWriteError(sqlErrorText(begin.lastError()));
        m_open = true;
    }

    ~WriteTransaction()
    {
        if (m_open)
            rollback();
    }

    WriteTransaction(const WriteTransaction &) = delete;
    WriteTransaction &operator=(const WriteTransaction &) = delete;

    QSqlQuery &prepare(const QString &sql)
    {
        if (!m_statement.prepare(sql))
            abort(sqlErrorText(m_statement.lastError()));
        return m_statement;
    }

    void exec()
    {
        if (!m_statement.exec())
            abort(sqlErrorText(m_statement.lastError()));
    }

    void commit()
    {
        m_statement.finish();
        QSqlQuery commit(m_db);
        if (!commit.exec(QStringLiteral("COMMIT")))
            abort(sqlErrorText(commit.lastError()));
        m_open = false;
    }

private:
    [[noreturn]] void abort(const QString &reason)
    {
        rollback();
        throwWriteError(reason);
    }

    void rollback()
    {
        // SQLite may already have rolled back (disk full, I/O error); the
        // "no transaction is active" answer is then expected.
        m_statement.finish();
        QSqlQuery undo(m_db);
        undo.exec(QStringLiteral("ROLLBACK"));
        m_open = false;
    }

    [[noreturn]] void throwWriteError(const QString &reason) const
    {
        throw halvora::Error(
            QStringLiteral("Cannot write to database file '%1': %2").arg(m_path, reason).toStdString());
    }

    QSqlDatabase m_db;
    QString m_path;
    QSqlQuery m_statement;
    bool m_open = false;
};

} // namespace

// Views get the record set's signals while it is half-way through a change;
// this marks that span so they do not feed moves back into it.
class RecordSet::ChangeGuard final
{
public:
    explicit ChangeGuard(RecordSet &set)
        : m_set(set)
    {
        ++m_set.m_changing;
    }
    ~ChangeGuard() { --m_set.m_changing; }
    ChangeGuard(const ChangeGuard &) = delete;
    ChangeGuard &operator=(const ChangeGuard &) = delete;

private:
    RecordSet &m_set;
};

RecordSet::RecordSet(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("ADODataSet1"));
}

RecordSet::~RecordSet() = default;

void RecordSet::fail(const QString &message) const
{
    throw halvora::Error((objectName() + QStringLiteral(": ") + message).toStdString());
}

void RecordSet::requireOpen() const
{
    if (!isOpen())
        fail(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void RecordSet::requireRows() const
{
    if (m_rows.empty() || m_current < 0)
        fail(QStringLiteral("Cannot perform this operation on an empty dataset"));
}

void RecordSet::open(Connection &connection)
{
    close();
    if (!connection.isOpen())
        fail(QStringLiteral("Connection is not open"));

    QSqlQuery query(connection.database());
    query.setForwardOnly(true);
    const QString sql = QStringLiteral("select rowid, ") + QString::fromLatin1(commandText).mid(7);
    const auto readFail = [&](const QSqlError &error) {
        throw halvora::Error(QStringLiteral("Cannot read table Izotopy from '%1': %2")
                                 .arg(connection.filePath(), sqlErrorText(error))
                                 .toStdString());
    };
    if (!query.exec(sql))
        readFail(query.lastError());

    std::vector<Row> rows;
    while (query.next()) {
        Row row;
        row.rowid = query.value(0).toLongLong();
        for (int c = 0; c < columnCount; ++c) {
            const QVariant value = query.value(c + 1);
            if (!value.isNull())
                row.values[c] = value;
        }
        rows.push_back(std::move(row));
    }
    if (query.lastError().isValid())
        readFail(query.lastError());
    // Ends the read transaction, so other programs can write again.
    query.finish();

    ChangeGuard guard(*this);
    emit aboutToOpen();
    m_connection = &connection;
    m_rows = std::move(rows);
    m_current = m_rows.empty() ? -1 : 0;
    m_state = State::Browse;
    emit opened();
    emit stateChanged(m_state);
    emit currentRowChanged(m_current);
}

void RecordSet::close()
{
    if (!isOpen())
        return;
    ChangeGuard guard(*this);
    emit aboutToClose();
    m_rows.clear();
    m_current = -1;
    m_state = State::Inactive;
    m_modified = false;
    m_editTouched = {};
    m_connection = nullptr;
    emit closed();
    emit stateChanged(m_state);
    emit currentRowChanged(m_current);
}

void RecordSet::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void RecordSet::setCurrent(int row)
{
    m_current = row;
    emit currentRowChanged(row);
}

void RecordSet::checkBrowseMode()
{
    if (!isEditing())
        return;
    if (m_modified)
        post();
    else
        cancel();
}

void RecordSet::setCurrentRow(int row)
{
    requireOpen();
    if (row == m_current)
        return;

    if (isEditing()) {
        // Dropping an untouched new row shifts the rows after it up by one;
        // the target is the row the user pointed at, so it shifts too.
        const bool dropsPendingRow = m_state == State::Insert && !m_modified;
        const int pending = m_current;
        checkBrowseMode();
        if (dropsPendingRow && row > pending)
            --row;
    }
    if (m_rows.empty())
        return;
    row = std::clamp(row, 0, rowCount() - 1);
    if (row != m_current) {
        ChangeGuard guard(*this);
        setCurrent(row);
    }
}

void RecordSet::first()
{
    requireOpen();
    checkBrowseMode();
    if (!m_rows.empty() && m_current != 0) {
        ChangeGuard guard(*this);
        setCurrent(0);
    }
}

void RecordSet::prior()
{
    requireOpen();
    if (m_current > 0)
        setCurrentRow(m_current - 1);
    else
        checkBrowseMode();
}

void RecordSet::next()
{
    requireOpen();
    if (m_current + 1 < rowCount())
        setCurrentRow(m_current + 1);
    else
        checkBrowseMode();
}

void RecordSet::last()
{
    requireOpen();
    checkBrowseMode();
    if (!m_rows.empty() && m_current != rowCount() - 1) {
        ChangeGuard guard(*this);
        setCurrent(rowCount() - 1);
    }
}

bool RecordSet::locate(const QString &name)
{
    requireOpen();
    checkBrowseMode();
    const auto it = std::find_if(m_rows.begin(), m_rows.end(), [&](const Row &row) {
        const QVariant &value = row.values[Nazwa];
        return !value.isNull() && value.toString() == name;
    });
    if (it == m_rows.end())
        return false;
    const int row = static_cast<int>(it - m_rows.begin());
    if (row != m_current) {
        ChangeGuard guard(*this);
        setCurrent(row);
    }
    return true;
}

void RecordSet::startInsert(int position)
{
    ChangeGuard guard(*this);
    m_editText = {};
    m_editTouched = {};
    m_modified = false;
    emit rowAboutToBeInserted(position);
    m_rows.insert(m_rows.begin() + position, Row {});
    // The new row is not current yet, so views show it empty while they
    // insert it; it becomes the edited row just below.
    if (m_current >= position)
        ++m_current;
    emit rowInserted(position);
    m_state = State::Insert;
    setCurrent(position);
    emit stateChanged(m_state);
    emit rowChanged(position);
}

void RecordSet::insert()
{
    requireOpen();
    checkBrowseMode();
    const int position = std::max(m_current, 0);
    // After a cancel, the row that was current comes back to this index.
    m_rowBeforeInsert = m_rows.empty() ? -1 : position;
    startInsert(position);
}

void RecordSet::append()
{
    requireOpen();
    checkBrowseMode();
    m_rowBeforeInsert = m_current;
    startInsert(rowCount());
}

void RecordSet::edit()
{
    requireOpen();
    if (isEditing())
        return;
    if (m_rows.empty()) {
        insert();
        return;
    }
    const Row &row = m_rows[m_current];
    for (int c = 0; c < columnCount; ++c)
        m_editText[c] = valueText(row.values[c]);
    m_editTouched = {};
    m_modified = false;
    setState(State::Edit);
    emit rowChanged(m_current);
}

void RecordSet::setFieldText(int column, const QString &text)
{
    requireOpen();
    if (!isEditing())
        fail(QStringLiteral("Dataset not in edit or insert mode"));
    if (column < 0 || column >= columnCount)
        fail(QStringLiteral("Field index out of range"));
    m_editText[column] = text;
    m_editTouched[column] = true;
    m_modified = true;
    emit rowChanged(m_current);
}

std::array<QVariant, RecordSet::columnCount> RecordSet::valuesFromBuffer() const
{
    std::array<QVariant, columnCount> values = m_rows[m_current].values;
    const std::string separator = decimalSeparator();
    for (int c = 0; c < columnCount; ++c) {
        // An untouched field keeps its stored value exactly; going through the
        // 15-digit text would round it.
        if (!m_editTouched[c])
            continue;
        const QString &text = m_editText[c];
        if (text.isEmpty())
            values[c] = QVariant();
        else if (c == Nazwa)
            values[c] = text;
        else
            values[c] = decay::textToNumber(text.toStdString(), separator);
    }
    return values;
}

void RecordSet::post()
{
    requireOpen();
    if (!isEditing())
        return;

    // Conversion errors leave the row in edit mode with the typed text.
    const std::array<QVariant, columnCount> values = valuesFromBuffer();
    Row &row = m_rows[m_current];

    if (m_state == State::Insert) {
        qint64 rowid = 0;
        writeRow(QStringLiteral("INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES (?, ?, ?)"),
                 {values[0], values[1], values[2]}, false, QString(), &rowid);
        row.rowid = rowid;
    } else if (m_modified) {
        // Optimistic locking: the row is written only if it still holds what
        // was read, so another program's change is never overwritten.
        writeRow(QStringLiteral("UPDATE Izotopy SET Nazwa = ?, Aktywnosc = ?, Polrozpad = ? "
                                "WHERE rowid = ? AND Nazwa IS ? AND Aktywnosc IS ? AND Polrozpad IS ?"),
                 {values[0], values[1], values[2], row.rowid, row.values[0], row.values[1], row.values[2]},
                 true,
                 QStringLiteral("Row cannot be located for updating. "
                                "Some values may have been changed since it was last read."),
                 nullptr);
    }

    row.values = values;
    m_editTouched = {};
    m_modified = false;
    setState(State::Browse);
    emit rowChanged(m_current);
}

void RecordSet::cancel()
{
    if (!isEditing())
        return;
    ChangeGuard guard(*this);
    const bool wasInsert = m_state == State::Insert;
    m_editTouched = {};
    m_modified = false;
    m_state = State::Browse;
    if (wasInsert) {
        removeRowAt(m_current);
        setCurrent(m_rows.empty() ? -1 : std::clamp(m_rowBeforeInsert, 0, rowCount() - 1));
    } else {
        emit rowChanged(m_current);
    }
    emit stateChanged(m_state);
}

void RecordSet::removeRowAt(int row)
{
    emit rowAboutToBeRemoved(row);
    m_rows.erase(m_rows.begin() + row);
    if (m_current >= rowCount())
        m_current = rowCount() - 1;
    emit rowRemoved(row);
}

void RecordSet::remove()
{
    requireOpen();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    cancel();
    requireRows();

    const Row &row = m_rows[m_current];
    writeRow(QStringLiteral("DELETE FROM Izotopy "
                            "WHERE rowid = ? AND Nazwa IS ? AND Aktywnosc IS ? AND Polrozpad IS ?"),
             {row.rowid, row.values[0], row.values[1], row.values[2]},
             true,
             QStringLiteral("Row cannot be located for deleting. "
                            "Some values may have been changed since it was last read."),
             nullptr);

    ChangeGuard guard(*this);
    const int removed = m_current;
    removeRowAt(removed);
    setCurrent(m_rows.empty() ? -1 : std::min(removed, rowCount() - 1));
}

void RecordSet::appendRows(const std::vector<std::array<QVariant, columnCount>> &rows)
{
    requireOpen();
    if (isEditing())
        fail(QStringLiteral("Dataset not in browse mode"));
    if (rows.empty())
        return;
    if (!m_connection || !m_connection->isOpen())
        fail(QStringLiteral("Connection is not open"));
    WriteTransaction transaction(m_connection->database(), m_connection->filePath());
    QSqlQuery &statement = transaction.prepare(
        QStringLiteral("INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES (?, ?, ?)"));
    std::vector<Row> added;
    added.reserve(rows.size());
    for (const auto &values : rows) {
        for (int c = 0; c < columnCount; ++c)
            statement.bindValue(c, values[c]);
        transaction.exec();
        added.push_back(Row {statement.lastInsertId().toLongLong(), values});
    }
    transaction.commit();

    ChangeGuard guard(*this);
    for (Row &row : added) {
        // NULL is held as an invalid QVariant, as open() holds it.
        for (QVariant &value : row.values) {
            if (value.isNull())
                value = QVariant();
        }
        const int position = rowCount();
        emit rowAboutToBeInserted(position);
        m_rows.push_back(std::move(row));
        emit rowInserted(position);
    }
    if (m_current < 0)
        setCurrent(0);
}

void RecordSet::writeRow(const QString &sql, const std::vector<QVariant> &bindings,
                         bool requireOneRow, const QString &lostRowMessage, qint64 *insertedRowid)
{
    if (!m_connection || !m_connection->isOpen())
        fail(QStringLiteral("Connection is not open"));
    WriteTransaction transaction(m_connection->database(), m_connection->filePath());
    QSqlQuery &statement = transaction.prepare(sql);
    for (const QVariant &value : bindings)
        statement.addBindValue(value);
    transaction.exec();
    const int affected = statement.numRowsAffected();
    if (insertedRowid)
        *insertedRowid = statement.lastInsertId().toLongLong();
    // Nothing changed when another program changed or removed the row since
    // it was read; the transaction is rolled back on the way out.
    if (requireOneRow && affected != 1)
        fail(lostRowMessage);
    transaction.commit();
}

int RecordSet::fieldIndex(const QString &fieldName)
{
    const auto &names = fieldNames();
    for (int c = 0; c < columnCount; ++c) {
        if (names[c].compare(fieldName, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

QString RecordSet::fieldName(int column)
{
    if (column < 0 || column >= columnCount)
        return QString();
    return fieldNames()[column];
}

QString RecordSet::valueText(const QVariant &value) const
{
    if (value.isNull())
        return QString();
    if (isNumber(value)) {
        const bool whole = value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int;
        const long double number = whole ? static_cast<long double>(value.toLongLong())
                                         : static_cast<long double>(value.toDouble());
        return QString::fromStdString(decay::numberToText(number, decimalSeparator()));
    }
    return value.toString();
}

QString RecordSet::fieldText(const QString &fieldName) const
{
    const int column = fieldIndex(fieldName);
    if (!isOpen() || column < 0)
        fail(QStringLiteral("Field '%1' not found").arg(fieldName));
    return fieldText(m_current, column);
}

QString RecordSet::fieldText(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount)
        return QString();
    if (row == m_current && isEditing())
        return m_editText[column];
    return valueText(m_rows[row].values[column]);
}

} // namespace isotopes
