#pragma once

#include <QColor>

#include "core/cells/Verdict.h"

// The colours of the verdicts, on screen only: every place that colours a verdict also writes it
// in words, so the colour only speeds up the eye.
namespace VerdictLook {

// A table cell's: light, under dark text, in a light or a dark palette alike.
QColor background(Verdict verdict);
QColor text(Verdict verdict);
// The large result's: strong enough to be told apart across the bench.
QColor strong(Verdict verdict);
QColor strongText(Verdict verdict);

}  // namespace VerdictLook
