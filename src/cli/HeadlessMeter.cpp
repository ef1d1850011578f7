#include "cli/HeadlessMeter.h"

#include "cli/Options.h"
#include "core/logger/LoggerDownload.h"

HeadlessMeter::HeadlessMeter(QObject* parent) : Session(systemClock, parent) {}

HeadlessMeter::~HeadlessMeter() {
    delete download_;
    stop();
}

SerialLink::OpenResult HeadlessMeter::open(const PortSpec& port) {
    rs232.ComPortNo = qint16(port.comNo);
    return port.path.isEmpty() ? link().open(port.comNo) : link().openDevice(port.path);
}

LoggerDownload* HeadlessMeter::startDownload() {
    setTimer1(false);
    if (meter.DownloadBusy) {
        return nullptr;
    }
    meter.DownloadBusy = true;
    download_ = new LoggerDownload(link().port(), rs232);
    QObject::connect(download_, &LoggerDownload::finished, this, [this] {
        meter.DownloadBusy = false;
        setTimer1(true);
        download_->deleteLater();
        download_ = nullptr;
    });
    download_->start();
    return download_;
}
