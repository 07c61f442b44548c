#pragma once

// The isotope table as a CSV file, for exchange with a spreadsheet.
//
// The file holds a header row "Nazwa;Aktywnosc;Polrozpad" and one row per
// isotope, numbers written by the program's number-to-text rule with the
// locale's decimal separator (the texts the grid shows). File rules are those
// of csvfile.h.

#include "isotopes/recordset.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <vector>

namespace isotopes {

using IsotopeRows = std::vector<std::array<QVariant, RecordSet::columnCount>>;

// The header and every row of the record set in its current order. The record
// set must be open and in browse mode, so that what is written is what the
// database holds.
QList<QStringList> isotopeTable(const RecordSet &recordSet);
void exportIsotopes(const RecordSet &recordSet, const QString &path);

// Checks every record of a CSV text and returns the rows to insert; the first
// bad record throws "Błąd w wierszu <n> pliku CSV: <reason>". Fields are
// separated by ";" or a tab (or the locale's CSV separator, see
// csvfile::detectSeparator); a first record whose first field is "Nazwa" is
// the header and is skipped. A record needs exactly three fields and a
// non-empty name; the numbers are read by the program's text-to-number rule
// with the given decimal separator, an empty field standing for NULL.
IsotopeRows isotopeRowsFromText(const QString &text, const QString &decimalPoint);

// Reads, checks and appends the file's rows to the record set in one
// transaction; nothing is written unless every record is good.
void importIsotopes(RecordSet &recordSet, const QString &path);

} // namespace isotopes
