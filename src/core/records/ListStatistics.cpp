#include "core/records/ListStatistics.h"

#include <cmath>

#include "core/records/ListLayout.h"
#include "platform/GridModel.h"
#include "platform/TextRules.h"

bool ListStatistics::isReading(QStringView text) {
    const QStringView t = text.trimmed();
    return !t.isEmpty() && t != u"OL" && t != u"-OL" && t != u"----";
}

QString ListStatistics::ohmUnit(QStringView range) {
    const qsizetype at = range.indexOf(u"Ohm");
    const QStringView before = (at < 0 ? range : range.left(at)).trimmed();
    return before.endsWith(u'm') ? QStringLiteral("mOhm") : QStringLiteral("Ohm");
}

void ListStatistics::Column::add(QStringView text) {
    if (!isReading(text)) {
        return;
    }
    const QStringView t = text.trimmed();
    const double value = TextRules::LeadingNumber(t);
    if (count == 0 || value < least) {
        least = value;
        leastText = t.toString();
    }
    if (count == 0 || value > greatest) {
        greatest = value;
        greatestText = t.toString();
    }
    sum += value;
    ++count;
    if (const qsizetype point = t.indexOf(u'.'); point >= 0) {
        decimals = qMax(decimals, int(t.size() - point - 1));
    }
}

QString ListStatistics::Column::meanText() const {
    const double scale = std::pow(10.0, decimals + 1);
    return TextRules::GeneralNumber(TextRules::RoundHalfEven(mean() * scale) / scale);
}

void ListStatistics::clear() {
    *this = ListStatistics();
}

void ListStatistics::addRow(QStringView ohm, QStringView volt) {
    ++rows_;
    ohm_.add(ohm);
    volt_.add(volt);
}

void ListStatistics::addRows(const GridModel& grid, int first, int last) {
    last = qMin(last, grid.Rows() - 1);
    for (int r = qMax(1, first); r <= last; ++r) {
        const QStringList& cells = grid.row(r);
        addRow(cells.value(ListLayout::Ohm), cells.value(ListLayout::Volt));
    }
}

QString ListStatistics::line(const QString& ohmUnit) const {
    const auto column = [this](const QString& name, const Column& c) {
        if (c.count == 0) {
            return name + QStringLiteral(": no readings");
        }
        QString text = QStringLiteral("%1: min %2, max %3, mean %4")
                           .arg(name, c.leastText, c.greatestText, c.meanText());
        // Rows of "OL" or "----" are not in the figures: say over how many they are.
        if (c.count != rows_) {
            text += QStringLiteral(" of %1").arg(c.count);
        }
        return text;
    };
    return QStringLiteral("%1 %2   %3   %4")
        .arg(rows_)
        .arg(rows_ == 1 ? QStringLiteral("row") : QStringLiteral("rows"),
             column(QStringLiteral("Resistance (%1)").arg(ohmUnit), ohm_),
             column(QStringLiteral("Voltage (V)"), volt_));
}
