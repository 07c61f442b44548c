#include "isotopes/isotopemodels.h"

#include "isotopes/errorreporter.h"
#include "isotopes/recordset.h"

namespace isotopes {

template<typename Base>
void RecordSetModel<Base>::disconnectAll()
{
    for (const auto &connection : std::as_const(m_connections))
        QObject::disconnect(connection);
    m_connections.clear();
}

template<typename Base>
void RecordSetModel<Base>::setRecordSet(RecordSet *recordSet)
{
    this->beginResetModel();
    disconnectAll();
    m_recordSet = recordSet;
    if (recordSet) {
        m_connections
            << QObject::connect(recordSet, &RecordSet::aboutToOpen, this, [this] { this->beginResetModel(); })
            << QObject::connect(recordSet, &RecordSet::opened, this, [this] { this->endResetModel(); })
            << QObject::connect(recordSet, &RecordSet::aboutToClose, this, [this] { this->beginResetModel(); })
            << QObject::connect(recordSet, &RecordSet::closed, this, [this] { this->endResetModel(); })
            << QObject::connect(recordSet, &RecordSet::rowAboutToBeInserted, this,
                                [this](int row) { this->beginInsertRows({}, row, row); })
            << QObject::connect(recordSet, &RecordSet::rowInserted, this, [this] { this->endInsertRows(); })
            << QObject::connect(recordSet, &RecordSet::rowAboutToBeRemoved, this,
                                [this](int row) { this->beginRemoveRows({}, row, row); })
            << QObject::connect(recordSet, &RecordSet::rowRemoved, this, [this] { this->endRemoveRows(); })
            << QObject::connect(recordSet, &RecordSet::rowChanged, this, [this](int row) {
                   if (row >= 0 && row < this->rowCount())
                       rowValuesChanged(row);
               })
            << QObject::connect(recordSet, &QObject::destroyed, this, [this] {
                   this->beginResetModel();
                   disconnectAll();
                   this->endResetModel();
               });
    }
    this->endResetModel();
}

template class RecordSetModel<QAbstractTableModel>;
template class RecordSetModel<QAbstractListModel>;

IsotopeTableModel::IsotopeTableModel(QObject *parent)
    : RecordSetModel(parent)
{
}

void IsotopeTableModel::rowValuesChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, row, row);
}

int IsotopeTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_recordSet)
        return 0;
    return m_recordSet->rowCount();
}

int IsotopeTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : RecordSet::columnCount;
}

QVariant IsotopeTableModel::data(const QModelIndex &index, int role) const
{
    if (!m_recordSet || !index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_recordSet->fieldText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return index.column() == RecordSet::Nazwa
            ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
            : QVariant(Qt::AlignCenter);
    default:
        return {};
    }
}

QVariant IsotopeTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        switch (section) {
        case RecordSet::Nazwa:
            return QStringLiteral("Nazwa izotopu");
        case RecordSet::Aktywnosc:
            return QStringLiteral("Aktywność początkowa [MBq]");
        case RecordSet::Polrozpad:
            return QStringLiteral("Okres półrozpadu [lat]");
        default:
            return {};
        }
    case Qt::TextAlignmentRole:
        return QVariant(Qt::AlignCenter);
    default:
        return {};
    }
}

Qt::ItemFlags IsotopeTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !m_recordSet || !m_recordSet->isOpen())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool IsotopeTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !m_recordSet || !m_recordSet->isOpen())
        return false;
    // A view commits its open editor when the record set takes the row away
    // or moves off it (a cancelled new row being removed, say). Every
    // keystroke is already in the record set; starting an edit in the middle
    // of that change would leave the edit on whichever row becomes current.
    if (m_recordSet->isChanging())
        return false;
    const QString text = value.toString();
    // Closing an editor without a change must not put the row into edit
    // mode, or an untouched new row would no longer count as untouched.
    if (text == m_recordSet->fieldText(index.row(), index.column()))
        return true;
    return guarded([&] {
        m_recordSet->setCurrentRow(index.row());
        if (m_recordSet->currentRow() != index.row())
            return;
        m_recordSet->edit();
        m_recordSet->setFieldText(index.column(), text);
    });
}

IsotopeNameModel::IsotopeNameModel(QObject *parent)
    : RecordSetModel(parent)
{
}

void IsotopeNameModel::rowValuesChanged(int row)
{
    emit dataChanged(index(row), index(row));
}

int IsotopeNameModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_recordSet)
        return 0;
    return m_recordSet->rowCount();
}

QVariant IsotopeNameModel::data(const QModelIndex &index, int role) const
{
    if (!m_recordSet || !index.isValid())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_recordSet->fieldText(index.row(), RecordSet::Nazwa);
    return {};
}

} // namespace isotopes
