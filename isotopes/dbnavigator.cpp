#include "isotopes/dbnavigator.h"

#include "isotopes/deleteconfirmation.h"
#include "isotopes/errorreporter.h"
#include "isotopes/recordset.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

using isotopes::RecordSet;

namespace {

constexpr int glyphSize = 12;

// The glyphs are drawn rather than taken from a font or a theme, so they look
// the same on every machine, the offscreen test platform included.
QIcon drawGlyph(int button, const QColor &ink)
{
    QPixmap pixmap(glyphSize, glyphSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    const auto triangle = [&](qreal tipX, qreal baseX) {
        QPainterPath path;
        path.moveTo(baseX, 2);
        path.lineTo(tipX, 6);
        path.lineTo(baseX, 10);
        path.closeSubpath();
        p.fillPath(path, ink);
    };
    switch (button) {
    case 0: // first
        p.fillRect(QRectF(2, 2, 1.6, 8), ink);
        triangle(4, 9);
        break;
    case 1: // prior
        triangle(3, 8.5);
        break;
    case 2: // next
        triangle(9, 3.5);
        break;
    case 3: // last
        triangle(8, 3);
        p.fillRect(QRectF(8.4, 2, 1.6, 8), ink);
        break;
    case 4: // insert
        p.drawLine(QPointF(6, 2), QPointF(6, 10));
        p.drawLine(QPointF(2, 6), QPointF(10, 6));
        break;
    case 5: // delete
        p.drawLine(QPointF(2, 6), QPointF(10, 6));
        break;
    case 6: { // edit
        QPainterPath path;
        path.moveTo(2, 9);
        path.lineTo(6, 3);
        path.lineTo(10, 9);
        path.closeSubpath();
        p.fillPath(path, ink);
        break;
    }
    case 7: // post
        p.drawPolyline(QPolygonF({QPointF(2, 6.5), QPointF(5, 9.5), QPointF(10, 2.5)}));
        break;
    case 8: // cancel
        p.drawLine(QPointF(3, 3), QPointF(9, 9));
        p.drawLine(QPointF(9, 3), QPointF(3, 9));
        break;
    }
    return QIcon(pixmap);
}

} // namespace

DbNavigator::DbNavigator(QWidget *parent)
    : QWidget(parent)
{
    static const std::array<const char *, ButtonCount> names {
        "first", "prior", "next", "last", "insert", "delete", "edit", "post", "cancel"};
    static const std::array<QString, ButtonCount> tooltips {
        QStringLiteral("Pierwszy"), QStringLiteral("Poprzedni"), QStringLiteral("Następny"),
        QStringLiteral("Ostatni"), QStringLiteral("Wstaw nowy izotop"), QStringLiteral("Usuń izotop"),
        QStringLiteral("Edytuj izotop"), QStringLiteral("Zatwierdź zmiany"), QStringLiteral("Anuluj edycję")};

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const QColor ink = palette().color(QPalette::ButtonText);
    for (int i = 0; i < ButtonCount; ++i) {
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1String(names[i]));
        button->setToolTip(tooltips[i]);
        // Screen readers announce the button by the same Polish text.
        button->setAccessibleName(tooltips[i]);
        button->setAutoRaise(true);
        // Like the buttons of a classic navigator they take no focus, so a
        // click does not pull the focus out of the grid's editor.
        button->setFocusPolicy(Qt::NoFocus);
        button->setIcon(drawGlyph(i, ink));
        button->setIconSize(QSize(glyphSize, glyphSize));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setEnabled(false);
        connect(button, &QToolButton::clicked, this, [this, i] { clicked(static_cast<Button>(i)); });
        layout->addWidget(button);
        m_buttons[i] = button;
    }
}

DbNavigator::~DbNavigator() = default;

QSize DbNavigator::sizeHint() const
{
    return {552, 19};
}

void DbNavigator::setRecordSet(RecordSet *recordSet)
{
    for (const auto &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_recordSet = recordSet;
    if (recordSet) {
        const auto update = [this] { updateButtons(); };
        m_connections << connect(recordSet, &RecordSet::opened, this, update)
                      << connect(recordSet, &RecordSet::closed, this, update)
                      << connect(recordSet, &RecordSet::stateChanged, this, update)
                      << connect(recordSet, &RecordSet::currentRowChanged, this, update)
                      << connect(recordSet, &RecordSet::rowInserted, this, update)
                      << connect(recordSet, &RecordSet::rowRemoved, this, update)
                      << connect(recordSet, &QObject::destroyed, this, update);
    }
    updateButtons();
}

void DbNavigator::updateButtons()
{
    RecordSet *set = m_recordSet;
    const bool open = set && set->isOpen();
    const bool editing = open && set->isEditing();
    const int row = open ? set->currentRow() : -1;
    const int rows = open ? set->rowCount() : 0;
    const bool canGoBack = open && row > 0;
    const bool canGoOn = open && row >= 0 && row < rows - 1;

    m_buttons[First]->setEnabled(canGoBack);
    m_buttons[Prior]->setEnabled(canGoBack);
    m_buttons[Next]->setEnabled(canGoOn);
    m_buttons[Last]->setEnabled(canGoOn);
    m_buttons[Insert]->setEnabled(open);
    m_buttons[Delete]->setEnabled(open && rows > 0);
    m_buttons[Edit]->setEnabled(open && !editing);
    m_buttons[Post]->setEnabled(editing);
    m_buttons[Cancel]->setEnabled(editing);
}

void DbNavigator::clicked(Button button)
{
    RecordSet *set = m_recordSet;
    if (!set)
        return;
    if (button == Delete && !isotopes::confirmDelete(this))
        return;
    isotopes::guarded([&] {
        switch (button) {
        case First: set->first(); break;
        case Prior: set->prior(); break;
        case Next: set->next(); break;
        case Last: set->last(); break;
        case Insert: set->insert(); break;
        case Delete: set->remove(); break;
        case Edit: set->edit(); break;
        case Post: set->post(); break;
        case Cancel: set->cancel(); break;
        case ButtonCount: break;
        }
    });
    updateButtons();
}
