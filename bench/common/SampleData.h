#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

class GridModel;

// The lists and files the benchmarks work on: a recording of a battery sampled every 2 s, the
// resistance drifting in the 40 mOhm range and the voltage discharging in the 4 V range.
namespace SampleData {

// Row `i` (from 1): number, date, time, resistance, voltage.
QStringList Row(int i);
// Rows 1 to `count`.
QVector<QStringList> Rows(int count);
// A five-column list of `lines` rows, the header row included.
void FillList(GridModel& grid, int lines);
// A recording file of `lines` lines, the header line included, as the sampler writes it.
QByteArray Recording(int lines);
// Writes `bytes` to `path`; false when it cannot.
bool WriteFile(const QString& path, const QByteArray& bytes);

}  // namespace SampleData
