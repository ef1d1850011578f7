#include "SampleData.h"

#include <QDateTime>
#include <QFile>
#include <cmath>

#include "core/records/ListLayout.h"
#include "core/records/RecordFormat.h"
#include "platform/GridModel.h"
#include "platform/TextRules.h"

namespace SampleData {

namespace {

constexpr int StepSeconds = 2;

QString Stamp(int i) {
    static const QDateTime start(QDate(2021, 7, 1), QTime(8, 0), Qt::UTC);
    return TextRules::FormatStamp(start.addSecs(qint64(i) * StepSeconds));
}

QString Ohm(int i) {
    return QString::number(18.5 + 6.0 * std::sin(i / 150.0) + (i * 7919 % 11) * 0.01, 'f', 2);
}

QString Volt(int i) {
    return QString::number(3.95 - 0.5 * i / 70000.0 + (i * 104729 % 7) * 0.001, 'f', 3);
}

}  // namespace

QStringList Row(int i) {
    const QString stamp = Stamp(i);
    return {QString::number(i), TextRules::StampDate(stamp), TextRules::StampTime(stamp), Ohm(i),
            Volt(i)};
}

QVector<QStringList> Rows(int count) {
    QVector<QStringList> rows;
    rows.reserve(count);
    for (int i = 1; i <= count; ++i) {
        rows.append(Row(i));
    }
    return rows;
}

void FillList(GridModel& grid, int lines) {
    grid.setRows(1);
    for (int c = 0; c < ListLayout::Columns; ++c) {
        grid.setText(0, c, ListLayout::header(c));
    }
    grid.appendRows(Rows(lines - 1));
}

QByteArray Recording(int lines) {
    QByteArray bytes = RecordFormat::headerLine(40, true, 4);
    for (int i = 1; i < lines; ++i) {
        bytes += RecordFormat::dataLine(i, RecordFormat::sampleLine(Stamp(i), Ohm(i), Volt(i)));
    }
    return bytes;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace SampleData
