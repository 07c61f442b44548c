#include "isotopes/dbgrid.h"

#include "isotopes/deleteconfirmation.h"
#include "isotopes/errorreporter.h"
#include "isotopes/isotopecsv.h"
#include "isotopes/isotopemodels.h"
#include "isotopes/recordset.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>

#include <utility>

using isotopes::RecordSet;

// The in-place editor. Every keystroke goes into the record set at once, as
// the typed text of the edited row, so the navigator's post and cancel and a
// row change all see what the user sees.
class DbGridDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        auto *editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setAlignment(Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()));
        const QPersistentModelIndex target(index);
        QObject::connect(editor, &QLineEdit::textEdited, editor, [target](const QString &text) {
            if (target.isValid())
                const_cast<QAbstractItemModel *>(target.model())->setData(target, text, Qt::EditRole);
        });
        m_editor = editor;
        return editor;
    }

    QWidget *openEditor() const { return m_editor; }

private:
    mutable QPointer<QWidget> m_editor;
};

namespace {

const QString kCsvFilter = QStringLiteral("Pliki CSV (*.csv *.txt);;Wszystkie pliki (*)");

QString platformSaveDialog(QWidget *parent, const QString &caption, const QString &suggestedPath,
                           const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
}

QString platformOpenDialog(QWidget *parent, const QString &caption, const QString &suggestedPath,
                           const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, suggestedPath, filter);
}

DbGrid::FileDialog &saveDialog()
{
    static DbGrid::FileDialog dialog = platformSaveDialog;
    return dialog;
}

DbGrid::FileDialog &openDialog()
{
    static DbGrid::FileDialog dialog = platformOpenDialog;
    return dialog;
}

// The narrow indicator column: an arrow on the current row while browsing, an
// I-beam while it is edited and an asterisk while it is a new row.
class IndicatorHeader final : public QHeaderView
{
public:
    explicit IndicatorHeader(QWidget *parent)
        : QHeaderView(Qt::Vertical, parent)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setHighlightSections(false);
    }

    void setRecordSet(RecordSet *recordSet) { m_recordSet = recordSet; }

    QSize sizeHint() const override { return {indicatorWidth, defaultSectionSize()}; }

protected:
    // The marker is drawn over the finished header: drawn from
    // paintSection() it never reached the screen.
    void paintEvent(QPaintEvent *event) override
    {
        QHeaderView::paintEvent(event);
        if (!m_recordSet || m_recordSet->currentRow() < 0 || m_recordSet->currentRow() >= count())
            return;
        const int row = m_recordSet->currentRow();
        const QRect rect(0, sectionViewportPosition(row), viewport()->width(), sectionSize(row));
        QPainter painterOnViewport(viewport());
        QPainter *painter = &painterOnViewport;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QColor ink = palette().color(QPalette::WindowText);
        const QPointF c = QRectF(rect).center();
        switch (m_recordSet->state()) {
        case RecordSet::State::Browse: {
            QPainterPath arrow;
            arrow.moveTo(c.x() - 2.5, c.y() - 4);
            arrow.lineTo(c.x() + 2.5, c.y());
            arrow.lineTo(c.x() - 2.5, c.y() + 4);
            arrow.closeSubpath();
            painter->fillPath(arrow, ink);
            break;
        }
        case RecordSet::State::Edit:
            painter->setPen(QPen(ink, 1.2));
            painter->drawLine(QPointF(c.x(), c.y() - 4.5), QPointF(c.x(), c.y() + 4.5));
            painter->drawLine(QPointF(c.x() - 2, c.y() - 4.5), QPointF(c.x() + 2, c.y() - 4.5));
            painter->drawLine(QPointF(c.x() - 2, c.y() + 4.5), QPointF(c.x() + 2, c.y() + 4.5));
            break;
        case RecordSet::State::Insert:
            painter->setPen(QPen(ink, 1.2));
            painter->drawLine(QPointF(c.x(), c.y() - 3.5), QPointF(c.x(), c.y() + 3.5));
            painter->drawLine(QPointF(c.x() - 3, c.y() - 2), QPointF(c.x() + 3, c.y() + 2));
            painter->drawLine(QPointF(c.x() - 3, c.y() + 2), QPointF(c.x() + 3, c.y() - 2));
            break;
        case RecordSet::State::Inactive:
            break;
        }
        painter->restore();
    }

private:
    static constexpr int indicatorWidth = 12;
    QPointer<RecordSet> m_recordSet;
};

} // namespace

