#include "records/RecordingUi.h"

#include "app/App.h"
#include "app/Panel.h"

void ConnectRecording(App& app, Panel& panel) {
    Q_UNUSED(app);
    Q_UNUSED(panel);
}
