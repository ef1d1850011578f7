#include "windows/cells/VerdictLook.h"

namespace VerdictLook {

QColor background(Verdict verdict) {
    switch (verdict) {
        case Verdict::Pass:
            return QColor(198, 234, 204);
        case Verdict::Warn:
            return QColor(255, 230, 160);
        case Verdict::Fail:
            return QColor(248, 196, 192);
    }
    return QColor();
}

QColor text(Verdict) {
    return QColor(20, 24, 28);
}

QColor strong(Verdict verdict) {
    switch (verdict) {
        case Verdict::Pass:
            return QColor(30, 130, 56);
        case Verdict::Warn:
            return QColor(236, 170, 0);
        case Verdict::Fail:
            return QColor(196, 32, 28);
    }
    return QColor();
}

QColor strongText(Verdict verdict) {
    // Amber is light: black on it reads better than white.
    return verdict == Verdict::Warn ? QColor(20, 20, 20) : QColor(255, 255, 255);
}

}  // namespace VerdictLook
