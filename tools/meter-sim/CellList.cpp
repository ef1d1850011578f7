#include "CellList.h"

#include <QFile>
#include <QStringList>

#include "SimText.h"

namespace CellList {

std::optional<QVector<SimCell>> Parse(const QString& text, QString* error) {
    QVector<SimCell> cells;
    const bool read = SimText::ReadLines(text, error, [&](const QStringList& words, int line) {
        if (words.size() < 2 || words.size() > 3) {
            return QStringLiteral("usage: <milliohms> <volts> [label]");
        }
        // Zero resistance is a short, which the meter shows as a number too.
        const auto milliOhm = SimText::Decimal(words.at(0), 0.0, MaxMilliOhm);
        if (!milliOhm) {
            return QStringLiteral("\"%1\" is not a resistance in milliohms 0..%2")
                .arg(words.at(0))
                .arg(MaxMilliOhm);
        }
        const auto volt = SimText::Decimal(words.at(1), -MaxVolt, MaxVolt);
        if (!volt) {
            return QStringLiteral("\"%1\" is not a voltage in volts -%2..%2")
                .arg(words.at(1))
                .arg(MaxVolt);
        }
        cells.append({*milliOhm, *volt, words.value(2), line});
        return QString();
    });
    if (!read) {
        return std::nullopt;
    }
    return cells;
}

std::optional<QVector<SimCell>> Load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    auto cells = Parse(QString::fromUtf8(file.readAll()), error);
    if (!cells) {
        *error = QStringLiteral("%1: %2").arg(path, *error);
        return std::nullopt;
    }
    if (cells->isEmpty()) {
        *error = QStringLiteral("%1: no cells in the file").arg(path);
        return std::nullopt;
    }
    return cells;
}

}  // namespace CellList
