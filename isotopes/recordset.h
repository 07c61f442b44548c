#pragma once

// The isotope table of the program.
//
// Connection opens BazaIzotopow.mdb beside the executable; RecordSet (the
// component the rest of the program knows as ADODataSet1) loads table Izotopy
// once, in name order, and keeps one current row that every view shares: the
// lookup list on the calculation page, and the grid and navigator on the table
// page. Edits are buffered as text in the record set and written row by row,
// each in its own transaction, the moment they are posted; the loaded rows are
// never re-read, so an inserted row stays where it was inserted.
//
// IsotopeTableModel and IsotopeNameModel (isotopemodels.h) present the record
// set to Qt's item views; the widgets in dbgrid.h, dbnavigator.h and
// dblookupcombobox.h drive it. Widgets catch halvora::Error at their event
// handlers and hand the message to the reporter of errorreporter.h, because an
// exception must not unwind through Qt's own frames.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <array>
#include <vector>

namespace isotopes {

class Connection;

class RecordSet final : public QObject
{
    Q_OBJECT

public:
    enum class State { Inactive, Browse, Edit, Insert };
    Q_ENUM(State)

    enum Column { Nazwa = 0, Aktywnosc = 1, Polrozpad = 2 };
    static constexpr int columnCount = 3;

    // The fixed query; the rowid is fetched beside it to address rows when
    // writing, since names may repeat.
    static constexpr const char *commandText =
        "select Nazwa, Aktywnosc, Polrozpad from Izotopy\r\norder by Nazwa ASC";

    explicit RecordSet(QObject *parent = nullptr);
    ~RecordSet() override;

    // Loads every row; the first becomes current. Throws halvora::Error when
    // the connection is closed or the table or a column is missing.
    void open(Connection &connection);
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Edit || m_state == State::Insert; }
    // True once a field of the row being edited or inserted was set.
    bool isModified() const { return m_modified; }
    // True while the record set is changing its rows or its current row;
    // views must not move the record set from their change handlers then.
    bool isChanging() const { return m_changing > 0; }

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    int currentRow() const { return m_current; }

    // Moving away from a row being edited posts it first (or drops it when
    // nothing was typed); if that post fails the error propagates and the
    // current row does not change.
    void setCurrentRow(int row);
    void first();
    void prior();
    void next();
    void last();
    // Case-sensitive exact match on Nazwa, first in the record set's order.
    bool locate(const QString &name);

    void insert();
    void append();
    void edit();
    void setFieldText(int column, const QString &text);
    void post();
    void cancel();
    void remove();
    // Inserts the rows (Nazwa, Aktywnosc, Polrozpad; a null QVariant is NULL)
    // in one transaction: all are written or, on any failure, none. They then
    // follow the loaded rows in the given order; the current row stays.
    // Only in browse mode: a row being edited must be posted or cancelled first.
    void appendRows(const std::vector<std::array<QVariant, columnCount>> &rows);

    static int fieldIndex(const QString &fieldName);
    static QString fieldName(int column);
    // The current row's field as text: numbers by the program's number-to-text
    // rule, empty for NULL or when there is no row. Throws
    // "ADODataSet1: Field '<name>' not found" when closed or unknown.
    QString fieldText(const QString &fieldName) const;
    // Text of any row for the views; the row being edited shows its typed text.
    QString fieldText(int row, int column) const;

signals:
    void aboutToOpen();
    void opened();
    void aboutToClose();
    void closed();
    void currentRowChanged(int row);
    void stateChanged(isotopes::RecordSet::State state);
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void rowChanged(int row);

private:
    struct Row
    {
        qint64 rowid = 0; // not yet meaningful for the row being inserted
        std::array<QVariant, columnCount> values;
    };

    class ChangeGuard;

    void requireOpen() const;
    void requireRows() const;
    void checkBrowseMode();
    void startInsert(int position);
    void setState(State state);
    void setCurrent(int row);
    void removeRowAt(int row);
    std::array<QVariant, columnCount> valuesFromBuffer() const;
    void writeRow(const QString &sql, const std::vector<QVariant> &bindings,
                  bool requireOneRow, const QString &lostRowMessage, qint64 *insertedRowid);
    QString valueText(const QVariant &value) const;
    [[noreturn]] void fail(const QString &message) const;

    QPointer<Connection> m_connection;
    std::vector<Row> m_rows;
    int m_current = -1;
    State m_state = State::Inactive;
    int m_changing = 0;

    // The row being edited or inserted, as typed.
    std::array<QString, columnCount> m_editText;
    std::array<bool, columnCount> m_editTouched {};
    bool m_modified = false;
    int m_rowBeforeInsert = -1;
};

} // namespace isotopes
