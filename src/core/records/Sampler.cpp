#include "core/records/Sampler.h"

#include "core/records/RecordFormat.h"
#include "platform/Clock.h"
#include "platform/TextRules.h"

Sampler::Sampler(Meter& meter, FileTransfer& transfer, PanelState& panel, Clock& clock,
                 QObject* parent)
    : QObject(parent), meter_(meter), transfer_(transfer), panel_(panel), clock_(clock) {
    connect(&file_, &RecordingFile::syncFailed, this, &Sampler::fail);
}

Sampler::~Sampler() {
    closeRecording();
}

void Sampler::tick() {
    if (panel_.NoData) {
        return;
    }
    if (transfer_.SampleTick != 0 && transfer_.SampleTick < transfer_.SamplingTime) {
        ++transfer_.SampleTick;
        return;
    }

    const qint64 elapsedMs = qMax<qint64>(0, clock_.monotonicMs() - panel_.LoadMonotonicMs);
    panel_.SampleStamp = TextRules::AddSeconds(panel_.LoadStamp, elapsedMs / 1000);
    const QString line =
        RecordFormat::sampleLine(panel_.SampleStamp, meter_.OhmText, meter_.VoltText);

    if (transfer_.Recording) {
        if (transfer_.RecordCount == RecordLimit || meter_.RecordRangeCode != meter_.RangeCode) {
            // The tick ends here; SampleTick stays, so the next tick samples again.
            stopRecording();
            return;
        }
        if (transfer_.RecordCount != 0) {
            if (!write(RecordFormat::dataLine(transfer_.RecordCount, line))) {
                return;
            }
            Q_EMIT recordWritten(transfer_.RecordCount);
        } else if (!write(RecordFormat::headerLine(meter_.OhmRange, meter_.MilliOhmUnit,
                                                   meter_.VoltRange))) {
            return;
        }
        ++transfer_.RecordCount;
    }
    if (!transfer_.Recording) {
        Q_EMIT notRecording();
    }

    if (transfer_.ListOpen) {
        ++transfer_.ListCount;
        const qint32 number = transfer_.ListCount;
        if (number == ListLimit) {
            transfer_.ListCount = 0;
            transfer_.ListOpen = false;
        }
        Q_EMIT listRow(QString::number(number) + QLatin1Char('\t') + line);
    }
    transfer_.SampleTick = 1;
}

bool Sampler::write(const QByteArray& line) {
    if (file_.writeLine(line)) {
        return true;
    }
    fail();
    return false;
}

void Sampler::fail() {
    const QString fileName = file_.fileName();
    const QString reason = file_.errorString();
    file_.close();
    end(fileName, reason);
}

bool Sampler::startRecording(const QString& path) {
    if (!file_.open(path)) {
        return false;
    }
    transfer_.Recording = true;
    transfer_.RecordCount = 0;
    meter_.RecordRangeCode = meter_.RangeCode;
    return true;
}

void Sampler::stopRecording() {
    const QString fileName = file_.fileName();
    // The last lines go to the disk as the file closes.
    end(fileName, file_.close() ? QString() : file_.errorString());
}

void Sampler::end(const QString& fileName, const QString& failure) {
    transfer_.Recording = false;
    transfer_.RecordCount = 0;
    Q_EMIT recordingStopped();
    if (!failure.isEmpty()) {
        Q_EMIT writeFailed(fileName, failure);
    }
}

void Sampler::closeRecording() {
    transfer_.Recording = false;
    transfer_.RecordCount = 0;
    file_.close();
}
