#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

class GridModel;

// The count, least, greatest and mean of a list's readings, column by column: the resistance
// and the voltage. Texts that hold no reading ("OL", "-OL", "----", an empty cell) are left
// out. Rows are added one at a time as they come, so that a list of 70,000 rows is never
// gone through again for one more row.
class ListStatistics {
  public:
    struct Column {
        qint64 count = 0;
        double least = 0;
        double greatest = 0;
        double sum = 0;
        QString leastText;  // as the list shows them
        QString greatestText;
        int decimals = 0;  // the most any reading had

        void add(QStringView text);
        double mean() const { return count > 0 ? sum / double(count) : 0; }
        // The mean rounded to one decimal more than the readings have.
        QString meanText() const;
    };

    void clear();
    void addRow(QStringView ohm, QStringView volt);
    // Data rows `first` to `last` of the grid (1 is the first row under the header).
    void addRows(const GridModel& grid, int first, int last);

    qint64 rows() const { return rows_; }
    const Column& ohm() const { return ohm_; }
    const Column& volt() const { return volt_; }

    // One line for under the list: the number of rows, then each column's least, greatest and
    // mean, the resistance in `ohmUnit` ("mOhm" or "Ohm").
    QString line(const QString& ohmUnit) const;

    // Whether a cell's text is a reading.
    static bool isReading(QStringView text);
    // The resistance unit of a range text of any of the program's spellings: "40mOhm",
    // "400m Ohm", "4Ohm", the reader's "40m" and "4"; "Ohm" when it names none.
    static QString ohmUnit(QStringView range);

  private:
    qint64 rows_ = 0;
    Column ohm_;
    Column volt_;
};
