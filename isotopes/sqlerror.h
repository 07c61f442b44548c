#pragma once

#include <QSqlError>
#include <QString>

namespace isotopes {

// SQLite's own words ("database is locked", "no such table: Izotopy") say the
// most; Qt's driver text ("Unable to fetch row") is the fallback.
inline QString sqlErrorText(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("unknown database error");
    return text;
}

} // namespace isotopes
