#include "chart/chartexport.h"

#include "decay/decaymodel.h"
#include "isotopes/csvfile.h"

#include <cmath>

namespace chartexport {

namespace {

QString numberText(double value, const std::string &separator)
{
    return QString::fromStdString(decay::numberToText(static_cast<long double>(value), separator));
}

} // namespace

QList<QStringList> table(const QList<Point> &points, const QString &activityUnit,
                         const QString &decimalPoint)
{
    const std::string separator = decimalPoint.toStdString();
    QList<QStringList> rows;
    rows.reserve(points.size() + 1);
    QString activity = QStringLiteral("Aktywność");
    if (!activityUnit.isEmpty())
        activity += QStringLiteral(" [%1]").arg(activityUnit);
    rows << QStringList {QStringLiteral("Punkt"), QStringLiteral("Czas"), activity};
    for (const Point &point : points) {
        rows << QStringList {point.label,
                             std::isnan(point.time) ? QString() : numberText(point.time, separator),
                             numberText(point.activity, separator)};
    }
    return rows;
}

QByteArray csvBytes(const QList<Point> &points, const QString &activityUnit,
                    const QString &decimalPoint)
{
    return csvfile::csvBytes(table(points, activityUnit, decimalPoint),
                             csvfile::fieldSeparatorFor(decimalPoint));
}

QString clipboardText(const QList<Point> &points, const QString &activityUnit,
                      const QString &decimalPoint)
{
    return csvfile::tabText(table(points, activityUnit, decimalPoint));
}

} // namespace chartexport
