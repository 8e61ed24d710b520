#include "run_figures.h"

namespace gw {

QString Elapsed(double seconds) {
    const int s = static_cast<int>(seconds);
    return s >= 3600 ? QString::asprintf("%d:%02d:%02d", s / 3600, s / 60 % 60, s % 60)
                     : QString::asprintf("%d:%02d", s / 60, s % 60);
}

QString RunFigures(long long saved, long long made, double seconds) {
    const double rate = seconds > 0 ? static_cast<double>(made) / seconds : 0.0;
    return QStringLiteral("Saved %1 of %2 made · %3 a second · %4 elapsed")
        .arg(saved)
        .arg(made)
        .arg(rate, 0, 'f', rate < 10 ? 1 : 0)
        .arg(Elapsed(seconds));
}

}  // namespace gw
