#include "cli/HeadlessMeter.h"

#include "app/Receiver.h"
#include "app/SecondTicker.h"
#include "cli/Options.h"
#include "logger/LoggerDownload.h"
#include "platform/TextRules.h"
#include "records/Sampler.h"

HeadlessMeter::HeadlessMeter(QObject* parent)
    : QObject(parent),
      link_(std::make_unique<SerialLink>()),
      receiver_(std::make_unique<Receiver>(*link_, meter, panel, clock_)),
      sampler_(std::make_unique<Sampler>(meter, transfer, panel, clock_)),
      ticker_(std::make_unique<SecondTicker>(clock_)) {
    connect(ticker_.get(), &SecondTicker::tick, sampler_.get(), &Sampler::tick);
}

HeadlessMeter::~HeadlessMeter() {
    delete download_;
    receiver_->setEnabled(false);
    ticker_->stop();
    sampler_->closeRecording();
    link_->close();
}

SerialLink::OpenResult HeadlessMeter::open(const PortSpec& port) {
    rs232.ComPortNo = qint16(port.comNo);
    return port.path.isEmpty() ? link_->open(port.comNo) : link_->openDevice(port.path);
}

void HeadlessMeter::startTicks() {
    transfer.Recording = false;
    transfer.SamplingTime = 2;
    // The sampler stamps each sample from these two: the stamp of this moment plus the whole
    // seconds elapsed on the monotonic clock since.
    panel.LoadStamp = TextRules::FormatStamp(clock_.now());
    panel.LoadMonotonicMs = clock_.monotonicMs();
    panel.SampleStamp = panel.LoadStamp;
    panel.NoData = false;
    meter.MemoryOpen = false;
    meter.DownloadBusy = false;
    receiver_->setEnabled(true);
    ticker_->start(panel.LoadMonotonicMs);
}

LoggerDownload* HeadlessMeter::startDownload() {
    receiver_->setEnabled(false);
    if (meter.DownloadBusy) {
        return nullptr;
    }
    meter.DownloadBusy = true;
    download_ = new LoggerDownload(link_->port(), rs232);
    connect(download_, &LoggerDownload::finished, this, [this] {
        meter.DownloadBusy = false;
        receiver_->setEnabled(true);
        download_->deleteLater();
        download_ = nullptr;
    });
    download_->start();
    return download_;
}
