#include "isotopes/dblookupcombobox.h"

#include "isotopes/errorreporter.h"
#include "isotopes/isotopemodels.h"
#include "isotopes/recordset.h"

DbLookupComboBox::DbLookupComboBox(QWidget *parent)
    : QComboBox(parent)
    , m_model(new isotopes::IsotopeNameModel(this))
{
    setEditable(false);
    setMaxVisibleItems(15);
    setModel(m_model);
    setCurrentIndex(-1);

    connect(this, &QComboBox::activated, this, &DbLookupComboBox::chosen);

    // QComboBox picks an item by itself when its list is filled or when the
    // shown item goes away; the list must show only what the user chose.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        m_userChose = false;
        setCurrentIndex(-1);
    });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this] {
        if (!m_userChose)
            setCurrentIndex(-1);
    });
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) {
                const int shown = currentIndex();
                m_removedShownRow = (shown >= first && shown <= last) ? shown : -1;
            });
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (m_removedShownRow >= 0 || !m_userChose) {
            m_userChose = false;
            setCurrentIndex(-1);
        }
        m_removedShownRow = -1;
    });
}

DbLookupComboBox::~DbLookupComboBox() = default;

void DbLookupComboBox::setRecordSet(isotopes::RecordSet *recordSet)
{
    m_model->setRecordSet(recordSet);
}

isotopes::RecordSet *DbLookupComboBox::recordSet() const
{
    return m_model->recordSet();
}

void DbLookupComboBox::chosen(int index)
{
    isotopes::RecordSet *set = m_model->recordSet();
    if (!set || index < 0)
        return;
    m_userChose = true;
    const QString name = itemText(index);
    isotopes::guarded([&] { set->locate(name); });
}
