#include "windows/print/PrintDocument.h"

#include <QFile>
#include <QPrinter>
#include <cstdio>

PrintDocument::PrintDocument(QPrinter& printer) : printer_(printer) {}

PrintDocument::~PrintDocument() {
    discard();
}

bool PrintDocument::begin() {
    if (printer_.outputFormat() == QPrinter::PdfFormat && !printer_.outputFileName().isEmpty()) {
        target_ = printer_.outputFileName();
        part_ = target_ + QStringLiteral(".part");
        // Not ending in ".pdf", the side file keeps the PDF format that is already set.
        printer_.setOutputFileName(part_);
    }
    if (!painter_.begin(&printer_)) {
        restoreFileName();
        return false;
    }
    active_ = true;
    failed_ = false;
    return true;
}

void PrintDocument::newPage() {
    if (active_ && !printer_.newPage()) {
        failed_ = true;
    }
}

bool PrintDocument::finish() {
    if (!active_) {
        return false;
    }
    active_ = false;
    bool ok = painter_.end() && !failed_ && printer_.printerState() != QPrinter::Error;
    if (!part_.isEmpty()) {
        // rename() replaces an existing file in one step.
        ok = ok && std::rename(QFile::encodeName(part_).constData(),
                               QFile::encodeName(target_).constData()) == 0;
        if (!ok) {
            QFile::remove(part_);
        }
        restoreFileName();
    }
    return ok;
}

void PrintDocument::discard() {
    if (!active_) {
        return;
    }
    active_ = false;
    printer_.abort();
    painter_.end();
    if (!part_.isEmpty()) {
        QFile::remove(part_);
        restoreFileName();
    }
}

void PrintDocument::restoreFileName() {
    if (!part_.isEmpty()) {
        printer_.setOutputFileName(target_);
        part_.clear();
        target_.clear();
    }
}
