// The memo of fruitless searches (model/search_memo.h) only spares work: a
// rung called with what the state learnt along the ladder does exactly what it
// does with the memo cleared, its pattern and note included.
#include <gtest/gtest.h>

#include <cstring>

#include "test_util.h"

namespace gw {
namespace {

// The rungs whose searches keep a memo, as the ladder marks them.
std::vector<int> MemoRungs() {
    std::vector<int> rungs;
    for (const Rung& r : kLadder)
        if (r.memo) rungs.push_back(r.number);
    return rungs;
}

struct Outcome {
    bool progress = false;
    std::vector<Change> log;
    GradeState after;
    std::string note;
    Pattern pattern;
};

Outcome Call(const GradeState& base, const Rung& rung) {
    Outcome out;
    out.after = base;
    out.after.stepNote = nullptr;
    out.after.pattern = &out.pattern;
    {
        test::LogTo log(out.after, out.log);
        out.progress = rung.run(out.after);
    }
    out.after.pattern = nullptr;
    if (out.after.stepNote != nullptr) out.note = out.after.stepNote;
    return out;
}

void ExpectSameOutcome(const Rung& rung, const GradeState& s, const std::string& where) {
    GradeState cleared = s;
    cleared.memo.Clear();
    const Outcome got = Call(s, rung);
    const Outcome want = Call(cleared, rung);
    EXPECT_EQ(got.progress, want.progress) << where;
    EXPECT_EQ(got.log, want.log) << where;
    EXPECT_EQ(got.after.CandMask, want.after.CandMask) << where;
    EXPECT_EQ(got.after.SolveGrid, want.after.SolveGrid) << where;
    EXPECT_EQ(got.note, want.note) << where;
    const Pattern& a = got.pattern;
    const Pattern& b = want.pattern;
    EXPECT_TRUE(a.kind == b.kind && a.digits == b.digits && a.units == b.units && a.cells == b.cells &&
                a.chains == b.chains && a.note == b.note)
        << where;
}

TEST(SearchMemo, RungsDoTheSameWithTheMemoCleared) {
    std::mt19937 rng(1414);
    const int calls = test::ForEachLadderCallAndThinned({}, MemoRungs(), rng, ExpectSameOutcome);
    EXPECT_GT(calls, 1000 / test::kPuzzleStride);
}

// The ladder's mark is what sends a rung through the test above: a rung that
// writes the memo without the mark would escape it.
TEST(SearchMemo, OnlyMarkedRungsWriteIt) {
    std::vector<int> unmarked;
    for (const Rung& r : kLadder)
        if (!r.memo && r.number < kRungCount) unmarked.push_back(r.number);
    const int calls = test::ForEachLadderCall({}, unmarked, [](int rung, const GradeState& s, int puzzle) {
        GradeState t = s;
        RungNumbered(rung).run(t);
        EXPECT_EQ(std::memcmp(&t.memo, &s.memo, sizeof s.memo), 0) << "rung " << rung << " puzzle " << puzzle;
    });
    EXPECT_GT(calls, 100 / test::kPuzzleStride);
}

}  // namespace
}  // namespace gw
