#pragma once

#include <QPainter>
#include <QString>

class QPrinter;

// One print run on a QPrinter, ended as a whole or discarded as a whole. A PDF is written beside
// its chosen name (with ".part" added) and takes that name only when the run ends well, so a run
// that fails or is cancelled leaves no partial file and keeps a file that was there before.
class PrintDocument {
  public:
    explicit PrintDocument(QPrinter& printer);
    // Discards a run that was neither finished nor discarded.
    ~PrintDocument();
    PrintDocument(const PrintDocument&) = delete;
    PrintDocument& operator=(const PrintDocument&) = delete;

    // Starts the run; false when the printer or the file cannot be opened.
    bool begin();
    QPrinter& printer() const { return printer_; }
    QPainter& painter() { return painter_; }
    void newPage();
    // A page could not be started: the run can only be discarded.
    bool failed() const { return failed_; }

    // Ends the document and hands it over (to the print system, or to its file name); false when
    // that failed, in which case nothing is left behind.
    bool finish();
    // Drops the document: the job is withdrawn where the print system allows it, a partial PDF is
    // removed.
    void discard();

  private:
    void restoreFileName();

    QPrinter& printer_;
    QPainter painter_;
    QString target_;  // the chosen PDF file while the run writes to its side file
    QString part_;
    bool active_ = false;
    bool failed_ = false;
};
