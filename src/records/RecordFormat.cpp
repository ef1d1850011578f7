#include "records/RecordFormat.h"

#include "platform/TextRules.h"

namespace RecordFormat {

namespace {

constexpr char Tab = '\t';
const QByteArray LineEnd = QByteArrayLiteral("\r\n");

}  // namespace

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
    for (const QString& cell : cells) {
        line += cell.toLatin1();
        line += Tab;
    }
    line += LineEnd;
    return line;
}

}  // namespace RecordFormat
