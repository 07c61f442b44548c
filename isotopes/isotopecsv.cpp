#include "isotopes/isotopecsv.h"

#include "decay/decaymodel.h"
#include "decay/error.h"
#include "isotopes/csvfile.h"

#include <QLocale>

namespace isotopes {

namespace {

void requireBrowse(const RecordSet &recordSet)
{
    if (!recordSet.isOpen())
        throw halvora::Error("Tabela izotopów nie jest otwarta");
    if (recordSet.isEditing())
        throw halvora::Error("Najpierw zatwierdź lub anuluj edycję wiersza tabeli");
}

} // namespace

QList<QStringList> isotopeTable(const RecordSet &recordSet)
{
    requireBrowse(recordSet);
    QList<QStringList> table;
    table.reserve(recordSet.rowCount() + 1);
    QStringList header;
    for (int c = 0; c < RecordSet::columnCount; ++c)
        header << RecordSet::fieldName(c);
    table << header;
    for (int row = 0; row < recordSet.rowCount(); ++row) {
        QStringList fields;
        for (int c = 0; c < RecordSet::columnCount; ++c)
            fields << recordSet.fieldText(row, c);
        table << fields;
    }
    return table;
}

void exportIsotopes(const RecordSet &recordSet, const QString &path)
{
    const QList<QStringList> table = isotopeTable(recordSet);
    csvfile::writeFile(path, csvfile::csvBytes(table, csvfile::fieldSeparatorFor(QLocale().decimalPoint())));
}

IsotopeRows isotopeRowsFromText(const QString &text, const QString &decimalPoint)
{
    const std::string separator = decimalPoint.toStdString();
    const std::vector<csvfile::Record> records =
        csvfile::parse(text, csvfile::detectSeparator(text, decimalPoint));

    IsotopeRows rows;
    rows.reserve(records.size());
    bool first = true;
    for (const csvfile::Record &record : records) {
        const bool header = first && record.fields.at(0).trimmed() == RecordSet::fieldName(RecordSet::Nazwa);
        first = false;
        if (header)
            continue;
        const auto bad = [&record](const QString &reason) {
            throw halvora::Error(csvfile::lineErrorText(record.line, reason).toStdString());
        };
        if (record.fields.size() != RecordSet::columnCount)
            bad(QStringLiteral("oczekiwano %1 pól, jest %2")
                    .arg(RecordSet::columnCount)
                    .arg(record.fields.size()));
        if (record.fields.at(RecordSet::Nazwa).trimmed().isEmpty())
            bad(QStringLiteral("brak nazwy izotopu"));

        std::array<QVariant, RecordSet::columnCount> values;
        values[RecordSet::Nazwa] = record.fields.at(RecordSet::Nazwa);
        for (const int c : {int(RecordSet::Aktywnosc), int(RecordSet::Polrozpad)}) {
            const QString &field = record.fields.at(c);
            if (field.isEmpty())
                continue; // NULL
            try {
                values[c] = decay::textToNumber(field.toStdString(), separator);
            } catch (const halvora::Error &error) {
                bad(QString::fromUtf8(error.what()));
            }
        }
        rows.push_back(std::move(values));
    }
    return rows;
}

void importIsotopes(RecordSet &recordSet, const QString &path)
{
    requireBrowse(recordSet);
    const QString text = csvfile::readTextFile(path);
    recordSet.appendRows(isotopeRowsFromText(text, QLocale().decimalPoint()));
}

} // namespace isotopes
