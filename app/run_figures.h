// A generation run's figures in the words both generators of the window use:
// what was saved of what was made, the rate and the time.
#pragma once

#include <QString>

namespace gw {

// "0:42", or "1:02:03" from an hour on.
QString Elapsed(double seconds);

// "Saved 12 of 40 made · 9.5 a second · 0:04 elapsed" (the rate is of
// puzzles made).
QString RunFigures(long long saved, long long made, double seconds);

}  // namespace gw
