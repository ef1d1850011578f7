#include "app/Receiver.h"

#include "app/Decode.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"

Receiver::Receiver(SerialLink& link, Meter& meter, Clock& clock, QObject* parent)
    : QObject(parent), link_(link), meter_(meter), clock_(clock) {}

void Receiver::setEnabled(bool on) { enabled_ = on; }
