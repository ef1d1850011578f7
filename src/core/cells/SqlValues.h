#pragma once

#include <QAtomicInt>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <cmath>
#include <limits>

// How the inventory and the journal bind and read values, and name their connections: one
// home, so that the two agree on what NULL means.
namespace Sql {

// A number that is not finite (not measured) is NULL.
inline QVariant number(double value) {
    return std::isfinite(value) ? QVariant(value) : QVariant(QMetaType::fromType<double>());
}

// Qt binds a null string as NULL; the texts kept are never NULL.
inline QVariant text(const QString& value) {
    return value.isNull() ? QString(QStringLiteral("")) : value;
}

// NULL reads back as NaN.
inline double numberAt(const QSqlQuery& query, int column) {
    const QVariant value = query.value(column);
    return value.isNull() ? std::numeric_limits<double>::quiet_NaN() : value.toDouble();
}

// Qt SQL keeps connections by name, process-wide: each object needs a name of its own.
inline QString connectionName(const QString& kind) {
    static QAtomicInt serial;
    return QStringLiteral("kelvomark-%1-%2").arg(kind).arg(serial.fetchAndAddRelaxed(1));
}

}  // namespace Sql
