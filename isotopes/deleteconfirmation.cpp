#include "isotopes/deleteconfirmation.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace isotopes {

namespace {

bool askDelete(QWidget *parent)
{
    QString title = QGuiApplication::applicationDisplayName();
    if (title.isEmpty())
        title = QStringLiteral("Halvora");
    QMessageBox box(QMessageBox::Question, title, QStringLiteral("Delete record?"),
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

DeleteConfirmation &confirmationSlot()
{
    static DeleteConfirmation confirmation = askDelete;
    return confirmation;
}

} // namespace

void setDeleteConfirmation(DeleteConfirmation confirmation)
{
    confirmationSlot() = confirmation ? std::move(confirmation) : DeleteConfirmation(askDelete);
}

bool confirmDelete(QWidget *parent)
{
    return confirmationSlot()(parent);
}

} // namespace isotopes
