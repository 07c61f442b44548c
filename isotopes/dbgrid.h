#pragma once

#include "isotopes/recordset.h"

#include <QAbstractItemDelegate>
#include <QPointer>
#include <QTableView>

#include <functional>

QT_FORWARD_DECLARE_CLASS(QAction)

namespace isotopes {
class IsotopeTableModel;
}

class DbGridDelegate;

// The isotope table of the table page: an editable view of the shared record
// set. The grid's current row and the record set's current row are kept equal
// in both directions; moving to another row posts the row being edited, and an
// untouched new row is dropped when the user moves away or leaves the grid.
//
// Its context menu exchanges the table with a spreadsheet as CSV
// (isotopes/isotopecsv.h): "Eksportuj do CSV..." writes every row in the
// current order, "Importuj z CSV..." appends a file's rows, all or none. Both
// first bring the record set to browse mode the way a move to another row
// does: an open cell editor is committed, the edited row is posted (an
// untouched new row is dropped), and a post that fails stops the command with
// its error, the row still in edit mode.
class DbGrid final : public QTableView
{
    Q_OBJECT

public:
    explicit DbGrid(QWidget *parent = nullptr);
    ~DbGrid() override;

    void setRecordSet(isotopes::RecordSet *recordSet);
    isotopes::RecordSet *recordSet() const { return m_recordSet; }

    // "Eksportuj do CSV..." and "Importuj z CSV...", in the menu's order;
    // enabled while the record set is open.
    QList<QAction *> csvActions() const;

    // The menu commands: ask for a file (a cancelled dialog does nothing),
    // then export or import; errors go to the error reporter.
    void exportToCsv();
    void importFromCsv();

    // Asks for a file name; an empty answer means cancelled. The defaults are
    // the platform's save and open dialogs; tests install their own.
    using FileDialog = std::function<QString(QWidget *parent, const QString &caption,
                                             const QString &suggestedPath, const QString &filter)>;
    // Each returns the previous one; an empty function restores the default.
    static FileDialog setSaveFileDialog(FileDialog dialog);
    static FileDialog setOpenFileDialog(FileDialog dialog);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
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
    void bringToBrowseMode();
    void updateCsvActions();

    isotopes::IsotopeTableModel *m_model;
    DbGridDelegate *m_delegate;
    QPointer<isotopes::RecordSet> m_recordSet;
    QList<QMetaObject::Connection> m_connections;
    bool m_following = false;
    QAction *m_exportAction = nullptr;
    QAction *m_importAction = nullptr;
};
