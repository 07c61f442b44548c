#pragma once

#include "isotopes/recordset.h"

#include <QAbstractItemDelegate>
#include <QPointer>
#include <QTableView>

namespace isotopes {
class IsotopeTableModel;
}

class DbGridDelegate;

// The isotope table of the table page: an editable view of the shared record
// set. The grid's current row and the record set's current row are kept equal
// in both directions; moving to another row posts the row being edited, and an
// untouched new row is dropped when the user moves away or leaves the grid.
class DbGrid final : public QTableView
{
    Q_OBJECT

public:
    explicit DbGrid(QWidget *parent = nullptr);
    ~DbGrid() override;

    void setRecordSet(isotopes::RecordSet *recordSet);
    isotopes::RecordSet *recordSet() const { return m_recordSet; }

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

protected slots:
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void followRecordSet(int column = -1);
    void commitOpenEditor();
    void dropOpenEditor();
    void onStateChanged();
    void onFocusChanged(QWidget *old, QWidget *now);

    isotopes::IsotopeTableModel *m_model;
    DbGridDelegate *m_delegate;
    QPointer<isotopes::RecordSet> m_recordSet;
    QList<QMetaObject::Connection> m_connections;
    bool m_following = false;
};
