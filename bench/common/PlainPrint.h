#pragma once

#include <QString>

class GridModel;
class QPrinter;

// The baseline of the print benchmarks: the least a printed list can cost.
namespace PlainPrint {

// An A4 PDF file.
void ToPdf(QPrinter& printer, const QString& path);
// The rows as one line of text each, 11-point Arial, 400 twips apart, as many to a page as the
// program prints, into an A4 PDF; the number of pages.
int Print(const GridModel& grid, const QString& path);

}  // namespace PlainPrint
