#include "core/meter/PacketWait.h"

#include "core/meter/Decode.h"

void PacketWait::beginTick() {
    tries_ = 0;
    begin();
}

void PacketWait::begin() {
    waiting_.clear();
    tooMany_ = false;
}

bool PacketWait::arrive(QByteArrayView bytes) {
    if (tooMany_ || bytes.isEmpty()) {
        return false;
    }
    if (waiting_.size() + bytes.size() > PacketSize) {
        tooMany_ = true;
        waiting_.clear();
        return false;
    }
    waiting_.append(bytes);
    return waiting_.size() == PacketSize;
}

PacketWait::Outcome PacketWait::end() {
    const bool onePacket = !tooMany_ && waiting_.size() == PacketSize;
    if (!onePacket && tries_ < RetriedWaits) {
        ++tries_;
        begin();
        return Outcome::NoPacket;
    }
    if (tries_ >= RetriedWaits) {
        begin();
        return Outcome::NoData;
    }
    packet_ = waiting_;
    tries_ = 0;
    begin();
    return IsFramedPacket(packet_) ? Outcome::Packet : Outcome::Misframed;
}
