#include "techniques/techniques.h"

namespace gw {

// Not built yet: finds nothing.
int TryXCycles(GradeState& s, int level) { (void)s; (void)level; return 0; }

}  // namespace gw
