#pragma once

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QPointer>

namespace isotopes {

class RecordSet;

// The record set as a three-column table for the grid. Rows are the record
// set's rows one to one; the row being edited shows its typed text.
class IsotopeTableModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit IsotopeTableModel(QObject *parent = nullptr);

    void setRecordSet(RecordSet *recordSet);
    RecordSet *recordSet() const { return m_recordSet; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Puts the record set into edit mode and stores the typed text; it is
    // written when the row is posted. Errors go to the error reporter.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
    void attach();
    void detach();

    QPointer<RecordSet> m_recordSet;
    QList<QMetaObject::Connection> m_connections;
};

// Every Nazwa of the record set in its order, for the lookup list.
class IsotopeNameModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit IsotopeNameModel(QObject *parent = nullptr);

    void setRecordSet(RecordSet *recordSet);
    RecordSet *recordSet() const { return m_recordSet; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QPointer<RecordSet> m_recordSet;
    QList<QMetaObject::Connection> m_connections;
};

} // namespace isotopes
