// Writes the seed corpora into the folder given (fuzz/corpus), one folder per target, from the
// program's own builders: live packets, logger dumps from LoggerDump::build, recording and
// saved-list lines from RecordFormat. Run it again after a change to those formats.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdio>

#include "core/logger/LoggerDump.h"
#include "core/records/RecordFormat.h"

namespace {

QString root;

void seed(const char* target, const char* name, const QByteArray& bytes) {
    const QString dir = root + u'/' + QString::fromLatin1(target);
    QDir().mkpath(dir);
    QFile file(dir + u'/' + QString::fromLatin1(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "make_seeds: cannot write %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
}

QByteArray packet(int ohm, int volt, int status, char start = 0x02, char end = 0x03) {
    QByteArray b;
    b.append(start).append(char(ohm >> 8)).append(char(ohm & 0xFF));
    b.append(char(volt >> 8)).append(char(volt & 0xFF)).append(char(status)).append(end);
    return b;
}

LoggerDump::Set set(int sampling, int status, int records, int ohm = 1850, int volt = 3700) {
    LoggerDump::Set s;
    s.sampling = quint8(sampling);
    for (int i = 0; i < records; ++i) {
        s.records.append({quint16(ohm + i), quint16(volt - i), quint8(status)});
    }
    return s;
}

void liveSeeds() {
    // Byte 1 seeds the chunking; the rest is the stream.
    QByteArray steady(1, '\0');
    for (int i = 0; i < 12; ++i) {
        steady += packet(1850 + i, 3700 - i, 0x03);
    }
    seed("live_stream", "steady", steady);

    QByteArray ranges(1, '\x05');
    for (int status :
         {0x00, 0x01, 0x02, 0x03, 0x07, 0x08, 0x10, 0x20, 0x40, 0x60, 0x80, 0x90, 0xE0, 0xFF}) {
        ranges += packet(1234, 56, status);
    }
    ranges += packet(12345, 65535, 0x06);
    seed("live_stream", "every_status", ranges);

    QByteArray bad(1, '\x11');
    bad += packet(1111, 2222, 0x00);
    bad += packet(1111, 2222, 0x00, 0x00);
    bad += packet(1111, 2222, 0x00, 0x02, 0x00);
    bad += packet(3333, 4444, 0x00).left(5);
    bad += packet(3333, 4444, 0x00) + packet(3333, 4444, 0x00);
    bad += QByteArray::fromHex("00ff55aa0203030302");
    bad += packet(3333, 4444, 0x00);
    seed("live_stream", "misframed_and_garbage", bad);
}

void loggerSeeds() {
    using LoggerDump::build;
    seed("logger_dump", "empty", build({}));
    seed("logger_dump", "demo", build({set(1, 0x03, 30), set(10, 0x06, 25), set(60, 0x01, 8)}));
    seed("logger_dump", "no_end_marker", build({set(2, 0x07, 5), set(5, 0x00, 3)}, false));
    seed("logger_dump", "flags",
         build({set(1, 0x90, 4, 0, 0), set(3, 0x60, 4, 65535, 65535), set(255, 0xFF, 1)}));
    seed("logger_dump", "records_like_markers",
         build({set(1, 0x00, 6, 0x0055, 0xAA00), set(1, 0x03, 2, 0x0303, 0x0303)}));
    // A first answer of 7 bytes is no answer; the meter is asked again.
    seed("logger_dump", "seven", build({}).left(3) + QByteArray::fromHex("31323334"));
    // A dump cut short: N promises more than came.
    seed("logger_dump", "short", build({set(10, 0x03, 40)}).left(120));
}

// The logger_sets target's input: flags, then per set its sampling byte, its record count less
// one, and its records.
QByteArray describe(const QVector<LoggerDump::Set>& sets, bool endMarker) {
    QByteArray d(1, endMarker ? '\x01' : '\0');
    for (const LoggerDump::Set& s : sets) {
        d.append(char(s.sampling)).append(char(s.records.size() - 1));
        for (const LoggerDump::Record& r : s.records) {
            d.append(char(r.ohmCount >> 8)).append(char(r.ohmCount & 0xFF));
            d.append(char(r.voltCount >> 8)).append(char(r.voltCount & 0xFF));
            d.append(char(r.status));
        }
    }
    return d;
}

void loggerSetSeeds() {
    seed("logger_sets", "demo",
         describe({set(1, 0x03, 30), set(10, 0x06, 25), set(60, 0x01, 8)}, true));
    seed("logger_sets", "no_end_marker", describe({set(2, 0x07, 5), set(5, 0x00, 3)}, false));
    seed("logger_sets", "flags",
         describe({set(1, 0x90, 4, 0, 0), set(3, 0x60, 4, 65535, 65535), set(255, 0xFF, 1)}, true));
}

void recordSeeds() {
    // Byte 1 seeds the chunking; the rest is the file.
    const QString stamps[] = {QStringLiteral("2021/07/01 10:20:30"),
                              QStringLiteral("2021/07/01 10:20:32")};
    QByteArray recording(1, '\0');
    recording += RecordFormat::headerLine(40, true, 4);
    recording += RecordFormat::dataLine(
        1, RecordFormat::sampleLine(stamps[0], QStringLiteral("12.34"), QStringLiteral("4.012")));
    recording += RecordFormat::dataLine(
        2, RecordFormat::sampleLine(stamps[1], QStringLiteral("OL"), QStringLiteral("-OL")));
    seed("record_reader", "recording", recording);

    QByteArray saved(1, '\x07');
    saved += RecordFormat::gridLine({QStringLiteral("No.s"), QStringLiteral("   Date"),
                                     QStringLiteral("   Time"), QStringLiteral("400m Ohm"),
                                     QStringLiteral("40 Voltage")});
    saved += RecordFormat::gridLine({QStringLiteral("1"), QStringLiteral("2021/07/01"),
                                     QStringLiteral("10:20:30"), QStringLiteral("----"),
                                     QStringLiteral("12.34")});
    seed("record_reader", "saved_list", saved);

    seed("record_reader", "header_only",
         QByteArray(1, '\x02') + RecordFormat::headerLine(4, false, 40));
    seed("record_reader", "empty", QByteArray(1, '\0'));
    // Commas, quotes, bare CR and LF, blank lines: files of other programs.
    seed("record_reader", "foreign",
         QByteArray("\x13No.s,Date\r\n  \"1\t2021/07/01\",x\r1\t2\t3\t4\t5\t6\n\n\r\n,,\"open"));
}

void textSeeds() {
    for (const char* answer :
         {"2021/07/01 10:20:30", "0000/00/00 08:00:00", "5/1/2 3:4:5", "2021-07-01 10:20:30",
          "2021/12/31 23:59:59", "2024/02/30 10:00:00", " 12/13/1 25:61:61"}) {
        static int n = 0;
        seed("starting_time", qPrintable(QStringLiteral("answer%1").arg(++n)), answer);
    }
    for (const char* text : {"12.5", "  -3e2x", ".5", "40m Ohm", "4Voltage", " 000123 ", "1.2.3",
                             "+-5", "7e", "\t-0.0E+12", "86400"}) {
        static int n = 0;
        seed("leading_number", qPrintable(QStringLiteral("text%1").arg(++n)), text);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds CORPUS_DIR\n");
        return 2;
    }
    root = QString::fromLocal8Bit(argv[1]);
    liveSeeds();
    loggerSeeds();
    loggerSetSeeds();
    recordSeeds();
    textSeeds();
    return 0;
}
