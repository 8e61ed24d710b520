#include "techniques/techniques.h"

namespace gw {

// Not built yet: finds nothing.
int TryMultiColoring(GradeState& s) { (void)s; return -1; }

}  // namespace gw
