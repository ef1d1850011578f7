#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The framing of the receive tick, apart from the port and the timers: one wait for a live
// packet and the count of waits in a row that ended without one. A wait ends early when exactly
// one packet's worth of bytes is waiting; with more than that it runs its full second and
// fails. After RetriedWaits failed waits a fifth is made, and its outcome is not used: the link
// has no data.
class PacketWait {
  public:
    static constexpr int RetriedWaits = 4;

    enum class Outcome {
        Packet,     // a framed packet: packet() holds it
        Misframed,  // seven bytes with a wrong start or end byte: wait again, not counted
        NoPacket,   // not seven bytes: wait again, counted
        NoData,     // the fifth wait in a row without a packet ended
    };

    // A receive tick begins: no failed waits yet, and a wait begins.
    void beginTick();
    // A wait begins: what was waiting has been dropped.
    void begin();
    // Bytes arrived during the wait. True when exactly one packet's worth is waiting now: the
    // wait ends at once.
    bool arrive(QByteArrayView bytes);
    // The wait ended, early or at its deadline; its bytes are gone. After NoPacket and Misframed
    // the caller begins another wait.
    Outcome end();

    const QByteArray& packet() const { return packet_; }
    int failedWaits() const { return tries_; }

  private:
    // Past one packet the bytes themselves no longer matter, only that there were too many:
    // keep at most one more, so that a flood of garbage costs no memory.
    QByteArray waiting_;
    bool tooMany_ = false;
    QByteArray packet_;
    int tries_ = 0;
};
