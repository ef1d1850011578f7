#pragma once

#include <QObject>

#include "cli/Options.h"

class Console;
class HeadlessMeter;

// Tells on standard error when the meter falls silent ("No COM") and when it sends again, and
// when its device goes away and comes back; each message with the moment it happened.
class LinkMessages : public QObject {
    Q_OBJECT

  public:
    LinkMessages(HeadlessMeter& meter, const PortSpec& port, Console& console);

  private:
    void say(const QString& text);
    QString device() const;

    HeadlessMeter& meter_;
    PortSpec port_;
    Console& console_;
};
