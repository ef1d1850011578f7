#include "shell/RecordingUi.h"

#include <QDir>
#include <QLabel>

#include "core/records/Sampler.h"
#include "platform/widgets/Dialogs.h"
#include "shell/Panel.h"
#include "windows/common/App.h"
#include "windows/records/List.h"

void ConnectRecording(App& app, Panel& panel) {
    Sampler& sampler = app.sampler();
    QObject::connect(&sampler, &Sampler::recordWritten, &panel, [&panel](qint32 number) {
        panel.lblCount()->setText(QString::number(number));
        panel.lblRec()->setText(QStringLiteral("Rec"));
    });
    QObject::connect(&sampler, &Sampler::notRecording, &panel, [&panel] {
        panel.lblFileName()->clear();
        panel.lblCount()->clear();
        panel.lblRec()->clear();
    });
    QObject::connect(&sampler, &Sampler::recordingStopped, &panel, [&panel] {
        panel.setRecordingLook(false);
        panel.lblRec()->clear();
        panel.lblCount()->clear();
    });
    // Queued: the message box waits for the person, the tick that found the failure does not.
    QObject::connect(
        &sampler, &Sampler::writeFailed, &panel,
        [&app, &panel](const QString& fileName, const QString& reason) {
            app.dialogs().message(
                &panel, Dialogs::Icon::Critical, Dialogs::appTitle(),
                QStringLiteral("The recording could not be written to\n%1\n\n%2\n\n"
                               "Recording has stopped; the lines written before are kept.")
                    .arg(QDir::toNativeSeparators(fileName), reason));
        },
        Qt::QueuedConnection);
    QObject::connect(&sampler, &Sampler::listRow, &panel,
                     [&app](const QString& tabText) { app.windows().get<List>().addRow(tabText); });
}
