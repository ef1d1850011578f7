#pragma once

#include "core/logger/LoggerDownload.h"
#include "windows/common/AppWindow.h"

class Grid;
class QGroupBox;
class QLabel;
class QPushButton;

// The data-logger window: the download's progress, the free logger memory and one row per set;
// a click on a set lists it.
class Memory : public AppWindow {
    Q_OBJECT

  public:
    explicit Memory(App& app);
    ~Memory() override;

    Grid& gridSet() { return *gridSet_; }
    Grid& grid() { return *grid_; }
    QLabel* lblSize() const { return lblSize_; }
    QLabel* lblRemain() const { return lblRemain_; }
    QLabel* lblMessage() const { return lblMessage_; }
    QPushButton* cmdCompare() const { return cmdCompare_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

    // Right of the main window, level with its top.
    void place();

    // Runs the download; when it ends, on every way out, DownloadBusy is cleared and the
    // receive tick switched on again.
    void startDownload();
    // The running download, or null.
    LoggerDownload* download() const;

    // What LblMessage says when the meter stops in the middle of its answer.
    static QString stalledMessage(int stallMs);
    // What LblMessage says when a download ends without its sets, so that no progress text is
    // left to read as a paused or finished one; empty after a download that ended well.
    static QString endMessage(LoggerDownload::Outcome outcome, int stallMs);

  protected:
    void onUnload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void downloadFinished(LoggerDownload::Outcome outcome);
    void appendSets(const QStringList& rows);
    void layOutHeaders();

    Grid* gridSet_;
    Grid* grid_;
    QGroupBox* ssPanel1_;
    QLabel* lblSize_;
    QGroupBox* ssPanel2_;
    QLabel* lblRemain_;
    QLabel* lblMessage_;
    QPushButton* cmdCompare_;
    QPushButton* cmdCancel_;
    LoggerDownload* download_ = nullptr;
};
