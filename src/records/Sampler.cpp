#include "records/Sampler.h"

#include "platform/Clock.h"

Sampler::Sampler(Meter& meter, FileTransfer& transfer, PanelState& panel, Clock& clock,
                 QObject* parent)
    : QObject(parent), meter_(meter), transfer_(transfer), panel_(panel), clock_(clock) {}

Sampler::~Sampler() { closeRecording(); }

void Sampler::tick() {}

void Sampler::closeRecording() {}
