#include "core/records/RecordFormat.h"

#include <cstring>

#include "core/records/ListLayout.h"
#include "platform/TextRules.h"

namespace RecordFormat {

namespace {

constexpr char Tab = '\t';
const QByteArray LineEnd = QByteArrayLiteral("\r\n");

}  // namespace

bool isHeaderLine(QByteArrayView line) {
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    QList<QByteArrayView> fields;
    qsizetype from = 0;
    for (qsizetype tab = line.indexOf(Tab); tab >= 0; tab = line.indexOf(Tab, from)) {
        fields.append(line.sliced(from, tab - from));
        from = tab + 1;
    }
    fields.append(line.sliced(from));
    if (fields.size() == ListLayout::Columns + 1 && fields.constLast().isEmpty()) {
        fields.removeLast();
    }
    if (fields.size() != ListLayout::Columns) {
        return false;
    }
    for (int col : {ListLayout::Number, ListLayout::Date, ListLayout::Time}) {
        if (fields.at(col).trimmed() != ListLayout::fileHeader(col).toLatin1()) {
            return false;
        }
    }
    return fields.at(ListLayout::Ohm)
               .endsWith(ListLayout::fileHeader(ListLayout::Ohm).toLatin1()) &&
           fields.at(ListLayout::Volt)
               .endsWith(ListLayout::fileHeader(ListLayout::Volt).toLatin1());
}

QString ohmHeader(int ohmRange, bool milliOhm) {
    return QString::number(ohmRange) + (milliOhm ? QStringLiteral("mOhm") : QStringLiteral("Ohm"));
}

QString voltHeader(int voltRange) {
    return QString::number(voltRange) + QStringLiteral("Voltage");
}

QString sampleLine(const QString& stamp, const QString& ohmText, const QString& voltText) {
    return TextRules::StampDate(stamp) + QLatin1Char(Tab) + TextRules::StampTime(stamp) +
           QLatin1Char(Tab) + ohmText + QLatin1Char(Tab) + voltText;
}

QByteArray headerLine(int ohmRange, bool milliOhm, int voltRange) {
    QByteArray line = QByteArrayLiteral("No.s\tDate\tTime\t");
    line += ohmHeader(ohmRange, milliOhm).toLatin1();
    line += Tab;
    line += voltHeader(voltRange).toLatin1();
    line += LineEnd;
    return line;
}

QByteArray dataLine(qint32 number, const QString& sampleLine) {
    QByteArray line = QByteArray::number(number);
    line += Tab;
    line += sampleLine.toLatin1();
    line += LineEnd;
    return line;
}

QByteArray gridLine(const QStringList& cells) {
    QByteArray line;
    appendGridLine(line, cells);
    return line;
}

void appendGridLine(QByteArray& out, const QStringList& cells) {
    // Written in place: a string of its own per cell costs more than the copy.
    qsizetype size = LineEnd.size();
    for (const QString& cell : cells) {
        size += cell.size() + 1;
    }
    const qsizetype at = out.size();
    out.resize(at + size);
    char* p = out.data() + at;
    for (const QString& cell : cells) {
        const ushort* from = cell.utf16();
        const qsizetype n = cell.size();
        for (qsizetype i = 0; i < n; ++i) {
            // As toLatin1(): what Latin-1 cannot hold becomes '?'.
            p[i] = from[i] < 0x100 ? char(from[i]) : '?';
        }
        p += n;
        *p++ = Tab;
    }
    std::memcpy(p, LineEnd.constData(), size_t(LineEnd.size()));
}

}  // namespace RecordFormat
