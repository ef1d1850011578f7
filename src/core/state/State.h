#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The program's shared state: plain structs, one instance each, owned by the App. Members keep
// the names every part of the program uses; flags start false, numbers 0, texts empty.

// The current reading, range tracking, graph scales and the ranges of an opened file.
struct Meter {
    // Current reading, rewritten whole by every decoded packet or logger record.
    QString OhmText;
    QString VoltText;
    qint16 RangeCode = 0;  // status byte mod 8: resistance range (bits 0-1), voltage (bit 2)
    qint16 OhmRange = 0;   // 40, 4, 400 or 40
    bool MilliOhmUnit = false;
    qint16 VoltRange = 0;  // 4 or 40
    float OhmDigits = 0;   // digits before the decimal point of the four-digit text
    float VoltDigits = 0;
    bool OhmOverload = false;
    bool VoltOverload = false;
    bool VoltNegative = false;
    bool OhmNoReading = false;
    qint16 OhmLimitMax = 0;
    qint16 OhmLimitMin = 0;
    qint16 VoltLimitMax = 0;
    qint16 VoltLimitMin = 0;

    // Live graphs.
    bool GraphOpen = false;
    qint16 GraphRangeCode = 0;
    qint16 GraphOhmMax = 0;
    qint16 GraphOhmMin = 0;
    qint16 GraphVoltMax = 0;
    qint16 GraphVoltMin = 0;
    float GraphStep = 0;
    float GraphPlotWidth = 0;

    qint16 ListRangeCode = 0;
    qint16 RecordRangeCode = 0;
    bool MemoryOpen = false;
    bool DownloadBusy = false;

    // Ranges found in the header of the file last opened: "40m", "400m", "4", "40"; "40", "4".
    QString FileOhmRange;
    QString FileVoltRange;
};

// Recording, the live list, and the save, print and plot state.
struct FileTransfer {
    bool Recording = false;
    qint32 SamplingTime = 0;  // seconds between samples, 1..86400
    qint32 SampleTick = 0;    // sampling ticks since the last sample; 0 = sample at the next
    qint32 RecordCount = 0;   // lines written to the running recording, header included
    bool ListOpen = false;
    qint32 ListCount = 0;

    QString SaveFileName;
    bool SaveAccepted = false;

    QString SetOhmRangeText;   // of the chosen logger set, e.g. "400m Ohm"
    QString SetVoltRangeText;  // e.g. "40 Voltage"

    // The data plot.
    bool PlotFromDataList = false;
    bool PlotFromFileList = false;
    float PlotOhmLimitMax = 0;
    float PlotOhmLimitMin = 0;
    float PlotVoltLimitMax = 0;
    float PlotVoltLimitMin = 0;
    float PlotOhmTop = 0;
    float PlotOhmBottom = 0;
    float PlotVoltTop = 0;
    float PlotVoltBottom = 0;
    float PlotRowCount = 0;
    float PlotFirstRow = 0;
    float PlotLastRow = 0;
    float PlotPointCount = 0;
};

// The COM port and the data-logger buffer.
struct Rs232 {
    qint16 ComPortNo = 0;  // COM n, 1..16; 0 until the port dialog's OK matched an entry
    QByteArray RxBuffer;   // the last logger dump, with its closing copy
    double SetNumber = 0;
    double SetRecords = 0;
};

// State of the main window that the sampling tick reads and writes.
struct PanelState {
    QString SampleStamp;         // "yyyy/mm/dd hh:nn:ss", the stamp of the latest sample
    QString LoadStamp;           // the stamp taken when the main window loaded
    qint64 LoadMonotonicMs = 0;  // the monotonic clock at that moment
    bool NoData = false;         // the link is in its no-data state ("No COM")
};
