#pragma once

#include <functional>

class QWidget;

namespace isotopes {

// The "Delete record?" question of the grid and the navigator. Tests replace
// it so that no modal box blocks them; the default asks with OK and Cancel.
using DeleteConfirmation = std::function<bool(QWidget *parent)>;

void setDeleteConfirmation(DeleteConfirmation confirmation);
bool confirmDelete(QWidget *parent);

} // namespace isotopes
