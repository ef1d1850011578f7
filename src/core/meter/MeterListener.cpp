#include "core/meter/MeterListener.h"

#include <QSerialPort>

#include "core/meter/Decode.h"
#include "platform/SerialLink.h"

// One port listened to. The port object is deleted later: the listening may end in its own
// readyRead.
struct MeterListener::Ear {
    int number = 0;
    QSerialPort* port = new QSerialPort;
    QByteArray bytes;
    ~Ear() {
        port->close();
        port->deleteLater();
    }
};

MeterListener::MeterListener(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        finish();
        Q_EMIT silent();
    });
}

MeterListener::~MeterListener() = default;

void MeterListener::listen(const QVector<int>& numbers, const QVector<ComPort>& map, int ms) {
    stop();
    for (const int number : numbers) {
        const ComPort* port = ComMap::find(map, number);
        if (!port) {
            continue;
        }
        auto ear = std::make_unique<Ear>();
        ear->number = number;
        if (SerialLink::openPath(*ear->port, port->path) != SerialLink::OpenResult::Ok) {
            continue;
        }
        ear->port->setParent(this);
        Ear* raw = ear.get();
        connect(ear->port, &QSerialPort::readyRead, this, [this, raw] { onBytes(*raw); });
        ears_.push_back(std::move(ear));
    }
    timer_.start(ms);
}

void MeterListener::stop() {
    timer_.stop();
    finish();
}

void MeterListener::finish() {
    for (const auto& ear : ears_) {
        ear->port->disconnect(this);
    }
    ears_.clear();
}

void MeterListener::onBytes(Ear& ear) {
    ear.bytes += ear.port->readAll();
    for (qsizetype at = 0; at + PacketSize <= ear.bytes.size(); ++at) {
        if (IsFramedPacket(ear.bytes.mid(at, PacketSize))) {
            const int number = ear.number;
            stop();
            Q_EMIT heard(number);
            return;
        }
    }
    // Only the last bytes can still begin a packet.
    if (ear.bytes.size() >= PacketSize) {
        ear.bytes = ear.bytes.right(PacketSize - 1);
    }
}
