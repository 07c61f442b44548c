#pragma once

#include "isotopes/recordset.h"

#include <QPointer>
#include <QWidget>

#include <array>

class QToolButton;

// The record navigator under the isotope grid: nine flat buttons that move
// and edit the shared record set, enabled as its state allows.
class DbNavigator final : public QWidget
{
    Q_OBJECT

public:
    explicit DbNavigator(QWidget *parent = nullptr);
    ~DbNavigator() override;

    void setRecordSet(isotopes::RecordSet *recordSet);
    isotopes::RecordSet *recordSet() const { return m_recordSet; }

    QSize sizeHint() const override;

private:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, ButtonCount };

    void updateButtons();
    void clicked(Button button);

    std::array<QToolButton *, ButtonCount> m_buttons {};
    QPointer<isotopes::RecordSet> m_recordSet;
    QList<QMetaObject::Connection> m_connections;
};
