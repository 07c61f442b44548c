#pragma once

// The decay chart's data as a table, for a CSV file and for the clipboard.
// No widgets: the chart view hands over its points and gets text back.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace chartexport {

struct Point
{
    QString label;
    double time;     // NaN when the point was added without a time
    double activity;
};

// A header row "Punkt", "Czas", "Aktywność [<unit>]" ("Aktywność" without a
// unit), then one row per point: its label, its time (empty when unknown)
// and its activity, both by the program's number-to-text rule (15 digits,
// not rounded to the precision) with the given decimal separator.
QList<QStringList> table(const QList<Point> &points, const QString &activityUnit,
                         const QString &decimalPoint);

// The table as a CSV file for a spreadsheet in a locale with that decimal
// separator: UTF-8 with a byte-order mark, ";" between fields where the
// separator is "," (else ","), CRLF line ends.
QByteArray csvBytes(const QList<Point> &points, const QString &activityUnit,
                    const QString &decimalPoint);

// The same table as tab-separated lines for the clipboard.
QString clipboardText(const QList<Point> &points, const QString &activityUnit,
                      const QString &decimalPoint);

} // namespace chartexport
