#include "grader/signature.h"

namespace gw {

void GradingSignature::Byte(unsigned value) {
    hash_ ^= value & 0xFFu;
    hash_ *= 1099511628211ull;
}

void GradingSignature::Add(int level, const std::vector<Step>& steps) {
    Byte(static_cast<unsigned>(level));
    Byte(static_cast<unsigned>(steps.size()));
    Byte(static_cast<unsigned>(steps.size() >> 8));
    for (const Step& st : steps) {
        Byte(static_cast<unsigned>(st.rung));
        for (const Change& ch : st.changes) {
            Byte(static_cast<unsigned char>(ch.kind));
            Byte(ch.cell);
            Byte(ch.digit);
        }
    }
}

}  // namespace gw
