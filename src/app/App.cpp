#include "app/App.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "app/Receiver.h"
#include "platform/SerialLink.h"
#include "records/Sampler.h"

App::App(Dialogs& dialogs, Clock& clock, Shell& shell, QObject* parent)
    : QObject(parent),
      dialogs_(std::make_unique<WatchedDialogs>(dialogs)),
      clock_(clock),
      shell_(shell),
      link_(std::make_unique<SerialLink>()),
      receiver_(std::make_unique<Receiver>(*link_, meter, panel, clock)),
      sampler_(std::make_unique<Sampler>(meter, transfer, panel, clock)),
      windows_(*this) {}

App::~App() {
    windows_.clear();
    shutdown();
}

void App::setTimer1(bool on) {
    // A running logger download owns the port: nothing but its own end switches Timer1 on.
    if (on && meter.DownloadBusy) {
        return;
    }
    receiver_->setEnabled(on);
}

bool App::timer1() const {
    return receiver_->isEnabled();
}

int App::timer1Interval() {
    return Receiver::Interval;
}

QString App::helpDocumentPath() const {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString beside = dir + QStringLiteral("/help/english.pdf");
    if (QFileInfo::exists(beside)) {
        return beside;
    }
    return QDir::cleanPath(dir + QStringLiteral("/../share/kelvomark/help/english.pdf"));
}

void App::shutdown() {
    receiver_->setEnabled(false);
    sampler_->closeRecording();
    link_->close();
    windows_.hideAll();
}
