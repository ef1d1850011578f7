#include "ConnectedApp.h"

#include <QPushButton>

#include "platform/SerialLink.h"
#include "shell/Panel.h"
#include "shell/Port.h"
#include "windows/common/App.h"

namespace {

// The simulator built with the benchmarks, unless the environment names another.
QStringList WithSimulator(const QStringList& arguments) {
    if (qEnvironmentVariableIsEmpty("KELVOMARK_SIM")) {
        qputenv("KELVOMARK_SIM", KELVO_BENCH_SIM);
    }
    return arguments;
}

}  // namespace

ConnectedApp::ConnectedApp(const QStringList& simArguments) : sim_(WithSimulator(simArguments)) {
    if (!sim_.isReady()) {
        error_ = QStringLiteral("the simulator did not start: ") + sim_.errorText();
        return;
    }
    com_.set(1, sim_.path());
    com_.claimRest();
    app_ = std::make_unique<App>(dialogs_, clock_, shell_);
    Port& port = app_->windows().get<Port>();
    port.show();
    if (auto* ok = port.findChild<QPushButton*>(QStringLiteral("CmdOk"))) {
        ok->click();
    }
    if (!app_->windows().isVisible<Panel>() || !app_->link().isOpen()) {
        error_ = QStringLiteral("the main window did not open the port");
    }
}

ConnectedApp::~ConnectedApp() {
    if (app_) {
        app_->shutdown();
    }
    app_.reset();
}
