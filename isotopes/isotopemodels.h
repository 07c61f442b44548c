#pragma once

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QPointer>

namespace isotopes {

class RecordSet;

// What both models share: they follow the record set's rows, reset with it
// and pass its row changes on to their views.
template<typename Base>
class RecordSetModel : public Base
{
public:
    using Base::Base;

    void setRecordSet(RecordSet *recordSet);
    RecordSet *recordSet() const { return m_recordSet; }

protected:
    // A stored or typed value of this row changed.
    virtual void rowValuesChanged(int row) = 0;

    QPointer<RecordSet> m_recordSet;

private:
    void disconnectAll();

    QList<QMetaObject::Connection> m_connections;
};

// The record set as a three-column table for the grid. Rows are the record
// set's rows one to one; the row being edited shows its typed text.
class IsotopeTableModel final : public RecordSetModel<QAbstractTableModel>
{
    Q_OBJECT

public:
    explicit IsotopeTableModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Puts the record set into edit mode and stores the typed text; it is
    // written when the row is posted. Errors go to the error reporter.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

protected:
    void rowValuesChanged(int row) override;
};

// Every Nazwa of the record set in its order, for the lookup list.
class IsotopeNameModel final : public RecordSetModel<QAbstractListModel>
{
    Q_OBJECT

public:
    explicit IsotopeNameModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

protected:
    void rowValuesChanged(int row) override;
};

} // namespace isotopes
