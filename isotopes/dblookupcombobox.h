#pragma once

#include <QComboBox>
#include <QPointer>

namespace isotopes {
class IsotopeNameModel;
class RecordSet;
} // namespace isotopes

// The isotope list on the calculation page. It lists every name of the shared
// record set in its order; choosing one makes the first row of that name
// current. It shows no name until the user chooses one, although a row is
// current from the start.
class DbLookupComboBox final : public QComboBox
{
    Q_OBJECT

public:
    explicit DbLookupComboBox(QWidget *parent = nullptr);
    ~DbLookupComboBox() override;

    void setRecordSet(isotopes::RecordSet *recordSet);
    isotopes::RecordSet *recordSet() const;

private:
    void chosen(int index);

    isotopes::IsotopeNameModel *m_model;
    bool m_userChose = false;
    int m_removedShownRow = -1;
};
