#include "core/logger/LoggerDump.h"

namespace LoggerDump {

QByteArray build(const QVector<Set>& sets, bool endMarker) {
    QByteArray body;
    for (const Set& set : sets) {
        body.append(SetMarker);
        body.append(char(set.sampling));
        for (const Record& r : set.records) {
            body.append(char(r.ohmCount >> 8));
            body.append(char(r.ohmCount & 0xff));
            body.append(char(r.voltCount >> 8));
            body.append(char(r.voltCount & 0xff));
            body.append(char(r.status));
        }
    }
    if (endMarker && !sets.isEmpty()) {
        body.append(EndMarker);
    }
    // Byte 1, N, the body and the one last byte that the program drops.
    const int length = 1 + 2 + int(body.size()) + 1;
    const int n = length + AddressBase;
    QByteArray dump;
    dump.reserve(length);
    dump.append(char(0x00));
    dump.append(char((n >> 8) & 0xff));
    dump.append(char(n & 0xff));
    dump.append(body);
    dump.append(char(0x00));
    return dump;
}

}  // namespace LoggerDump