DbGrid::DbGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new isotopes::IsotopeTableModel(this))
    , m_delegate(new DbGridDelegate(this))
{
    setVerticalHeader(new IndicatorHeader(this));
    setModel(m_model);
    setItemDelegate(m_delegate);

    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    // Only vertical lines between columns; paintEvent draws them.
    setShowGrid(false);
    setWordWrap(false);

    QFont titleFont(QStringLiteral("Tahoma"));
    titleFont.setPixelSize(11);
    titleFont.setBold(true);
    QHeaderView *titles = horizontalHeader();
    titles->setFont(titleFont);
    titles->setDefaultAlignment(Qt::AlignCenter);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setSectionsMovable(false);
    titles->setStretchLastSection(false);
    titles->setHighlightSections(false);
    setColumnWidth(RecordSet::Nazwa, 130);
    setColumnWidth(RecordSet::Aktywnosc, 200);
    setColumnWidth(RecordSet::Polrozpad, 165);

    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);

    connect(qApp, &QApplication::focusChanged, this, &DbGrid::onFocusChanged);

    m_exportAction = new QAction(QStringLiteral("Eksportuj do CSV..."), this);
    connect(m_exportAction, &QAction::triggered, this, &DbGrid::exportToCsv);
    m_importAction = new QAction(QStringLiteral("Importuj z CSV..."), this);
    connect(m_importAction, &QAction::triggered, this, &DbGrid::importFromCsv);
    updateCsvActions();
}

// ~QWidget clears the focus and so emits focusChanged after the DbGrid part is
// gone; the connection would outlive it until ~QObject.
DbGrid::~DbGrid() { disconnect(qApp, &QApplication::focusChanged, this, nullptr); }

QList<QAction *> DbGrid::csvActions() const
{
    return {m_exportAction, m_importAction};
}

DbGrid::FileDialog DbGrid::setSaveFileDialog(FileDialog dialog)
{
    return std::exchange(saveDialog(), dialog ? std::move(dialog) : FileDialog(platformSaveDialog));
}

DbGrid::FileDialog DbGrid::setOpenFileDialog(FileDialog dialog)
{
    return std::exchange(openDialog(), dialog ? std::move(dialog) : FileDialog(platformOpenDialog));
}

void DbGrid::updateCsvActions()
{
    const bool open = m_recordSet && m_recordSet->isOpen();
    m_exportAction->setEnabled(open);
    m_importAction->setEnabled(open);
}

void DbGrid::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    auto *const menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addActions(csvActions());
    // From the Menu key the pointer may be anywhere; the menu opens at the current cell.
    QPoint at = event->globalPos();
    if (event->reason() != QContextMenuEvent::Mouse) {
        const QRect cell = visualRect(currentIndex());
        at = viewport()->mapToGlobal(cell.isValid() ? cell.center() : viewport()->rect().center());
    }
    menu->popup(at);
}

void DbGrid::bringToBrowseMode()
{
    commitOpenEditor();
    RecordSet *set = m_recordSet;
    if (!set->isEditing())
        return;
    if (set->isModified())
        set->post();
    else
        set->cancel();
}

void DbGrid::exportToCsv()
{
    if (!m_recordSet || !m_recordSet->isOpen())
        return;
    if (!isotopes::guarded([this] { bringToBrowseMode(); }))
        return;
    const QString path = saveDialog()(this, QStringLiteral("Eksportuj tabelę izotopów do CSV"),
                                      QDir::home().filePath(QStringLiteral("izotopy.csv")), kCsvFilter);
    if (path.isEmpty() || !m_recordSet)
        return;
    isotopes::guarded([this, &path] {
        bringToBrowseMode();
        isotopes::exportIsotopes(*m_recordSet, path);
    });
}

void DbGrid::importFromCsv()
{
    if (!m_recordSet || !m_recordSet->isOpen())
        return;
    if (!isotopes::guarded([this] { bringToBrowseMode(); }))
        return;
    const QString path = openDialog()(this, QStringLiteral("Importuj izotopy z CSV"), QDir::homePath(),
                                      kCsvFilter);
    if (path.isEmpty() || !m_recordSet)
        return;
    isotopes::guarded([this, &path] {
        bringToBrowseMode();
        isotopes::importIsotopes(*m_recordSet, path);
    });
}

void DbGrid::setRecordSet(RecordSet *recordSet)
{
    for (const auto &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();

    m_recordSet = recordSet;
    m_model->setRecordSet(recordSet);
    static_cast<IndicatorHeader *>(verticalHeader())->setRecordSet(recordSet);
    if (recordSet) {
        m_connections
            << connect(recordSet, &RecordSet::currentRowChanged, this, [this] { followRecordSet(); })
            << connect(recordSet, &RecordSet::opened, this, [this] { followRecordSet(); })
            << connect(recordSet, &RecordSet::stateChanged, this, &DbGrid::onStateChanged)
            << connect(recordSet, &RecordSet::opened, this, &DbGrid::updateCsvActions)
            << connect(recordSet, &RecordSet::closed, this, &DbGrid::updateCsvActions);
    }
    updateCsvActions();
    followRecordSet();
}

void DbGrid::followRecordSet(int column)
{
    verticalHeader()->viewport()->update();
    if (!m_recordSet || !selectionModel())
        return;
    const QScopedValueRollback<bool> following(m_following, true);
    const int row = m_recordSet->currentRow();
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clear();
        return;
    }
    if (column < 0)
        column = std::max(currentIndex().column(), 0);
    const QModelIndex target = m_model->index(row, column);
    if (currentIndex() != target)
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    scrollTo(target);
}

void DbGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // The base commits an open editor into the row being left first.
    QTableView::currentChanged(current, previous);
    verticalHeader()->viewport()->update();
    if (m_following || !m_recordSet || m_recordSet->isChanging() || !current.isValid())
        return;
    if (current.row() == m_recordSet->currentRow())
        return;
    isotopes::guarded([&] { m_recordSet->setCurrentRow(current.row()); });
    // After a failed post the record set is still on the edited row, and
    // after dropping an untouched new row the rows below it moved up: either
    // way the view follows the record set.
    followRecordSet(current.column());
}

void DbGrid::commitOpenEditor()
{
    QWidget *editor = m_delegate->openEditor();
    if (editor && state() == QAbstractItemView::EditingState) {
        commitData(editor);
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void DbGrid::dropOpenEditor()
{
    QWidget *editor = m_delegate->openEditor();
    if (editor && state() == QAbstractItemView::EditingState)
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void DbGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    // Esc in the editor drops the row's changes, not only the cell's.
    if (hint == QAbstractItemDelegate::RevertModelCache && m_recordSet && m_recordSet->isEditing())
        isotopes::guarded([this] { m_recordSet->cancel(); });
}

void DbGrid::onStateChanged()
{
    verticalHeader()->viewport()->update();
    // A post or cancel from elsewhere (the navigator) ends the cell edit too;
    // its text is already in the record set or deliberately dropped.
    if (m_recordSet && !m_recordSet->isEditing())
        dropOpenEditor();
}

void DbGrid::onFocusChanged(QWidget *old, QWidget *now)
{
    if (!m_recordSet || !old || !now)
        return;
    // Only a move to another control of the same window leaves the grid. A
    // dialog, such as the delete question itself, must not drop the new row
    // under the user's answer.
    if (now->window() != window())
        return;
    const bool wasInside = old == this || isAncestorOf(old);
    const bool isInside = now == this || isAncestorOf(now);
    if (wasInside && !isInside && m_recordSet->state() == RecordSet::State::Insert
        && !m_recordSet->isModified())
        isotopes::guarded([this] { m_recordSet->cancel(); });
}

void DbGrid::keyPressEvent(QKeyEvent *event)
{
    if (!m_recordSet || !m_recordSet->isOpen()) {
        QTableView::keyPressEvent(event);
        return;
    }
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    RecordSet *set = m_recordSet;

    if (event->key() == Qt::Key_Delete && modifiers == Qt::ControlModifier) {
        event->accept();
        commitOpenEditor();
        if (set->rowCount() > 0 && isotopes::confirmDelete(this))
            isotopes::guarded([set] { set->remove(); });
        return;
    }
    if (event->key() == Qt::Key_Insert && modifiers == Qt::NoModifier) {
        event->accept();
        commitOpenEditor();
        isotopes::guarded([set] { set->insert(); });
        return;
    }
    if (event->key() == Qt::Key_Down && modifiers == Qt::NoModifier
        && set->currentRow() == set->rowCount() - 1) {
        event->accept();
        // Down on an untouched new last row stays there, as it would at the
        // end of any list.
        if (set->state() == RecordSet::State::Insert && !set->isModified())
            return;
        commitOpenEditor();
        isotopes::guarded([set] { set->append(); });
        return;
    }
    if (event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier && set->isEditing()) {
        event->accept();
        dropOpenEditor();
        isotopes::guarded([set] { set->cancel(); });
        return;
    }
    QTableView::keyPressEvent(event);
}

void DbGrid::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);

    const int rows = m_model->rowCount();
    if (rows == 0)
        return;
    const int lastRow = rows - 1;
    const int bottom = std::min(rowViewportPosition(lastRow) + rowHeight(lastRow), viewport()->height());
    if (bottom <= 0)
        return;

    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int gridHint = style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this);
    QPainter painter(viewport());
    painter.setPen(QColor::fromRgba(static_cast<QRgb>(gridHint)));
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (isColumnHidden(column))
            continue;
        const int x = columnViewportPosition(column) + columnWidth(column) - 1;
        painter.drawLine(x, 0, x, bottom - 1);
    }
}
